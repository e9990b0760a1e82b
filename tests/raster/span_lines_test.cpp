// Thin lines and rectangles drawn as spans: which pixels a segment touches,
// that a segment and its reverse agree, how depth and colour run along it,
// and when the polyline actions take over.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <set>
#include <utility>

#include "../support/capturing_device.h"
#include "raster/span_lines.h"
#include "rendition/rendition.h"

namespace {

constexpr KT_RGB32 red = {0, 0, 255, 255};
constexpr KT_RGB32 blue = {255, 0, 0, 255};

std::set<std::pair<int, int>> covered(const capture::Picture& picture) {
    std::set<std::pair<int, int>> pixels;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.at(x, y).hits > 0) pixels.insert({x, y});
    return pixels;
}

class Span_Lines : public ::testing::Test {
protected:
    Span_Lines() : device(64, 64), rendition(&device) { rendition.set_front_color(red, false); }

    capture::Device device;
    KT_Rendition rendition;
};

TEST_F(Span_Lines, VerticalLineTouchesEveryRowOnce) {
    const KT_DCI_Point points[2] = {{0, 0, 0}, {0, 5, 0}};
    KD_Span_DCI_Line(&device, &rendition, points);

    for (int y = 0; y <= 5; ++y)
        EXPECT_EQ(device.picture.at(0, y).hits, 1) << "row " << y;
    EXPECT_EQ(device.picture.covered_count(), 6);
}

TEST_F(Span_Lines, ShallowLineGivesEachRowTheRunOfColumnsItCrosses) {
    const KT_DCI_Point points[2] = {{0, 0, 0}, {9, 2, 0}};
    KD_Span_DCI_Line(&device, &rendition, points);

    EXPECT_EQ(device.picture.covered_count(), 10) << "one pixel per column";
    EXPECT_EQ(device.rows.size(), 3u) << "one row image per row";
    EXPECT_EQ(device.picture.at(0, 0).hits, 1);
    EXPECT_EQ(device.picture.at(9, 2).hits, 1);
}

TEST_F(Span_Lines, SegmentAndItsReverseCoverTheSamePixels) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> coordinate(0, 63);
    for (int i = 0; i < 300; ++i) {
        const KT_DCI_Point a = {coordinate(random), coordinate(random), 0};
        const KT_DCI_Point b = {coordinate(random), coordinate(random), 0};
        const KT_DCI_Point forward[2] = {a, b};
        const KT_DCI_Point backward[2] = {b, a};
        device.clear();
        KD_Span_DCI_Line(&device, &rendition, forward);
        const auto forward_pixels = covered(device.picture);
        device.clear();
        KD_Span_DCI_Line(&device, &rendition, backward);

        ASSERT_EQ(covered(device.picture), forward_pixels)
            << "(" << a.x << "," << a.y << ") to (" << b.x << "," << b.y << ")";
        ASSERT_LE(device.picture.max_hits(), 1);
        ASSERT_EQ(device.picture.at(a.x, a.y).hits, 1) << "both ends are drawn";
        ASSERT_EQ(device.picture.at(b.x, b.y).hits, 1);
    }
}

TEST_F(Span_Lines, DownwardLineLongerThanABatchDrawsEveryRow) {
    // A steep downward segment of 150 rows walked in x-major order would
    // be 150 rows; a shallow one over 150 columns and 100 rows is x-major.
    capture::Device tall(200, 200);
    KT_Rendition tall_rendition(&tall);
    const KT_DCI_Point points[2] = {{0, 150, 0}, {160, 0, 0}};
    KD_Span_DCI_Line(&tall, &tall_rendition, points);

    for (int y = 0; y <= 150; ++y) {
        int in_row = 0;
        for (int x = 0; x < 200; ++x)
            in_row += tall.picture.at(x, y).hits;
        ASSERT_GE(in_row, 1) << "row " << y;
    }
    EXPECT_EQ(tall.picture.covered_count(), 161);
}

TEST_F(Span_Lines, DepthRunsFromEndToEndInSixteenBits) {
    const KT_DCI_Point points[2] = {{0, 0, 1000}, {0, 10, 2000}};
    KD_Span_DCI_Line(&device, &rendition, points);

    EXPECT_EQ(device.picture.at(0, 0).depth, 1000u);
    EXPECT_EQ(device.picture.at(0, 5).depth, 1500u);
    EXPECT_EQ(device.picture.at(0, 10).depth, 2000u);
}

TEST_F(Span_Lines, GouraudLineBlendsItsEndColours) {
    const KT_DCI_Point points[2] = {{0, 0, 0}, {0, 10, 0}};
    const KT_RGB32 colours[2] = {red, blue};
    KD_Span_DCI_Gouraud_Line(&device, &rendition, points, colours);

    EXPECT_EQ(device.picture.at(0, 0).colour.r, 255);
    EXPECT_EQ(device.picture.at(0, 10).colour.b, 255);
    EXPECT_NEAR(device.picture.at(0, 5).colour.r, 128, 1);
}

TEST_F(Span_Lines, ColorizedLineUsesItsOwnColour) {
    const KT_DCI_Point points[2] = {{2, 2, 0}, {8, 2, 0}};
    KD_Span_DCI_Colorized_Line(&device, &rendition, points, blue);
    EXPECT_EQ(device.picture.at(5, 2).colour.b, 255);
}

