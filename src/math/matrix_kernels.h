// The loops behind every matrix transform, on a bare 4 x 4 element array.
// Points are row vectors ([x y z 1] * M); vectors and planes are column
// vectors (M * v), meant for the adjoint of a point matrix. Each routine
// computes in the wider of the matrix and the input precision and narrows
// on store. Every loop reads a whole input before writing its output, so
// input and output may be the same array.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "math/matrix_classification.h"
#include "math/plane.h"
#include "math/vector.h"

namespace detail {

template <class T> using Real_Of = std::remove_cvref_t<decltype(T::x)>;
template <class T> using Plane_Real_Of = std::remove_cvref_t<decltype(T::a)>;

template <class P>
concept Plane4 = std::is_same_v<P, KT_Plane> || std::is_same_v<P, KT_Plane_D>;

// Point transforms never widen single input to double output.
template <class In, class Out>
concept Point_Pair = (std::is_same_v<In, KT_Point> && std::is_same_v<Out, KT_Point>) ||
                     (std::is_same_v<In, KT_Point_D> && Point3<Out>);
template <class In, class Out>
concept Vector_Pair = Vector3<In> && Vector3<Out>;
template <class In, class Out>
concept Plane_Pair = Plane4<In> && Plane4<Out>;
template <class V, class P>
concept Normal_Point_Pair = (std::is_same_v<V, KT_Vector> && std::is_same_v<P, KT_Point>) ||
                            (std::is_same_v<V, KT_Vector_D> && std::is_same_v<P, KT_Point_D>);

inline constexpr float identity_elements[4][4] = {
    {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

template <class Out, class C> inline void store(Out& out, C x, C y, C z) {
    using R = Real_Of<Out>;
    out.x = static_cast<R>(x);
    out.y = static_cast<R>(y);
    out.z = static_cast<R>(z);
}

// Runs f(x, y, z, output) over the points; f is inlined, so every caller
// gets its own loop.
template <class C, class In, class Out, class F>
inline void each_point(int n, const In* in, Out* out, F f) {
    for (int i = 0; i < n; ++i) {
        const C x = in[i].x, y = in[i].y, z = in[i].z;
        f(x, y, z, out[i]);
    }
}

// The affine classes (below 16), one loop each; w is 1 for all of them.
template <class C, class Real, class In, class Out>
void transform_affine_points(const Real (&m)[4][4], std::uint32_t classification, int n,
                             const In* in, Out* out) {
    const C m00 = m[0][0], m01 = m[0][1], m02 = m[0][2];
    const C m10 = m[1][0], m11 = m[1][1], m12 = m[1][2];
    const C m20 = m[2][0], m21 = m[2][1], m22 = m[2][2];
    const C m30 = m[3][0], m31 = m[3][1], m32 = m[3][2];
    switch (classification) {
    case 1:
        each_point<C>(n, in, out, [=](C x, C y, C z, Out& o) { store(o, m00 * x, m11 * y, z); });
        return;
    case 2:
    case 3:
        each_point<C>(n, in, out, [=](C x, C y, C z, Out& o) {
            store(o, m00 * x + m10 * y, m01 * x + m11 * y, z);
        });
        return;
    case 4:
        each_point<C>(n, in, out, [=](C x, C y, C z, Out& o) { store(o, x + m30, y + m31, z); });
        return;
    case 5:
        each_point<C>(n, in, out,
                      [=](C x, C y, C z, Out& o) { store(o, m00 * x + m30, m11 * y + m31, z); });
        return;
    case 6:
    case 7:
        each_point<C>(n, in, out, [=](C x, C y, C z, Out& o) {
            store(o, m00 * x + m10 * y + m30, m01 * x + m11 * y + m31, z);
        });
        return;
    case 9:
        each_point<C>(n, in, out,
                      [=](C x, C y, C z, Out& o) { store(o, m00 * x, m11 * y, m22 * z); });
        return;
    case 10:
    case 11:
        each_point<C>(n, in, out, [=](C x, C y, C z, Out& o) {
            store(o, m00 * x + m10 * y + m20 * z, m01 * x + m11 * y + m21 * z,
                  m02 * x + m12 * y + m22 * z);
        });
        return;
    case 12:
        each_point<C>(n, in, out,
                      [=](C x, C y, C z, Out& o) { store(o, x + m30, y + m31, z + m32); });
        return;
    case 13:
        each_point<C>(n, in, out, [=](C x, C y, C z, Out& o) {
            store(o, m00 * x + m30, m11 * y + m31, m22 * z + m32);
        });
        return;
    case 14:
    case 15:
        each_point<C>(n, in, out, [=](C x, C y, C z, Out& o) {
            store(o, m00 * x + m10 * y + m20 * z + m30, m01 * x + m11 * y + m21 * z + m31,
                  m02 * x + m12 * y + m22 * z + m32);
        });
        return;
    default: // 0 and 8: nothing to do but copy
        each_point<C>(n, in, out, [](C x, C y, C z, Out& o) { store(o, x, y, z); });
        return;
    }
}

// The full product with w; points are divided only when w lies above the
// limit, so w = 0 never divides.
template <class C, bool Report_W, class Real, class In, class Out>
void transform_projective_points(const Real (&m)[4][4], int n, const In* in, Out* out, float* w,
                                 float wlimit) {
    const C m00 = m[0][0], m01 = m[0][1], m02 = m[0][2], m03 = m[0][3];
    const C m10 = m[1][0], m11 = m[1][1], m12 = m[1][2], m13 = m[1][3];
    const C m20 = m[2][0], m21 = m[2][1], m22 = m[2][2], m23 = m[2][3];
    const C m30 = m[3][0], m31 = m[3][1], m32 = m[3][2], m33 = m[3][3];
    const C limit = wlimit;
    for (int i = 0; i < n; ++i) {
        const C x = in[i].x, y = in[i].y, z = in[i].z;
        C px = m00 * x + m10 * y + m20 * z + m30;
        C py = m01 * x + m11 * y + m21 * z + m31;
        C pz = m02 * x + m12 * y + m22 * z + m32;
        const C pw = m03 * x + m13 * y + m23 * z + m33;
        if (pw > limit) {
            const C inverse = 1 / pw;
            px *= inverse;
            py *= inverse;
            pz *= inverse;
        }
        store(out[i], px, py, pz);
        if constexpr (Report_W) w[i] = static_cast<float>(pw);
    }
}

template <class Real, class In, class Out>
void transform_points(const Real (&m)[4][4], std::uint32_t classification, int n, const In* in,
                      Out* out, float* w, float wlimit) {
    using C = std::common_type_t<Real, Real_Of<In>>;
    if (n <= 0) return;
    if (classification >= KT_Matrix_Perspective) {
        if (w)
            transform_projective_points<C, true>(m, n, in, out, w, wlimit);
        else
            transform_projective_points<C, false>(m, n, in, out, w, wlimit);
        return;
    }
    transform_affine_points<C>(m, classification, n, in, out);
    if (w) std::fill_n(w, n, 1.0f);
}

// The plain reference: every element takes part whatever the classification.
template <class Real, class In, class Out>
void transform_points_full(const Real (&m)[4][4], int n, const In* in, Out* out, float* w,
                           float wlimit) {
    using C = std::common_type_t<Real, Real_Of<In>>;
    for (int i = 0; i < n; ++i) {
        const C p[4] = {in[i].x, in[i].y, in[i].z, 1};
        C r[4];
        for (int j = 0; j < 4; ++j) {
            r[j] = p[0] * C(m[0][j]);
            for (int k = 1; k < 4; ++k)
                r[j] += p[k] * C(m[k][j]);
        }
        if (r[3] > C(wlimit)) {
            const C inverse = 1 / r[3];
            for (int j = 0; j < 3; ++j)
                r[j] *= inverse;
        }
        store(out[i], r[0], r[1], r[2]);
        if (w) w[i] = static_cast<float>(r[3]);
    }
}

// v' = M3x3 * v, then made unit length (a zero result stays zero).
template <class Real, class In, class Out>
void transform_vectors(const Real (&m)[4][4], int n, const In* in, Out* out) {
    using C = std::common_type_t<Real, Real_Of<In>>;
    using Wide = std::conditional_t<std::is_same_v<C, double>, KT_Vector_D, KT_Vector>;
    const C m00 = m[0][0], m01 = m[0][1], m02 = m[0][2];
    const C m10 = m[1][0], m11 = m[1][1], m12 = m[1][2];
    const C m20 = m[2][0], m21 = m[2][1], m22 = m[2][2];
    for (int i = 0; i < n; ++i) {
        const C x = in[i].x, y = in[i].y, z = in[i].z;
        Wide v{m00 * x + m01 * y + m02 * z, m10 * x + m11 * y + m12 * z,
               m20 * x + m21 * y + m22 * z};
        v.normalize();
        store(out[i], v.x, v.y, v.z);
    }
}

// h' = M * h, divided by the length of its normal; a zero normal gives the
// zero plane.
template <class Real, class In, class Out>
void transform_planes(const Real (&m)[4][4], int n, const In* in, Out* out) {
    using C = std::common_type_t<Real, Plane_Real_Of<In>>;
    using R = Plane_Real_Of<Out>;
    for (int i = 0; i < n; ++i) {
        const C h[4] = {in[i].a, in[i].b, in[i].c, in[i].d};
        C r[4];
        for (int j = 0; j < 4; ++j)
            r[j] = C(m[j][0]) * h[0] + C(m[j][1]) * h[1] + C(m[j][2]) * h[2] + C(m[j][3]) * h[3];
        const C length = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
        const C factor = length == 0 ? C(0) : 1 / length;
        out[i] = {static_cast<R>(r[0] * factor), static_cast<R>(r[1] * factor),
                  static_cast<R>(r[2] * factor), static_cast<R>(r[3] * factor)};
    }
}

// The z component of M * (n, -n.p): how the plane through p with normal n
// faces along the output z axis.
template <class Real, class V, class P>
void transform_normals_z(const Real (&m)[4][4], int n, const V* normals, const P* points,
                         float* out) {
    using C = std::common_type_t<Real, Real_Of<V>>;
    const C m20 = m[2][0], m21 = m[2][1], m22 = m[2][2], m23 = m[2][3];
    for (int i = 0; i < n; ++i) {
        const C x = normals[i].x, y = normals[i].y, z = normals[i].z;
        const C offset = x * C(points[i].x) + y * C(points[i].y) + z * C(points[i].z);
        out[i] = static_cast<float>(m20 * x + m21 * y + m22 * z - offset * m23);
    }
}

template <class Real, class P>
void transform_planes_z(const Real (&m)[4][4], int n, const P* planes, float* out) {
    using C = std::common_type_t<Real, Plane_Real_Of<P>>;
    const C m20 = m[2][0], m21 = m[2][1], m22 = m[2][2], m23 = m[2][3];
    for (int i = 0; i < n; ++i)
        out[i] = static_cast<float>(m20 * planes[i].a + m21 * planes[i].b + m22 * planes[i].c +
                                    m23 * planes[i].d);
}

// The transform family on anything that can visit its elements: a body or a
// handle. Derived provides visit(f), calling f(elements, classification).
template <class Derived> class Matrix_Transforms {
public:
    template <class In, class Out>
    requires Point_Pair<In, Out>
    void transform(int n, const In* in, Out* out, float* w = nullptr, float wlimit = 0) const {
        self().visit([&](const auto& m, std::uint32_t classification) {
            transform_points(m, classification, n, in, out, w, wlimit);
        });
    }
    template <class In, class Out>
    requires Point_Pair<In, Out>
    void transform(const In& in, Out& out, float* w = nullptr, float wlimit = 0) const {
        transform(1, &in, &out, w, wlimit);
    }
    // Ignores the classification: the plain product, for checking the
    // per-class loops.
    template <class In, class Out>
    requires Point_Pair<In, Out>
    void transform_reference(int n, const In* in, Out* out, float* w = nullptr,
                             float wlimit = 0) const {
        self().visit(
            [&](const auto& m, std::uint32_t) { transform_points_full(m, n, in, out, w, wlimit); });
    }

    // Vectors come out unit length, planes with a unit normal.
    template <class In, class Out>
    requires(Vector_Pair<In, Out> || Plane_Pair<In, Out>) void transform(int n, const In* in,
                                                                         Out* out) const {
        if (n <= 0) return;
        self().visit([&](const auto& m, std::uint32_t) {
            if constexpr (Vector3<In>)
                transform_vectors(m, n, in, out);
            else
                transform_planes(m, n, in, out);
        });
    }
    template <class In, class Out>
    requires(Vector_Pair<In, Out> || Plane_Pair<In, Out>) void transform(const In& in,
                                                                         Out& out) const {
        transform(1, &in, &out);
    }

    template <class V, class P>
    requires Normal_Point_Pair<V, P>
    void transform_z(int n, const V* normals, const P* points, float* out) const {
        if (n <= 0) return;
        self().visit(
            [&](const auto& m, std::uint32_t) { transform_normals_z(m, n, normals, points, out); });
    }
    template <class V, class P>
    requires Normal_Point_Pair<V, P>
    float transform_z(const V& normal, const P& point) const {
        float result;
        transform_z(1, &normal, &point, &result);
        return result;
    }

    template <class P>
    requires Plane4<P>
    void transform_z(int n, const P* planes, float* out) const {
        if (n <= 0) return;
        self().visit([&](const auto& m, std::uint32_t) { transform_planes_z(m, n, planes, out); });
    }
    template <class P>
    requires Plane4<P>
    float transform_z(const P& plane) const {
        float result;
        transform_z(1, &plane, &result);
        return result;
    }

private:
    const Derived& self() const { return static_cast<const Derived&>(*this); }
};

} // namespace detail
