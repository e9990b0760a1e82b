// Which slots polylines of each family reach, through the recording device.
#include <gtest/gtest.h>

#include <cmath>

#include "../support/slot_recorder.h"
#include "font/shape_engine.h"

namespace {

using slots::Call;
using slots::calls;
using slots::calls_to;

constexpr double guard = 1073741824.0;

class Polyline_Routing : public slots::Recording_Test {
protected:
    Polyline_Routing() : slots::Recording_Test(640, 480) {
        device->record<KT_Slot_Draw_2DI_Polyline, KT_Slot_Draw_2DI_Colorized_Polyline,
                       KT_Slot_Draw_2DI_Gouraud_Polyline, KT_Slot_Draw_2DI_Phong_Polyline,
                       KT_Slot_Draw_DCI_Polyline, KT_Slot_Draw_DCI_Colorized_Polyline,
                       KT_Slot_Draw_DCI_Gouraud_Polyline, KT_Slot_Draw_DCI_Phong_Polyline,
                       KT_Slot_Draw_2D_Polygon, KT_Slot_Draw_2D_Polyline,
                       KT_Slot_Draw_2D_Colorized_Polyline, KT_Slot_Draw_2D_Dot,
                       KT_Slot_Draw_2D_Ellipse, KT_Slot_Draw_2D_Elliptical_Arc,
                       KT_Slot_Draw_DC_Polyline, KT_Slot_Draw_DC_Dot>();
    }

    // The standard routines are called directly where the recorder
    // intercepts the slot they fill.
    void draw_dc(int count, const KT_Point* points) {
        KD_Standard_Draw_DC_Polyline(top(), &rendition, count, points);
    }
};

TEST_F(Polyline_Routing, DeviceFloatPointsRoundHalvesUp) {
    const KT_Point points[3] = {{-0.5f, 0.5f, 2.5f}, {1.49f, -1.5f, 0}, {-0.51f, 2.5f, 0}};
    draw_dc(3, points);
    ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_DCI_Polyline"});
    const std::vector<KT_Point_D>& p = calls()[0].points;
    EXPECT_EQ(p[0].x, 0) << "-0.5 rounds up to 0";
    EXPECT_EQ(p[0].y, 1) << "0.5 rounds up to 1";
    EXPECT_EQ(p[0].z, 3);
    EXPECT_EQ(p[1].x, 1);
    EXPECT_EQ(p[1].y, -1) << "-1.5 rounds up to -1";
    EXPECT_EQ(p[2].x, -1);
    EXPECT_EQ(p[2].y, 3);
}

TEST_F(Polyline_Routing, TwoDPolylineInsideTheGuardGoesWholeToTheIntegerFamily) {
    const KT_Point points[4] = {{10, 10, 0}, {-3000, 20, 0}, {100, 9000, 0}, {5, 5, 7}};
    KD_Standard_Draw_2D_Polyline(top(), &rendition, 4, points);
    ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_2DI_Polyline"});
    EXPECT_EQ(calls()[0].points.size(), 4u);
    EXPECT_EQ(calls()[0].points[1].x, -3000);
    EXPECT_EQ(calls()[0].points[3].z, 7);
}

TEST_F(Polyline_Routing, PointBeyondTheGuardSplitsTheRunWithClippedEnds) {
    const double far = 4 * guard;
    const KT_Point_D points[3] = {{0, 0, 0}, {far, 0, 0}, {0, 100, 0}};
    KD_Action_Draw_2DD_Polyline(top(), &rendition, 3, points);
    ASSERT_EQ(slots::names(), (std::vector<std::string>{"Draw_2DI_Polyline", "Draw_2DI_Polyline"}));
    const Call& leaving = calls()[0];
    const Call& entering = calls()[1];
    ASSERT_EQ(leaving.points.size(), 2u);
    EXPECT_EQ(leaving.points[0].x, 0);
    EXPECT_EQ(leaving.points[1].x, guard) << "the run ends where the segment leaves the guard";
    ASSERT_EQ(entering.points.size(), 2u);
    EXPECT_EQ(entering.points[0].x, guard) << "the next run starts where it comes back";
    EXPECT_NEAR(entering.points[0].y, 75, 1);
    EXPECT_EQ(entering.points[1].y, 100);
}

TEST_F(Polyline_Routing, SegmentCrossingTheGuardWithBothEndsOutsideIsDrawnClippedAtBothEnds) {
    const double far = 4 * guard;
    const KT_Point_D across[2] = {{-far, 5, 0}, {far, 5, 0}};
    const KT_Point_D beside[2] = {{-far, -far, 0}, {far, -far, 0}};
    KD_Action_Draw_2DD_Polyline(top(), &rendition, 2, beside);
    EXPECT_TRUE(calls().empty()) << "both ends beyond the bottom: nothing";
    KD_Action_Draw_2DD_Polyline(top(), &rendition, 2, across);
    ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_2DI_Polyline"});
    EXPECT_EQ(calls()[0].points[0].x, -guard);
    EXPECT_EQ(calls()[0].points[1].x, guard);
}

TEST_F(Polyline_Routing, IntegerPolylineInsideTheClipGoesWholeToTheDeviceFamily) {
    const KT_DCI_Point points[3] = {{0, 0, 0}, {639, 479, 0}, {320, 0, 0}};
    KD_Standard_Draw_2DI_Polyline(top(), &rendition, 3, points);
    ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_DCI_Polyline"});
    EXPECT_EQ(calls()[0].points.size(), 3u);
}

TEST_F(Polyline_Routing, IntegerPolylineOfOnePointDrawsNothing) {
    const KT_DCI_Point point = {10, 10, 0};
    KD_Standard_Draw_2DI_Polyline(top(), &rendition, 1, &point);
    EXPECT_TRUE(calls().empty());
}

TEST_F(Polyline_Routing, PointOutsideTheClipSplitsTheRunsAndItsSegmentsAreClipped) {
    const KT_DCI_Point points[6] = {{10, 10, 0},  {20, 10, 0}, {30, 10, 0},
                                    {700, 10, 0}, {40, 20, 0}, {50, 20, 0}};
    KD_Standard_Draw_2DI_Polyline(top(), &rendition, 6, points);
    const std::vector<Call> runs = calls_to(KT_Slot_Draw_DCI_Polyline);
    const std::vector<Call> clipped = calls_to(KT_Slot_Draw_DC_Polyline);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].points.size(), 3u);
    EXPECT_EQ(runs[1].points.size(), 2u);
    EXPECT_EQ(runs[1].points[0].x, 40);
    ASSERT_EQ(clipped.size(), 2u);
    for (const Call& piece : clipped)
        for (const KT_Point_D& p : piece.points)
            EXPECT_LE(p.x, 639) << "clipped pieces end at the clip";
}

