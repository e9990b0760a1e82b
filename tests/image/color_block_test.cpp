#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "image/color_cube.h"
#include "image/gray_ramp.h"

namespace {

KT_RGB32 rgb(int r, int g, int b) {
    return {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
            static_cast<std::uint8_t>(r), 255};
}

TEST(ColorCube, MatchesCornersAndEveryOwnColourOfASixCube) {
    KT_Color_Cube cube({6, 6, 6}, 1.0f, 16);
    EXPECT_EQ(cube.size(), 216);
    EXPECT_EQ(cube.closest_match(rgb(0, 0, 0)), 16);
    EXPECT_EQ(cube.closest_match(rgb(255, 255, 255)), 16 + 215);
    EXPECT_EQ(cube.closest_match(rgb(255, 0, 0)), 16 + 5 * 36);
    EXPECT_EQ(cube.closest_match(rgb(0, 0, 255)), 16 + 5);
    for (int i = 16; i < 16 + 216; ++i) {
        KT_RGB32 c = cube.color(i);
        ASSERT_EQ(cube.closest_match(c), i) << "index " << i;
        EXPECT_EQ(c.a, 255);
    }
    // Level 1 of 6 is 51; halfway to level 2 (76.5) is the boundary.
    EXPECT_EQ(cube.color(16 + 36).r, 51);
    EXPECT_EQ(cube.closest_match(rgb(0, 0, 76)), 16 + 1);
    EXPECT_EQ(cube.closest_match(rgb(0, 0, 77)), 16 + 2);
}

TEST(ColorCube, OutsideTheBlockAndDegenerateSizes) {
    KT_Color_Cube cube({2, 3, 4}, 1.0f, 10);
    EXPECT_EQ(cube.color(9).a, 0);
    EXPECT_EQ(cube.color(10 + 24).a, 0);
    EXPECT_EQ(cube.color(-5).a, 0);
    EXPECT_TRUE(cube.contains(33));
    EXPECT_FALSE(cube.contains(34));

    KT_Color_Cube flat({1, 0, -4}, 1.0f, 0);
    EXPECT_EQ(flat.size(), 1);
    EXPECT_EQ(flat.closest_match(rgb(200, 100, 50)), 0);
    KT_RGB32 c = flat.color(0);
    EXPECT_EQ(c.r + c.g + c.b, 0) << "a channel of one level is 0";

    KT_Color_Cube defaulted;
    EXPECT_EQ(defaulted.size(), 8);
    EXPECT_EQ(defaulted.closest_match(rgb(255, 0, 255)), 5);
}

// 255 * sqrt(1/2) = 180.3 for the middle of three levels; the ends stay.
TEST(ColorBlock, GammaBendsTheMiddleLevelsOnlyAndNaNMeansOne) {
    KT_Color_Cube cube({3, 3, 3}, 2.0f, 0);
    EXPECT_EQ(cube.color(9).r, 180);
    EXPECT_EQ(cube.color(18).r, 255);
    EXPECT_EQ(cube.color(0).r, 0);
    EXPECT_EQ(KT_Gray_Ramp(3, 2.0f, 0).color(1).b, 180);
    KT_Color_Cube bad({3, 3, 3}, std::nanf(""), 0);
    EXPECT_EQ(bad.gamma(), 1.0f);
    EXPECT_EQ(bad.color(9).r, 127);
}

TEST(ColorCube, DitheredMixReproducesTheColourOnAverage) {
    KT_Color_Cube cube({6, 7, 5}, 1.0f, 3);
    std::mt19937 random(17);
    std::uniform_int_distribution<int> channel(0, 255);
    for (int trial = 0; trial < 2000; ++trial) {
        KT_RGB32 c = rgb(channel(random), channel(random), channel(random));
        std::int32_t indices[4];
        std::int32_t weights[4];
        int n = cube.dithered_match(c, indices, weights);
        ASSERT_GE(n, 1);
        ASSERT_LE(n, 4);
        double r = 0, g = 0, b = 0;
        int total = 0;
        for (int k = 0; k < n; ++k) {
            ASSERT_TRUE(cube.contains(indices[k]));
            ASSERT_GE(weights[k], 0);
            KT_RGB32 e = cube.color(indices[k]);
            r += weights[k] * e.r;
            g += weights[k] * e.g;
            b += weights[k] * e.b;
            total += weights[k];
        }
        ASSERT_EQ(total, KT_Color_Cube::dither_scale);
        // Within the 8-bit fraction and the integer level colours.
        EXPECT_NEAR(r / total, c.r, 1.5);
        EXPECT_NEAR(g / total, c.g, 1.5);
        EXPECT_NEAR(b / total, c.b, 1.5);
    }
}

TEST(ColorCube, DitheredMatchCountsChannelsBetweenLevels) {
    KT_Color_Cube cube({6, 6, 6}, 1.0f, 16);
    std::int32_t indices[4];
    std::int32_t weights[4];
    ASSERT_EQ(cube.dithered_match(rgb(51, 102, 255), indices, weights), 1);
    EXPECT_EQ(indices[0], cube.closest_match(rgb(51, 102, 255)));
    EXPECT_EQ(weights[0], 256);

    ASSERT_EQ(cube.dithered_match(rgb(51, 102, 230), indices, weights), 2);
    EXPECT_EQ(indices[1] - indices[0], 1) << "blue steps by 1";
    ASSERT_EQ(cube.dithered_match(rgb(60, 102, 230), indices, weights), 3);
    ASSERT_EQ(cube.dithered_match(rgb(60, 110, 230), indices, weights), 4);
    // Largest fraction first: blue (230 = 4.51 levels), then red, then green.
    EXPECT_EQ(indices[1] - indices[0], 1);
    EXPECT_EQ(indices[2] - indices[1], 36);
    EXPECT_EQ(indices[3] - indices[2], 6);
}

TEST(GrayRamp, MatchesByLuminanceRoundedToTheNearestStep) {
    KT_Gray_Ramp full(256, 1.0f, 0);
    EXPECT_EQ(full.closest_match(rgb(255, 255, 255)), 254);
    EXPECT_EQ(full.closest_match(rgb(0, 0, 0)), 0);

    // Green weighs as much as red and blue together.
    const struct {
        int r, g, b, expected;
    } cases[] = {{127, 127, 127, 100},
                 {128, 128, 128, 101},
                 {255, 255, 0, 101},
                 {0, 255, 255, 101},
                 {255, 0, 255, 100}};
    KT_Gray_Ramp two(2, 1.0f, 100);
    for (const auto& c : cases)
        EXPECT_EQ(two.closest_match(rgb(c.r, c.g, c.b)), c.expected)
            << c.r << "," << c.g << "," << c.b;
}

TEST(GrayRamp, ColoursSpanBlackToWhiteInsideTheBlockOnly) {
    KT_Gray_Ramp ramp(5, 1.0f, 8);
    EXPECT_EQ(ramp.color(8).g, 0);
    EXPECT_EQ(ramp.color(10).g, 127);
    EXPECT_EQ(ramp.color(12).r, 255);
    EXPECT_EQ(ramp.color(13).a, 0) << "outside the block";
    EXPECT_EQ(ramp.color(7).a, 0);
    for (int i = 8; i < 13; ++i)
        EXPECT_EQ(ramp.closest_match(ramp.color(i)), i);

    KT_Gray_Ramp single(0, 1.0f, 4);
    EXPECT_EQ(single.size(), 1);
    EXPECT_EQ(single.closest_match(rgb(255, 255, 255)), 4);
}

} // namespace
