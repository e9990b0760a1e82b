// Filled figures through the whole pipeline into the capturing device.
#include <gtest/gtest.h>

#include <cmath>

#include "../support/capturing_device.h"

namespace {

constexpr double two_pi = 6.283185307179586;

class Figure_Pixels : public ::testing::Test {
protected:
    KT_Renderer device{new capture::Device(201, 201)};
    capture::Device& capture = *static_cast<capture::Device*>(device.body());
    KT_Rendition rendition{device.body()};

    bool drawn(int x, int y) const { return capture.picture.at(x, y).hits > 0; }
};

TEST_F(Figure_Pixels, FilledCircleMarkerOfSizeTenIsADiscOfRadiusTen) {
    rendition.modify_marker().marker_symbol = 9;
    rendition.modify_marker().marker_size = 10;
    const KT_Point at = {100, 100, 0};
    KD_Action_Draw_2D_Polymarker(device.body(), &rendition, 1, &at);
    for (int y = 80; y <= 120; ++y)
        for (int x = 80; x <= 120; ++x) {
            const double r = std::hypot(x - 100, y - 100);
            if (r <= 9) {
                EXPECT_TRUE(drawn(x, y)) << "(" << x << ", " << y << ") inside";
            } else if (r >= 11) {
                EXPECT_FALSE(drawn(x, y)) << "(" << x << ", " << y << ") outside";
            }
        }
}

TEST_F(Figure_Pixels, FilledSquareMarkerOfSizeSixtyFourCoversItsCorners) {
    rendition.modify_marker().marker_symbol = 13;
    rendition.modify_marker().marker_size = 64;
    const KT_Point at = {100, 100, 0};
    KD_Action_Draw_DC_Polymarker(device.body(), &rendition, 1, &at);
    EXPECT_TRUE(drawn(56, 56));
    EXPECT_TRUE(drawn(144, 144));
    EXPECT_FALSE(drawn(54, 100));
    EXPECT_FALSE(drawn(100, 146));
    EXPECT_EQ(capture.picture.max_hits(), 1) << "the two triangles do not overlap";
}

TEST_F(Figure_Pixels, FullEllipseIsSymmetricAndWithinAPixelOfItsCurve) {
    const KT_DCI_Point centre = {100, 100, 0};
    const KT_DCI_Point radii = {60, 25, 0};
    KD_Action_Draw_DCI_Ellipse(device.body(), &rendition, &centre, &radii, 0.0, two_pi, 0.0,
                               nullptr);
    ASSERT_GT(capture.picture.covered_count(), 0);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            const double u = (x - 100) / 60.0;
            const double v = (y - 100) / 25.0;
            const double level = std::sqrt(u * u + v * v);
            // Along the short axis a unit of level is 25 pixels: the
            // tightest bound on the distance to the curve.
            if (drawn(x, y)) {
                EXPECT_LT((level - 1) * 25, 1) << "(" << x << ", " << y << ") drawn outside";
            } else if (level < 1) {
                EXPECT_LT((1 - level) * 25, 1) << "(" << x << ", " << y << ") missing inside";
            }
        }
    // Coverage is half-open, so a pixel centre lying exactly on an edge is
    // drawn on one side and not on the other: each row and each column
    // mirrors about the centre within one pixel.
    for (int i = 0; i <= 200; ++i) {
        int left = 0, right = 0, below = 0, above = 0;
        for (int j = 0; j < 100; ++j) {
            left += drawn(j, i);
            right += drawn(200 - j, i);
            below += drawn(i, j);
            above += drawn(i, 200 - j);
        }
        EXPECT_LE(std::abs(left - right), 1) << "row " << i;
        EXPECT_LE(std::abs(below - above), 1) << "column " << i;
    }
}

TEST_F(Figure_Pixels, EllipseStraddlingTheWindowIsClippedToIt) {
    const KT_Point centre = {0, 100, 0};
    const KT_Point radii = {50, 50, 0};
    KD_Action_Draw_2D_Ellipse(device.body(), &rendition, &centre, &radii, 0.0, two_pi, 0.0,
                              nullptr);
    EXPECT_EQ(capture.outside, 0);
    EXPECT_TRUE(drawn(0, 100));
    EXPECT_TRUE(drawn(45, 100));
    EXPECT_FALSE(drawn(52, 100));
}

} // namespace