TEST_F(Polyline_Routing, TwoDPolylineWithItsMiddlePointOutsideIsTwoClippedPieces) {
    const KT_Point points[3] = {{100, 100, 0}, {100, 900, 0}, {200, 100, 0}};
    device->set_action<KT_Slot_Draw_2DI_Polyline>(&KD_Standard_Draw_2DI_Polyline);
    KD_Standard_Draw_2D_Polyline(top(), &rendition, 3, points);
    EXPECT_EQ(slots::names(), (std::vector<std::string>{"Draw_DC_Polyline", "Draw_DC_Polyline"}));
}

TEST_F(Polyline_Routing, SegmentsBesideTheClipAreSkipped) {
    const KT_DCI_Point beside[3] = {{-10, 10, 0}, {-20, 300, 0}, {-5, 400, 0}};
    KD_Standard_Draw_2DI_Polyline(top(), &rendition, 3, beside);
    EXPECT_TRUE(calls().empty());
}

TEST_F(Polyline_Routing, EachVariantReachesItsOwnSlot) {
    const KT_Point points[2] = {{1, 1, 0}, {20, 30, 0}};
    const KT_RGB32 colours[2] = {{9, 8, 7, 255}, {1, 2, 3, 255}};
    const KT_Vector normals[2] = {};
    KD_Standard_Draw_2D_Colorized_Polyline(top(), &rendition, 2, points, colours, false);
    KD_Action_Draw_2D_Gouraud_Polyline(top(), &rendition, 2, points, colours);
    KD_Action_Draw_2D_Phong_Polyline(top(), &rendition, 2, points, normals, colours, nullptr,
                                     nullptr);
    EXPECT_EQ(slots::names(),
              (std::vector<std::string>{"Draw_2DI_Colorized_Polyline", "Draw_2DI_Gouraud_Polyline",
                                        "Draw_2DI_Phong_Polyline"}));
    EXPECT_EQ(calls()[0].colors.at(0).b, 9);
}

