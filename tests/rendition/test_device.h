// A device whose effective options a test sets directly, so renditions can
// be made for any window, depth buffer, pixel aspect and palette.
#pragma once

#include <initializer_list>

#include "renderer/device_data.h"

namespace rendition_test {

class Device : public KT_Device_Data {
public:
    Device(int width, int height, int buffer_depth) {
        KT_Renderer_Options& o = current_renderer_options;
        o.set_window_origin({0, 0});
        o.set_window_size({width, height});
        o.set_buffer_depth(buffer_depth);
        o.set_pixel_aspect(1.0f);
    }

    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}
};

// A palette with the given colours in use at indices 0, 1, ...
inline KT_Palette palette_of(std::initializer_list<KT_RGB32> colours) {
    KT_Palette palette;
    int i = 0;
    for (const KT_RGB32& c : colours)
        palette->entries[i++] = {c, 1};
    return palette;
}

} // namespace rendition_test
