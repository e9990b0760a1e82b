#include <gtest/gtest.h>

#include "recording_stack.h"
#include "renderer/dynamic_load.h"
#include "renderer/module_contract.h"

namespace {

using namespace recording;

TEST(Null_Device, LoadsByDefaultAndDescribesATrueColourOutput) {
    log().clear();
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    KT_Dynamic_Routine entry =
        KD_Load_Dynamic_Routine(KD_Default_Device_Module, KD_Device_Tag, nullptr, &status);
    ASSERT_EQ(status, KT_Load_Success);
    {
        KT_Renderer_Data* body = KD_Routine_As<KT_Device_Entry>(entry)();
        KT_Renderer device(body);
        auto* as_device = dynamic_cast<KT_Device_Data*>(body);
        ASSERT_NE(as_device, nullptr);
        const KT_Renderer_Options& native = as_device->native_renderer_options;
        EXPECT_EQ(native.color_system(), KT_Color_System::True_Color);
        EXPECT_TRUE(native.packing_order().is_canonical());
        EXPECT_EQ(native.color_resolution(), 256);

        // A renderer stacked on it sees those options and can drive it.
        KT_Renderer top(new Renderer("top", body));
        EXPECT_EQ(top->establish_all(), 0);
        KT_Document_Info info;
        top->begin_picture_all(&info);
        const KT_DCI_Point from{0, 0, 0}, to{3, 0, 0};
        const KT_RGB32 row[4] = {};
        KD_Action_Draw_DCI_RGB32_Image(top.body(), nullptr, &from, &to, 4, row, 0, nullptr);
        EXPECT_EQ(top->actions[KT_Slot_Draw_DCI_RGB32_Image].owner, body);
        top->end_picture_all();
        top->update_all();
        EXPECT_EQ(log(), (std::vector<std::string>{"establish top", "begin top", "end top",
                                                   "update top (0,-1,0,-1)"}));
    }
    // Its bodies are gone, so the module may go too.
    KD_Unload_Dynamic_Routine(KD_Default_Device_Module, KD_Device_Tag, nullptr);
    System_Info* modules = KD_Loaded_Modules();
    EXPECT_TRUE(!modules || modules->empty());
}

} // namespace
