#include "math/matrix.h"

#include <cmath>

namespace {

// Operands are copied out before the result body is chosen, so a result
// handle that is also an operand never reads a half-written or released
// body.
template <class Real> struct Operand {
    Real m[4][4];
    std::uint32_t classification;
    Real scale_factor;
};

template <class Real, class Body> Operand<Real> operand_of(const Body& body) {
    Operand<Real> o;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            o.m[i][j] = body.m[i][j];
    o.classification = body.classification;
    o.scale_factor = body.scale_factor;
    return o;
}

template <class Real> Operand<Real> operand_of(const KT_Matrix& matrix) {
    if (const KT_Matrix_Double_Data* d = matrix.double_body()) return operand_of<Real>(*d);
    return operand_of<Real>(*matrix.single_body());
}

// The result's own body when it can be overwritten, else a fresh one.
template <class Body, class Held>
Body* writable_body(KT_Pointer<Held>& result, KT_Precision precision) {
    Held* current = result.body();
    if (current && current->precision == precision && current->reference_count() == 1) {
        current->renew_change_serial();
        return static_cast<Body*>(current);
    }
    Body* fresh = new Body(false);
    result.attach(fresh);
    return fresh;
}

template <class Body, class Real>
void store_product(Body& result, const Operand<Real>& a, const Operand<Real>& b) {
    result.set_product(a.m, a.classification, a.scale_factor, b.m, b.classification,
                       b.scale_factor);
}

constexpr double narrowing_limit = 1e30;

template <class Real, class Source> void copy_elements(Real (&to)[4][4], const Source (*from)[4]) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            to[i][j] = static_cast<Real>(from[i][j]);
}

} // namespace

void KT_Matrix::allocate(const KT_Precision& p, bool identity) {
    if (p != KT_Precision::Single)
        attach(new KT_Matrix_Double_Data(identity));
    else
        attach(new KT_Matrix_Single_Data(identity));
}

KT_Precision KT_Matrix::precision() const {
    return body_ ? body_->precision : KT_Precision::Single;
}

std::uint32_t KT_Matrix::classification() const {
    return body_ ? body_->classification : 0;
}

double KT_Matrix::scale_factor() const {
    if (const KT_Matrix_Double_Data* d = double_body()) return d->scale_factor;
    if (const KT_Matrix_Single_Data* s = single_body()) return s->scale_factor;
    return 1;
}

double KT_Matrix::element(int row, int column) const {
    double value = 0;
    visit([&](const auto& m, std::uint32_t) { value = m[row & 3][column & 3]; });
    return value;
}

KT_Matrix_Single_Data* KT_Matrix::single_body() const {
    return body_ && !body_->is_double() ? static_cast<KT_Matrix_Single_Data*>(body_) : nullptr;
}

KT_Matrix_Double_Data* KT_Matrix::double_body() const {
    return body_ && body_->is_double() ? static_cast<KT_Matrix_Double_Data*>(body_) : nullptr;
}

void KT_Matrix::convert_to_double() {
    if (!body_) {
        allocate(KT_Precision::Double, true);
        return;
    }
    if (const KT_Matrix_Single_Data* s = single_body()) attach(new KT_Matrix_Double_Data(*s));
}

KT_Matrix_Single KT_Matrix::single() const {
    if (KT_Matrix_Single_Data* s = single_body()) return KT_Matrix_Single(s);
    const KT_Matrix_Double_Data* d = double_body();
    if (!d) return KT_Matrix_Single();
    if (std::abs(d->scale_factor) > narrowing_limit) return KT_Matrix_Single();
    for (const auto& row : d->m)
        for (double element : row)
            if (std::abs(element) > narrowing_limit) return KT_Matrix_Single();
    auto* narrow = new KT_Matrix_Single_Data(false);
    copy_elements(narrow->m, d->m);
    narrow->classification = d->classification;
    narrow->scale_factor = static_cast<float>(d->scale_factor);
    return KT_Matrix_Single(narrow);
}

void KT_Matrix::multiply(const KT_Matrix& b, KT_Matrix& result) const {
    if (classification() == 0) {
        result.attach(b.body());
        return;
    }
    if (b.classification() == 0) {
        result.attach(body_);
        return;
    }
    if (!body_->is_double() && !b.body()->is_double()) {
        const Operand<float> x = operand_of<float>(*this), y = operand_of<float>(b);
        store_product(*writable_body<KT_Matrix_Single_Data>(result, KT_Precision::Single), x, y);
        return;
    }
    const Operand<double> x = operand_of<double>(*this), y = operand_of<double>(b);
    store_product(*writable_body<KT_Matrix_Double_Data>(result, KT_Precision::Double), x, y);
}

KT_Adjoint_Matrix KT_Matrix::convert_to_adjoint() const {
    KT_Adjoint_Matrix result;
    if (classification() == 0) {
        copy_elements(result.m, detail::identity_elements);
        return result;
    }
    double a[4][4], r[4][4];
    visit([&](const auto& m, std::uint32_t) { copy_elements(a, m); });
    detail::adjugate(a, r);
    copy_elements(result.m, r);
    return result;
}

KT_Matrix KT_Matrix::adjoint() const {
    if (const KT_Matrix_Double_Data* d = double_body()) {
        d->validate_adjoint();
        return KT_Matrix(d->adjoint.body());
    }
    if (const KT_Matrix_Single_Data* s = single_body()) {
        s->validate_adjoint();
        return KT_Matrix(s->adjoint.body());
    }
    return KT_Matrix();
}

void KT_Matrix::set(const double (*a)[4]) {
    edit([&](auto& b) {
        std::remove_cvref_t<decltype(b.m)> elements;
        copy_elements(elements, a);
        b.set(elements);
    });
}

void KT_Matrix::set_as_4x4(const float (*a)[4]) {
    edit([&](auto& b) {
        std::remove_cvref_t<decltype(b.m)> elements;
        copy_elements(elements, a);
        b.set_as_4x4(elements);
    });
}

void KT_Matrix::prepare_for_edit() {
    if (!body_) allocate(KT_Precision::Single, true);
    modify();
}

template <class Body>
void KT_Matrix_Of<Body>::multiply(const KT_Matrix_Of& b, KT_Matrix_Of& result) const {
    if (classification() == 0) {
        result.attach(b.body());
        return;
    }
    if (b.classification() == 0) {
        result.attach(this->body_);
        return;
    }
    const Operand<Real> x = operand_of<Real>(*this->body_), y = operand_of<Real>(*b.body());
    store_product(*writable_body<Body>(result, this->body_->precision), x, y);
}

template <class Body> KT_Matrix_Of<Body> KT_Matrix_Of<Body>::adjoint() const {
    if (!this->body_) return KT_Matrix_Of();
    this->body_->validate_adjoint();
    return KT_Matrix_Of(this->body_->adjoint.body());
}

template class KT_Matrix_Of<KT_Matrix_Single_Data>;
template class KT_Matrix_Of<KT_Matrix_Double_Data>;
