#include <gtest/gtest.h>

#include <cmath>

#include "rendition/rendition.h"
#include "test_device.h"

namespace {

using rendition_test::Device;

// The default camera looks from (0, 0, -5) at the origin through a 2 x 2
// field with w limit 0.05. A 641 x 481 window spans 0..640 x 0..480.
constexpr int window_width = 641;
constexpr int window_height = 481;
constexpr double z16 = 65535, z24 = 16777215;

// A rendition on a 16-bit window of the size above.
class Window : public ::testing::Test {
protected:
    Device device{window_width, window_height, 16};
    KT_Rendition r{&device};
};
using Viewports = Window;
using ModellingMatrix = Window;
using CuttingPlanes = Window;

KT_Point to_device(const KT_Rendition& r, const KT_Point& p) {
    KT_Point out;
    r.transform().object_to_device.transform(p, out, nullptr,
                                             static_cast<float>(r.transform().scaled_wlimit));
    return out;
}

// Where a scene point is expected on the device: column, row and depth.
struct Device_Place {
    double x, y, z;
};

void expect_device(const char* what, const KT_Point& d, const Device_Place& expected) {
    SCOPED_TRACE(what);
    EXPECT_NEAR(d.x, expected.x, 1e-3) << "column";
    EXPECT_NEAR(d.y, expected.y, 1e-3) << "row";
    EXPECT_NEAR(d.z, expected.z, std::max(1e-3, std::fabs(expected.z) * 1e-6)) << "depth";
}

double zmax_of(int buffer_bits) {
    return buffer_bits >= 32 ? 4294967296.0 : std::ldexp(1.0, buffer_bits) - 1;
}

class ScreenMatrix : public ::testing::TestWithParam<int> {
protected:
    Device device{window_width, window_height, GetParam()};
    KT_Rendition r{&device};
    const double zmax = zmax_of(GetParam());
};

// The square field keeps its proportions: 240 pixels per unit of
// normalised x and y around the centre (320, 240). Depth is
// wlimit * zmax * (z / d) / w + (1 - wlimit) * zmax.
TEST_P(ScreenMatrix, ScenePointsLandOnTheirPixelAndDepth) {
    expect_device("the target", to_device(r, {0, 0, 0}), {320, 240, 0.95 * zmax});
    expect_device("right and up of the target", to_device(r, {0.5f, 0.25f, 0}),
                  {440, 300, 0.95 * zmax});
    expect_device("behind the target, w = 2", to_device(r, {1, -1, 5}), {440, 120, 0.975 * zmax});
    expect_device("in front of the target, w = 0.5", to_device(r, {0.25f, 0, -2.5f}),
                  {440, 240, 0.9 * zmax});
}

TEST_P(ScreenMatrix, LeftHandednessMirrorsDeviceX) {
    r.set_handedness(1, false);
    expect_device("right and up of the target", to_device(r, {0.5f, 0.25f, 0}),
                  {200, 300, 0.95 * zmax});
    expect_device("behind the target, w = 2", to_device(r, {1, -1, 5}), {200, 120, 0.975 * zmax});
}

TEST_P(ScreenMatrix, OtherHandednessValuesDoNotMirror) {
    r.set_handedness(2, false);
    expect_device("right and up of the target", to_device(r, {0.5f, 0.25f, 0}),
                  {440, 300, 0.95 * zmax});
}

INSTANTIATE_TEST_SUITE_P(BufferDepths, ScreenMatrix, ::testing::Values(16, 24, 32));

class ScreenMatrixCases : public ::testing::Test {
protected:
    Device device{window_width, window_height, 24};
    KT_Rendition r{&device};
};

TEST_F(ScreenMatrixCases, AStretchedCameraFillsTheViewport) {
    KT_Camera stretched;
    stretched.set_stretched(true);
    r.set_camera(stretched, false);
    expect_device("a corner of the field", to_device(r, {0.5f, 0.5f, 0}), {480, 360, 0.95 * z24});
}

// The orthographic volume is 4 target distances deep: z / 20 in [-1, 1].
TEST_F(ScreenMatrixCases, AnOrthographicCameraMapsDepthLinearly) {
    KT_Camera orthographic;
    orthographic.set_projection(KT_Camera_Projection::Orthographic);
    r.set_camera(orthographic, false);
    expect_device("behind the target", to_device(r, {0.5f, 0, 5}), {440, 240, z24 / 2 * 1.25});
}

// A tall viewport, va = 2 > ca = 1: sy = 200 * 1 / 2.
TEST(ScreenMatrixAspects, ATallViewportKeepsTheFieldSquare) {
    Device tall(201, 401, 16);
    KT_Rendition t(&tall);
    expect_device("a corner of the field", to_device(t, {1, 1, 0}), {200, 300, 0.95 * z16});
}

// Pixels twice as wide as tall make the tall viewport square again.
TEST(ScreenMatrixAspects, ThePixelAspectEntersTheViewportAspect) {
    Device tall(201, 401, 16);
    tall.current_renderer_options.set_pixel_aspect(2.0f);
    KT_Rendition t(&tall);
    expect_device("a corner of the field", to_device(t, {1, 1, 0}), {200, 400, 0.95 * z16});
}

// Without a depth buffer depth is ten times sy times z / d / w.
TEST(ScreenMatrixAspects, WithoutADepthBufferDepthFollowsTheYScale) {
    Device flat(window_width, window_height, 0);
    KT_Rendition f(&flat);
    EXPECT_FALSE(f.transform().depth_buffer);
    expect_device("behind the target", to_device(f, {0, 0, 5}), {320, 240, 2400 * 0.5});
}

TEST_F(Viewports, AViewportMovesTheCentreOfOneRenditionOnly) {
    KT_Rendition copy = r;
    copy.set_viewport({100, 300, 0, 200}, false);
    expect_device("target in the copy", to_device(copy, {0, 0, 0}), {200, 100, 0.95 * z16});
    expect_device("right of the target in the original", to_device(r, {0.5f, 0, 0}),
                  {440, 240, 0.95 * z16});
}

// An explicit viewport survives a new renderer; the hard clip follows the
// renderer.
TEST_F(Viewports, AnExplicitViewportSurvivesANewRenderer) {
    r.set_viewport({100, 300, 0, 200}, false);
    Device bigger(1001, 1001, 24);
    r.renew_renderer(&bigger, false);
    EXPECT_EQ(r.transform().viewport.right, 300);
    EXPECT_EQ(r.transform().hard_clip.right, 1000);
    expect_device("the target", to_device(r, {0, 0, 0}), {200, 100, 0.95 * z24});
}

TEST_F(Viewports, InPlaceEverySharerMovesWithIt) {
    KT_Rendition sharer = r;
    r.set_viewport({0, 100, 0, 100}, true);
    expect_device("right of the target in the sharer", to_device(sharer, {0.5f, 0, 0}),
                  {75, 50, 0.95 * z16});
}

TEST_F(Viewports, DegenerateOnesStayFinite) {
    r.set_viewport({50, 50, 0, 480}, false);
    const KT_Point flat = to_device(r, {0.7f, 0.2f, 0});
    EXPECT_FLOAT_EQ(flat.x, 50);
    EXPECT_TRUE(std::isfinite(flat.y));
    r.set_viewport({50, 50, 70, 70}, false);
    const KT_Point dot = to_device(r, {0.7f, 0.2f, 1});
    EXPECT_FLOAT_EQ(dot.x, 50);
    EXPECT_FLOAT_EQ(dot.y, 70);
    device.current_renderer_options.set_pixel_aspect(0.0f);
    r.renew_renderer(&device, false);
    EXPECT_TRUE(std::isfinite(to_device(r, {0.7f, 0.2f, 1}).x));
}

TEST(TransformWithoutRenderer, StopsAtTheProjection) {
    KT_Rendition r(static_cast<const KT_Renderer_Data*>(nullptr));
    EXPECT_TRUE(r.transform().object_to_device.empty());
    EXPECT_EQ(r.transform().hard_clip.right, 0);
    // Once built, the chain ends in the unit view volume:
    // (2x / width, 2y / height, z / d) divided by w = 1 + z / d.
    r.set_handedness(0, false);
    const KT_Point p = to_device(r, {1, 0.5f, 5});
    EXPECT_FLOAT_EQ(p.x, 0.5f);
    EXPECT_FLOAT_EQ(p.y, 0.25f);
    EXPECT_FLOAT_EQ(p.z, 0.5f);
    EXPECT_FLOAT_EQ(r.transform().scaled_wlimit, 0.05f);
}

TEST_F(ModellingMatrix, MovesObjectsAndBuildsObjectToProjectedOnRequest) {
    KT_Matrix move;
    move.translate(0.5, 0.25, 0);
    r.set_modelling_matrix(move, false);
    expect_device("the object origin", to_device(r, {0, 0, 0}), {440, 300, 0.95 * z16});
    EXPECT_DOUBLE_EQ(r.transform().scaled_wlimit, 0.05f);
    EXPECT_TRUE(r.transform().object_to_projected.empty());
    KT_Transform_Data& t = r.modify_transform();
    t.validate_object_to_projected();
    KT_Point p;
    float w;
    t.object_to_projected.transform(KT_Point{0, 0, 0}, p, &w, 0.0f);
    EXPECT_FLOAT_EQ(p.x, 0.5f);
    EXPECT_FLOAT_EQ(w, 1.0f);
    r.set_camera(KT_Camera_Single(new KT_Camera_Single_Data), false);
    EXPECT_TRUE(r.transform().object_to_projected.empty());
    r.set_modelling_matrix(KT_Matrix(), false);
    expect_device("the object origin without a model", to_device(r, {0, 0, 0}),
                  {320, 240, 0.95 * z16});
}

TEST_F(ModellingMatrix, ScaledWLimitFollowsAPerspectiveModel) {
    // Object z is pushed 2 away and divided by w = 1 + 0.1 z: the target
    // is the image of object point (0, 0, -2).
    const float elements[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0.1f}, {0, 0, 2, 1}};
    KT_Matrix model;
    model.set_as_4x4(elements);
    r.set_modelling_matrix(model, false);
    // The limit is the camera's, measured in the w that object to device
    // gives that point, whatever scale the matrix carries.
    KT_Point device_point;
    float w;
    r.transform().object_to_device.transform(KT_Point{0, 0, -2}, device_point, &w, 0.0f);
    EXPECT_GT(std::fabs(w - 1.0f), 0.1f);
    EXPECT_NEAR(r.transform().scaled_wlimit, 0.05 * w, 1e-6);
}

