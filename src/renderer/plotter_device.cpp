#include "renderer/plotter_device.h"

bool KT_Plotter_Device_Data::get_banding_rectangle(const KT_Int_Rectangle*, KT_Int_Rectangle&) {
    return false;
}

BandReqEnum KT_Plotter_Device_Data::get_banding_requirements(std::int32_t, std::int32_t,
                                                             KT_Int_Rectangle) {
    return KT_Band_None;
}

void KT_Plotter_Device_Data::truetype_text_info(const KT_Int_Rectangle*, const unsigned short*, int,
                                                const KT_Rendition*) {}
