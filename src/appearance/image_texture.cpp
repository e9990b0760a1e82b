#include "appearance/image_texture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "appearance/texel.h"
#include "foundation/heap.h"

namespace {

constexpr KT_RGBA transparent = {0.0f, 0.0f, 0.0f, 0.0f};

// The part of an image a complex texture samples, in pixels from the top
// left, clipped to the image.
struct Window {
    int x;
    int y;
    int width;
    int height;
};

Window clipped_window(const KT_Shared_Image& image, KT_Int_XY origin, KT_Int_XY size) {
    const int width = detail::texel_width(image);
    const int height = detail::texel_height(image);
    const Window whole = {0, 0, width, height};
    if (size.x <= 0 || size.y <= 0) return whole;
    const int x = std::clamp(origin.x, 0, width - 1);
    const int y = std::clamp(origin.y, 0, height - 1);
    return {x, y, std::min(size.x, width - x), std::min(size.y, height - y)};
}

KT_RGBA nearest(const KT_Shared_Image& image, const Window& w, float u, float v) {
    return detail::read_texel(image, w.x + KD_Round(static_cast<float>(w.width - 1) * u),
                              w.y + KD_Round(static_cast<float>(w.height - 1) * v));
}

KT_RGBA mix(const KT_RGBA& a, const KT_RGBA& b, float t) {
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t,
            a.blue + (b.blue - a.blue) * t, a.alpha + (b.alpha - a.alpha) * t};
}

// Texel centres lie on the same grid nearest sampling uses, so both filters
// agree on the texels themselves.
KT_RGBA bilinear(const KT_Shared_Image& image, const Window& w, float u, float v) {
    const float fx = static_cast<float>(w.width - 1) * u;
    const float fy = static_cast<float>(w.height - 1) * v;
    const int x0 = static_cast<int>(fx);
    const int y0 = static_cast<int>(fy);
    const int x1 = std::min(x0 + 1, w.width - 1);
    const int y1 = std::min(y0 + 1, w.height - 1);
    const float tx = fx - static_cast<float>(x0);
    const float ty = fy - static_cast<float>(y0);
    const KT_RGBA top = mix(detail::read_texel(image, w.x + x0, w.y + y0),
                            detail::read_texel(image, w.x + x1, w.y + y0), tx);
    const KT_RGBA bottom = mix(detail::read_texel(image, w.x + x0, w.y + y1),
                               detail::read_texel(image, w.x + x1, w.y + y1), tx);
    return mix(top, bottom, ty);
}

bool has_pixels(const KT_Shared_Image& image) {
    return detail::texel_width(image) > 0 && detail::texel_height(image) > 0;
}

} // namespace

KT_RGBA KT_Simple_Image_Texture_Data::value(const KT_Parameter* parameters, int parameter_width,
                                            const KT_Point*, const KT_Vector*,
                                            const KT_Rendition*) const {
    const KT_Parameter p = tile_parameter(first_parameter(parameters, parameter_width));
    if (!in_unit_cube(p) || !has_pixels(source_)) return transparent;
    return nearest(source_, clipped_window(source_, {0, 0}, {0, 0}), p.u, p.v);
}

KT_RGBA KT_Complex_Image_Texture_Data::value(const KT_Parameter* parameters, int parameter_width,
                                             const KT_Point*, const KT_Vector*,
                                             const KT_Rendition*) const {
    const KT_Parameter p = tile_parameter(first_parameter(parameters, parameter_width));
    if (!in_unit_cube(p)) return detail::colour_of(border_colour_);
    if (!has_pixels(source_)) return transparent;
    const Window window = clipped_window(source_, window_origin_, window_size_);
    KT_RGBA colour = filter_ == KT_Texture_Filter::Nearest ? nearest(source_, window, p.u, p.v)
                                                           : bilinear(source_, window, p.u, p.v);
    if (has_pixels(mask_))
        colour.alpha *= nearest(mask_, clipped_window(mask_, {0, 0}, {0, 0}), p.u, p.v).red;
    return colour;
}

void KT_Simple_Image_Texture_Data::fill_baked(const KT_Shared_Image& target) const {
    const int sw = detail::texel_width(source_), sh = detail::texel_height(source_);
    const int width = detail::texel_width(target), height = detail::texel_height(target);
    const float w = tile_value(0.0f, tiling_w());
    if (!detail::is_rgb32(source_) || !detail::is_rgb32(target) || !(w >= 0.0f && w <= 1.0f)) {
        bake_by_value(target);
        return;
    }
    // The source column of every baked column and the source row of every
    // baked row, -1 where tiling leaves the unit square, reckoned exactly
    // as value() does.
    KT_Stack_Scratch<int, 4096> columns(static_cast<std::size_t>(width));
    KT_Stack_Scratch<int, 4096> rows(static_cast<std::size_t>(height));
    if (!columns || !rows) return;
    for (int i = 0; i < width; ++i) {
        const float u = tile_value(bake_u(i, width), tiling_u());
        columns[i] = u >= 0.0f && u <= 1.0f ? KD_Round(static_cast<float>(sw - 1) * u) : -1;
    }
    for (int j = 0; j < height; ++j) {
        const float v = 1.0f - tile_value(bake_v(j, height), tiling_v());
        rows[j] = v >= 0.0f && v <= 1.0f ? KD_Round(static_cast<float>(sh - 1) * v) : -1;
    }
    for (int j = 0; j < height; ++j) {
        std::uint8_t* out = detail::texel_row(target, j);
        if (rows[j] < 0) {
            std::memset(out, 0, 4 * static_cast<std::size_t>(width));
            continue;
        }
        const std::uint8_t* in = detail::texel_row(source_, rows[j]);
        for (int i = 0; i < width; ++i, out += 4) {
            if (columns[i] < 0)
                std::memset(out, 0, 4);
            else
                std::memcpy(out, in + 4 * columns[i], 4);
        }
    }
}

KT_Simple_Image_Texture::KT_Simple_Image_Texture(const KT_Shared_Image& image)
    : KT_Texture(new KT_Simple_Image_Texture_Data(image)) {}

KT_Complex_Image_Texture::KT_Complex_Image_Texture(const KT_Shared_Image& image)
    : KT_Texture(new KT_Complex_Image_Texture_Data(image)) {}
