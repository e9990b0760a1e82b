// Matrix bodies: 4 x 4 homogeneous matrices in single and double precision
// with their classification, scale factor and cached adjoint.
//
// Points are row vectors: [x y z 1] * M, row 3 translates, column 3 holds
// the perspective terms. Every editing operation appends: M <- M * T, so
// the point is first carried by the old matrix, then by the new operation.
// An operation given a NaN or infinite argument leaves the matrix as it is.
#pragma once

#include <cstdint>
#include <type_traits>

#include "foundation/counted.h"
#include "foundation/export.h"
#include "math/matrix_classification.h"
#include "math/matrix_kernels.h"
#include "math/precision.h"
#include "math/vector.h"

class KAVRI_API KT_Matrix_Data : public KT_Counted {
public:
    bool is_double() const { return precision != KT_Precision::Single; }

    KT_Precision precision;
    // KT_Matrix_Classification bits; 0 means identity.
    std::uint32_t classification = 0;

protected:
    explicit KT_Matrix_Data(KT_Precision p) : precision(p) {}
};

namespace detail {
template <class Real>
using Vector_Of_Real = std::conditional_t<std::is_same_v<Real, float>, KT_Vector, KT_Vector_D>;

// The classical adjoint (transposed cofactors: adjoint * a = det(a) * I),
// scaled so that its m33 is 1 unless that is 0.
void adjugate(const double (&a)[4][4], double (&result)[4][4]);
} // namespace detail

template <class Real, class Self>
class KAVRI_API KT_Matrix_Real_Data
    : public KT_Matrix_Data,
      public detail::Matrix_Transforms<KT_Matrix_Real_Data<Real, Self>> {
public:
    using Element = Real;
    using Vector = detail::Vector_Of_Real<Real>;

    void set_identity();
    void set_zero();

    // Columns 0, 1, 2 scaled by sx, sy, sz.
    void scale(Real sx, Real sy, Real sz);
    void scale(Real s) { scale(s, s, s); }
    // All 16 elements times s: the same projective map, another m33.
    void uniform_scale(Real s);
    void translate(Real tx, Real ty, Real tz);
    // Right-handed turns: rotate_x carries +y towards +z, rotate_y +z towards
    // +x, rotate_z +x towards +y. Without finish the caller composes several
    // turns and calls orthogonalize once.
    void rotate_x(Real angle, bool finish = true);
    void rotate_y(Real angle, bool finish = true);
    void rotate_z(Real angle, bool finish = true);
    // Turns about an axis through the origin; a zero axis turns nothing.
    void rotate(const Vector& axis, Real angle);
    // shear_x: y += tan(a) x, z += tan(b) x; shear_y: x += tan(a) y,
    // z += tan(b) y; shear_z: x += tan(a) z, y += tan(b) z.
    void shear_x(Real a, Real b);
    void shear_y(Real a, Real b);
    void shear_z(Real a, Real b);
    // To the unit view volume: x by 2 / width, y by 2 / height, z by
    // 1 / depth; with perspective, w = 1 + z / depth.
    void project(Real width, Real height, Real depth, bool perspective);
    // A point p becomes (p . u, p . v, p . w).
    void change_basis(const Vector& u, const Vector& v, const Vector& w);
    // Identity, then the 3 x 3 block of a and the translation of its row 3;
    // column 3 of a is ignored.
    void set(const Real (*a)[4]);
    void set_as_4x4(const Real (*a)[4]);
    // Rescales rows 0 to 2 of the 3 x 3 block to the scale factor, undoing
    // the drift of long chains of rotations; nothing when the matrix does
    // not scale uniformly.
    void orthogonalize();
    // Makes m33 1 or -1 when it is neither (nor 0), without changing the map.
    void normalize_m33();

    // This body becomes a * b (classifications ORed, scale factors
    // multiplied), then m33 is normalised and the rows re-orthogonalised.
    // a or b may be this body's own elements.
    void set_product(const Real (&a)[4][4], std::uint32_t a_classification, Real a_factor,
                     const Real (&b)[4][4], std::uint32_t b_classification, Real b_factor);

    // target = the classical adjoint (the inverse times the determinant),
    // made m33 = 1 where possible. Carries normals and planes.
    void adjoin(Self& target) const;
    // Fills the cached adjoint if it is missing. Fills a cache in a body
    // that may be shared: not to be raced by two threads.
    void validate_adjoint() const;
    void invalidate_adjoint() { adjoint.reset(); }

    // For the transform family.
    template <class F> void visit(F&& f) const { f(m, classification); }

    Real m[4][4];
    // The common factor by which the matrix scales all lengths; 0 when it
    // scales unevenly or is perspective.
    Real scale_factor;
    mutable KT_Pointer<Self> adjoint;

protected:
    KT_Matrix_Real_Data(KT_Precision p, bool identity);

private:
    // M <- M * T for a T whose column 3 is (0, 0, 0, 1) and row 3 is 0.
    void append_block(const Real (&t)[3][3], std::uint32_t bits, Real factor);
    void append(const Real (&t)[4][4]);
    void turn_columns(int a, int b, Real angle, std::uint32_t bits, bool finish);
    // Coordinates to_a and to_b gain tan(a) and tan(b) times coordinate from.
    void shear(int from, int to_a, Real a, int to_b, Real b);
    // Output coordinate `to` gains tan(angle) times coordinate `from`.
    bool shear_column(int from, int to, Real angle);
};

class KAVRI_API KT_Matrix_Single_Data final
    : public KT_Matrix_Real_Data<float, KT_Matrix_Single_Data> {
public:
    explicit KT_Matrix_Single_Data(bool identity = true)
        : KT_Matrix_Real_Data(KT_Precision::Single, identity) {}
    KT_Counted* copy() const override { return new KT_Matrix_Single_Data(*this); }
};

class KAVRI_API KT_Matrix_Double_Data final
    : public KT_Matrix_Real_Data<double, KT_Matrix_Double_Data> {
public:
    explicit KT_Matrix_Double_Data(bool identity = true)
        : KT_Matrix_Real_Data(KT_Precision::Double, identity) {}
    // Widens a single body: elements, classification and scale factor.
    explicit KT_Matrix_Double_Data(const KT_Matrix_Single_Data& single);
    KT_Counted* copy() const override { return new KT_Matrix_Double_Data(*this); }
};

extern template class KT_Matrix_Real_Data<float, KT_Matrix_Single_Data>;
extern template class KT_Matrix_Real_Data<double, KT_Matrix_Double_Data>;
