#include "math/vector.h"

#include <algorithm>
#include <cmath>

namespace {

template <class V> void normalize_vector(V& v) {
    using Real = decltype(v.x);
    constexpr Real limit = 1e10;
    const Real largest = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
    // Squares of tiny components underflow to a zero length just as huge
    // ones overflow; both are first brought near 1.
    if (largest > limit || (largest > 0 && largest < 1 / limit)) {
        v.x /= largest;
        v.y /= largest;
        v.z /= largest;
    }
    const Real length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0) return;
    const Real inverse = 1 / length;
    v.x *= inverse;
    v.y *= inverse;
    v.z *= inverse;
}

} // namespace

void KT_Vector::normalize() {
    normalize_vector(*this);
}
void KT_Vector_D::normalize() {
    normalize_vector(*this);
}

float KD_Length(const KT_Vector& v) {
    return std::sqrt(KD_Dot(v, v));
}
double KD_Length(const KT_Vector_D& v) {
    return std::sqrt(KD_Dot(v, v));
}
