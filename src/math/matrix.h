// Matrix handles. KT_Matrix holds a body of either precision; an empty one
// is the identity. KT_Matrix_Single and KT_Matrix_Double always hold their
// own precision and pass as KT_Matrix where one is read.
//
// Editing operations copy a shared body first (an empty handle first gets
// an identity body of its precision, single for KT_Matrix); the transform
// family reads the body in place and treats an empty handle as identity.
#pragma once

#include <cstdint>

#include "foundation/export.h"
#include "math/matrix_data.h"

class KT_Matrix_Single;
class KT_Matrix_Double;

// The adjoint as 16 floats, row by row.
struct KAVRI_API KT_Adjoint_Matrix {
    float m[4][4];
};

namespace detail {

// The editing operations every handle offers, forwarding to the body after
// copy on write. Derived provides edit(f), calling f(body&).
template <class Derived, class Real> class Matrix_Editing {
public:
    using Vector = Vector_Of_Real<Real>;

    void scale(Real sx, Real sy, Real sz) {
        edit([&](auto& b) { b.scale(sx, sy, sz); });
    }
    void scale(Real s) { scale(s, s, s); }
    void uniform_scale(Real s) {
        edit([&](auto& b) { b.uniform_scale(s); });
    }
    void translate(Real tx, Real ty, Real tz) {
        edit([&](auto& b) { b.translate(tx, ty, tz); });
    }
    void rotate_x(Real angle) {
        edit([&](auto& b) { b.rotate_x(angle, true); });
    }
    void rotate_y(Real angle) {
        edit([&](auto& b) { b.rotate_y(angle, true); });
    }
    void rotate_z(Real angle) {
        edit([&](auto& b) { b.rotate_z(angle, true); });
    }
    void rotate(const Vector& axis, Real angle) {
        edit([&](auto& b) { b.rotate(as<decltype(b)>(axis), angle); });
    }
    void shear_x(Real a, Real b) {
        edit([&](auto& body) { body.shear_x(a, b); });
    }
    void shear_y(Real a, Real b) {
        edit([&](auto& body) { body.shear_y(a, b); });
    }
    void shear_z(Real a, Real b) {
        edit([&](auto& body) { body.shear_z(a, b); });
    }
    void project(Real width, Real height, Real depth, bool perspective) {
        edit([&](auto& b) { b.project(width, height, depth, perspective); });
    }
    void change_basis(const Vector& u, const Vector& v, const Vector& w) {
        edit([&](auto& b) {
            using B = decltype(b);
            b.change_basis(as<B>(u), as<B>(v), as<B>(w));
        });
    }
    void orthogonalize() {
        edit([](auto& b) { b.orthogonalize(); });
    }

private:
    // The vector in the precision of the body being edited.
    template <class Body> static auto as(const Vector& v) {
        using Target = typename std::remove_cvref_t<Body>::Vector;
        return Target{static_cast<decltype(Target::x)>(v.x), static_cast<decltype(Target::x)>(v.y),
                      static_cast<decltype(Target::x)>(v.z)};
    }
    template <class F> void edit(F&& f) { static_cast<Derived&>(*this).edit(f); }
};

} // namespace detail

