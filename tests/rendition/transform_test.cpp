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

struct Device_Point {
    float x, y, z;
};

Device_Point to_device(const KT_Rendition& r, const KT_Point& p) {
    KT_Point out;
    float w;
    r.transform().object_to_device.transform(p, out, &w,
                                             static_cast<float>(r.transform().scaled_wlimit));
    return {out.x, out.y, out.z};
}

double depth_range(int bits) {
    return bits >= 32 ? 4294967296.0 : std::ldexp(1.0, bits) - 1;
}

void expect_device(const Device_Point& d, double x, double y, double z) {
    EXPECT_NEAR(d.x, x, 1e-3);
    EXPECT_NEAR(d.y, y, 1e-3);
    EXPECT_NEAR(d.z, z, std::max(1e-3, std::fabs(z) * 1e-6));
}

class ScreenMatrix : public ::testing::TestWithParam<int> {};

TEST_P(ScreenMatrix, ScenePointsLandOnTheirPixelAndDepth) {
    const int bits = GetParam();
    Device device(window_width, window_height, bits);
    KT_Rendition r(&device);
    const double zmax = depth_range(bits);
    // The square field keeps its proportions: 240 pixels per unit of
    // normalised x and y around the centre (320, 240).
    expect_device(to_device(r, {0, 0, 0}), 320, 240, 0.95 * zmax);
    expect_device(to_device(r, {0.5f, 0.25f, 0}), 440, 300, 0.95 * zmax);
    // Twice as far from the eye: w = 2 halves x and y; depth is
    // wlimit * zmax * (z / d) / w + (1 - wlimit) * zmax.
    expect_device(to_device(r, {1, -1, 5}), 440, 120, 0.975 * zmax);
    // Half way to the eye, w = 0.5.
    expect_device(to_device(r, {0.25f, 0, -2.5f}), 440, 240, (0.95 - 0.05) * zmax);
}

TEST_P(ScreenMatrix, HandednessMirrorsDeviceX) {
    const int bits = GetParam();
    Device device(window_width, window_height, bits);
    KT_Rendition r(&device);
    r.set_handedness(1, false);
    const double zmax = depth_range(bits);
    expect_device(to_device(r, {0.5f, 0.25f, 0}), 200, 300, 0.95 * zmax);
    expect_device(to_device(r, {1, -1, 5}), 200, 120, 0.975 * zmax);
    r.set_handedness(2, false);
    expect_device(to_device(r, {0.5f, 0.25f, 0}), 440, 300, 0.95 * zmax);
}

INSTANTIATE_TEST_SUITE_P(BufferDepths, ScreenMatrix, ::testing::Values(16, 24, 32));

TEST(ScreenMatrixCases, StretchedCameraFillsTheViewport) {
    Device device(window_width, window_height, 24);
    KT_Rendition r(&device);
    KT_Camera camera;
    camera.set_stretched(true);
    r.set_camera(camera, false);
    expect_device(to_device(r, {0.5f, 0.5f, 0}), 480, 360, 0.95 * 16777215.0);
}

TEST(ScreenMatrixCases, TallViewportShrinksY) {
    Device device(201, 401, 16);
    KT_Rendition r(&device);
    // va = 2 > ca = 1: sy = 200 * 1 / 2.
    expect_device(to_device(r, {1, 1, 0}), 200, 300, 0.95 * 65535);
    // Pixels twice as wide as tall make the viewport square again.
    device.current_renderer_options.set_pixel_aspect(2.0f);
    r.renew_renderer(&device, false);
    expect_device(to_device(r, {1, 1, 0}), 200, 400, 0.95 * 65535);
}

TEST(ScreenMatrixCases, WithoutDepthBufferDepthIsTenTimesSy) {
    Device device(window_width, window_height, 0);
    KT_Rendition r(&device);
    EXPECT_FALSE(r.transform().depth_buffer);
    expect_device(to_device(r, {0, 0, 0}), 320, 240, 0);
    // z / d / w = 0.5 at z = 5.
    expect_device(to_device(r, {0, 0, 5}), 320, 240, 2400 * 0.5);
}

TEST(ScreenMatrixCases, OrthographicDepthSpansTheBufferEvenly) {
    Device device(window_width, window_height, 16);
    KT_Rendition r(&device);
    KT_Camera camera;
    camera.set_projection(KT_Camera_Projection::Orthographic);
    r.set_camera(camera, false);
    // The view volume is 4 target distances deep: z / 20 in [-1, 1].
    expect_device(to_device(r, {0, 0, 0}), 320, 240, 65535 / 2.0);
    expect_device(to_device(r, {0.5f, 0, 5}), 440, 240, 65535 / 2.0 * 1.25);
}

