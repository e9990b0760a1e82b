#include "math/camera.h"

#include <cmath>
#include <initializer_list>

namespace {

constexpr double narrowing_limit = 1e30;

bool fits_single(const KT_Camera_Double_Data& d) {
    const std::initializer_list<double> values = {
        d.position.x,  d.position.y,  d.position.z, d.target.x,    d.target.y,     d.target.z,
        d.up.x,        d.up.y,        d.up.z,       d.field.width, d.field.height, d.obliquity.x,
        d.obliquity.y, d.ortho_range, d.right.x,    d.right.y,     d.right.z,      d.forward.x,
        d.forward.y,   d.forward.z,   d.backward.x, d.backward.y,  d.backward.z};
    for (double v : values)
        if (std::abs(v) > narrowing_limit) return false;
    return true;
}

KT_Camera_Single_Data* narrowed(const KT_Camera_Double_Data& d) {
    auto* s = new KT_Camera_Single_Data;
    s->projection = d.projection;
    s->stretched = d.stretched;
    s->wlimit = d.wlimit;
    s->position = KD_Narrow(d.position);
    s->target = KD_Narrow(d.target);
    s->up = KD_Narrow(d.up);
    s->field = KD_Narrow(d.field);
    s->obliquity = KD_Narrow(d.obliquity);
    s->ortho_range = static_cast<float>(d.ortho_range);
    s->right = KD_Narrow(d.right);
    s->forward = KD_Narrow(d.forward);
    s->backward = KD_Narrow(d.backward);
    return s;
}

} // namespace

void KT_Camera::allocate(const KT_Precision& p) {
    if (p != KT_Precision::Single)
        attach(new KT_Camera_Double_Data);
    else
        attach(new KT_Camera_Single_Data);
}

KT_Precision KT_Camera::precision() const {
    return body_ ? body_->precision : KT_Precision::Single;
}

KT_Camera_Single_Data* KT_Camera::single_body() const {
    return body_ && !body_->is_double() ? static_cast<KT_Camera_Single_Data*>(body_) : nullptr;
}

KT_Camera_Double_Data* KT_Camera::double_body() const {
    return body_ && body_->is_double() ? static_cast<KT_Camera_Double_Data*>(body_) : nullptr;
}

void KT_Camera::convert_to_double() {
    if (!body_) {
        allocate(KT_Precision::Double);
        return;
    }
    if (const KT_Camera_Single_Data* s = single_body()) attach(new KT_Camera_Double_Data(*s));
}

KT_Camera_Single KT_Camera::single() const {
    if (!body_) return KT_Camera_Single(new KT_Camera_Single_Data);
    if (KT_Camera_Single_Data* s = single_body()) return KT_Camera_Single(s);
    const KT_Camera_Double_Data& d = *double_body();
    if (!fits_single(d)) return KT_Camera_Single();
    return KT_Camera_Single(narrowed(d));
}

KT_Matrix KT_Camera::projection_matrix() const {
    return read([](const auto& b) { return KT_Matrix(b.projection_matrix()); });
}

KT_Matrix KT_Camera::viewing_matrix() const {
    return read([](const auto& b) { return KT_Matrix(b.viewing_matrix()); });
}
