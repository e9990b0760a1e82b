#include "rendition/driver_color.h"

#include <cstring>

#include "renderer/renderer_data.h"

KT_RGB32 KD_Palette_Color(const KT_Renderer_Data* renderer, int index) {
    if (!renderer) return {0, 0, 0, 0};
    return renderer->current_renderer_options.palette().color(index);
}

void KT_Driver_Color::set_rgb(KT_RGB32 colour, const KT_Renderer_Data* renderer, bool exact) {
    rgb = device_rgb = colour;
    if (!renderer) {
        index = -1;
        return;
    }
    index = renderer->current_renderer_options.palette().closest_match(colour, exact);
    if (index != -1) device_rgb = KD_Palette_Color(renderer, index);
}

void KT_Driver_Color::set_rgb(KT_RGB32 colour, int palette_index,
                              const KT_Renderer_Data* renderer) {
    rgb = colour;
    index = palette_index;
    device_rgb = KD_Palette_Color(renderer, palette_index);
}

void KT_Driver_Color::set_index(int palette_index, const KT_Renderer_Data* renderer) {
    index = palette_index;
    rgb = device_rgb = KD_Palette_Color(renderer, palette_index);
}

bool KT_Driver_Color::operator==(const KT_Driver_Color& other) const {
    return std::memcmp(&rgb, &other.rgb, 4) == 0 && index == other.index &&
           std::memcmp(&device_rgb, &other.device_rgb, 4) == 0;
}
