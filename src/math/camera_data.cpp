#include "math/camera_data.h"

#include <cmath>

#include "math/arc_cosine.h"

namespace {

using detail::all_finite;

template <class P> bool finite_point(const P& p) {
    return all_finite(p.x, p.y, p.z);
}

template <class V> bool is_zero(const V& v) {
    return v.x == 0 && v.y == 0 && v.z == 0;
}

// Whether the eye and the target are told apart in this precision: their
// distance neither overflows nor underflows, so the line of sight has a
// direction and the field rule a ratio.
template <class P> bool distinct(const P& eye, const P& target) {
    const auto d = KD_Length(target - eye);
    return d > 0 && std::isfinite(d);
}

// v turned right-handedly about the unit axis by angle, then normalised:
// (1, 0, 0) about (0, 0, 1) goes to (cos, sin, 0).
template <class V, class Real> V turn(const V& v, const V& axis, Real angle) {
    const Real c = std::cos(angle), s = std::sin(angle);
    const V turned = v * c + KD_Cross(axis, v) * s + axis * (KD_Dot(axis, v) * (1 - c));
    return KD_Normalized(turned);
}

// Lines of sight this close count as unturned; the threshold is the float
// 0.999 (0.9990000128746033), compared in the body's precision.
constexpr double aligned = 0.999f;

} // namespace

bool KT_Camera_Data::set_projection(KT_Camera_Projection p) {
    if (projection == p) return false;
    projection = p;
    return true;
}

bool KT_Camera_Data::set_stretched(bool s) {
    if (stretched == s) return false;
    stretched = s;
    return true;
}

bool KT_Camera_Data::set_wlimit(float w) {
    if (wlimit == w || !all_finite(w)) return false;
    wlimit = w;
    return true;
}

template <class Real>
bool KT_Camera_Real_Data<Real>::set_position(const Point& new_position, const Point& new_target) {
    return move_both(new_position, new_target, up);
}

template <class Real>
bool KT_Camera_Real_Data<Real>::set_position(const Point& new_position, const Point& new_target,
                                             const Vector& new_up) {
    if (!all_finite(new_up.x, new_up.y, new_up.z)) return false;
    return move_both(new_position, new_target, new_up);
}

template <class Real> bool KT_Camera_Real_Data<Real>::set_position(const Point& new_position) {
    return move_one(position, new_position, target);
}

template <class Real> bool KT_Camera_Real_Data<Real>::set_target(const Point& new_target) {
    return move_one(target, new_target, position);
}

template <class Real> bool KT_Camera_Real_Data<Real>::set_up_vector(const Vector& new_up) {
    if (!all_finite(new_up.x, new_up.y, new_up.z)) return false;
    const Vector u = KD_Normalized(new_up);
    if (u == forward || u == up) return false;
    return orient(u);
}

template <class Real> bool KT_Camera_Real_Data<Real>::set_field(const Field& f) {
    if (!all_finite(f.width, f.height) || f.width == 0 || f.height == 0) return false;
    if (f.width == field.width && f.height == field.height) return false;
    field = f;
    return true;
}

template <class Real> bool KT_Camera_Real_Data<Real>::set_obliquity(const Obliquity& o) {
    if (!all_finite(o.x, o.y) || (o.x == obliquity.x && o.y == obliquity.y)) return false;
    obliquity = o;
    return true;
}

template <class Real> bool KT_Camera_Real_Data<Real>::set_ortho_range(Real range) {
    if (!all_finite(range) || range == 0 || range == ortho_range) return false;
    ortho_range = range;
    return true;
}

template <class Real> bool KT_Camera_Real_Data<Real>::orbit(Real theta, Real phi) {
    if (!all_finite(theta, phi) || (theta == 0 && phi == 0)) return false;
    if (theta != 0) {
        forward = turn(forward, up, theta);
        right = KD_Normalized(KD_Cross(up, forward));
    }
    if (phi != 0) {
        forward = turn(forward, right, -phi);
        up = KD_Normalized(KD_Cross(forward, right));
    }
    const Real d = distance();
    settle_frame();
    position = target + forward * -d;
    return true;
}

template <class Real> bool KT_Camera_Real_Data<Real>::pan(Real theta, Real phi) {
    if (!all_finite(theta, phi) || (theta == 0 && phi == 0)) return false;
    if (theta != 0) {
        forward = turn(forward, up, -theta);
        right = KD_Normalized(KD_Cross(up, forward));
    }
    if (phi != 0) {
        forward = turn(forward, right, phi);
        up = KD_Normalized(KD_Cross(forward, right));
    }
    const Real d = distance();
    settle_frame();
    target = position + forward * d;
    return true;
}

template <class Real> bool KT_Camera_Real_Data<Real>::roll(Real angle) {
    if (!all_finite(angle) || angle == 0) return false;
    up = turn(up, forward, angle);
    settle_frame();
    return true;
}

