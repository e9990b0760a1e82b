#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "colors.h"
#include "image/color_cube.h"
#include "image/gray_ramp.h"

namespace {

TEST(ColorCube, MatchesCornersAndEveryOwnColourOfASixCube) {
    KT_Color_Cube cube({6, 6, 6}, 1.0f, 16);
    EXPECT_EQ(cube.size(), 216);
    EXPECT_EQ(cube.closest_match(rgb(255, 255, 255)), 16 + 215);
    EXPECT_EQ(cube.closest_match(rgb(255, 0, 0)), 16 + 5 * 36);
    for (int i = 16; i < 16 + 216; ++i) {
        ASSERT_EQ(cube.closest_match(cube.color(i)), i) << "index " << i;
        EXPECT_EQ(cube.color(i).a, 255);
    }
    // Level 1 of 6 is 51; halfway to level 2 (76.5) is the boundary.
    EXPECT_EQ(cube.color(16 + 36).r, 51);
    EXPECT_EQ(cube.closest_match(rgb(0, 0, 76)), 16 + 1);
    EXPECT_EQ(cube.closest_match(rgb(0, 0, 77)), 16 + 2);
}

TEST(ColorCube, OutsideTheBlockAndDegenerateSizes) {
    KT_Color_Cube cube({2, 3, 4}, 1.0f, 10);
    for (int outside : {9, 10 + 24, -5})
        EXPECT_EQ(cube.color(outside).a, 0) << outside;
    EXPECT_TRUE(cube.contains(33));
    EXPECT_FALSE(cube.contains(34));
    KT_Color_Cube flat({1, 0, -4}, 1.0f, 0);
    EXPECT_EQ(flat.size(), 1);
    EXPECT_EQ(flat.closest_match(rgb(200, 100, 50)), 0);
    EXPECT_EQ(channels(flat.color(0)), (std::array<int, 4>{0, 0, 0, 255}))
        << "a channel of one level is 0";
    EXPECT_EQ(KT_Color_Cube().closest_match(rgb(255, 0, 255)), 5) << "the default 2x2x2 cube";
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
        std::int32_t indices[4], weights[4];
        const int n = cube.dithered_match(c, indices, weights);
        ASSERT_TRUE(n >= 1 && n <= 4) << n;
        double mix[3] = {};
        int total = 0;
        for (int k = 0; k < n; ++k) {
            ASSERT_TRUE(cube.contains(indices[k]) && weights[k] >= 0);
            for (int ch = 0; ch < 3; ++ch)
                mix[ch] += weights[k] * channels(cube.color(indices[k]))[ch];
            total += weights[k];
        }
        ASSERT_EQ(total, KT_Color_Cube::dither_scale);
        // Within the 8-bit fraction and the integer level colours.
        for (int ch = 0; ch < 3; ++ch)
            EXPECT_NEAR(mix[ch] / total, channels(c)[ch], 1.5) << ch;
    }
}

// One index per channel between levels, largest fraction first: blue
// (230 = 4.51 levels), then red, then green.
TEST(ColorCube, DitheredMatchCountsChannelsBetweenLevels) {
    KT_Color_Cube cube({6, 6, 6}, 1.0f, 16);
    std::int32_t indices[4], weights[4];
    ASSERT_EQ(cube.dithered_match(rgb(51, 102, 255), indices, weights), 1);
    EXPECT_EQ(indices[0], cube.closest_match(rgb(51, 102, 255)));
    EXPECT_EQ(weights[0], 256);
    EXPECT_EQ(cube.dithered_match(rgb(51, 102, 230), indices, weights), 2);
    EXPECT_EQ(cube.dithered_match(rgb(60, 102, 230), indices, weights), 3);
    ASSERT_EQ(cube.dithered_match(rgb(60, 110, 230), indices, weights), 4);
    EXPECT_EQ(indices[1] - indices[0], 1);
    EXPECT_EQ(indices[2] - indices[1], 36);
    EXPECT_EQ(indices[3] - indices[2], 6);
}

// Green weighs as much as red and blue together; the ramp's colours span
// black to white inside its block only.
TEST(GrayRamp, MatchesByLuminanceAndSpansBlackToWhite) {
    KT_Gray_Ramp full(256, 1.0f, 0);
    EXPECT_EQ(full.closest_match(rgb(255, 255, 255)), 254);
    EXPECT_EQ(full.closest_match(rgb(0, 0, 0)), 0);
    const int black = 100, white = 101;
    KT_Gray_Ramp two(2, 1.0f, black);
    const struct {
        const char* name;
        KT_RGB32 colour;
        int expected;
    } matches[] = {{"grey just below the middle", rgb(127, 127, 127), black},
                   {"grey just above the middle", rgb(128, 128, 128), white},
                   {"yellow", rgb(255, 255, 0), white},
                   {"cyan", rgb(0, 255, 255), white},
                   {"magenta", rgb(255, 0, 255), black}};
    for (const auto& m : matches)
        EXPECT_EQ(two.closest_match(m.colour), m.expected) << m.name;

    KT_Gray_Ramp ramp(5, 1.0f, 8);
    EXPECT_EQ(ramp.color(8).g, 0) << "the first entry";
    EXPECT_EQ(ramp.color(10).g, 127) << "the middle entry";
    EXPECT_EQ(ramp.color(12).r, 255) << "the last entry";
    EXPECT_EQ(ramp.color(7).a, 0) << "before the block";
    EXPECT_EQ(ramp.color(13).a, 0) << "after the block";
    for (int i = 8; i < 13; ++i)
        EXPECT_EQ(ramp.closest_match(ramp.color(i)), i);
    KT_Gray_Ramp single(0, 1.0f, 4);
    EXPECT_EQ(single.size(), 1);
    EXPECT_EQ(single.closest_match(rgb(255, 255, 255)), 4);
}

} // namespace
