#include "math/matrix_data.h"

#include <cmath>
#include <limits>

namespace {

using detail::all_finite;

template <class Real>
void multiply_elements(const Real (&a)[4][4], const Real (&b)[4][4], Real (&r)[4][4]) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j] + a[i][3] * b[3][j];
}

// Determinant of a without row `row` and column `column`.
double minor(const double (&a)[4][4], int row, int column) {
    double s[3][3];
    for (int i = 0, si = 0; i < 4; ++i) {
        if (i == row) continue;
        for (int j = 0, sj = 0; j < 4; ++j)
            if (j != column) s[si][sj++] = a[i][j];
        ++si;
    }
    return s[0][0] * (s[1][1] * s[2][2] - s[1][2] * s[2][1]) -
           s[0][1] * (s[1][0] * s[2][2] - s[1][2] * s[2][0]) +
           s[0][2] * (s[1][0] * s[2][1] - s[1][1] * s[2][0]);
}

// The bits a 3 x 3 block sets: z coupling needs the full-block loop, a
// scaled z the diagonal loop.
template <class Real> std::uint32_t block_classification(const Real (&t)[3][3]) {
    std::uint32_t bits = 0;
    if (t[0][2] != 0 || t[1][2] != 0 || t[2][0] != 0 || t[2][1] != 0) bits |= 10;
    if (t[2][2] != 1) bits |= 9;
    if (t[0][1] != 0 || t[1][0] != 0) bits |= 2;
    if (t[0][0] != 1 || t[1][1] != 1) bits |= 1;
    return bits;
}

// The common length of the rows when the block is a rotation times a
// uniform scale (within rounding), else 0.
template <class Real> Real block_scale_factor(const Real (&t)[3][3]) {
    constexpr Real tolerance = 64 * std::numeric_limits<Real>::epsilon();
    auto dot = [&](int i, int j) {
        return t[i][0] * t[j][0] + t[i][1] * t[j][1] + t[i][2] * t[j][2];
    };
    const Real square = dot(0, 0);
    if (!(square > 0)) return 0;
    const Real slack = tolerance * square;
    if (std::abs(dot(1, 1) - square) > slack || std::abs(dot(2, 2) - square) > slack) return 0;
    if (std::abs(dot(0, 1)) > slack || std::abs(dot(0, 2)) > slack || std::abs(dot(1, 2)) > slack)
        return 0;
    const Real length = std::sqrt(square);
    // A rotation given to rounding is a rotation.
    return std::abs(length - 1) <= tolerance ? Real(1) : length;
}

} // namespace

void detail::adjugate(const double (&a)[4][4], double (&result)[4][4]) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            const double cofactor = minor(a, j, i);
            result[i][j] = (i + j) % 2 ? -cofactor : cofactor;
        }
    const double w = result[3][3];
    if (w == 1 || w == 0 || !std::isfinite(1 / w)) return;
    const double s = 1 / w;
    for (auto& row : result)
        for (double& element : row)
            element *= s;
}

template <class Real, class Self>
KT_Matrix_Real_Data<Real, Self>::KT_Matrix_Real_Data(KT_Precision p, bool identity)
    : KT_Matrix_Data(p) {
    if (identity)
        set_identity();
    else
        set_zero();
}

template <class Real, class Self> void KT_Matrix_Real_Data<Real, Self>::set_identity() {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m[i][j] = i == j ? 1 : 0;
    classification = 0;
    scale_factor = 1;
    invalidate_adjoint();
}

