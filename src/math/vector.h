// Directions in single and double precision, their normalisation and the
// small vector algebra the camera and the pipeline share.
#pragma once

#include <cmath>
#include <type_traits>

#include "foundation/basic_types.h"
#include "foundation/export.h"

struct KAVRI_API KT_Vector {
    float x;
    float y;
    float z;

    // Scales to unit length; a zero vector stays zero. Components beyond
    // 1e10 (or all below 1e-10) are first divided by the largest one so
    // that squaring can neither overflow nor underflow.
    void normalize();
};

struct KAVRI_API KT_Vector_D {
    double x;
    double y;
    double z;

    void normalize();
};

namespace detail {

template <class V>
concept Vector3 = std::is_same_v<V, KT_Vector> || std::is_same_v<V, KT_Vector_D>;
template <class P>
concept Point3 = std::is_same_v<P, KT_Point> || std::is_same_v<P, KT_Point_D>;

// The direction type that goes with a point type, and the other way round.
template <class P> struct Vector_For;
template <> struct Vector_For<KT_Point> { using type = KT_Vector; };
template <> struct Vector_For<KT_Point_D> { using type = KT_Vector_D; };
template <class V> struct Point_For;
template <> struct Point_For<KT_Vector> { using type = KT_Point; };
template <> struct Point_For<KT_Vector_D> { using type = KT_Point_D; };

template <class... Real> bool all_finite(Real... values) {
    return (std::isfinite(values) && ...);
}

} // namespace detail

template <detail::Vector3 V> constexpr V operator+(const V& a, const V& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
template <detail::Vector3 V> constexpr V operator-(const V& a, const V& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
template <detail::Vector3 V> constexpr V operator-(const V& a) {
    return {-a.x, -a.y, -a.z};
}
template <detail::Vector3 V> constexpr V operator*(const V& a, decltype(a.x) s) {
    return {a.x * s, a.y * s, a.z * s};
}
template <detail::Vector3 V> constexpr bool operator==(const V& a, const V& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

template <detail::Vector3 V> constexpr auto KD_Dot(const V& a, const V& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
template <detail::Vector3 V> constexpr V KD_Cross(const V& a, const V& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
template <detail::Vector3 V> V KD_Normalized(V v) {
    v.normalize();
    return v;
}
KAVRI_API float KD_Length(const KT_Vector& v);
KAVRI_API double KD_Length(const KT_Vector_D& v);

// The direction from a to b.
template <detail::Point3 P> constexpr auto operator-(const P& b, const P& a) {
    return typename detail::Vector_For<P>::type{b.x - a.x, b.y - a.y, b.z - a.z};
}
template <detail::Point3 P>
constexpr P operator+(const P& p, const typename detail::Vector_For<P>::type& v) {
    return {p.x + v.x, p.y + v.y, p.z + v.z};
}
template <detail::Point3 P> constexpr bool operator==(const P& a, const P& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

constexpr KT_Vector_D KD_Widen(const KT_Vector& v) {
    return {v.x, v.y, v.z};
}
constexpr KT_Point_D KD_Widen(const KT_Point& p) {
    return {p.x, p.y, p.z};
}
constexpr KT_Vector KD_Narrow(const KT_Vector_D& v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}
constexpr KT_Point KD_Narrow(const KT_Point_D& p) {
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}