template <class Real> bool KT_Camera_Real_Data<Real>::dolly(const Vector& v) {
    if (!all_finite(v.x, v.y, v.z) || is_zero(v)) return false;
    const Vector delta = right * v.x + up * v.y + forward * v.z;
    const Point moved_position = position + delta, moved_target = target + delta;
    if (!finite_point(moved_position) || !finite_point(moved_target)) return false;
    position = moved_position;
    target = moved_target;
    return true;
}

template <class Real> bool KT_Camera_Real_Data<Real>::zoom(Real factor) {
    if (!all_finite(factor) || factor == 0 || factor == 1) return false;
    const Field zoomed = {field.width / factor, field.height / factor};
    // A field that overflows or vanishes would leave no projection.
    if (!all_finite(zoomed.width, zoomed.height) || zoomed.width == 0 || zoomed.height == 0)
        return false;
    field = zoomed;
    return true;
}

template <class Real>
typename KT_Camera_Real_Data<Real>::Matrix KT_Camera_Real_Data<Real>::projection_matrix() const {
    Real d = distance();
    if (!is_perspective()) d *= ortho_range;
    Matrix m; // the first edit attaches an identity body
    m.project(field.width, field.height, d, is_perspective());
    return m;
}

template <class Real>
typename KT_Camera_Real_Data<Real>::Matrix KT_Camera_Real_Data<Real>::viewing_matrix() const {
    Matrix m; // the first edit attaches an identity body
    m.translate(-target.x, -target.y, -target.z);
    m.change_basis(right, up, forward);
    m.shear_z(obliquity.x, obliquity.y);
    return m;
}

template <class Real>
bool KT_Camera_Real_Data<Real>::move_both(const Point& new_position, const Point& new_target,
                                          const Vector& up_direction) {
    if (!finite_point(new_position) || !finite_point(new_target)) return false;
    if (!distinct(new_position, new_target)) return false;
    const Vector f = KD_Normalized(new_target - new_position);
    if (up_direction == f) return false;
    const Real old_distance = distance();
    position = new_position;
    target = new_target;
    forward = f;
    backward = -f;
    // An up direction along the new line of sight gives no frame; the old
    // frame then keeps as much of its turn as it can.
    if (!orient(up_direction)) settle_frame();
    keep_field_angle(old_distance);
    return true;
}

template <class Real>
bool KT_Camera_Real_Data<Real>::move_one(Point& moved, const Point& to, const Point& other) {
    if (!finite_point(to) || to == moved) return false;
    if (&moved == &position ? !distinct(to, other) : !distinct(other, to)) return false;
    const Real old_distance = distance();
    const Vector f0 = forward;
    moved = to;
    forward = KD_Normalized(target - position);
    const Real k = KD_Dot(f0, forward);
    // Up follows the turn of the line of sight; a reversed line of sight
    // has no defined turn, and up stays while right flips.
    if (k < aligned && k > -aligned) {
        const float angle = KD_ACos(static_cast<float>(k));
        up = turn(up, KD_Normalized(KD_Cross(f0, forward)), static_cast<Real>(angle));
    }
    settle_frame();
    keep_field_angle(old_distance);
    return true;
}

template <class Real> bool KT_Camera_Real_Data<Real>::orient(const Vector& up_direction) {
    const Vector r = KD_Normalized(KD_Cross(KD_Normalized(up_direction), forward));
    if (is_zero(r) || !all_finite(r.x, r.y, r.z)) return false;
    right = r;
    up = KD_Normalized(KD_Cross(forward, right));
    return true;
}

template <class Real> void KT_Camera_Real_Data<Real>::settle_frame() {
    backward = -forward;
    if (orient(up)) return;
    // Up has come to lie along the line of sight: the old right is then
    // square to it, or else up itself was not.
    if (orient(KD_Cross(forward, right))) return;
    orient(KD_Cross(right, up));
}

template <class Real> void KT_Camera_Real_Data<Real>::keep_field_angle(Real old_distance) {
    if (!is_perspective() || old_distance == 0) return;
    const Real d = distance();
    const Field kept = {(field.width / old_distance) * d, (field.height / old_distance) * d};
    if (all_finite(kept.width, kept.height) && kept.width != 0 && kept.height != 0) field = kept;
}

KT_Camera_Double_Data::KT_Camera_Double_Data(const KT_Camera_Single_Data& s)
    : KT_Camera_Real_Data(KT_Precision::Double) {
    projection = s.projection;
    stretched = s.stretched;
    wlimit = s.wlimit;
    position = KD_Widen(s.position);
    target = KD_Widen(s.target);
    up = KD_Widen(s.up);
    field = {s.field.width, s.field.height};
    obliquity = {s.obliquity.x, s.obliquity.y};
    ortho_range = s.ortho_range;
    right = KD_Widen(s.right);
    forward = KD_Widen(s.forward);
    backward = KD_Widen(s.backward);
}

template class KT_Camera_Real_Data<float>;
template class KT_Camera_Real_Data<double>;