bool cut(const KT_Rendition& r, const KT_Cutting_Plane_Set& planes, const KT_Point& world) {
    planes.validate_screen_planes(r.transform().world_to_device);
    KT_Point device;
    r.transform().world_to_device.transform(world, device, nullptr, 0.0f);
    return planes.cuts(device);
}

TEST_F(CuttingPlanes, CutTheSideTheirPlaneFacesWhateverTheCamera) {
    const KT_Cutting_Plane_Set near_half(KT_Cutting_Plane(KT_Plane{0, 0, 1, -1})); // z < 1
    KT_Camera orthographic;
    orthographic.set_projection(KT_Camera_Projection::Orthographic);
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind);
        if (kind == 1) r.set_handedness(1, false);
        if (kind == 2) r.set_camera(orthographic, false);
        EXPECT_FALSE(cut(r, near_half, {0, 0, 0}));
        EXPECT_FALSE(cut(r, near_half, {3, -2, 0.9f}));
        EXPECT_TRUE(cut(r, near_half, {-3, 2, 1.1f}));
    }
    // Any plane of a set cuts. Sets sharing a plane keep their own screen
    // planes: validating one for a mirrored device leaves the other alone.
    const KT_Rendition plain(&device);
    const KT_Cutting_Plane_Set keep_left(KT_Cutting_Plane(KT_Plane_D{1, 0, 0, 0}));
    KT_Cutting_Plane_Set both = keep_left;
    both.add(KT_Cutting_Plane(KT_Plane{0, 0, 1, -1}));
    EXPECT_EQ(keep_left.count(), 1);
    EXPECT_FALSE(cut(plain, keep_left, {-1, 0, 0}));
    EXPECT_FALSE(cut(r, both, {-1, 0, 0}));
    EXPECT_TRUE(cut(r, both, {1, 0, 0}));
    EXPECT_TRUE(cut(r, both, {-1, 0, 2}));
    EXPECT_FALSE(cut(plain, keep_left, {-1, 0, 0}));
    EXPECT_TRUE(cut(plain, keep_left, {1, 0, 0}));
    EXPECT_EQ(KT_Cutting_Plane(KT_Plane_D{0.5, 0.25, 0.125, 1e-20})->plane.b, 0.25f);
}