TEST(ScreenMatrixCases, ExplicitViewportSurvivesANewRenderer) {
    Device device(window_width, window_height, 16);
    KT_Rendition r(&device);
    r.set_viewport({100, 300, 0, 200}, false);
    expect_device(to_device(r, {0, 0, 0}), 200, 100, 0.95 * 65535);
    Device bigger(1001, 1001, 24);
    r.renew_renderer(&bigger, false);
    EXPECT_EQ(r.transform().viewport.right, 300);
    EXPECT_EQ(r.transform().hard_clip.right, 1000);
    expect_device(to_device(r, {0, 0, 0}), 200, 100, 0.95 * 16777215.0);
}

TEST(ScreenMatrixCases, AViewportChangeLeavesRenditionsSharingTheOldOne) {
    Device device(window_width, window_height, 16);
    KT_Rendition r(&device);
    KT_Rendition copy = r;
    copy.set_viewport({0, 100, 0, 100}, false);
    expect_device(to_device(copy, {0.5f, 0, 0}), 75, 50, 0.95 * 65535);
    expect_device(to_device(r, {0.5f, 0, 0}), 440, 240, 0.95 * 65535);
    // In place, every sharer moves with it.
    KT_Rendition sharer = r;
    r.set_viewport({0, 100, 0, 100}, true);
    expect_device(to_device(sharer, {0.5f, 0, 0}), 75, 50, 0.95 * 65535);
}

TEST(ScreenMatrixCases, DegenerateViewportsStayFinite) {
    Device device(window_width, window_height, 16);
    KT_Rendition r(&device);
    r.set_viewport({50, 50, 0, 480}, false);
    const Device_Point flat = to_device(r, {0.7f, 0.2f, 0});
    EXPECT_FLOAT_EQ(flat.x, 50);
    EXPECT_TRUE(std::isfinite(flat.y));
    r.set_viewport({50, 50, 70, 70}, false);
    const Device_Point dot = to_device(r, {0.7f, 0.2f, 1});
    EXPECT_FLOAT_EQ(dot.x, 50);
    EXPECT_FLOAT_EQ(dot.y, 70);
    device.current_renderer_options.set_pixel_aspect(0.0f);
    r.renew_renderer(&device, false);
    EXPECT_TRUE(std::isfinite(to_device(r, {0.7f, 0.2f, 1}).x));
}

TEST(TransformWithoutRenderer, StopsAtTheProjection) {
    KT_Rendition r(static_cast<const KT_Renderer_Data*>(nullptr));
    EXPECT_TRUE(r.transform().screen.empty());
    EXPECT_TRUE(r.transform().object_to_device.empty());
    const KT_Int_Rectangle& clip = r.transform().hard_clip;
    EXPECT_EQ(clip.left, 0);
    EXPECT_EQ(clip.right, 0);
    // Once the chain is built, it ends in the unit view volume:
    // (2x / width, 2y / height, z / d) divided by w = 1 + z / d.
    r.set_handedness(0, false);
    const Device_Point p = to_device(r, {1, 0.5f, 5});
    EXPECT_FLOAT_EQ(p.x, 0.5f);
    EXPECT_FLOAT_EQ(p.y, 0.25f);
    EXPECT_FLOAT_EQ(p.z, 0.5f);
    EXPECT_FLOAT_EQ(r.transform().scaled_wlimit, 0.05f);
}

TEST(ModellingMatrix, MovesObjectsBeforeTheCamera) {
    Device device(window_width, window_height, 16);
    KT_Rendition r(&device);
    KT_Matrix move;
    move.translate(0.5, 0.25, 0);
    r.set_modelling_matrix(move, false);
    expect_device(to_device(r, {0, 0, 0}), 440, 300, 0.95 * 65535);
    EXPECT_DOUBLE_EQ(r.transform().scaled_wlimit, 0.05f);
    r.set_modelling_matrix(KT_Matrix(), false);
    expect_device(to_device(r, {0, 0, 0}), 320, 240, 0.95 * 65535);
}

TEST(ModellingMatrix, ScaledWLimitFollowsAPerspectiveModel) {
    Device device(window_width, window_height, 16);
    KT_Rendition r(&device);
    // Object z is pushed 2 away and divided by w = 1 + 0.1 z: the target
    // is the image of object point (0, 0, -2).
    const float elements[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0.1f}, {0, 0, 2, 1}};
    KT_Matrix model;
    model.set_as_4x4(elements);
    KT_Point world;
    model.transform(KT_Point{0, 0, -2}, world);
    ASSERT_NEAR(world.z, 0.0f, 1e-6f);
    r.set_modelling_matrix(model, false);
    // The limit is the camera's, measured in the w that object to device
    // gives that point, whatever scale the matrix carries.
    KT_Point device_point;
    float w;
    r.transform().object_to_device.transform(KT_Point{0, 0, -2}, device_point, &w, 0.0f);
    EXPECT_GT(std::fabs(w - 1.0f), 0.1f);
    EXPECT_NEAR(r.transform().scaled_wlimit, 0.05 * w, 1e-6);
}

