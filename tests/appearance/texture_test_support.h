// Images with recognisable pixels for the texture tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <utility>

#include "appearance/texture.h"
#include "foundation/basic_types.h"
#include "image/image_data.h"

namespace texture_test {

// An RGB32 image whose pixel (x, y) has red x, green y, the given blue and
// alpha 200, so that a sampled colour tells which texel was read.
inline KT_Shared_Image coordinate_image(int width, int height, std::uint8_t blue = 7) {
    KT_Shared_Image image(width, height, KT_Image_Format::RGB32, 0, nullptr, false);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = image->row(y);
        for (int x = 0; x < width; ++x, p += 4) {
            p[0] = blue;
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(x);
            p[3] = 200;
        }
    }
    return image;
}

// A texture's colour at one parameter.
inline KT_RGBA colour_at(const KT_Texture& t, float u, float v, float w = 0.0f) {
    const KT_Parameter p = {u, v, w};
    return t.value(&p);
}

inline int byte_of(float channel) {
    return static_cast<int>(std::lround(channel * 255.0f));
}

// Which texel (column, row) of a coordinate image a colour came from.
inline std::pair<int, int> texel_of(const KT_RGBA& c) {
    return {byte_of(c.red), byte_of(c.green)};
}

inline const std::uint8_t* pixel_at(const KT_Shared_Image& image, int x, int y) {
    return image->row(y) + 4 * x;
}

} // namespace texture_test
