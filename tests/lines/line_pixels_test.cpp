// Thin, dashed and clipped lines and arcs through the whole pipeline into
// the capturing device.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../support/capturing_device.h"
#include "contour/contour_set.h"

namespace {

constexpr double two_pi = 6.283185307179586;

class Line_Pixels : public ::testing::Test {
protected:
    static constexpr int size = 120;

    KT_Renderer device{new capture::Device(size, size)};
    capture::Device& capture = *static_cast<capture::Device*>(device.body());
    KT_Rendition rendition{device.body()};

    bool drawn(int x, int y) const { return capture.picture.at(x, y).hits > 0; }
    // How many drawn pixels are 8-connected to (x, y).
    int connected_from(int x, int y) const {
        std::vector<bool> seen(size * size, false);
        std::vector<std::pair<int, int>> open = {{x, y}};
        int found = 0;
        while (!open.empty()) {
            const auto [px, py] = open.back();
            open.pop_back();
            if (px < 0 || py < 0 || px >= size || py >= size || seen[py * size + px] ||
                !drawn(px, py))
                continue;
            seen[py * size + px] = true;
            ++found;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    open.push_back({px + dx, py + dy});
        }
        return found;
    }
    int drawn_in_row(int y) const {
        int n = 0;
        for (int x = 0; x < size; ++x)
            n += drawn(x, y);
        return n;
    }
};

TEST_F(Line_Pixels, VerticalLineOfFiveTouchesSixRows) {
    const KT_DCI_Point ends[2] = {{10, 0, 0}, {10, 5, 0}};
    KD_Action_Draw_DCI_Polyline(device.body(), &rendition, 2, ends);
    for (int y = 0; y <= 5; ++y)
        EXPECT_TRUE(drawn(10, y)) << "row " << y;
    EXPECT_EQ(capture.picture.covered_count(), 6);
}

TEST_F(Line_Pixels, PolylineOfThreePointsDrawsBothSegments) {
    const KT_DCI_Point path[3] = {{10, 10, 0}, {40, 10, 0}, {40, 30, 0}};
    KD_Action_Draw_DCI_Polyline(device.body(), &rendition, 3, path);
    for (int x = 10; x <= 40; ++x)
        EXPECT_TRUE(drawn(x, 10)) << "column " << x;
    for (int y = 10; y <= 30; ++y)
        EXPECT_TRUE(drawn(40, y)) << "row " << y;
}

TEST_F(Line_Pixels, MiddlePointOutsideTheWindowLeavesTwoClippedPieces) {
    const KT_Point path[3] = {{20, 20, 0}, {60, 500, 0}, {100, 20, 0}};
    KD_Action_Draw_2D_Polyline(device.body(), &rendition, 3, path);
    EXPECT_EQ(capture.outside, 0);
    EXPECT_TRUE(drawn(20, 20));
    EXPECT_TRUE(drawn(100, 20));
    EXPECT_GT(drawn_in_row(size - 1), 1) << "both pieces reach the top row";
}

TEST_F(Line_Pixels, ComplexClipKeepsOnlyThePartInsideItsRegion) {
    const KT_Point square[4] = {{30, 30, 0}, {60, 30, 0}, {60, 60, 0}, {30, 60, 0}};
    rendition.set_complex_clip(KT_Contour_Set(4, square, true), false);
    const KT_DCI_Point across[2] = {{0, 45, 0}, {119, 45, 0}};
    KD_Action_Draw_DCI_Polyline(device.body(), &rendition, 2, across);
    EXPECT_TRUE(drawn(45, 45));
    EXPECT_FALSE(drawn(20, 45));
    EXPECT_FALSE(drawn(70, 45));
    EXPECT_LE(drawn_in_row(45), 32);
}

TEST_F(Line_Pixels, DashedLineDrawsRunsOfItsPattern) {
    rendition.modify_line().line_pattern = 3; // 16 drawn, 8 skipped at half scale: 8 and 4
    const KT_DCI_Point ends[2] = {{0, 50, 0}, {119, 50, 0}};
    KD_Action_Draw_DCI_Polyline(device.body(), &rendition, 2, ends);
    std::vector<int> runs;
    int run = 0;
    for (int x = 0; x < 100; ++x) {
        if (drawn(x, 50)) {
            ++run;
        } else if (run > 0) {
            runs.push_back(run);
            run = 0;
        }
    }
    ASSERT_GE(runs.size(), 6u);
    for (const int length : runs)
        EXPECT_NEAR(length, 8, 1) << "a drawn dash";
}

// How far the circle of radius 40 about (60, 60) comes to the square of
// pixel (x, y).
double distance_to_square(int x, int y) {
    double nearest = 1e300;
    for (int k = 0; k < 2880; ++k) {
        const double a = two_pi * k / 2880;
        const double dx = std::max(0.0, std::fabs(60 + 40 * std::cos(a) - x) - 0.5);
        const double dy = std::max(0.0, std::fabs(60 + 40 * std::sin(a) - y) - 0.5);
        nearest = std::min(nearest, std::hypot(dx, dy));
    }
    return nearest;
}

TEST_F(Line_Pixels, ArcIsWithinAPixelOfItsCircleAndHasNoGaps) {
    const KT_DCI_Point centre = {60, 60, 0};
    const KT_DCI_Point radii = {40, 40, 0};
    KD_Action_Draw_DCI_Elliptical_Arc(device.body(), &rendition, &centre, &radii, 0.0, two_pi, 0.0,
                                      nullptr);
    // The arc's points are rounded to whole pixels and joined by thin
    // lines, so a drawn pixel is measured as the square it covers: some
    // part of it lies within a pixel of the circle.
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (drawn(x, y)) {
                EXPECT_LE(distance_to_square(x, y), 1) << x << ", " << y;
            }
    // Every point of the circle has a drawn pixel beside it, and the
    // drawn pixels form one 8-connected ring.
    for (int k = 0; k < 720; ++k) {
        const double a = two_pi * k / 720;
        const int cx = static_cast<int>(std::lround(60 + 40 * std::cos(a)));
        const int cy = static_cast<int>(std::lround(60 + 40 * std::sin(a)));
        bool near = false;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                near = near || drawn(cx + dx, cy + dy);
        EXPECT_TRUE(near) << "gap at angle " << a;
    }
    EXPECT_EQ(connected_from(100, 60), capture.picture.covered_count());
}

TEST_F(Line_Pixels, WideLineCoversItsWidth) {
    rendition.modify_line().line_weight = 6;
    const KT_DCI_Point ends[2] = {{20, 60, 0}, {100, 60, 0}};
    KD_Action_Draw_DCI_Polyline(device.body(), &rendition, 2, ends);
    for (int y = 58; y <= 62; ++y)
        EXPECT_TRUE(drawn(60, y)) << "row " << y;
    EXPECT_FALSE(drawn(60, 65));
    EXPECT_FALSE(drawn(60, 55));
}

} // namespace
