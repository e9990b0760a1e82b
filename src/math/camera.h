// Camera handles. KT_Camera holds a body of either precision; an empty one
// reads as the default camera and becomes a default single camera when
// edited. KT_Camera_Single and KT_Camera_Double always hold their own
// precision and pass as KT_Camera where one is read.
//
// An operation that changes nothing leaves the body, and so its change
// serial, alone; a shared body is copied only when the operation changes
// the copy.
#pragma once

#include <type_traits>

#include "foundation/export.h"
#include "math/camera_data.h"
#include "math/matrix.h"

class KT_Camera_Single;

constexpr KT_Camera_Field KD_Narrow(const KT_Camera_Field_D& f) {
    return {static_cast<float>(f.width), static_cast<float>(f.height)};
}
constexpr KT_Camera_Obliquity KD_Narrow(const KT_Camera_Obliquity_D& o) {
    return {static_cast<float>(o.x), static_cast<float>(o.y)};
}

namespace detail {

// A value of the handle's precision in the precision of the body.
template <class Real, class T> auto in_precision(const T& v) {
    if constexpr (std::is_arithmetic_v<T>)
        return static_cast<Real>(v);
    else if constexpr (std::is_same_v<Real, float> && requires { KD_Narrow(v); })
        return KD_Narrow(v);
    else
        return v;
}

// Runs f on a body the handle may write: in place when the handle holds
// the only reference, else on a copy that replaces the body only when f
// reports a change.
template <class Body, class Held, class F> void edit_counted(KT_Pointer<Held>& handle, F& f) {
    Held* current = handle.body();
    if (current->reference_count() < 2) {
        if (f(*static_cast<Body*>(current))) current->renew_change_serial();
        return;
    }
    KT_Pointer<Held> fresh(static_cast<Held*>(current->copy()));
    if (f(*static_cast<Body*>(fresh.body()))) handle = fresh;
}

template <class Derived, class Real> class Camera_Editing {
public:
    using Point = typename Camera_Types<Real>::Point;
    using Vector = typename Camera_Types<Real>::Vector;
    using Field = typename Camera_Types<Real>::Field;
    using Obliquity = typename Camera_Types<Real>::Obliquity;

    void set_position(const Point& position, const Point& target) {
        edit([&](auto& b) { return b.set_position(in(b, position), in(b, target)); });
    }
    void set_position(const Point& position, const Point& target, const Vector& up) {
        edit([&](auto& b) { return b.set_position(in(b, position), in(b, target), in(b, up)); });
    }
    void set_position(const Point& position) {
        edit([&](auto& b) { return b.set_position(in(b, position)); });
    }
    void set_target(const Point& target) {
        edit([&](auto& b) { return b.set_target(in(b, target)); });
    }
    void set_up_vector(const Vector& up) {
        edit([&](auto& b) { return b.set_up_vector(in(b, up)); });
    }
    void set_field(const Field& field) {
        edit([&](auto& b) { return b.set_field(in(b, field)); });
    }
    void set_obliquity(const Obliquity& obliquity) {
        edit([&](auto& b) { return b.set_obliquity(in(b, obliquity)); });
    }
    void set_ortho_range(Real range) {
        edit([&](auto& b) { return b.set_ortho_range(in(b, range)); });
    }
    void set_projection(KT_Camera_Projection p) {
        edit([&](auto& b) { return b.set_projection(p); });
    }
    void set_stretched(bool s) {
        edit([&](auto& b) { return b.set_stretched(s); });
    }
    void set_wlimit(float w) {
        edit([&](auto& b) { return b.set_wlimit(w); });
    }
    void orbit(Real theta, Real phi) {
        edit([&](auto& b) { return b.orbit(in(b, theta), in(b, phi)); });
    }
    void pan(Real theta, Real phi) {
        edit([&](auto& b) { return b.pan(in(b, theta), in(b, phi)); });
    }
    void roll(Real angle) {
        edit([&](auto& b) { return b.roll(in(b, angle)); });
    }
    void dolly(const Vector& v) {
        edit([&](auto& b) { return b.dolly(in(b, v)); });
    }
    void zoom(Real factor) {
        edit([&](auto& b) { return b.zoom(in(b, factor)); });
    }

private:
    template <class Body, class T> static auto in(const Body&, const T& v) {
        return in_precision<typename Body::Element>(v);
    }
    template <class F> void edit(F&& f) { static_cast<Derived&>(*this).edit(f); }
};

} // namespace detail

class KAVRI_API KT_Camera : public KT_Pointer<KT_Camera_Data>,
                            public detail::Camera_Editing<KT_Camera, double> {
public:
    KT_Camera() = default;
    explicit KT_Camera(KT_Camera_Data* body) : KT_Pointer(body) {}

    // A new default body: double when p is non-zero, else single.
    void allocate(const KT_Precision& p);
    KT_Precision precision() const;
    // The body when it has that precision, else null.
    KT_Camera_Single_Data* single_body() const;
    KT_Camera_Double_Data* double_body() const;

    // Widens a single body; an empty handle gets a default double body.
    void convert_to_double();
    // Shares a single body; narrows a double one unless a value exceeds
    // 1e30 in magnitude, which gives an empty handle.
    KT_Camera_Single single() const;

    KT_Matrix projection_matrix() const;
    KT_Matrix viewing_matrix() const;

    // Calls f with the body, or with a default single body when empty.
    template <class F> decltype(auto) read(F&& f) const;
    template <class F> void edit(F&& f);
};

template <class Body>
class KT_Camera_Of : public KT_Pointer<Body>,
                     public detail::Camera_Editing<KT_Camera_Of<Body>, typename Body::Element> {
public:
    using Matrix = typename Body::Matrix;

    KT_Camera_Of() = default;
    explicit KT_Camera_Of(Body* body) : KT_Pointer<Body>(body) {}

    // A new default body in place of the current one.
    void allocate() { this->attach(new Body); }

    operator KT_Camera() const { return KT_Camera(this->body_); }

    Matrix projection_matrix() const {
        return read([](const Body& b) { return b.projection_matrix(); });
    }
    Matrix viewing_matrix() const {
        return read([](const Body& b) { return b.viewing_matrix(); });
    }

    template <class F> decltype(auto) read(F&& f) const {
        if (this->body_) return f(*static_cast<const Body*>(this->body_));
        const KT_Pointer<Body> fallback(new Body);
        return f(*static_cast<const Body*>(fallback.body()));
    }
    template <class F> void edit(F&& f) {
        if (!this->body_) allocate();
        detail::edit_counted<Body>(*this, f);
    }
};

class KAVRI_API KT_Camera_Single : public KT_Camera_Of<KT_Camera_Single_Data> {
public:
    using KT_Camera_Of::KT_Camera_Of;
};

class KAVRI_API KT_Camera_Double : public KT_Camera_Of<KT_Camera_Double_Data> {
public:
    using KT_Camera_Of::KT_Camera_Of;
};

template <class F> decltype(auto) KT_Camera::read(F&& f) const {
    if (const KT_Camera_Double_Data* d = double_body()) return f(*d);
    if (const KT_Camera_Single_Data* s = single_body()) return f(*s);
    const KT_Pointer<KT_Camera_Single_Data> fallback(new KT_Camera_Single_Data);
    return f(*static_cast<const KT_Camera_Single_Data*>(fallback.body()));
}

template <class F> inline void KT_Camera::edit(F&& f) {
    if (!body_) allocate(KT_Precision::Single);
    if (body_->is_double())
        detail::edit_counted<KT_Camera_Double_Data>(*this, f);
    else
        detail::edit_counted<KT_Camera_Single_Data>(*this, f);
}
