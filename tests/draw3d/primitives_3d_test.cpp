#include <gtest/gtest.h>

#include <cmath>

#include "draw_log.h"
#include "geometry/segment_set.h"
#include "geometry/text.h"

namespace {

using draw_log::calls;
using draw_log::draw;

constexpr float centre_x = 320, centre_y = 240, pixels_per_unit = 240;
// Far enough behind the eye at z = -5 to have w below the near limit.
constexpr float behind_eye = -6.0f;

class Primitives : public ::testing::Test {
protected:
    draw_log::Device device;
    KT_Rendition r{&device};
};

void expect_device_point(const KT_Point_D& p, double x, double y, const char* which) {
    EXPECT_NEAR(p.x, x, 1e-3) << which;
    EXPECT_NEAR(p.y, y, 1e-3) << which;
}

TEST_F(Primitives, PolylineInsideIsOneDeviceCoordinateCall) {
    const KT_Point points[3] = {{-0.5f, 0, 0}, {0, 0.5f, 0}, {0.5f, 0, 0}};
    draw<KT_Polyline, KT_Slot_Draw_3D_Polyline>(r, KT_Polyline(3, points, false));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_DC_Polyline");
    ASSERT_EQ(calls()[0].points.size(), 3u);
    expect_device_point(calls()[0].points[1], centre_x, centre_y + 0.5f * pixels_per_unit,
                        "middle point");
}

TEST_F(Primitives, PolylineWithItsMiddleBehindTheEyeIsTwoRunsEndingOnTheNearLimit) {
    const KT_Point points[3] = {{-0.5f, 0, 0}, {0, 0, behind_eye}, {0.5f, 0, 0}};
    draw<KT_Polyline, KT_Slot_Draw_3D_Polyline>(r, KT_Polyline(3, points, false));
    ASSERT_EQ(calls().size(), 2u);
    for (const draw_log::Call& run : calls()) {
        EXPECT_EQ(run.name(), "Draw_2D_Polyline");
        ASSERT_EQ(run.points.size(), 2u);
    }
    EXPECT_EQ(calls()[0].points[1].z, 0.0) << "first run ends at depth 0";
    EXPECT_EQ(calls()[1].points[0].z, 0.0) << "second run starts at depth 0";
}

TEST_F(Primitives, PolylineLeftOfTheViewportDrawsNothing) {
    const KT_Point points[2] = {{-5, 0, 0}, {-4, 1, 0}};
    draw<KT_Polyline, KT_Slot_Draw_3D_Polyline>(r, KT_Polyline(2, points, false));
    EXPECT_TRUE(calls().empty());
}

TEST_F(Primitives, DoublePrecisionPolylineUsesTheDoubleSlot) {
    const KT_Point_D points[2] = {{-0.5, 0, 0}, {0.5, 0, 0}};
    draw<KT_Polyline, KT_Slot_Draw_3D_Polyline>(r, KT_Polyline(2, points, false));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2DD_Polyline");
}

TEST_F(Primitives, DoublePrecisionPolylineThroughTheEyeIsTwoDoubleRuns) {
    const KT_Point_D points[3] = {{-0.5, 0, 0}, {0, 0, behind_eye}, {0.5, 0, 0}};
    draw<KT_Polyline, KT_Slot_Draw_3D_Polyline>(r, KT_Polyline(3, points, false));
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[0].name(), "Draw_2DD_Polyline");
    EXPECT_EQ(calls()[0].points[1].z, 0.0) << "first run ends at depth 0";
}

TEST_F(Primitives, PolylineOnTheCutSideOfACuttingPlaneIsNotDrawn) {
    // Keeps x < 0 in world space.
    r.modify_misc().cutting_planes = KT_Cutting_Plane_Set(KT_Cutting_Plane(KT_Plane{1, 0, 0, 0}));
    const KT_Point points[3] = {{-0.5f, 0, 0}, {0.5f, 0.1f, 0}, {0.25f, 0.5f, 0}};
    draw<KT_Polyline, KT_Slot_Draw_3D_Polyline>(r, KT_Polyline(3, points, false));
    ASSERT_FALSE(calls().empty());
    for (const draw_log::Call& piece : calls())
        for (const KT_Point_D& p : piece.points)
            EXPECT_LE(p.x, centre_x + 1e-3) << piece.name();
}

TEST_F(Primitives, PolylineWithANanPointDrawsNothing) {
    const KT_Point points[2] = {{std::nanf(""), 0, 0}, {0.5f, 0, 0}};
    draw<KT_Polyline, KT_Slot_Draw_3D_Polyline>(r, KT_Polyline(2, points, false));
    EXPECT_TRUE(calls().empty());
}

