// Camera bodies: where the viewer stands, what it looks at, which way is
// up, how much it sees and how it projects; single and double precision.
//
// Besides position, target and up, a body keeps the frame right, up and
// forward orthonormal with right x up = forward and forward pointing from
// the position to the target, so the viewing matrix needs no cross products
// at draw time. Every operation returns whether it changed anything; one
// given NaN, infinite or degenerate input (position equal to target, a zero
// field or axis) changes nothing.
#pragma once

#include <cstdint>
#include <type_traits>

#include "foundation/counted.h"
#include "foundation/export.h"
#include "math/matrix.h"
#include "math/precision.h"
#include "math/vector.h"

// The camera's own operations treat every value but Perspective as
// orthographic.
enum class KT_Camera_Projection : std::int32_t { Perspective = 0, Orthographic = 1 };

// Width and height of the visible window in the plane through the target at
// right angles to the line of sight.
struct KAVRI_API KT_Camera_Field {
    float width;
    float height;
};
struct KAVRI_API KT_Camera_Field_D {
    double width;
    double height;
};

// Horizontal and vertical shear of the line of sight, in radians.
struct KAVRI_API KT_Camera_Obliquity {
    float x;
    float y;
};
struct KAVRI_API KT_Camera_Obliquity_D {
    double x;
    double y;
};

class KAVRI_API KT_Camera_Data : public KT_Counted {
public:
    bool is_double() const { return precision != KT_Precision::Single; }
    bool is_perspective() const { return projection == KT_Camera_Projection::Perspective; }

    bool set_projection(KT_Camera_Projection p);
    bool set_stretched(bool s);
    bool set_wlimit(float w);

    KT_Precision precision;
    KT_Camera_Projection projection = KT_Camera_Projection::Perspective;
    // False keeps the field's proportions inside the viewport; true
    // stretches the field to fill it.
    bool stretched = false;
    // The w limit of the perspective division; the camera only stores it.
    float wlimit = 0.05f;

protected:
    explicit KT_Camera_Data(KT_Precision p) : precision(p) {}
};

namespace detail {
template <class Real> struct Camera_Types {
    static constexpr bool single = std::is_same_v<Real, float>;
    using Point = std::conditional_t<single, KT_Point, KT_Point_D>;
    using Vector = std::conditional_t<single, KT_Vector, KT_Vector_D>;
    using Field = std::conditional_t<single, KT_Camera_Field, KT_Camera_Field_D>;
    using Obliquity = std::conditional_t<single, KT_Camera_Obliquity, KT_Camera_Obliquity_D>;
    using Matrix = std::conditional_t<single, KT_Matrix_Single, KT_Matrix_Double>;
};
} // namespace detail

template <class Real> class KAVRI_API KT_Camera_Real_Data : public KT_Camera_Data {
public:
    using Element = Real;
    using Point = typename detail::Camera_Types<Real>::Point;
    using Vector = typename detail::Camera_Types<Real>::Vector;
    using Field = typename detail::Camera_Types<Real>::Field;
    using Obliquity = typename detail::Camera_Types<Real>::Obliquity;
    using Matrix = typename detail::Camera_Types<Real>::Matrix;

    // Moves both points, keeping the current up vector as far as it can.
    bool set_position(const Point& position, const Point& target);
    bool set_position(const Point& position, const Point& target, const Vector& up);
    // Moves one point; the frame turns with the line of sight.
    bool set_position(const Point& position);
    bool set_target(const Point& target);
    // Re-orthogonalises the frame about the line of sight; an up vector
    // along the line of sight changes nothing.
    bool set_up_vector(const Vector& up);
    bool set_field(const Field& field);
    bool set_obliquity(const Obliquity& obliquity);
    bool set_ortho_range(Real range);

    // Turns the camera about the target: theta about up, phi about right.
    bool orbit(Real theta, Real phi);
    // Turns the line of sight about the position.
    bool pan(Real theta, Real phi);
    // Turns up about the line of sight.
    bool roll(Real angle);
    // Moves position and target by v.x along right, v.y along up and v.z
    // along forward.
    bool dolly(const Vector& v);
    // Divides the field by factor.
    bool zoom(Real factor);

    // Camera space to the unit view volume: (x, y, z) measured from the
    // target plane goes to (2x / width, 2y / height, z / d), with
    // w = 1 + z / d under perspective (the eye at z = -d).
    Matrix projection_matrix() const;
    // World to camera space: the target at the origin, right, up and
    // forward along x, y and z, then the obliquity shear.
    Matrix viewing_matrix() const;

    Real distance() const { return KD_Length(target - position); }

    Point position{0, 0, -5};
    Point target{0, 0, 0};
    Vector up{0, 1, 0};
    Field field{2, 2};
    Obliquity obliquity{0, 0};
    // The depth of an orthographic view volume, in target distances.
    Real ortho_range = 4;
    Vector right{1, 0, 0};
    Vector forward{0, 0, 1};
    Vector backward{0, 0, -1};

protected:
    explicit KT_Camera_Real_Data(KT_Precision p) : KT_Camera_Data(p) {}

private:
    bool move_both(const Point& position, const Point& target, const Vector& up);
    bool move_one(Point& moved, const Point& to, const Point& other);
    // right and up from the line of sight and an up direction; false when
    // they are parallel.
    bool orient(const Vector& up_direction);
    // Restores the invariants after a turn: backward = -forward, right and
    // up square to forward.
    void settle_frame();
    // Keeps the angle of view of a perspective camera when the distance to
    // the target changes.
    void keep_field_angle(Real old_distance);
};

class KAVRI_API KT_Camera_Single_Data final : public KT_Camera_Real_Data<float> {
public:
    KT_Camera_Single_Data() : KT_Camera_Real_Data(KT_Precision::Single) {}
    KT_Counted* copy() const override { return new KT_Camera_Single_Data(*this); }
};

class KAVRI_API KT_Camera_Double_Data final : public KT_Camera_Real_Data<double> {
public:
    KT_Camera_Double_Data() : KT_Camera_Real_Data(KT_Precision::Double) {}
    // Widens every value of a single camera.
    explicit KT_Camera_Double_Data(const KT_Camera_Single_Data& single);
    KT_Counted* copy() const override { return new KT_Camera_Double_Data(*this); }
};

extern template class KT_Camera_Real_Data<float>;
extern template class KT_Camera_Real_Data<double>;
