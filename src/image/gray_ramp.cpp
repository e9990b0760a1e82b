#include "image/gray_ramp.h"

#include <algorithm>

#include "image/color_cube.h"

KT_Gray_Ramp::KT_Gray_Ramp(std::int32_t count, float gamma, std::int32_t base)
    : base_(std::clamp(base, 0, 255)), count_(std::clamp(count, 1, 256)),
      gamma_(KD_Usable_Gamma(gamma)) {
    validate();
}

void KT_Gray_Ramp::validate() {
    last_ = count_ - 1;
}

std::int32_t KT_Gray_Ramp::closest_match(KT_RGB32 colour) const {
    const float luminance = 0.3125f * colour.r + 0.5f * colour.g + 0.1875f * colour.b;
    return base_ + ((32768 + static_cast<std::int32_t>(luminance * last_ * 256.0f)) >> 16);
}

KT_RGB32 KT_Gray_Ramp::color(int index) const {
    if (!contains(index)) return {0, 0, 0, 0};
    const std::uint8_t gray = KD_Level_Intensity(index - base_, last_, gamma_);
    return {gray, gray, gray, 255};
}
