// Where polygons of each family go: strips, triangles, pieces of the complex
// clip and hatching.
#include <cmath>
#include <limits>

#include "contour/contour_set.h"
#include "routing_fixture.h"

using namespace polygons_test;

namespace {

// Twice the total area of the triangles of the strips recorded.
double strip_area2(const std::vector<slots::Call>& calls) {
    double sum = 0.0;
    for (const slots::Call& c : calls)
        for (std::size_t i = 0; i + 2 < c.points.size(); ++i) {
            const KT_Point_D& a = c.points[i];
            const KT_Point_D& b = c.points[i + 1];
            const KT_Point_D& d = c.points[i + 2];
            sum += std::fabs((b.x - a.x) * (d.y - a.y) - (b.y - a.y) * (d.x - a.x));
        }
    return sum;
}

bool same_point(const KT_Point_D& a, const KT_Point& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

class Polygon_Routing : public Routing {
protected:
    Polygon_Routing() {
        record_family<KT_Family::DC>();
        record_family<KT_Family::DCI>();
    }
};

TEST_F(Polygon_Routing, ConvexPentagonIsOneStripAlternatingBetweenItsEnds) {
    const KT_Point pentagon[] = {{50, 20, 0}, {80, 40, 0}, {70, 80, 0}, {30, 80, 0}, {20, 40, 0}};
    KD_Next_Action<KT_Slot_Draw_DC_Polygon>(&rendition, 5, pentagon,
                                            static_cast<const KT_RGB32*>(nullptr));
    ASSERT_EQ(slots::calls().size(), 1u);
    const slots::Call& strip = slots::calls()[0];
    EXPECT_EQ(strip.slot, KT_Slot_Draw_DC_Polytriangle);
    const int expected_order[] = {0, 1, 4, 2, 3};
    ASSERT_EQ(strip.points.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(same_point(strip.points[i], pentagon[expected_order[i]])) << "position " << i;
}

TEST_F(Polygon_Routing, ColourMakesTheStripColorizedWithOneColour) {
    const KT_Point square[] = {{20, 20, 0}, {80, 20, 0}, {80, 80, 0}, {20, 80, 0}};
    const KT_RGB32 orange{0, 128, 255, 255};
    KD_Next_Action<KT_Slot_Draw_DC_Polygon>(&rendition, 4, square, &orange);
    ASSERT_EQ(slots::calls().size(), 1u);
    EXPECT_EQ(slots::calls()[0].slot, KT_Slot_Draw_DC_Colorized_Polytriangle);
    EXPECT_TRUE(slots::calls()[0].single_color);
}

TEST_F(Polygon_Routing, ConcavePolygonIsTriangulatedCoveringItsArea) {
    // An arrow head: the notch at (50, 40) makes it concave.
    const KT_Point arrow[] = {{20, 20, 0}, {50, 40, 0}, {80, 20, 0}, {80, 60, 0}, {20, 60, 0}};
    KD_Next_Action<KT_Slot_Draw_DC_Polygon>(&rendition, 5, arrow,
                                            static_cast<const KT_RGB32*>(nullptr));
    const auto triangles = slots::calls_to(KT_Slot_Draw_DC_Polytriangle);
    EXPECT_EQ(triangles.size(), 3u);
    for (const slots::Call& c : triangles)
        EXPECT_EQ(c.points.size(), 3u);
    const double area = 60.0 * 40.0 - 60.0 * 20.0 / 2.0;
    EXPECT_NEAR(strip_area2(triangles), 2.0 * area, 1e-6);
}

TEST_F(Polygon_Routing, ConvexPolygonOfSixtyFiveCornersIsTriangulated) {
    std::vector<KT_Point> circle;
    const double pi = std::acos(-1.0);
    for (int i = 0; i < 65; ++i)
        circle.push_back({float(50 + 30 * std::cos(2 * pi * i / 65)),
                          float(50 + 30 * std::sin(2 * pi * i / 65)), 0});
    KD_Next_Action<KT_Slot_Draw_DC_Polygon>(&rendition, 65, circle.data(),
                                            static_cast<const KT_RGB32*>(nullptr));
    const auto triangles = slots::calls_to(KT_Slot_Draw_DC_Polytriangle);
    EXPECT_EQ(triangles.size(), 63u);
}

TEST_F(Polygon_Routing, DciTriangleGoesStraightToTheDciPolytriangle) {
    const KT_DCI_Point triangle[] = {{20, 20, 0}, {80, 20, 0}, {50, 80, 0}};
    const KT_RGB32 colour{1, 2, 3, 255};
    KD_Next_Action<KT_Slot_Draw_DCI_Polygon>(&rendition, 3, triangle,
                                             static_cast<const KT_RGB32*>(nullptr));
    KD_Next_Action<KT_Slot_Draw_DCI_Polygon>(&rendition, 3, triangle, &colour);
    ASSERT_EQ(slots::calls().size(), 2u);
    EXPECT_EQ(slots::calls()[0].slot, KT_Slot_Draw_DCI_Polytriangle);
    EXPECT_EQ(slots::calls()[1].slot, KT_Slot_Draw_DCI_Colorized_Polytriangle);
}

TEST_F(Polygon_Routing, DciQuadrilateralPassesThroughTheDcPolygon) {
    const KT_DCI_Point square[] = {{20, 20, 0}, {80, 20, 0}, {80, 80, 0}, {20, 80, 0}};
    KD_Next_Action<KT_Slot_Draw_DCI_Polygon>(&rendition, 4, square,
                                             static_cast<const KT_RGB32*>(nullptr));
    ASSERT_EQ(slots::calls().size(), 1u);
    EXPECT_EQ(slots::calls()[0].slot, KT_Slot_Draw_DC_Polytriangle);
}

TEST_F(Polygon_Routing, ComplexClipKeepsOnlyTheInsideHalf) {
    // The region is the left half of the window.
    const KT_Point half[] = {{0, 0, 0}, {50, 0, 0}, {50, 100, 0}, {0, 100, 0}};
    rendition.set_complex_clip(KT_Contour_Set(4, half, true), false);
    const KT_DCI_Point triangle[] = {{20, 20, 0}, {80, 20, 0}, {20, 80, 0}};
    KD_Next_Action<KT_Slot_Draw_DCI_Polygon>(&rendition, 3, triangle,
                                             static_cast<const KT_RGB32*>(nullptr));
    const auto drawn = slots::calls_to(KT_Slot_Draw_DC_Polytriangle);
    ASSERT_FALSE(drawn.empty());
    for (const slots::Call& c : drawn)
        for (const KT_Point_D& p : c.points)
            EXPECT_LE(p.x, 50.0 + 1e-4);
    // The triangle's part left of x = 50: a trapezoid of 30 by (60, 30).
    EXPECT_NEAR(strip_area2(drawn), 2.0 * 30.0 * (60.0 + 30.0) / 2.0, 1e-3);
}

TEST_F(Polygon_Routing, PolygonsInsideTheClipGoToTheFamilyThatTrustsIt) {
    device->record<KT_Slot_Draw_DC_Polygon>();
    device->record<KT_Slot_Draw_DCI_Polygon>();
    const KT_Point square[] = {{20, 20, 0}, {80, 20, 0}, {80, 80, 0}, {20, 80, 0}};
    const KT_DCI_Point integer_square[] = {{20, 20, 0}, {80, 20, 0}, {80, 80, 0}, {20, 80, 0}};
    const KT_RGB32* no_colour = nullptr;
    KD_Next_Action<KT_Slot_Draw_2D_Polygon>(&rendition, 4, square, no_colour);
    KD_Next_Action<KT_Slot_Draw_2DI_Polygon>(&rendition, 4, integer_square, no_colour);
    ASSERT_EQ(slots::calls().size(), 2u);
    EXPECT_EQ(slots::calls()[0].slot, KT_Slot_Draw_DC_Polygon);
    EXPECT_EQ(slots::calls()[1].slot, KT_Slot_Draw_DCI_Polygon);
}

TEST_F(Polygon_Routing, FloatPolygonAcrossTheClipIsDrawnJustInsideIt) {
    const KT_Point wide_square[] = {{-50, 20, 0}, {150, 20, 0}, {150, 80, 0}, {-50, 80, 0}};
    KD_Next_Action<KT_Slot_Draw_2D_Polygon>(&rendition, 4, wide_square,
                                            static_cast<const KT_RGB32*>(nullptr));
    ASSERT_FALSE(slots::calls().empty());
    for (const slots::Call& c : slots::calls())
        for (const KT_Point_D& p : c.points)
            EXPECT_TRUE(inside_pixels(hard_clip(), p)) << c.name() << " " << p.x << ", " << p.y;
    // The clip's 81 columns, its right one included.
    const double inside_area = 81.0 * 60.0;
    EXPECT_NEAR(strip_area2(slots::calls()), 2.0 * inside_area, 1e-3);
}

TEST_F(Polygon_Routing, PolygonWhollyOnOneSideDrawsNothing) {
    const KT_Point left_of_clip[] = {{0, 20, 0}, {5, 20, 0}, {5, 80, 0}, {0, 80, 0}};
    KD_Next_Action<KT_Slot_Draw_2D_Polygon>(&rendition, 4, left_of_clip,
                                            static_cast<const KT_RGB32*>(nullptr));
    EXPECT_TRUE(slots::calls().empty());
}

TEST_F(Polygon_Routing, BadInputDrawsNothing) {
    const float nan_value = std::numeric_limits<float>::quiet_NaN();
    const KT_Point broken[] = {{nan_value, 20, 0}, {80, 20, 0}, {80, 80, 0}, {20, 80, 0}};
    const KT_DCI_Point integer_square[] = {{20, 20, 0}, {80, 20, 0}, {80, 80, 0}, {20, 80, 0}};
    const KT_RGB32* no_colour = nullptr;
    KD_Next_Action<KT_Slot_Draw_2D_Polygon>(&rendition, 4, broken, no_colour);
    KD_Next_Action<KT_Slot_Draw_DC_Polygon>(&rendition, 4, broken, no_colour);
    KD_Next_Action<KT_Slot_Draw_2DI_Polygon>(&rendition, 2, integer_square, no_colour);
    KD_Next_Action<KT_Slot_Draw_DCI_Polygon>(&rendition, 0, integer_square, no_colour);
    KD_Next_Action<KT_Slot_Draw_DCI_Polygon>(&rendition, -1, integer_square, no_colour);
    KD_Next_Action<KT_Slot_Draw_DCI_Polygon>(&rendition, 4,
                                             static_cast<const KT_DCI_Point*>(nullptr), no_colour);
    EXPECT_TRUE(slots::calls().empty());
}

TEST_F(Polygon_Routing, HugeCoordinatesReachTheDcSlotsOnlyInsideTheClip) {
    const float huge = 1e30f;
    const KT_Point enormous_concave[] = {
        {-huge, -huge, 0}, {50, 0, 0}, {huge, -huge, 0}, {huge, huge, 0}, {-huge, huge, 0}};
    const KT_DCI_Point near_the_limits[] = {{INT32_MIN, INT32_MIN, 0},
                                            {INT32_MAX, INT32_MIN, 0},
                                            {INT32_MAX, INT32_MAX, 0},
                                            {INT32_MIN, INT32_MAX, 0}};
    KD_Next_Action<KT_Slot_Draw_2D_Polygon>(&rendition, 5, enormous_concave,
                                            static_cast<const KT_RGB32*>(nullptr));
    KD_Next_Action<KT_Slot_Draw_2DI_Polygon>(&rendition, 4, near_the_limits,
                                             static_cast<const KT_RGB32*>(nullptr));
    // Both cover the whole clip, whose pixels span 81 by 81.
    const double clip_area = 81.0 * 81.0;
    EXPECT_NEAR(strip_area2(slots::calls()), 2.0 * 2.0 * clip_area, 1e-3);
    for (const slots::Call& c : slots::calls())
        for (const KT_Point_D& p : c.points)
            EXPECT_TRUE(inside_pixels(hard_clip(), p)) << c.name() << " " << p.x << ", " << p.y;
}

TEST_F(Polygon_Routing, HatchedPolygonIsDrawnAsLinesInsideIt) {
    device->record<KT_Slot_Draw_DC_Polyline>();
    rendition.modify_face().face_pattern = KT_Face_Hatch;
    const KT_Point square[] = {{20, 20, 0}, {80, 20, 0}, {80, 80, 0}, {20, 80, 0}};
    KD_Next_Action<KT_Slot_Draw_DC_Polygon>(&rendition, 4, square,
                                            static_cast<const KT_RGB32*>(nullptr));
    const auto lines = slots::calls_to(KT_Slot_Draw_DC_Polyline);
    EXPECT_EQ(lines.size(), slots::calls().size()) << "nothing but lines";
    ASSERT_GT(lines.size(), 5u);
    for (const slots::Call& c : lines)
        for (const KT_Point_D& p : c.points) {
            EXPECT_GE(p.x, 20.0 - 1e-3);
            EXPECT_LE(p.x, 80.0 + 1e-3);
            EXPECT_GE(p.y, 20.0 - 1e-3);
            EXPECT_LE(p.y, 80.0 + 1e-3);
        }
}

TEST_F(Polygon_Routing, HatchFollowsTheFacesLineFamilies) {
    device->record<KT_Slot_Draw_DC_Polyline>();
    // Horizontal lines through y = 5 + 10 k.
    const KT_Parallel_Line_Set horizontal(0, 5, 0, 0, 10, 0, nullptr);
    KT_Face_Data& face = rendition.modify_face();
    face.face_pattern = KT_Face_Hatch;
    face.hatch_pattern = KT_Hatch_Pattern(1, &horizontal, true);
    const KT_Point square[] = {{20, 20, 0}, {80, 20, 0}, {80, 80, 0}, {20, 80, 0}};
    KD_Next_Action<KT_Slot_Draw_DC_Polygon>(&rendition, 4, square,
                                            static_cast<const KT_RGB32*>(nullptr));
    const auto lines = slots::calls_to(KT_Slot_Draw_DC_Polyline);
    ASSERT_EQ(lines.size(), 6u) << "y = 25, 35, ..., 75";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_NEAR(lines[i].points[0].y, 25.0 + 10.0 * i, 1e-4);
        EXPECT_NEAR(lines[i].points[1].y, 25.0 + 10.0 * i, 1e-4);
        EXPECT_NEAR(std::fabs(lines[i].points[1].x - lines[i].points[0].x), 60.0, 1e-4);
    }
}

TEST_F(Polygon_Routing, DashedHatchDrawsItsDashesStaggeredFromLineToLine) {
    device->record<KT_Slot_Draw_DC_Polyline>();
    // Horizontal lines 30 apart through y = 0, dashes of 10 drawn and 5
    // skipped from x = 0, each line's pattern shifted 5 further along.
    const float drawn_and_skipped[] = {10, 5};
    const KT_Parallel_Line_Set dashed(0, 0, 0, 5, 30, 2, drawn_and_skipped);
    KT_Face_Data& face = rendition.modify_face();
    face.face_pattern = KT_Face_Hatch;
    face.hatch_pattern = KT_Hatch_Pattern(1, &dashed, true);
    const KT_Point square[] = {{20, 20, 0}, {80, 20, 0}, {80, 80, 0}, {20, 80, 0}};
    KD_Next_Action<KT_Slot_Draw_DC_Polygon>(&rendition, 4, square,
                                            static_cast<const KT_RGB32*>(nullptr));
    std::vector<std::pair<double, double>> line_30, line_60;
    for (const slots::Call& c : slots::calls_to(KT_Slot_Draw_DC_Polyline)) {
        const auto dash = std::make_pair(std::min(c.points[0].x, c.points[1].x),
                                         std::max(c.points[0].x, c.points[1].x));
        (c.points[0].y < 45 ? line_30 : line_60).push_back(dash);
    }
    // Line 1 (y = 30) starts its pattern at x = 5: dashes 5-15, 20-30, ...
    const std::vector<std::pair<double, double>> expected_30 = {
        {20, 30}, {35, 45}, {50, 60}, {65, 75}};
    // Line 2 (y = 60) at x = 10: dashes 10-20, 25-35, ...
    const std::vector<std::pair<double, double>> expected_60 = {
        {25, 35}, {40, 50}, {55, 65}, {70, 80}};
    ASSERT_EQ(line_30.size(), expected_30.size());
    ASSERT_EQ(line_60.size(), expected_60.size());
    for (std::size_t i = 0; i < expected_30.size(); ++i) {
        EXPECT_NEAR(line_30[i].first, expected_30[i].first, 1e-3) << "dash " << i << " at y 30";
        EXPECT_NEAR(line_30[i].second, expected_30[i].second, 1e-3) << "dash " << i << " at y 30";
        EXPECT_NEAR(line_60[i].first, expected_60[i].first, 1e-3) << "dash " << i << " at y 60";
        EXPECT_NEAR(line_60[i].second, expected_60[i].second, 1e-3) << "dash " << i << " at y 60";
    }
}

} // namespace

namespace {

TEST_F(Polygon_Routing, FacePatternByShapeHandsPolygonsAndStripsToTheShapeEngine) {
    // Without a shape of its own the face falls back on the base engine,
    // which draws plainly through the integer slots.
    record_family<KT_Family::F2DI>();
    rendition.modify_face().face_pattern = KT_Face_By_Shape;
    const KT_Point square[] = {{20, 20, 0}, {80, 20, 0}, {80, 80, 0}, {20, 80, 0}};
    KD_Next_Action<KT_Slot_Draw_DC_Polygon>(&rendition, 4, square,
                                            static_cast<const KT_RGB32*>(nullptr));
    const std::size_t from_polygon = slots::calls().size();
    EXPECT_GT(from_polygon, 0u);
    KD_Next_Action<KT_Slot_Draw_2D_Polytriangle>(&rendition, 4, square);
    EXPECT_GT(slots::calls().size(), from_polygon);
    for (const slots::Call& c : slots::calls())
        EXPECT_EQ(c.slot, KT_Slot_Draw_2DI_Polytriangle) << c.name();
}

} // namespace
