// Polygons filled with lines for devices that cannot fill, and the inward
// shrink that keeps wide fill lines inside.
#include <algorithm>
#include <cmath>
#include <set>

#include "draw2d/vector_fill.h"
#include "routing_fixture.h"

using namespace polygons_test;

namespace {

// The corners of a polygon, as a sorted set so winding does not matter.
std::set<std::pair<float, float>> corners(int n, const KT_Point* p) {
    std::set<std::pair<float, float>> s;
    for (int i = 0; i < n; ++i)
        s.insert({p[i].x, p[i].y});
    return s;
}

TEST(Shrink_Polygon, SquareShrinksByTheDistanceWhicheverWayItIsWound) {
    const std::set<std::pair<float, float>> eight_by_eight = {{1, 1}, {9, 1}, {9, 9}, {1, 9}};
    KT_Point counter_clockwise[] = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
    KT_Point clockwise[] = {{0, 0, 0}, {0, 10, 0}, {10, 10, 0}, {10, 0, 0}};
    KD_Shrink_DC_Polygon(4, counter_clockwise, 1.0f);
    KD_Shrink_DC_Polygon(4, clockwise, 1.0f);
    EXPECT_EQ(corners(4, counter_clockwise), eight_by_eight);
    EXPECT_EQ(corners(4, clockwise), eight_by_eight);
}

TEST(Shrink_Polygon, RepeatedCornersAreSkippedWhenFindingNeighbours) {
    KT_Point doubled_corner[] = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {10, 10, 0}, {0, 10, 0}};
    KD_Shrink_DC_Polygon(5, doubled_corner, 2.0f);
    EXPECT_FLOAT_EQ(doubled_corner[2].x, 8.0f);
    EXPECT_FLOAT_EQ(doubled_corner[2].y, 8.0f);
    EXPECT_FLOAT_EQ(doubled_corner[3].x, 8.0f);
    EXPECT_FLOAT_EQ(doubled_corner[3].y, 8.0f);
}

TEST(Shrink_Polygon, ZeroDistanceAndDegeneratePolygonsChangeNothing) {
    KT_Point square[] = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
    KT_Point flat[] = {{0, 0, 0}, {5, 0, 0}, {10, 0, 0}};
    KD_Shrink_DC_Polygon(4, square, 0.0f);
    KD_Shrink_DC_Polygon(3, flat, 1.0f);
    EXPECT_FLOAT_EQ(square[2].x, 10.0f);
    EXPECT_FLOAT_EQ(flat[1].x, 5.0f);
    EXPECT_FLOAT_EQ(flat[1].y, 0.0f);
}

class Vector_Fill : public Routing {
protected:
    Vector_Fill() { device->record<KT_Slot_Draw_2DI_Polyline>(); }

    void fill(std::int32_t pattern, int count, const KT_DCI_Point* points, int width, int spacing,
              bool horizontal) {
        rendition.modify_face().face_pattern = pattern;
        KD_Fill_2DI_Polygon(device.body(), &rendition, count, points, width, spacing, horizontal,
                            false);
    }

    // The two-point lines drawn, whose ends share the given coordinate.
    std::vector<slots::Call> lines_where(bool same_y) const {
        std::vector<slots::Call> found;
        for (const slots::Call& c : slots::calls())
            if (c.points.size() == 2 &&
                (same_y ? c.points[0].y == c.points[1].y : c.points[0].x == c.points[1].x))
                found.push_back(c);
        return found;
    }

    const KT_DCI_Point square[4] = {{20, 20, 0}, {60, 20, 0}, {60, 60, 0}, {20, 60, 0}};
};

TEST_F(Vector_Fill, SolidFillDrawsLinesWidthApartThenTheClosedOutline) {
    const int width = 10;
    fill(KT_Face_Solid, 4, square, width, 1, true);
    ASSERT_FALSE(slots::calls().empty());
    const slots::Call& outline = slots::calls().back();
    ASSERT_EQ(outline.points.size(), 5u);
    EXPECT_EQ(outline.points[4].x, outline.points[0].x);
    EXPECT_EQ(outline.points[4].y, outline.points[0].y);
    // Rows 20, 30, 40, 50 (row 60 is the top edge, which counts half-open).
    const auto rows = lines_where(true);
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].points[0].y, 20 + width * double(i));
        EXPECT_EQ(std::min(rows[i].points[0].x, rows[i].points[1].x), 20);
        EXPECT_EQ(std::max(rows[i].points[0].x, rows[i].points[1].x), 60);
    }
}

TEST_F(Vector_Fill, HatchLinesLieOnMultiplesOfTheSpacingSoNeighboursLineUp) {
    const KT_DCI_Point lower[] = {{20, 13, 0}, {60, 13, 0}, {60, 35, 0}, {20, 35, 0}};
    const KT_DCI_Point upper[] = {{20, 35, 0}, {60, 35, 0}, {60, 61, 0}, {20, 61, 0}};
    const int width = 2, spacing = 4; // lines 8 apart
    fill(68, 4, lower, width, spacing, true);
    fill(68, 4, upper, width, spacing, true);
    const auto rows = lines_where(true);
    ASSERT_EQ(rows.size(), 6u) << "rows 16, 24, 32 and 40, 48, 56";
    for (const slots::Call& c : rows)
        EXPECT_EQ(int(c.points[0].y) % (width * spacing), 0) << "row " << c.points[0].y;
}