TEST_F(Primitives, WideMarkersAreCirclesOfHalfTheWeightLessOne) {
    r.modify_line().line_weight = 5;
    const KT_Point at = {0, 0, 0};
    draw<KT_Polymarker, KT_Slot_Draw_3D_Polymarker>(r, KT_Polymarker(1, &at, false));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Ellipse");
    EXPECT_EQ(calls()[0].points[1].x, 2.0) << "radius";
}

TEST_F(Primitives, ThinMarkersAreOnePointPolymarkers) {
    const KT_Point at[2] = {{0, 0, 0}, {0, 0, behind_eye}};
    draw<KT_Polymarker, KT_Slot_Draw_3D_Polymarker>(r, KT_Polymarker(2, at, false));
    ASSERT_EQ(calls().size(), 1u) << "the marker behind the eye is skipped";
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Polymarker");
}

TEST_F(Primitives, MarkersOnTheCutSideOfACuttingPlaneAreNotDrawn) {
    // Keeps x < 0 in world space.
    r.modify_misc().cutting_planes = KT_Cutting_Plane_Set(KT_Cutting_Plane(KT_Plane{1, 0, 0, 0}));
    const KT_Point at[2] = {{-0.5f, 0, 0}, {0.5f, 0, 0}};
    draw<KT_Polymarker, KT_Slot_Draw_3D_Polymarker>(r, KT_Polymarker(2, at, false));
    ASSERT_EQ(calls().size(), 1u);
    expect_device_point(calls()[0].points[0], centre_x - 0.5f * pixels_per_unit, centre_y,
                        "the kept marker");
}

TEST_F(Primitives, PolygonOfFourPointsIsTwoTriangles) {
    const KT_Point square[4] = {{0, 0, 0}, {0.5f, 0, 0}, {0.5f, 0.5f, 0}, {0, 0.5f, 0}};
    draw<KT_Polygon, KT_Slot_Draw_3D_Polygon>(r, KT_Polygon(4, square, false));
    ASSERT_EQ(calls().size(), 2u);
    for (const draw_log::Call& triangle : calls()) {
        EXPECT_EQ(triangle.name(), "Draw_DC_Polytriangle");
        EXPECT_EQ(triangle.points.size(), 3u);
    }
}

TEST_F(Primitives, PolygonStandingEdgeOnToTheScreenPlaneIsStillTriangulated) {
    // In the plane y = 0, seen from slightly above by a turned model.
    KT_Matrix tilt;
    tilt.rotate_x(0.3);
    r.set_modelling_matrix(tilt, false);
    const KT_Point flat_on_floor[5] = {
        {0, 0, 0}, {0.5f, 0, 0}, {0.6f, 0, 0.4f}, {0.25f, 0, 0.6f}, {-0.1f, 0, 0.4f}};
    draw<KT_Polygon, KT_Slot_Draw_3D_Polygon>(r, KT_Polygon(5, flat_on_floor, false));
    EXPECT_EQ(calls().size(), 3u) << "a pentagon is three triangles";
}

TEST_F(Primitives, PolygonOfTwoPointsDrawsNothing) {
    const KT_Point two[2] = {{0, 0, 0}, {0.5f, 0, 0}};
    draw<KT_Polygon, KT_Slot_Draw_3D_Polygon>(r, KT_Polygon(2, two, false));
    EXPECT_TRUE(calls().empty());
}

TEST_F(Primitives, PolytriangleOfTwoPointsDrawsNothing) {
    const KT_Point two[2] = {{0, 0, 0}, {0.5f, 0, 0}};
    draw<KT_Polytriangle, KT_Slot_Draw_3D_Polytriangle>(r, KT_Polytriangle(2, two, false));
    EXPECT_TRUE(calls().empty());
}

TEST_F(Primitives, PolytriangleInsideIsOneDeviceCoordinateCall) {
    const KT_Point three[3] = {{0, 0, 0}, {0.5f, 0, 0}, {0, 0.5f, 0}};
    draw<KT_Polytriangle, KT_Slot_Draw_3D_Polytriangle>(r, KT_Polytriangle(3, three, false));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_DC_Polytriangle");
}

TEST_F(Primitives, StripReachingOutOfTheWindowIsOneRun) {
    const KT_Point strip[4] = {{0, 0, 0}, {0.5f, 0, 0}, {0, 0.5f, 0}, {3, 0.5f, 0}};
    draw<KT_Polytriangle, KT_Slot_Draw_3D_Polytriangle>(r, KT_Polytriangle(4, strip, false));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Polytriangle");
    EXPECT_EQ(calls()[0].points.size(), 4u);
}

