#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "math/camera.h"

namespace {

constexpr double pi = 3.14159265358979323846;

template <class V> void expect_vector_near(const V& v, double x, double y, double z, double e) {
    EXPECT_NEAR(v.x, x, e);
    EXPECT_NEAR(v.y, y, e);
    EXPECT_NEAR(v.z, z, e);
}

template <class V> KT_Point_D viewed(const KT_Matrix& m, const V& p) {
    KT_Point_D out;
    m.transform(KT_Point_D{p.x, p.y, p.z}, out);
    return out;
}

template <class Handle> class Camera_Precision : public ::testing::Test {
protected:
    using Body = std::remove_pointer_t<decltype(std::declval<Handle>().body())>;
    using Real = typename Body::Element;
    using Point = typename Body::Point;
    using Vector = typename Body::Vector;
    static constexpr double tolerance = std::is_same_v<Real, float> ? 2e-5 : 1e-12;

    Handle camera() {
        Handle h;
        h.allocate();
        return h;
    }

    // The invariants every operation must leave behind.
    void expect_frame(const Handle& h, double e) {
        const Body& b = *h.body();
        const Vector sight = KD_Normalized(b.target - b.position);
        expect_vector_near(b.forward, sight.x, sight.y, sight.z, e);
        expect_vector_near(b.backward, -b.forward.x, -b.forward.y, -b.forward.z, 0);
        EXPECT_NEAR(KD_Length(b.right), 1, e);
        EXPECT_NEAR(KD_Length(b.up), 1, e);
        EXPECT_NEAR(KD_Dot(b.right, b.up), 0, e);
        const Vector f = KD_Cross(b.right, b.up);
        expect_vector_near(f, b.forward.x, b.forward.y, b.forward.z, e);
    }
};
using Camera_Types = ::testing::Types<KT_Camera_Single, KT_Camera_Double>;
TYPED_TEST_SUITE(Camera_Precision, Camera_Types);

TYPED_TEST(Camera_Precision, DefaultMatricesAndObliquity) {
    TypeParam camera = this->camera();
    for (const KT_Matrix& viewing :
         {KT_Matrix(camera.viewing_matrix()), KT_Camera().viewing_matrix()})
        expect_vector_near(viewed(viewing, KT_Point_D{1, 2, 3}), 1, 2, 3, 0);
    const KT_Matrix projection = camera.projection_matrix();
    EXPECT_EQ(projection.precision(), camera.body()->precision);
    using Real = typename TestFixture::Real;
    EXPECT_EQ(projection.element(2, 3), Real(1) / 5);
    EXPECT_EQ(projection.element(2, 2), Real(1) / 5);
    EXPECT_EQ(projection.element(0, 0), 1);
    EXPECT_EQ(projection.element(3, 2), 0);
    EXPECT_FLOAT_EQ(KT_Camera().projection_matrix().element(2, 3), projection.element(2, 3));
    this->expect_frame(camera, 0);
    // Obliquity shears along the line of sight.
    camera.set_obliquity({static_cast<Real>(pi / 4), 0});
    expect_vector_near(viewed(camera.viewing_matrix(), KT_Point_D{0, 0, 2}), 2, 0, 2, 1e-6);
}

TYPED_TEST(Camera_Precision, ViewingAndProjectionPlaceTheScene) {
    TypeParam camera = this->camera();
    camera.set_position(typename TestFixture::Point{3, 4, -2}, {1, 1, 1});
    camera.set_field({3, 1.5});
    const auto& b = *camera.body();
    const KT_Matrix viewing = camera.viewing_matrix();
    expect_vector_near(viewed(viewing, b.target), 0, 0, 0, 1e-5);
    expect_vector_near(viewed(viewing, b.position), 0, 0, -KD_Length(b.target - b.position), 1e-5);
    expect_vector_near(viewed(viewing, b.target + b.up), 0, 1, 0, 1e-5);

    // The field's right edge in the target plane lands on x = 1; products
    // rescale w by a constant, so the target plane shares one w, and the
    // eye has w = 0.
    KT_Matrix whole;
    viewing.multiply(camera.projection_matrix(), whole);
    auto project = [&](const auto& p, float& w) {
        KT_Point_D out;
        whole.transform(KT_Point_D{p.x, p.y, p.z}, out, &w, 0.0f);
        return out;
    };
    float w = 0, target_w = 0, eye_w = 1;
    expect_vector_near(project(b.target + b.right * (b.field.width / 2), w), 1, 0, 0, 1e-5);
    project(b.target, target_w);
    project(b.position, eye_w);
    EXPECT_NEAR(w, target_w, 1e-5);
    EXPECT_GT(target_w, 0);
    EXPECT_NEAR(eye_w, 0, 1e-5);
}

// Unchanged values, non-finite values and degenerate frames neither copy
// a shared body nor renew its serial.
TYPED_TEST(Camera_Precision, UnchangedOrBadValuesChangeNothing) {
    using Point = typename TestFixture::Point;
    using Vector = typename TestFixture::Vector;
    using Real = typename TestFixture::Real;
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    const Real inf = std::numeric_limits<Real>::infinity();
    // Eye and target too far apart, or too close, to give a line of sight
    // in this precision; moves and zooms that leave the range.
    const Real huge = std::numeric_limits<Real>::max() / 2;
    const Real tiny = std::numeric_limits<Real>::denorm_min();
    TypeParam camera = this->camera();
    const TypeParam other = camera;
    const std::uint32_t serial = camera.body()->change_serial();
    camera.set_position(Point{1, 1, 1}, Point{1, 1, 1});
    camera.set_position(Point{0, -3, 0}, Point{0, 0, 0}); // up equals the new line of sight
    camera.set_position(Point{0, 0, 0});                  // onto the target
    camera.set_position(Point{0, 0, -5});                 // where it is
    camera.set_target(Point{0, 0, 0});
    camera.set_up_vector(Vector{0, 2, 0});
    camera.set_field({2, 2});
    camera.set_obliquity({0, 0});
    camera.set_ortho_range(4);
    camera.set_projection(KT_Camera_Projection::Perspective);
    camera.set_stretched(false);
    camera.set_wlimit(0.05f);
    camera.orbit(0, 0);
    camera.pan(0, 0);
    camera.roll(0);
    camera.dolly(Vector{0, 0, 0});
    camera.zoom(1);
    camera.set_position(Point{nan, 0, 0});
    camera.set_target(Point{0, inf, 0});
    camera.set_position(Point{0, 0, -5}, Point{0, 0, 1}, Vector{nan, 1, 0});
    camera.set_up_vector(Vector{0, 0, 0});
    camera.set_up_vector(Vector{0, 0, 3}); // along the line of sight
    camera.set_field({0, 2});
    camera.zoom(0);
    camera.zoom(nan);
    camera.orbit(inf, 0);
    camera.dolly(Vector{nan, 0, 0});
    camera.set_ortho_range(0);
    camera.set_position(Point{-huge, 0, 0}, Point{huge, 0, 0});
    camera.set_position(Point{0, 0, tiny});
    camera.set_target(Point{0, 0, -5 + tiny * 4});
    camera.zoom(tiny);
    EXPECT_TRUE(camera.shares_body_with(other));
    EXPECT_EQ(camera.body()->change_serial(), serial);
    this->expect_frame(camera, 0);

    camera.zoom(2);
    EXPECT_FALSE(camera.shares_body_with(other));
    EXPECT_EQ(other.body()->field.width, 2);
    EXPECT_EQ(camera.body()->field.width, 1);
    const std::uint32_t before = camera.body()->change_serial();
    camera.roll(0.5); // sole holder: in place, new serial
    EXPECT_NE(camera.body()->change_serial(), before);
    const Real big = std::numeric_limits<Real>::max() * Real(0.75);
    camera.dolly(Vector{0, 0, big});
    camera.dolly(Vector{0, 0, big}); // would overflow: refused
    EXPECT_EQ(camera.body()->position.z, big - 5);
    // An up vector along the new line of sight still leaves a whole frame.
    camera.set_position(Point{0, 0, 0}, Point{0, 5, 0}, Vector{0, -1, 0});
    this->expect_frame(camera, this->tolerance);
    camera.set_position(Point{0, -5, 0}, Point{0, 0, 0}); // current up along it
    this->expect_frame(camera, this->tolerance);
}

TYPED_TEST(Camera_Precision, PerspectiveKeepsTheFieldAngle) {
    using Point = typename TestFixture::Point;
    TypeParam perspective = this->camera();
    const auto& field = perspective.body()->field;
    perspective.set_position(Point{0, 0, -10});
    EXPECT_NEAR(field.width, 4, this->tolerance);
    EXPECT_NEAR(field.height, 4, this->tolerance);
    perspective.set_target(Point{0, 0, 10}); // distance 20
    EXPECT_NEAR(perspective.body()->field.width, 8, this->tolerance);

    TypeParam orthographic = this->camera();
    orthographic.set_projection(KT_Camera_Projection::Orthographic);
    orthographic.set_position(Point{0, 0, -10});
    orthographic.set_target(Point{0, 5, 10});
    EXPECT_EQ(orthographic.body()->field.width, 2);
    // The orthographic volume is ortho range target distances deep.
    const KT_Matrix projection = orthographic.projection_matrix();
    EXPECT_EQ(projection.element(2, 3), 0);
    const double d = KD_Length(orthographic.body()->target - orthographic.body()->position);
    EXPECT_NEAR(projection.element(2, 2), 1 / (4 * d), 1e-7);
}

TYPED_TEST(Camera_Precision, TurnsGoTheDescribedWay) {
    using Vector = typename TestFixture::Vector;
    const double e = this->tolerance;
    TypeParam orbit = this->camera(), pan = this->camera(), tilt = this->camera(),
              roll = this->camera(), dolly = this->camera();
    orbit.orbit(pi / 2, 0);
    expect_vector_near(orbit.body()->forward, 1, 0, 0, e);
    expect_vector_near(orbit.body()->position, -5, 0, 0, 5 * e);
    expect_vector_near(orbit.body()->target, 0, 0, 0, 0);
    expect_vector_near(orbit.body()->right, 0, 0, -1, e);
    pan.pan(pi / 2, 0);
    expect_vector_near(pan.body()->forward, -1, 0, 0, e);
    expect_vector_near(pan.body()->target, -5, 0, -5, 5 * e);
    expect_vector_near(pan.body()->position, 0, 0, -5, 0);
    tilt.orbit(0, pi / 2); // forward turned about right by -phi
    expect_vector_near(tilt.body()->forward, 0, 1, 0, e);
    expect_vector_near(tilt.body()->position, 0, -5, 0, 5 * e);
    roll.roll(pi / 2);
    expect_vector_near(roll.body()->up, -1, 0, 0, e);
    expect_vector_near(roll.body()->right, 0, 1, 0, e);
    dolly.roll(pi / 2);
    dolly.dolly(Vector{2, 0, 1});
    expect_vector_near(dolly.body()->position, 0, 2, -4, 5 * e);
    expect_vector_near(dolly.body()->target, 0, 2, 1, 5 * e);
    // Reversing the line of sight keeps up and mirrors right.
    TypeParam reversed = this->camera();
    reversed.set_target(typename TestFixture::Point{0, 0, -10});
    expect_vector_near(reversed.body()->up, 0, 1, 0, 0);
    expect_vector_near(reversed.body()->right, -1, 0, 0, 0);
}

TYPED_TEST(Camera_Precision, FramesStayOrthonormalThroughLongSequences) {
    using Point = typename TestFixture::Point;
    using Real = typename TestFixture::Real;
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> angle(-1, 1), coordinate(-20, 20);
    auto value = [&](auto& distribution) { return static_cast<Real>(distribution(random)); };
    auto point = [&] { return Point{value(coordinate), value(coordinate), value(coordinate)}; };
    TypeParam camera = this->camera();
    for (int step = 0; step < 3000; ++step) {
        const auto& b = *camera.body();
        const double before = KD_Length(b.target - b.position);
        const Point target = b.target, position = b.position;
        switch (step % 6) {
        case 0: // orbit keeps the target and the distance
            camera.orbit(value(angle), value(angle));
            EXPECT_NEAR(KD_Length(b.target - b.position), before, 1e-3 * before);
            expect_vector_near(b.target, target.x, target.y, target.z, 0);
            break;
        case 1: // pan keeps the position and the distance
            camera.pan(value(angle), value(angle));
            EXPECT_NEAR(KD_Length(b.target - b.position), before, 1e-3 * before);
            expect_vector_near(b.position, position.x, position.y, position.z, 0);
            break;
        case 2:
            camera.roll(value(angle));
            break;
        case 3:
            camera.dolly(typename TestFixture::Vector{value(angle), value(angle), value(angle)});
            break;
        case 4:
            camera.set_position(point());
            break;
        default:
            camera.set_target(point());
        }
        this->expect_frame(camera, std::is_same_v<Real, float> ? 1e-4 : 1e-9);
        if (this->HasFailure()) return (void)(ADD_FAILURE() << "after step " << step);
    }
}

TEST(Camera_Handle, PrecisionConversions) {
    KT_Camera camera;
    camera.set_position(KT_Point_D{1, 2, 3}, KT_Point_D{0, 0, 0});
    camera.set_projection(KT_Camera_Projection::Orthographic);
    ASSERT_EQ(camera.precision(), KT_Precision::Single);
    EXPECT_TRUE(KT_Camera(camera.single()).shares_body_with(camera));

    const KT_Camera_Single_Data before = *camera.single_body();
    camera.convert_to_double();
    ASSERT_EQ(camera.precision(), KT_Precision::Double);
    const KT_Camera_Double_Data& wide = *camera.double_body();
    EXPECT_EQ(wide.projection, KT_Camera_Projection::Orthographic);
    EXPECT_EQ(wide.right.y, double(before.right.y));
    EXPECT_EQ(wide.field.width, double(before.field.width));

    camera.set_target(KT_Point_D{0.1, 0, 1e-9});
    const KT_Camera_Single narrow = camera.single();
    ASSERT_FALSE(narrow.empty());
    EXPECT_EQ(narrow.body()->target.x, 0.1f);
    EXPECT_EQ(narrow.body()->forward.y, static_cast<float>(camera.double_body()->forward.y));
    camera.dolly(KT_Vector_D{2e30, 0, 0});
    EXPECT_TRUE(camera.single().empty());

    KT_Camera empty;
    EXPECT_EQ(empty.single().body()->position.z, -5);
    empty.convert_to_double();
    EXPECT_EQ(empty.double_body()->wlimit, 0.05f);
}

} // namespace
