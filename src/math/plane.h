// Planes a·x + b·y + c·z + d = 0 in single and double precision; (a, b, c)
// is the normal.
#pragma once

#include "foundation/export.h"

struct KAVRI_API KT_Plane {
    float a;
    float b;
    float c;
    float d;

    // Makes the normal unit length, scaling d with it; a plane with a zero
    // normal is left as it is.
    void normalize();
};

struct KAVRI_API KT_Plane_D {
    double a;
    double b;
    double c;
    double d;

    // As the single form, but values beyond 1e10 are first brought down by
    // the largest of the four so that squaring cannot overflow.
    void normalize();
};

constexpr KT_Plane_D KD_Widen(const KT_Plane& p) {
    return {p.a, p.b, p.c, p.d};
}
constexpr KT_Plane KD_Narrow(const KT_Plane_D& p) {
    return {static_cast<float>(p.a), static_cast<float>(p.b), static_cast<float>(p.c),
            static_cast<float>(p.d)};
}