TEST(ModellingMatrix, ObjectToProjectedIsBuiltOnRequest) {
    Device device(window_width, window_height, 16);
    KT_Rendition r(&device);
    KT_Matrix move;
    move.translate(1, 0, 0);
    r.set_modelling_matrix(move, false);
    EXPECT_TRUE(r.transform().object_to_projected.empty());
    KT_Transform_Data& t = r.modify_transform();
    t.validate_object_to_projected();
    KT_Point p;
    float w;
    t.object_to_projected.transform(KT_Point{0, 0, 0}, p, &w, 0.0f);
    EXPECT_FLOAT_EQ(p.x, 1.0f);
    EXPECT_FLOAT_EQ(w, 1.0f);
    r.set_camera(KT_Camera_Single(new KT_Camera_Single_Data), false);
    EXPECT_TRUE(r.transform().object_to_projected.empty());
}

// Keeps points with z < 1 in world space.
KT_Cutting_Plane_Set near_half() {
    return KT_Cutting_Plane_Set(KT_Cutting_Plane(KT_Plane{0, 0, 1, -1}));
}

bool cut(const KT_Rendition& r, const KT_Cutting_Plane_Set& planes, const KT_Point& world) {
    planes.validate_screen_planes(r.transform().world_to_device);
    KT_Point device;
    r.transform().world_to_device.transform(world, device, nullptr, 0.0f);
    return planes.cuts(device);
}

TEST(CuttingPlanes, CutTheSideTheirPlaneFaces) {
    Device device(window_width, window_height, 24);
    KT_Rendition r(&device);
    const KT_Cutting_Plane_Set planes = near_half();
    EXPECT_FALSE(cut(r, planes, {0, 0, 0}));
    EXPECT_FALSE(cut(r, planes, {3, -2, 0.9f}));
    EXPECT_TRUE(cut(r, planes, {0, 0, 3}));
    EXPECT_TRUE(cut(r, planes, {-3, 2, 1.1f}));
    // Mirrored device x changes nothing about which side is kept.
    r.set_handedness(1, false);
    EXPECT_FALSE(cut(r, planes, {3, -2, 0.9f}));
    EXPECT_TRUE(cut(r, planes, {-3, 2, 1.1f}));
    // Nor does an orthographic camera.
    KT_Camera camera;
    camera.set_projection(KT_Camera_Projection::Orthographic);
    r.set_camera(camera, false);
    EXPECT_FALSE(cut(r, planes, {3, -2, 0.9f}));
    EXPECT_TRUE(cut(r, planes, {-3, 2, 1.1f}));
}

TEST(CuttingPlanes, AnyPlaneCuts) {
    Device device(window_width, window_height, 24);
    KT_Rendition r(&device);
    KT_Cutting_Plane_Set planes = near_half();
    planes.add(KT_Cutting_Plane(KT_Plane_D{1, 0, 0, 0})); // keeps x < 0
    EXPECT_EQ(planes.count(), 2);
    EXPECT_FALSE(cut(r, planes, {-1, 0, 0}));
    EXPECT_TRUE(cut(r, planes, {1, 0, 0}));
    EXPECT_TRUE(cut(r, planes, {-1, 0, 2}));
}

TEST(CuttingPlanes, ScreenPlanesAreComputedOncePerMatrix) {
    Device device(window_width, window_height, 24);
    KT_Rendition r(&device);
    const KT_Cutting_Plane_Set planes = near_half();
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

TEST(CuttingPlanes, SetsSharingAPlaneKeepTheirOwnScreenPlanes) {
    Device device(window_width, window_height, 24);
    const KT_Rendition plain(&device);
    KT_Rendition mirrored = plain;
    mirrored.set_handedness(1, false);
    const KT_Cutting_Plane_Set keep_left(KT_Cutting_Plane(KT_Plane{1, 0, 0, 0}));
    KT_Cutting_Plane_Set both = keep_left; // shares the first plane
    both.add(KT_Cutting_Plane(KT_Plane{0, 0, 1, -1}));
    EXPECT_EQ(keep_left.count(), 1);
    EXPECT_EQ(both.count(), 2);
    EXPECT_FALSE(cut(plain, keep_left, {-1, 0, 0}));
    EXPECT_FALSE(cut(mirrored, both, {-1, 0, 0}));
    EXPECT_FALSE(cut(plain, keep_left, {-1, 0, 0}));
    EXPECT_TRUE(cut(plain, keep_left, {1, 0, 0}));
}

TEST(CuttingPlanes, EmptySetsAndNarrowedPlanes) {
    KT_Cutting_Plane_Set empty;
    EXPECT_EQ(empty.count(), 0);
    empty.add(KT_Cutting_Plane(KT_Plane{1, 0, 0, 0}));
    EXPECT_EQ(empty.count(), 1);
    const KT_Cutting_Plane narrow(KT_Plane_D{0.5, 0.25, 0.125, 1e-20});
    EXPECT_FLOAT_EQ(narrow->plane.b, 0.25f);
    EXPECT_DOUBLE_EQ(narrow->plane_d.d, 1e-20);
}

} // namespace
