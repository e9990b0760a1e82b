#include "appearance/texel.h"

#include <cmath>

namespace detail {

namespace {

constexpr float byte_scale = 1.0f / 255.0f;

std::uint8_t channel_byte(float c) {
    const float scaled = c * 255.99f;
    if (!(scaled > 0.0f)) return 0;
    return scaled >= 255.0f ? 255 : static_cast<std::uint8_t>(scaled);
}

bool has_pixels(const KT_Shared_Image& image) {
    return !image.empty() && !image->is_empty();
}

} // namespace

int texel_width(const KT_Shared_Image& image) {
    return has_pixels(image) ? image->width() : 0;
}

int texel_height(const KT_Shared_Image& image) {
    return has_pixels(image) ? image->height() : 0;
}

bool is_rgb32(const KT_Shared_Image& image) {
    return has_pixels(image) && image->format() == KT_Image_Format::RGB32;
}

KT_RGBA colour_of(KT_RGB32 pixel) {
    return {pixel.r * byte_scale, pixel.g * byte_scale, pixel.b * byte_scale, pixel.a * byte_scale};
}

KT_RGBA read_texel(const KT_Shared_Image& image, int x, int y) {
    const std::uint8_t* row = image->row(y);
    switch (image->format()) {
    case KT_Image_Format::RGB32: {
        const std::uint8_t* p = row + 4 * x;
        return colour_of({p[0], p[1], p[2], p[3]});
    }
    case KT_Image_Format::Gray8: {
        const float grey = row[x] * byte_scale;
        return {grey, grey, grey, 1.0f};
    }
    default:
        return {0.0f, 0.0f, 0.0f, 0.0f};
    }
}

void write_texel(std::uint8_t* pixel, const KT_RGBA& colour) {
    pixel[0] = channel_byte(colour.blue);
    pixel[1] = channel_byte(colour.green);
    pixel[2] = channel_byte(colour.red);
    pixel[3] = channel_byte(colour.alpha);
}

std::uint8_t* texel_row(const KT_Shared_Image& image, int y) {
    return image->row(y);
}

void make_private(KT_Shared_Image& image) {
    image.modify();
}

KT_Shared_Image make_rgb32_image(int width, int height) {
    if (width < 1 || height < 1) return KT_Shared_Image();
    return KT_Shared_Image(width, height, KT_Image_Format::RGB32, 4, nullptr, false);
}

} // namespace detail
