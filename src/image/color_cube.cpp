#include "image/color_cube.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// A palette holds 256 entries, so no block needs more levels per channel;
// the bound also keeps the level arithmetic inside 32 bits.
std::int32_t usable_levels(std::int32_t levels) {
    return std::clamp(levels, 1, 256);
}

// A channel (0-255) on a scale of levels_minus_one + 1 levels, rounded.
std::int32_t nearest_level(std::uint8_t channel, std::int32_t levels_minus_one) {
    return (channel * levels_minus_one + 128) >> 8;
}

// The same with 8 fraction bits; 255 lands exactly on the top level.
std::int32_t fixed_level(std::uint8_t channel, std::int32_t levels_minus_one) {
    return channel * levels_minus_one * 256 / 255;
}

} // namespace

std::uint8_t KD_Level_Intensity(int level, int levels_minus_one, float gamma) {
    if (levels_minus_one < 1) return 0;
    if (gamma == 1.0f) return static_cast<std::uint8_t>(level * 255 / levels_minus_one);
    const double ratio = static_cast<double>(level) / levels_minus_one;
    return static_cast<std::uint8_t>(std::min(255.0, 255.0 * std::pow(ratio, 1.0 / gamma)));
}

float KD_Usable_Gamma(float gamma) {
    return gamma > 0.0f && std::isfinite(gamma) ? gamma : 1.0f;
}

KT_Color_Cube::KT_Color_Cube(const KT_Int_RGB& sizes, float gamma, std::int32_t base)
    : base_(std::clamp(base, 0, 255)), r_(usable_levels(sizes.red)), g_(usable_levels(sizes.green)),
      b_(usable_levels(sizes.blue)), gamma_(KD_Usable_Gamma(gamma)) {
    validate();
}

void KT_Color_Cube::validate() {
    size_ = r_ * g_ * b_;
    stride_r_ = g_ * b_;
    stride_g_ = b_;
    stride_b_ = 1;
    max_r_ = r_ - 1;
    max_g_ = g_ - 1;
    max_b_ = b_ - 1;
}

std::int32_t KT_Color_Cube::closest_match(KT_RGB32 colour) const {
    return base_ + nearest_level(colour.r, max_r_) * stride_r_ +
           nearest_level(colour.g, max_g_) * stride_g_ + nearest_level(colour.b, max_b_);
}

KT_RGB32 KT_Color_Cube::color(int index) const {
    if (!contains(index)) return {0, 0, 0, 0};
    const int offset = index - base_;
    return {KD_Level_Intensity(offset / stride_b_ % b_, max_b_, gamma_),
            KD_Level_Intensity(offset / stride_g_ % g_, max_g_, gamma_),
            KD_Level_Intensity(offset / stride_r_ % r_, max_r_, gamma_), 255};
}

int KT_Color_Cube::dithered_match(KT_RGB32 colour, std::int32_t indices[4],
                                  std::int32_t weights[4]) const {
    struct Channel {
        std::int32_t fraction;
        std::int32_t stride;
    };
    const std::int32_t lr = fixed_level(colour.r, max_r_);
    const std::int32_t lg = fixed_level(colour.g, max_g_);
    const std::int32_t lb = fixed_level(colour.b, max_b_);
    Channel c[3] = {{lr & 255, stride_r_}, {lg & 255, stride_g_}, {lb & 255, stride_b_}};
    // Three elements: a sorting network is all it takes.
    if (c[0].fraction < c[1].fraction) std::swap(c[0], c[1]);
    if (c[1].fraction < c[2].fraction) std::swap(c[1], c[2]);
    if (c[0].fraction < c[1].fraction) std::swap(c[0], c[1]);

    // Walking from the lower corner one channel at a time in order of
    // decreasing fraction splits the cell into tetrahedra; the weights are
    // the barycentric coordinates in the one holding the colour.
    indices[0] = base_ + (lr >> 8) * stride_r_ + (lg >> 8) * stride_g_ + (lb >> 8) * stride_b_;
    weights[0] = dither_scale - c[0].fraction;
    int n = 1;
    for (int k = 0; k < 3 && c[k].fraction > 0; ++k, ++n) {
        indices[n] = indices[n - 1] + c[k].stride;
        weights[n] = c[k].fraction - (k < 2 ? c[k + 1].fraction : 0);
    }
    return n;
}
