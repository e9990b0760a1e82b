#include "rendition/color_data.h"

namespace {
constexpr KT_RGB32 white = {255, 255, 255, 255};
}

KT_Color_Data::KT_Color_Data() : front_material(KT_Basic_Material()) {
    contrast.rgb = contrast.device_rgb = white;
    background.rgb = background.device_rgb = white;
    back_material = front_material;
}