class KAVRI_API KT_Matrix : public KT_Pointer<KT_Matrix_Data>,
                            public detail::Matrix_Transforms<KT_Matrix>,
                            public detail::Matrix_Editing<KT_Matrix, double> {
public:
    KT_Matrix() = default;
    explicit KT_Matrix(KT_Matrix_Data* body) : KT_Pointer(body) {}

    KT_Precision precision() const;
    // 0 for an empty handle.
    std::uint32_t classification() const;
    double scale_factor() const;
    double element(int row, int column) const;
    // The body when it has that precision, else null.
    KT_Matrix_Single_Data* single_body() const;
    KT_Matrix_Double_Data* double_body() const;

    void convert_to_double();
    // Shares a single body; narrows a double one unless an element or the
    // scale factor exceeds 1e30, which gives an empty handle (identity).
    KT_Matrix_Single single() const;

    // result = this * b: first this, then b. An identity operand shares the
    // other's body; mixed precision computes in double.
    void multiply(const KT_Matrix& b, KT_Matrix& result) const;

    KT_Adjoint_Matrix convert_to_adjoint() const;
    // The cached adjoint, computed on first use; empty for an empty handle.
    KT_Matrix adjoint() const;

    void set(const double (*a)[4]);
    void set_as_4x4(const float (*a)[4]);

    template <class F> void visit(F&& f) const;
    template <class F> void edit(F&& f);

protected:
    // A new body: double when p is non-zero, else single; identity, or all
    // elements 0 with classification 0. An all-zero body is classified as
    // identity, so only the class itself may make one and fill it.
    void allocate(const KT_Precision& p, bool identity);

private:
    void prepare_for_edit();
};

// The handle of one precision, Body being KT_Matrix_Single_Data or
// KT_Matrix_Double_Data.
template <class Body>
class KAVRI_API KT_Matrix_Of
    : public KT_Pointer<Body>,
      public detail::Matrix_Transforms<KT_Matrix_Of<Body>>,
      public detail::Matrix_Editing<KT_Matrix_Of<Body>, typename Body::Element> {
public:
    using Real = typename Body::Element;

    KT_Matrix_Of() = default;
    explicit KT_Matrix_Of(Body* body) : KT_Pointer<Body>(body) {}

    std::uint32_t classification() const { return this->body_ ? this->body_->classification : 0; }

    // result = this * b, with the sharing and normalisation of
    // KT_Matrix::multiply.
    void multiply(const KT_Matrix_Of& b, KT_Matrix_Of& result) const;
    // The cached adjoint; empty for an empty handle.
    KT_Matrix_Of adjoint() const;

    void set(const Real (*a)[4]) {
        edit([&](Body& b) { b.set(a); });
    }
    void set_as_4x4(const Real (*a)[4]) {
        edit([&](Body& b) { b.set_as_4x4(a); });
    }

    operator KT_Matrix() const { return KT_Matrix(this->body_); }

    template <class F> void visit(F&& f) const {
        if (this->body_)
            f(this->body_->m, this->body_->classification);
        else
            f(detail::identity_elements, 0u);
    }
    template <class F> void edit(F&& f) {
        if (!this->body_) allocate(true);
        f(*this->modify());
    }

protected:
    // See KT_Matrix::allocate.
    void allocate(bool identity) { this->attach(new Body(identity)); }
};

class KAVRI_API KT_Matrix_Single : public KT_Matrix_Of<KT_Matrix_Single_Data> {
public:
    using KT_Matrix_Of::KT_Matrix_Of;
    KT_Matrix_Single(const KT_Matrix_Of& other) : KT_Matrix_Of(other) {}
};

class KAVRI_API KT_Matrix_Double : public KT_Matrix_Of<KT_Matrix_Double_Data> {
public:
    using KT_Matrix_Of::KT_Matrix_Of;
    KT_Matrix_Double(const KT_Matrix_Of& other) : KT_Matrix_Of(other) {}
};

extern template class KT_Matrix_Of<KT_Matrix_Single_Data>;
extern template class KT_Matrix_Of<KT_Matrix_Double_Data>;

template <class F> inline void KT_Matrix::visit(F&& f) const {
    if (!body_) {
        f(detail::identity_elements, 0u);
    } else if (body_->is_double()) {
        const auto* b = static_cast<const KT_Matrix_Double_Data*>(body_);
        f(b->m, b->classification);
    } else {
        const auto* b = static_cast<const KT_Matrix_Single_Data*>(body_);
        f(b->m, b->classification);
    }
}

template <class F> inline void KT_Matrix::edit(F&& f) {
    prepare_for_edit();
    if (body_->is_double())
        f(*static_cast<KT_Matrix_Double_Data*>(body_));
    else
        f(*static_cast<KT_Matrix_Single_Data*>(body_));
}
