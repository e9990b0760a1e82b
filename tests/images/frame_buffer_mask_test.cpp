// The frame-buffer mask: open (0) exactly where the clip region holds the
// pixel centre, closed (1) everywhere else in the window.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "raster/frame_buffer_mask.h"

namespace {

constexpr int window_width = 50;
constexpr int window_height = 40;
constexpr int window_x = -7; // the window need not start at the device origin
constexpr int window_y = 5;

KT_Contour_Set rectangle(int left, int bottom, int right, int top) {
    const KT_Point corners[4] = {{float(left), float(bottom), 0},
                                 {float(right), float(bottom), 0},
                                 {float(right), float(top), 0},
                                 {float(left), float(top), 0}};
    return KT_Contour_Set(4, corners, true);
}

KT_Contour_Set combine(const KT_Contour_Set& a, KT_Contour_Operation op, const KT_Contour_Set& b) {
    return KT_Contour_Set(a->process(op, b.body()));
}

// A union of rectangles, some reaching past the window, with rectangular
// holes cut out of it.
KT_Contour_Set random_region(unsigned seed) {
    std::mt19937 random(seed);
    const auto coordinate = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto random_rectangle = [&](int margin, int largest) {
        const int left = coordinate(window_x - margin, window_x + window_width);
        const int bottom = coordinate(window_y - margin, window_y + window_height);
        return rectangle(left, bottom, left + coordinate(1, largest),
                         bottom + coordinate(1, largest));
    };
    KT_Contour_Set region = random_rectangle(10, 30);
    for (int i = 0; i < 4; ++i)
        region = combine(region, KT_Contour_Union, random_rectangle(10, 30));
    for (int i = 0; i < 3; ++i)
        region = combine(region, KT_Contour_A_Minus_B, random_rectangle(0, 8));
    return region;
}

Frame_Buffer_Mask window_mask() {
    Frame_Buffer_Mask mask;
    mask.establish_configuration(window_width, window_height, window_x, window_y);
    return mask;
}

TEST(FrameBufferMask, AgreesWithTheRegionsInsideTestAtEveryPixelCentre) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const KT_Contour_Set region = random_region(seed);
        Frame_Buffer_Mask mask = window_mask();
        mask.clear_and_rasterize_mask(region);
        int open = 0;
        for (int y = window_y; y < window_y + window_height; ++y)
            for (int x = window_x; x < window_x + window_width; ++x) {
                const bool inside = region->point_inside(KT_Point{x + 0.5f, y + 0.5f, 0.0f});
                ASSERT_EQ(mask.masked(x, y), !inside)
                    << "seed " << seed << " pixel " << x << "," << y;
                open += inside;
            }
        EXPECT_GT(open, 0) << "seed " << seed << " gave a region missing the window";
    }
}

TEST(FrameBufferMask, ARegionCoveringTheWindowOpensEveryPixel) {
    Frame_Buffer_Mask mask = window_mask();
    mask.clear_and_rasterize_mask(rectangle(-100, -100, 100, 100));
    for (int y = window_y; y < window_y + window_height; ++y)
        for (int x = window_x; x < window_x + window_width; ++x)
            ASSERT_FALSE(mask.masked(x, y)) << "pixel " << x << "," << y;
}

TEST(FrameBufferMask, AnEmptyRegionClosesEveryPixel) {
    Frame_Buffer_Mask mask = window_mask();
    mask.clear_and_rasterize_mask(KT_Contour_Set());
    for (int y = window_y; y < window_y + window_height; ++y)
        for (int x = window_x; x < window_x + window_width; ++x)
            ASSERT_TRUE(mask.masked(x, y)) << "pixel " << x << "," << y;
    EXPECT_EQ(mask.clip_serial, 0u);
}

TEST(FrameBufferMask, RasterizingAgainWithAllBitsSetClosesTheRegion) {
    Frame_Buffer_Mask mask = window_mask();
    const KT_Contour_Set region = random_region(99);
    mask.clear_and_rasterize_mask(region);
    mask.rasterize_mask(0xFF);
    for (int y = window_y; y < window_y + window_height; ++y)
        for (int x = window_x; x < window_x + window_width; ++x)
            ASSERT_TRUE(mask.masked(x, y)) << "pixel " << x << "," << y;
}

TEST(FrameBufferMask, RemembersTheSerialOfTheRegionItWasBuiltFrom) {
    Frame_Buffer_Mask mask = window_mask();
    const KT_Contour_Set region = rectangle(0, 10, 20, 30);
    mask.clear_and_rasterize_mask(region);
    EXPECT_EQ(mask.clip_serial, region->change_serial());
    ASSERT_FALSE(mask.clip_region.empty());
}

TEST(FrameBufferMask, ASecondConfigurationOfTheSameSizeKeepsTheFirstOrigin) {
    Frame_Buffer_Mask mask = window_mask();
    EXPECT_EQ(mask.establish_configuration(window_width, window_height, 100, 200), 0);
    EXPECT_EQ(mask.origin_x, window_x);
    EXPECT_EQ(mask.origin_y, window_y);
}

TEST(FrameBufferMask, ANewSizeMovesTheOriginAndDropsTheRegion) {
    Frame_Buffer_Mask mask = window_mask();
    mask.clear_and_rasterize_mask(rectangle(0, 10, 20, 30));
    mask.establish_configuration(16, 8, 100, 200);
    EXPECT_EQ(mask.origin_x, 100);
    EXPECT_EQ(mask.mask->width(), 16);
    EXPECT_TRUE(mask.clip_region.empty());
    EXPECT_EQ(mask.clip_serial, 0u);
}

TEST(FrameBufferMask, WithoutAMaskImageNothingHappens) {
    Frame_Buffer_Mask mask;
    mask.clear_and_rasterize_mask(rectangle(0, 0, 10, 10));
    mask.rasterize_mask(0x00);
    EXPECT_TRUE(mask.clip_region.empty());
    EXPECT_TRUE(mask.masked(1, 1));
}

TEST(FrameBufferMask, ADoublePrecisionRegionIsCutToTheWindowToo) {
    Frame_Buffer_Mask mask = window_mask();
    const KT_Point_D corners[4] = {
        {0.0, 10.0, 0.0}, {20.0, 10.0, 0.0}, {20.0, 30.0, 0.0}, {0.0, 30.0, 0.0}};
    const KT_Contour_Set region(4, corners, true);
    mask.clear_and_rasterize_mask(region);
    EXPECT_FALSE(mask.masked(0, 10));
    EXPECT_FALSE(mask.masked(19, 29));
    EXPECT_TRUE(mask.masked(20, 29)) << "right of the region";
    EXPECT_TRUE(mask.masked(5, 30)) << "above the region";
}

TEST(FrameBufferMask, AWindowLargerThanAnyFrameBufferGetsNoMask) {
    Frame_Buffer_Mask mask;
    const int huge = 1 << 20;
    EXPECT_EQ(mask.establish_configuration(huge, huge, 0, 0), 0);
    mask.clear_and_rasterize_mask(rectangle(0, 0, 10, 10));
    EXPECT_TRUE(mask.masked(1, 1));
}

} // namespace