TEST_F(Primitives, StripTriangleCrossingTheNearLimitGoesAloneAndStaysInFront) {
    const KT_Point strip[4] = {{0, 0, 0}, {0.5f, 0, 0}, {0, 0.5f, 0}, {0.25f, 0.25f, behind_eye}};
    draw<KT_Polytriangle, KT_Slot_Draw_3D_Polytriangle>(r, KT_Polytriangle(4, strip, false));
    ASSERT_GE(calls().size(), 2u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Polytriangle");
    EXPECT_EQ(calls()[0].points.size(), 3u) << "the visible triangle is a run of its own";
    for (const draw_log::Call& piece : calls())
        for (const KT_Point_D& p : piece.points)
            EXPECT_GE(p.z, 0.0) << piece.name();
}

TEST_F(Primitives, TextAnchorOnePixelOutsideTheWindowIsNotDrawn) {
    const KT_Point outside = {-(centre_x + 1) / pixels_per_unit, 0, 0};
    draw<KT_Text, KT_Slot_Draw_3D_Text>(r, KT_Text(&outside, L"reaches in", -1, false));
    EXPECT_TRUE(calls().empty());
}

TEST_F(Primitives, WideTextIsDrawnAtItsAnchor) {
    const KT_Point anchor = {0.25f, 0, 0};
    draw<KT_Text, KT_Slot_Draw_3D_Text>(r, KT_Text(&anchor, L"hello", 5, true));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Text_Wide");
    EXPECT_EQ(draw_log::texts().at(0), L"hello");
    expect_device_point(calls()[0].points[0], centre_x + 60, centre_y, "anchor");
}

TEST_F(Primitives, TextBehindTheEyeIsNotDrawn) {
    const KT_Point anchor = {0, 0, behind_eye};
    draw<KT_Text, KT_Slot_Draw_3D_Text>(r, KT_Text(&anchor, "narrow", -1, true));
    EXPECT_TRUE(calls().empty());
}

TEST_F(Primitives, MarkerstripFollowsItsIndexList) {
    const KT_Point row[5] = {{0, 0, 0}, {0.1f, 0, 0}, {0.2f, 0, 0}, {0.3f, 0, 0}, {0.4f, 0, 0}};
    const int order[3] = {0, 2, ~4};
    KT_Markerstrip strip(5, row, false);
    strip.edit_data()->set_connectivity(3, order, false, false);
    draw<KT_Markerstrip, KT_Slot_Draw_3D_Markerstrip>(r, strip);
    ASSERT_EQ(calls().size(), 3u);
    expect_device_point(calls()[0].points[0], centre_x, centre_y, "vertex 0");
    expect_device_point(calls()[1].points[0], centre_x + 48, centre_y, "vertex 2");
    expect_device_point(calls()[2].points[0], centre_x + 96, centre_y, "vertex 4");
}

TEST_F(Primitives, LinestripWithVertexColoursIsGouraud) {
    const KT_Point row[3] = {{0, 0, 0}, {0.1f, 0, 0}, {0.2f, 0.1f, 0}};
    const KT_RGBA colours[3] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
    KT_Linestrip strip(3, row, false);
    strip.edit_data()->set_vertex_colors(colours, false);
    draw<KT_Linestrip, KT_Slot_Draw_3D_Linestrip>(r, strip);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Gouraud_Polyline");
    ASSERT_EQ(calls()[0].colors.size(), 3u);
    EXPECT_EQ(calls()[0].colors[0].r, 255) << "RGBA colours were made RGB32";
}

TEST_F(Primitives, LinestripWithSegmentColoursIsColorized) {
    const KT_Point row[3] = {{0, 0, 0}, {0.1f, 0, 0}, {0.2f, 0.1f, 0}};
    const KT_RGB32 segments[2] = {{0, 0, 200, 255}, {0, 200, 0, 255}};
    KT_Linestrip strip(3, row, false);
    strip.edit_data()->set_segment_colors(2, segments, false);
    draw<KT_Linestrip, KT_Slot_Draw_3D_Linestrip>(r, strip);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Colorized_Polyline");
    EXPECT_FALSE(calls()[0].single_color);
}

TEST_F(Primitives, LinestripIndexOutsideTheSetDrawsNothing) {
    const KT_Point row[2] = {{0, 0, 0}, {0.1f, 0, 0}};
    const int order[2] = {0, ~7};
    KT_Linestrip strip(2, row, false);
    strip.edit_data()->set_connectivity(2, order, false, false);
    draw<KT_Linestrip, KT_Slot_Draw_3D_Linestrip>(r, strip);
    EXPECT_TRUE(calls().empty());
}

} // namespace