TEST_F(Vector_Fill, EachHatchNumberDrawsItsLineFamilies) {
    struct Expectation {
        std::int32_t pattern;
        bool rows;
        bool columns;
        bool diagonals;
    };
    const Expectation table[] = {
        {66, true, true, false},   {67, false, false, true},  {68, true, false, false},
        {69, false, false, true},  {70, false, false, true},  {72, false, true, false},
        {73, false, false, false}, {80, false, false, false},
    };
    for (const Expectation& e : table) {
        SCOPED_TRACE(e.pattern);
        slots::calls().clear();
        fill(e.pattern, 4, square, 2, 5, true);
        const std::size_t rows = lines_where(true).size();
        const std::size_t columns = lines_where(false).size();
        EXPECT_EQ(rows > 0, e.rows);
        EXPECT_EQ(columns > 0, e.columns);
        EXPECT_EQ(slots::calls().size() > rows + columns, e.diagonals);
    }
}

TEST_F(Vector_Fill, DoubledGridsDrawEachFamilyTwice) {
    fill(66, 4, square, 2, 5, true);
    const std::size_t single = slots::calls().size();
    slots::calls().clear();
    fill(71, 4, square, 2, 5, true);
    const std::size_t close_doubled = slots::calls().size();
    slots::calls().clear();
    fill(65, 4, square, 2, 5, true);
    const std::size_t doubled = slots::calls().size();
    EXPECT_EQ(close_doubled, 2 * single);
    EXPECT_EQ(doubled, 2 * single);
}

TEST_F(Vector_Fill, HugePolygonIsFilledOnlyWithinTheHardClip) {
    const int huge = 1 << 30;
    const KT_DCI_Point everywhere[] = {
        {-huge, -huge, 0}, {huge, -huge, 0}, {huge, huge, 0}, {-huge, huge, 0}};
    fill(KT_Face_Solid, 4, everywhere, 1, 1, true);
    const int clip_rows = clip_10_to_90.top - clip_10_to_90.bottom + 1;
    EXPECT_EQ(lines_where(true).size(), std::size_t(clip_rows));
}

TEST_F(Vector_Fill, ShrinkingKeepsWideLinesInside) {
    rendition.modify_face().face_pattern = KT_Face_Solid;
    KD_Fill_2DI_Polygon(device.body(), &rendition, 4, square, 4, 1, true, true);
    ASSERT_FALSE(slots::calls().empty());
    for (const slots::Call& c : slots::calls())
        for (const KT_Point_D& p : c.points) {
            EXPECT_GE(p.x, 22);
            EXPECT_LE(p.x, 58);
            EXPECT_GE(p.y, 22);
            EXPECT_LE(p.y, 58);
        }
}

TEST_F(Vector_Fill, PolytriangleFillsEachTriangle) {
    rendition.modify_face().face_pattern = KT_Face_Solid;
    const KT_Point strip[] = {{20, 20, 0}, {60, 20, 0}, {20, 60, 0}, {60, 60, 0}};
    KD_Fill_2D_Polytriangle(device.body(), &rendition, 4, strip, 10, 1, true);
    int outlines = 0;
    for (const slots::Call& c : slots::calls())
        outlines += c.points.size() == 4;
    EXPECT_EQ(outlines, 2) << "a closed triangle outline per triangle";
}

TEST_F(Vector_Fill, VectorFillOfAPolylineDrawsNoOutline) {
    KD_Vector_Fill_2DI_Polyline(device.body(), &rendition, 4, square, 10, false);
    const auto columns = lines_where(false);
    EXPECT_EQ(columns.size(), slots::calls().size());
    EXPECT_EQ(columns.size(), 4u) << "columns 20, 30, 40, 50";
}

TEST_F(Vector_Fill, BadInputDrawsNothing) {
    KD_Fill_2DI_Polygon(device.body(), &rendition, 2, square, 2, 2, true, false);
    KD_Fill_2DI_Polygon(device.body(), &rendition, -4, square, 2, 2, true, false);
    KD_Fill_2DI_Polygon(device.body(), &rendition, 4, nullptr, 2, 2, true, false);
    KD_Fill_2DI_Polygon(device.body(), nullptr, 4, square, 2, 2, true, false);
    const float nan_value = std::nanf("");
    const KT_Point broken[] = {{nan_value, 0, 0}, {10, 0, 0}, {10, 10, 0}};
    KD_Fill_2D_Polygon(device.body(), &rendition, 3, broken, 2, 2, true, true);
    EXPECT_TRUE(slots::calls().empty());
}

} // namespace
