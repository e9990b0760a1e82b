// What image tests draw on: a capturing device that keeps only its native
// form, as a device with a frame buffer does, with a colour cube palette,
// and a rendition on it.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "../support/capturing_device.h"

namespace images_test {

using Stored_Pixel = capture::Stored_Bytes;

// A palette holding a 6 x 6 x 6 colour cube from index 16.
inline KT_Palette cube_palette() {
    KT_Palette palette;
    palette.install(KT_Color_Cube({6, 6, 6}, 1.0f, 16));
    return palette;
}

struct Stage {
    static constexpr int default_size = 64;
    static constexpr int no_depth_buffer = 0;

    explicit Stage(KT_Color_System system = KT_Color_System::True_Color, int width = default_size,
                   int height = default_size)
        : device(new capture::Device(width, height, no_depth_buffer, system)) {
        device->add_reference();
        device->keeps_native_only = true;
        device->options().set_palette(cube_palette());
        rendition = KT_Rendition(device);
    }
    ~Stage() {
        rendition.reset();
        device->remove_reference();
    }
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    bool has(int x, int y) const { return device->picture.drawn(x, y); }
    Stored_Pixel at(int x, int y) const {
        if (!has(x, y)) {
            ADD_FAILURE() << "nothing stored at " << x << "," << y;
            return {};
        }
        return device->picture.at(x, y).bytes();
    }
    int stored_count() const { return device->picture.covered_count(); }
    int native_calls() const { return static_cast<int>(device->rows.size()); }

    capture::Device* device;
    KT_Rendition rendition;
};

// Gives pixel (column, row) of an RGB32 image blue = column, green = row.
inline void number_pixels(const KT_Shared_Image& image) {
    for (int y = 0; y < image->height(); ++y)
        for (int x = 0; x < image->width(); ++x) {
            const KT_RGB32 c = {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 0, 255};
            std::memcpy(image->row(y) + 4 * x, &c, 4);
        }
}

inline KT_Shared_Image numbered_image(int width, int height) {
    KT_Shared_Image image(width, height, KT_Image_Format::RGB32, 0, nullptr, false);
    number_pixels(image);
    return image;
}

// The image column and row a stored numbered pixel came from.
inline std::pair<int, int> source_of(const Stored_Pixel& p) {
    return {p[0], p[1]};
}

} // namespace images_test
