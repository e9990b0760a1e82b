// Small value types shared by every subsystem: integer rectangles and
// points, float and double points, device points, colours, and the device
// rounding rule.
#pragma once

#include <cstdint>

#include "foundation/export.h"

struct KAVRI_API KT_Int_XY {
    std::int32_t x;
    std::int32_t y;
};

// Inclusive bounds; an empty rectangle has right < left or top < bottom.
struct KAVRI_API KT_Int_Rectangle {
    std::int32_t left;
    std::int32_t right;
    std::int32_t bottom;
    std::int32_t top;
};

struct KAVRI_API KT_Point {
    float x;
    float y;
    float z;
};

struct KAVRI_API KT_Point_D {
    double x;
    double y;
    double z;
};

// Device column, device row and depth.
struct KAVRI_API KT_DCI_Point {
    std::int32_t x;
    std::int32_t y;
    std::int32_t z;
};

// One texture coordinate.
struct KAVRI_API KT_Parameter {
    float u;
    float v;
    float w;
};

struct KAVRI_API KT_RGB {
    float red;
    float green;
    float blue;
};

struct KAVRI_API KT_RGBA {
    float red;
    float green;
    float blue;
    float alpha;
};

// Blue in bits 0-7, green 8-15, red 16-23, alpha 24-31: in memory blue,
// green, red, alpha.
struct KAVRI_API KT_RGB32 {
    std::uint8_t b;
    std::uint8_t g;
    std::uint8_t r;
    std::uint8_t a;
};
static_assert(sizeof(KT_RGB32) == 4);

namespace detail {

// trunc(r) as a 32-bit integer: NaN gives 0 and values beyond the range
// saturate, since the plain conversion of those is undefined.
template <class Real> inline std::int32_t saturating_trunc(Real r) {
    if (r != r) return 0;
    if (r >= Real(2147483648.0)) return INT32_MAX;
    if (r <= Real(-2147483649.0)) return INT32_MIN;
    return static_cast<std::int32_t>(r);
}

} // namespace detail

// Device rounding: halves round away from zero for positive values and the
// negative side is biased so that -0.5 rounds to 0, matching scan conversion.
// The sum is formed in the argument's precision.
inline std::int32_t KD_Round(float v) {
    return detail::saturating_trunc(v >= 0.0f ? v + 0.5f : v - 0.499999f);
}

inline std::int32_t KD_Round(double v) {
    return detail::saturating_trunc(v >= 0.0 ? v + 0.5 : v - 0.49999999999);
}
