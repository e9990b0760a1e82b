#include "math/plane.h"

#include <algorithm>
#include <cmath>

namespace {

template <class P> void scale_to_unit_normal(P& p) {
    using Real = decltype(p.a);
    const Real length = std::sqrt(p.a * p.a + p.b * p.b + p.c * p.c);
    if (length == 0) return;
    const Real inverse = 1 / length;
    p.a *= inverse;
    p.b *= inverse;
    p.c *= inverse;
    p.d *= inverse;
}

} // namespace

void KT_Plane::normalize() {
    scale_to_unit_normal(*this);
}

void KT_Plane_D::normalize() {
    const double largest = std::max({std::fabs(a), std::fabs(b), std::fabs(c), std::fabs(d)});
    if (largest > 1e10) {
        a /= largest;
        b /= largest;
        c /= largest;
        d /= largest;
    }
    scale_to_unit_normal(*this);
}
