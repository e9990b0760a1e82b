// The default device: describes a true-colour RGB32 output and draws
// nothing. A stack built on it runs the whole pipeline down to the pixel
// actions, which end here.
#include "renderer/module_contract.h"

KAVRI_MODULE_VERSION(12, 0);

namespace {

class Null_Device : public KT_Device_Data {
public:
    Null_Device() {
        native_renderer_options.set_color_system(KT_Color_System::True_Color);
        native_renderer_options.set_packing_order(KT_Packing());
        native_renderer_options.set_color_resolution(256);
        // The pixels the standard routines hand down stop here.
        set_action<KT_Slot_Draw_DCI_RGB32_Image>(KD_Nothing<KT_Slot_Draw_DCI_RGB32_Image>);
        set_action<KT_Slot_Draw_DCI_CMYK32_Image>(KD_Nothing<KT_Slot_Draw_DCI_CMYK32_Image>);
        set_action<KT_Slot_Draw_DCI_Index8_Image>(KD_Nothing<KT_Slot_Draw_DCI_Index8_Image>);
        set_action<KT_Slot_Draw_DCI_Gray8_Image>(KD_Nothing<KT_Slot_Draw_DCI_Gray8_Image>);
        set_action<KT_Slot_Draw_DCI_Bitonal_Image>(KD_Nothing<KT_Slot_Draw_DCI_Bitonal_Image>);
        set_action<KT_Slot_Clear_Drawing_Buffer>(KD_Nothing<KT_Slot_Clear_Drawing_Buffer>);
    }

    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}
};

} // namespace

KAVRI_MODULE_ENTRY KT_Renderer_Data* KD_Device() {
    return new Null_Device;
}
