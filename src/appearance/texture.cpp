#include "appearance/texture.h"

#include <cmath>

#include "appearance/texel.h"

namespace {

constexpr KT_RGBA transparent = {0.0f, 0.0f, 0.0f, 0.0f};
// Larger bakes are refused rather than risk an allocation that cannot fit.
constexpr int max_bake_side = 16384;

bool bakeable_size(int width, int height) {
    return width > 0 && height > 0 && width <= max_bake_side && height <= max_bake_side;
}

} // namespace

float KT_Texture_Data::tile_value(float t, KT_Tiling_Mode mode) {
    switch (mode) {
    case KT_Tiling_Mode::Clamp:
        if (t < 0.0f) return 0.0f;
        return t > 1.0f ? 1.0f : t;
    case KT_Tiling_Mode::Repeat: {
        if (t == 0.0f) return 0.0f;
        // Whole numbers other than 0 map to 1, so that the last texel of a
        // tile is reachable.
        const float f = t - std::trunc(t);
        return f <= 0.0f ? f + 1.0f : f;
    }
    case KT_Tiling_Mode::Mirror: {
        const float a = std::fabs(t);
        const float whole = std::trunc(a);
        const float f = a - whole;
        return std::fmod(whole, 2.0f) == 1.0f ? 1.0f - f : f;
    }
    default:
        return t;
    }
}

KT_Parameter KT_Texture_Data::tile_parameter(const KT_Parameter& p) const {
    return {tile_value(p.u, tiling_[0]), 1.0f - tile_value(p.v, tiling_[1]),
            tile_value(p.w, tiling_[2])};
}

void KT_Texture_Data::set_tiling(KT_Tiling_Mode u, KT_Tiling_Mode v, KT_Tiling_Mode w) {
    tiling_[0] = u;
    tiling_[1] = v;
    tiling_[2] = w;
}

KT_RGBA KT_Texture_Data::value(const KT_Parameter*, int, const KT_Point*, const KT_Vector*,
                               const KT_Rendition*) const {
    return transparent;
}

KT_Shared_Image KT_Texture_Data::image(int width, int height) {
    const KT_Shared_Image base = base_image();
    if (base.empty()) return KT_Shared_Image();
    const KT_Shared_Image& size_source = baked_.empty() ? base : baked_;
    if (width <= 0) width = detail::texel_width(size_source);
    if (height <= 0) height = detail::texel_height(size_source);
    const bool stale = baked_.empty() || detail::texel_width(baked_) != width ||
                       detail::texel_height(baked_) != height;
    if (stale && bakeable_size(width, height)) bake(width, height);
    return baked_;
}

void KT_Texture_Data::bake(int width, int height) {
    KT_Shared_Image target = detail::make_rgb32_image(width, height);
    if (detail::texel_width(target) != width) return;
    fill_baked(target);
    baked_ = target;
}

void KT_Texture_Data::bake_by_value(const KT_Shared_Image& target) const {
    if (!detail::is_rgb32(target)) return;
    const int width = detail::texel_width(target), height = detail::texel_height(target);
    for (int j = 0; j < height; ++j) {
        std::uint8_t* pixel = detail::texel_row(target, j);
        const float v = bake_v(j, height);
        for (int i = 0; i < width; ++i, pixel += 4) {
            const KT_Parameter p = {bake_u(i, width), v, 0.0f};
            detail::write_texel(pixel, value(&p, 1, nullptr, nullptr, nullptr));
        }
    }
}

KT_RGBA KT_Texture::value(const KT_Parameter* parameters, int parameter_width,
                          const KT_Point* point, const KT_Vector* normal,
                          const KT_Rendition* rendition) const {
    if (!body_) return transparent;
    return body_->value(parameters, parameter_width, point, normal, rendition);
}

KT_Shared_Image KT_Texture::base_image() const {
    return body_ ? body_->base_image() : KT_Shared_Image();
}

KT_Shared_Image KT_Texture::image(int width, int height) const {
    return body_ ? body_->image(width, height) : KT_Shared_Image();
}