template <class Real, class Self> void KT_Matrix_Real_Data<Real, Self>::set_zero() {
    for (auto& row : m)
        for (Real& element : row)
            element = 0;
    classification = 0;
    scale_factor = 0;
    invalidate_adjoint();
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::scale(Real sx, Real sy, Real sz) {
    if (!all_finite(sx, sy, sz) || (sx == 1 && sy == 1 && sz == 1)) return;
    for (auto& row : m) {
        row[0] *= sx;
        row[1] *= sy;
        row[2] *= sz;
    }
    classification |= sz == 1 ? 1 : 9;
    const Real ax = std::abs(sx);
    scale_factor = ax == std::abs(sy) && ax == std::abs(sz) ? scale_factor * ax : 0;
    invalidate_adjoint();
}

template <class Real, class Self> void KT_Matrix_Real_Data<Real, Self>::uniform_scale(Real s) {
    if (!all_finite(s) || s == 1) return;
    for (auto& row : m)
        for (Real& element : row)
            element *= s;
    scale_factor *= std::abs(s);
    // An affine matrix whose m33 moves off 1 now needs the division by w.
    if (m[3][3] != 1) classification |= KT_Matrix_Perspective;
    invalidate_adjoint();
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::translate(Real tx, Real ty, Real tz) {
    if (!all_finite(tx, ty, tz) || (tx == 0 && ty == 0 && tz == 0)) return;
    const Real t[3] = {tx, ty, tz};
    // M * T adds t_j * m_i3 to m_ij; column 3 is (0, 0, 0, 1) unless the
    // matrix is perspective, and rows whose m_i3 is 0 stay as they are.
    const int first_row = (classification & KT_Matrix_Perspective) ? 0 : 3;
    for (int i = first_row; i < 4; ++i) {
        const Real w = m[i][3];
        if (w == 0) continue;
        for (int j = 0; j < 3; ++j)
            m[i][j] += t[j] * w;
    }
    if (classification & KT_Matrix_Perspective) scale_factor = 0;
    classification |= tz == 0 ? 4 : 12;
    invalidate_adjoint();
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::turn_columns(int a, int b, Real angle, std::uint32_t bits,
                                                   bool finish) {
    if (!all_finite(angle)) return;
    const Real c = std::cos(angle), s = std::sin(angle);
    if (c == 1 && s == 0) return;
    for (auto& row : m) {
        const Real p = row[a], q = row[b];
        row[a] = p * c - q * s;
        row[b] = q * c + p * s;
    }
    classification |= bits;
    invalidate_adjoint();
    if (finish) orthogonalize();
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::rotate_x(Real angle, bool finish) {
    turn_columns(1, 2, angle, 10, finish);
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::rotate_y(Real angle, bool finish) {
    turn_columns(2, 0, angle, 10, finish);
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::rotate_z(Real angle, bool finish) {
    turn_columns(0, 1, angle, 2, finish);
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::rotate(const Vector& axis, Real angle) {
    if (!all_finite(axis.x, axis.y, axis.z, angle)) return;
    const Vector u = KD_Normalized(axis);
    if (u.x == 0 && u.y == 0 && u.z == 0) return;
    const Real c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    if (c == 1 && s == 0) return;
    const Real x = u.x, y = u.y, z = u.z;
    Real r[3][3] = {{t * x * x + c, t * x * y + s * z, t * x * z - s * y},
                    {t * x * y - s * z, t * y * y + c, t * y * z + s * x},
                    {t * x * z + s * y, t * y * z - s * x, t * z * z + c}};
    const bool about_z = x == 0 && y == 0;
    // (1 - c) + c need not round to 1, and the class promises z untouched.
    if (about_z) r[2][2] = 1;
    const std::uint32_t bits = about_z ? 2 : 10;
    if (classification == 0) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                m[i][j] = r[i][j];
        classification = bits;
    } else {
        append_block(r, bits, 1);
    }
    orthogonalize();
    invalidate_adjoint();
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::shear(int from, int to_a, Real a, int to_b, Real b) {
    // Checked together: one bad angle must not let the other's term through.
    if (!all_finite(a, b)) return;
    const bool first = shear_column(from, to_a, a);
    const bool second = shear_column(from, to_b, b);
    if (!first && !second) return;
    classification |= 11;
    scale_factor = 0;
    invalidate_adjoint();
}

template <class Real, class Self>
bool KT_Matrix_Real_Data<Real, Self>::shear_column(int from, int to, Real angle) {
    if (angle == 0 || std::cos(angle) == 0) return false;
    const Real t = std::tan(angle);
    for (auto& row : m)
        row[to] += row[from] * t;
    return true;
}

template <class Real, class Self> void KT_Matrix_Real_Data<Real, Self>::shear_x(Real a, Real b) {
    shear(0, 1, a, 2, b);
}

template <class Real, class Self> void KT_Matrix_Real_Data<Real, Self>::shear_y(Real a, Real b) {
    shear(1, 0, a, 2, b);
}

template <class Real, class Self> void KT_Matrix_Real_Data<Real, Self>::shear_z(Real a, Real b) {
    shear(2, 0, a, 1, b);
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::project(Real width, Real height, Real depth,
                                              bool perspective) {
    if (!all_finite(width, height, depth)) return;
    const Real a = 2 / width, b = 2 / height, c = 1 / depth;
    std::uint32_t bits;
    Real factor;
    if (a == b && b == c) {
        factor = std::abs(c);
        bits = c != 1 ? 9 : 0;
    } else {
        factor = 0;
        bits = c != 1 ? 9 : 1;
    }
    const Real w = perspective ? c : 0;
    if (perspective) {
        bits |= KT_Matrix_Perspective;
        factor = 0;
    }
    const Real t[4][4] = {{a, 0, 0, 0}, {0, b, 0, 0}, {0, 0, c, w}, {0, 0, 0, 1}};
    if (classification == 0) {
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                m[i][j] = t[i][j];
        classification = bits;
        scale_factor = factor;
    } else {
        append(t);
        classification |= bits;
        scale_factor *= factor;
    }
    invalidate_adjoint();
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::change_basis(const Vector& u, const Vector& v,
                                                   const Vector& w) {
    const Real t[3][3] = {{u.x, v.x, w.x}, {u.y, v.y, w.y}, {u.z, v.z, w.z}};
    if (!all_finite(u.x, u.y, u.z, v.x, v.y, v.z, w.x, w.y, w.z)) return;
    append_block(t, block_classification(t), block_scale_factor(t));
}

template <class Real, class Self> void KT_Matrix_Real_Data<Real, Self>::set(const Real (*a)[4]) {
    const Real t[3][3] = {
        {a[0][0], a[0][1], a[0][2]}, {a[1][0], a[1][1], a[1][2]}, {a[2][0], a[2][1], a[2][2]}};
    for (const auto& row : t)
        if (!all_finite(row[0], row[1], row[2])) return;
    if (!all_finite(a[3][0], a[3][1], a[3][2])) return;
    set_identity();
    append_block(t, block_classification(t), block_scale_factor(t));
    translate(a[3][0], a[3][1], a[3][2]);
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::set_as_4x4(const Real (*a)[4]) {
    for (int i = 0; i < 4; ++i)
        if (!all_finite(a[i][0], a[i][1], a[i][2], a[i][3])) return;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m[i][j] = a[i][j];
    classification = KT_Matrix_General;
    scale_factor = 0;
    invalidate_adjoint();
}

template <class Real, class Self> void KT_Matrix_Real_Data<Real, Self>::orthogonalize() {
    if (scale_factor == 0) return;
    // Rows the classification promises untouched stay exact: the per-class
    // point loops do not read them.
    const bool xy = classification & (KT_Matrix_XY_Scaled | KT_Matrix_XY_Mixed);
    const bool z = classification & KT_Matrix_Z;
    for (int i = xy ? 0 : 2; i < (z ? 3 : 2); ++i) {
        Real* row = m[i];
        const Real length = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
        if (!(length > 0) || !all_finite(length)) continue;
        const Real factor = scale_factor / length;
        for (int j = 0; j < 3; ++j)
            row[j] *= factor;
    }
}

template <class Real, class Self> void KT_Matrix_Real_Data<Real, Self>::normalize_m33() {
    const Real w = m[3][3];
    if (w != 1 && w != -1 && w != 0) uniform_scale(std::abs(1 / w));
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::set_product(const Real (&a)[4][4],
                                                  std::uint32_t a_classification, Real a_factor,
                                                  const Real (&b)[4][4],
                                                  std::uint32_t b_classification, Real b_factor) {
    Real r[4][4];
    multiply_elements(a, b, r);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m[i][j] = r[i][j];
    classification = a_classification | b_classification;
    scale_factor = a_factor * b_factor;
    normalize_m33();
    orthogonalize();
    invalidate_adjoint();
}

template <class Real, class Self> void KT_Matrix_Real_Data<Real, Self>::adjoin(Self& target) const {
    double a[4][4], r[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            a[i][j] = m[i][j];
    detail::adjugate(a, r);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            target.m[i][j] = static_cast<Real>(r[i][j]);
    target.classification = KT_Matrix_General;
    target.scale_factor = 0;
    target.invalidate_adjoint();
}

template <class Real, class Self> void KT_Matrix_Real_Data<Real, Self>::validate_adjoint() const {
    if (!adjoint.empty()) return;
    Self* fresh = new Self(true);
    if (classification != 0) adjoin(*fresh);
    adjoint.attach(fresh);
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::append_block(const Real (&t)[3][3], std::uint32_t bits,
                                                   Real factor) {
    if (bits == 0) return;
    for (auto& row : m) {
        const Real x = row[0], y = row[1], z = row[2];
        for (int j = 0; j < 3; ++j)
            row[j] = x * t[0][j] + y * t[1][j] + z * t[2][j];
    }
    classification |= bits;
    scale_factor *= factor;
    invalidate_adjoint();
}

template <class Real, class Self>
void KT_Matrix_Real_Data<Real, Self>::append(const Real (&t)[4][4]) {
    Real r[4][4];
    multiply_elements(m, t, r);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m[i][j] = r[i][j];
}

KT_Matrix_Double_Data::KT_Matrix_Double_Data(const KT_Matrix_Single_Data& single)
    : KT_Matrix_Real_Data(KT_Precision::Double, false) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m[i][j] = single.m[i][j];
    classification = single.classification;
    scale_factor = single.scale_factor;
}

template class KT_Matrix_Real_Data<float, KT_Matrix_Single_Data>;
template class KT_Matrix_Real_Data<double, KT_Matrix_Double_Data>;