// Validated for the window first, then given a second plane: the new plane
// must reach device space at the next validation with the same matrix.
TEST_F(CuttingPlanes, APlaneAddedAfterValidationIsCarriedToDeviceSpace) {
    KT_Cutting_Plane_Set planes(KT_Cutting_Plane(KT_Plane{0, 0, 1, -1})); // keeps z < 1
    const KT_Point kept_by_both = {0, 0, 0};
    const KT_Point right_of_the_new_plane = {3, 0, 0};
    ASSERT_FALSE(cut(r, planes, kept_by_both));
    planes.add(KT_Cutting_Plane(KT_Plane{1, 0, 0, -2})); // keeps x < 2
    EXPECT_FALSE(cut(r, planes, kept_by_both)) << "a plane never carried over cuts everything";
    EXPECT_TRUE(cut(r, planes, right_of_the_new_plane));
}

TEST_F(CuttingPlanes, ScreenPlanesAreComputedOncePerMatrix) {
    const KT_Cutting_Plane_Set planes(KT_Cutting_Plane(KT_Plane{0, 0, 1, -1}));
    planes.validate_screen_planes(r.transform().world_to_device);
    const std::uint32_t first = planes->change_serial();
    planes.validate_screen_planes(r.transform().world_to_device);
    EXPECT_EQ(planes->change_serial(), first);
    // A modelling change leaves world to device alone.
    KT_Matrix move;
    move.translate(1, 2, 3);
    r.set_modelling_matrix(move, false);
    planes.validate_screen_planes(r.transform().world_to_device);
    EXPECT_EQ(planes->change_serial(), first);
    r.set_viewport({0, 100, 0, 100}, false);
    planes.validate_screen_planes(r.transform().world_to_device);
    EXPECT_NE(planes->change_serial(), first);
}

} // namespace