TEST_F(Polyline_Routing, RunAfterAClippedPieceKeepsItsOwnSegmentColours) {
    const double far = 4 * guard;
    const KT_Point_D points[4] = {{0, 0, 0}, {far, 0, 0}, {0, 10, 0}, {0, 20, 0}};
    const KT_RGB32 colours[3] = {{1, 0, 0, 255}, {2, 0, 0, 255}, {3, 0, 0, 255}};
    KD_Action_Draw_2DD_Colorized_Polyline(top(), &rendition, 4, points, colours, false);
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[0].colors.at(0).b, 1);
    EXPECT_EQ(calls()[1].colors.at(0).b, 2) << "the second run starts on segment 1";
}

TEST_F(Polyline_Routing, LineShapeDrawsThePolylineThroughItsEngine) {
    KT_Pointer<KT_Shape_Engine_Data> engine{new KT_Shape_Engine_Data};
    rendition.modify_line().line_pattern = KT_Line_By_Shape;
    rendition.modify_line().line_shape = engine->line_shape(1);
    const KT_Point points[2] = {{1, 1, 0}, {20, 30, 0}};
    draw_dc(2, points);
    ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_2DI_Polyline"});
    EXPECT_EQ(calls()[0].line_pattern, KT_Line_Solid);
}

TEST_F(Polyline_Routing, WideLinesAreFilledThroughTheClippingPolygonSlot) {
    rendition.modify_line().line_weight = 5;
    const KT_Point points[2] = {{10, 10, 0}, {50, 10, 0}};
    draw_dc(2, points);
    const std::vector<Call> areas = calls_to(KT_Slot_Draw_2D_Polygon);
    ASSERT_EQ(areas.size(), 1u) << "butt ends: the piece alone";
    EXPECT_EQ(areas[0].points.size(), 6u);
    EXPECT_EQ(areas[0].line_weight, 0) << "outlines of the pieces are thin";
    EXPECT_TRUE(calls_to(KT_Slot_Draw_DCI_Polyline).empty());
}

TEST_F(Polyline_Routing, DashedThinLinesAreDrawnPieceByPiece) {
    rendition.modify_line().line_pattern = 2; // dashes of 8, gaps of 4, at half scale
    const KT_Point points[2] = {{0, 0, 0}, {24, 0, 0}};
    draw_dc(2, points);
    const std::vector<Call> pieces = calls_to(KT_Slot_Draw_DC_Polyline);
    ASSERT_EQ(pieces.size(), 4u);
    for (const Call& piece : pieces) {
        EXPECT_EQ(piece.points[1].x - piece.points[0].x, 4);
        EXPECT_EQ(piece.line_pattern, KT_Line_Solid);
    }
    EXPECT_EQ(pieces[1].points[0].x, 6);
}

TEST_F(Polyline_Routing, BadInputDrawsNothing) {
    const KT_Point with_nan[2] = {{NAN, 0, 0}, {10, 10, 0}};
    const KT_Point with_infinity[2] = {{0, 0, 0}, {INFINITY, 10, 0}};
    const KT_Point_D with_nan_d[2] = {{0, NAN, 0}, {10, 10, 0}};
    const KT_Point fine[2] = {{0, 0, 0}, {10, 10, 0}};
    KD_Standard_Draw_2D_Polyline(top(), &rendition, 2, with_nan);
    KD_Standard_Draw_2D_Polyline(top(), &rendition, 2, with_infinity);
    KD_Action_Draw_2DD_Polyline(top(), &rendition, 2, with_nan_d);
    draw_dc(2, with_nan);
    KD_Standard_Draw_2D_Polyline(top(), &rendition, 1, fine);
    KD_Standard_Draw_2D_Polyline(top(), &rendition, 0, fine);
    KD_Standard_Draw_2D_Polyline(top(), &rendition, -5, fine);
    KD_Standard_Draw_2D_Polyline(top(), &rendition, 2, nullptr);
    KD_Standard_Draw_2D_Polyline(top(), nullptr, 2, fine);
    EXPECT_TRUE(calls().empty());
}

TEST_F(Polyline_Routing, HugeWeightIsClampedAndStillDraws) {
    rendition.modify_line().line_weight = 2000000000;
    rendition.modify_line().join_style = 2;
    const KT_Point points[3] = {{10, 10, 0}, {50, 10, 0}, {50, 50, 0}};
    draw_dc(3, points);
    ASSERT_FALSE(calls_to(KT_Slot_Draw_2D_Polygon).empty());
    for (const Call& area : calls_to(KT_Slot_Draw_2D_Polygon))
        for (const KT_Point_D& p : area.points)
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
}

} // namespace