TEST_F(Span_Lines, DCLineRoundsItsEnds) {
    const KT_Point points[2] = {{1.4f, 0.6f, 0.0f}, {1.4f, 3.4f, 0.0f}};
    KD_Span_DC_Line(&device, &rendition, points);

    EXPECT_EQ(device.picture.at(1, 1).hits, 1);
    EXPECT_EQ(device.picture.at(1, 3).hits, 1);
    EXPECT_EQ(device.picture.covered_count(), 3);
}

// Every polyline the device is asked to draw, by slot.
struct Polyline_Log {
    static inline int dci = 0;
    static inline int dc = 0;
    static inline KT_RGB32 front = {0, 0, 0, 0};
};

TEST_F(Span_Lines, WideOrPatternedLinesGoThroughThePolylineActions) {
    Polyline_Log::dci = 0;
    Polyline_Log::dc = 0;
    device.set_action<KT_Slot_Draw_DCI_Polyline>(
        [](const KT_Renderer_Data*, const KT_Rendition* r, int n, const KT_DCI_Point*) {
            Polyline_Log::dci += n;
            Polyline_Log::front = r->color().front.rgb;
        });
    device.set_action<KT_Slot_Draw_DC_Polyline>([](const KT_Renderer_Data*, const KT_Rendition*,
                                                   int n,
                                                   const KT_Point*) { Polyline_Log::dc += n; });
    const KT_DCI_Point device_points[2] = {{0, 0, 0}, {10, 0, 0}};
    const KT_Point points[2] = {{0, 0, 0}, {10, 0, 0}};
    rendition.modify_line().line_weight = 2;
    KD_Span_DCI_Colorized_Line(&device, &rendition, device_points, blue);
    KD_Span_DC_Line(&device, &rendition, points);
    rendition.modify_line().line_weight = 1;
    rendition.modify_line().line_pattern = 3;
    KD_Span_DCI_Line(&device, &rendition, device_points);

    EXPECT_EQ(Polyline_Log::dci, 4) << "two DCI segments of two points";
    EXPECT_EQ(Polyline_Log::dc, 2);
    EXPECT_EQ(Polyline_Log::front.r, red.r) << "the last one keeps the front colour";
    EXPECT_TRUE(device.rows.empty());
}

TEST_F(Span_Lines, BadInputDrawsNothing) {
    const KT_DCI_Point far[2] = {{0, 0, 0}, {40000, 0, 0}};
    const KT_Point not_a_number[2] = {{0, 0, 0}, {std::nanf(""), 0, 0}};
    KD_Span_DCI_Line(&device, &rendition, far);
    KD_Span_DCI_Line(&device, &rendition, nullptr);
    KD_Span_DCI_Line(&device, nullptr, far);
    KD_Span_DC_Line(&device, &rendition, not_a_number);
    EXPECT_TRUE(device.rows.empty());
}

class Span_Rectangle : public Span_Lines {};

TEST_F(Span_Rectangle, FillsColumnsUpToRightAndRowsThroughTop) {
    KD_Span_DC_Rectangle(&device, &rendition, 0, 9, 0, 4);

    EXPECT_EQ(device.picture.covered_count(), 9 * 5);
    EXPECT_EQ(device.picture.at(8, 4).hits, 1);
    EXPECT_EQ(device.picture.at(9, 0).hits, 0);
    EXPECT_EQ(device.picture.at(0, 5).hits, 0);
}

TEST_F(Span_Rectangle, LiesAtTheDeepestDepth) {
    KD_Span_DC_Rectangle(&device, &rendition, 0, 4, 0, 0);
    const std::uint32_t deepest = (1u << 16) - 1; // the device's 16-bit buffer
    EXPECT_EQ(device.picture.at(2, 0).depth, deepest);
}

TEST_F(Span_Rectangle, IsCutToTheHardClip) {
    rendition.set_hard_clip({10, 20, 10, 20}, false);
    KD_Span_DC_Rectangle(&device, &rendition, 0, 63, 0, 63);

    EXPECT_EQ(device.picture.at(10, 10).hits, 1);
    EXPECT_EQ(device.picture.at(19, 20).hits, 1);
    EXPECT_EQ(device.picture.at(20, 20).hits, 0) << "the clip's right column is open";
    EXPECT_EQ(device.picture.at(9, 10).hits, 0);
    EXPECT_EQ(device.picture.covered_count(), 10 * 11);
}

TEST_F(Span_Rectangle, TallRectangleGoesOutInBatchesOfRows) {
    capture::Device tall(4, 300);
    KT_Rendition tall_rendition(&tall);
    KD_Span_DC_Rectangle(&tall, &tall_rendition, 0, 2, 0, 299);
    EXPECT_EQ(tall.picture.covered_count(), 2 * 300);
    EXPECT_EQ(tall.rows.size(), 300u);
}

TEST_F(Span_Rectangle, FacePatternShowsThroughTheFill) {
    // Pattern 68: horizontal hatch, so some rows are left out when the
    // pattern is transparent.
    rendition.modify_face().face_pattern = 68;
    KD_Span_DC_Rectangle(&device, &rendition, 0, 8, 0, 7);

    EXPECT_GT(device.picture.covered_count(), 0);
    EXPECT_LT(device.picture.covered_count(), 8 * 8);
}

TEST_F(Span_Rectangle, EmptyRectangleDrawsNothing) {
    KD_Span_DC_Rectangle(&device, &rendition, 5, 5, 0, 10);
    KD_Span_DC_Rectangle(&device, &rendition, 0, 10, 6, 5);
    KD_Span_DC_Rectangle(&device, &rendition, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MIN);
    EXPECT_TRUE(device.rows.empty());
}

} // namespace
