#include "renderer/device_data.h"

KT_Device_Data::KT_Device_Data()
    : native_renderer_options(native_options), device_options(options),
      current_device_options(current_options) {}

KT_Device_Data::KT_Device_Data(const KT_Renderer_Data* beneath)
    : KT_Renderer_Data(beneath), native_renderer_options(native_options), device_options(options),
      current_device_options(current_options) {}

void KT_Device_Data::optimize_current_options() {
    native_renderer_options.optimize(current_renderer_options);
    KT_Option* palette = native_renderer_options.option(KT_Renderer_Options::Palette);
    if (!palette->set_flag) return;
    update_palette();
    palette->set_flag = false;
}
