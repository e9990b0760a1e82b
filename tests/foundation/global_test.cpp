#include "foundation/fill_bitmaps.h"
#include "foundation/global.h"
#include "foundation/line_patterns.h"
#include "foundation/shared.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <set>
#include <string>

namespace {

int count_bits(const std::uint8_t* bits, int bytes) {
    int n = 0;
    for (int i = 0; i < bytes; ++i)
        n += std::popcount(bits[i]);
    return n;
}

bool includes(const std::uint8_t* outer, const std::uint8_t* inner, int bytes) {
    for (int i = 0; i < bytes; ++i)
        if ((outer[i] & inner[i]) != inner[i]) return false;
    return true;
}

bool pixel(const std::uint8_t* bits, int size, int x, int y) {
    return bits[y * (size / 8) + x / 8] & (1u << (x % 8));
}

TEST(Shared, TablesHoldTheirDefiningValues) {
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(SHARED.bit_counts[i % 64], std::popcount(static_cast<unsigned>(i % 64)));
        EXPECT_EQ(SHARED.bit_reversal[SHARED.bit_reversal[i]], i);
    }
    EXPECT_EQ(SHARED.bit_reversal[0xC4], 0x23);
    for (int i = 0; i <= 500; ++i)
        EXPECT_NEAR(SHARED.arc_cosines[i], std::acos(1.0 - i / 250.0), 1e-6) << i;
    EXPECT_EQ(SHARED.dither_thresholds[0][7], 512);
    EXPECT_EQ(SHARED.dither_thresholds[0][0], 65024);
}

// Level n leaves 64 - n pixels, each level inside the one before; the one
// pixel left at level 63 is the one of rank 0: row 0, column 7.
TEST(Global, DitherMasksCoverTheThresholdRanks) {
    EXPECT_EQ(count_bits(KAVRI.dither_masks[0], 8), 64);
    EXPECT_EQ(KAVRI.dither_masks[63][0], 0x80);
    for (int level = 1; level < 65; ++level) {
        EXPECT_EQ(count_bits(KAVRI.dither_masks[level], 8), 64 - level);
        EXPECT_TRUE(includes(KAVRI.dither_masks[level - 1], KAVRI.dither_masks[level], 8)) << level;
        EXPECT_EQ(KAVRI.dither_level_table[level], KAVRI.dither_masks[level]);
    }
}

TEST(LinePatterns, EveryEntryIsAWellFormedDashPattern) {
    std::set<std::basic_string<std::int16_t>> seen;
    for (int number = 1; number <= KD_LINE_PATTERN_COUNT; ++number) {
        const std::int16_t* p = KD_Builtin_Line_Pattern(number);
        ASSERT_NE(p, nullptr) << number;
        const int count = p[1];
        ASSERT_GE(count, 2) << number;
        EXPECT_EQ(count % 2, 0) << number << " must end with a gap";
        int sum = 0;
        for (int i = 0; i < count; ++i) {
            EXPECT_GT(p[2 + i], 0) << number;
            sum += p[2 + i];
        }
        EXPECT_EQ(p[0], sum) << number;
        EXPECT_EQ(static_cast<std::uint16_t>(p[2 + count]), 0xFFFF) << number;
        EXPECT_TRUE(seen.emplace(p, p + count + 3).second) << number << " repeats a pattern";
        // Each family of three grows with its length.
        EXPECT_TRUE(number % 3 == 1 || KD_Builtin_Line_Pattern(number - 1)[0] < p[0]) << number;
    }
    for (int number : {-1, 0, 22, 34, 35, 1000})
        EXPECT_EQ(KD_Builtin_Line_Pattern(number), nullptr);
}

TEST(FillBitmaps, EveryNumberBelowTheStipplesHasADistinctBitmap) {
    std::set<std::string> designs;
    for (int number = 0; number < 190; ++number) {
        const std::uint8_t* bits = KD_Builtin_Fill_Bitmap(number);
        ASSERT_NE(bits, nullptr) << number;
        if (number >= 74 && number <= 76) continue;
        const int bytes = number < 77 ? 8 : 128;
        if (number != 0 && number != 64) {
            const int set = count_bits(bits, bytes);
            EXPECT_GT(set, 0) << number;
            EXPECT_LT(set, bytes * 8) << number;
        }
        EXPECT_TRUE(designs.emplace(reinterpret_cast<const char*>(bits), bytes).second)
            << number << " repeats another design";
    }
    // Grey levels draw their share of pixels.
    for (int number = 0; number <= 64; ++number)
        EXPECT_EQ(64 - count_bits(KD_Builtin_Fill_Bitmap(number), 8), number);
    EXPECT_EQ(KD_Builtin_Fill_Bitmap(-1), nullptr);
    EXPECT_EQ(KD_Builtin_Fill_Bitmap(std::numeric_limits<int>::min()), nullptr);
    EXPECT_EQ(KD_Builtin_Fill_Bitmap(190), nullptr);
}

// Drawn pixels are clear bits. Hatches follow their directions, the grid
// draws both line families, and 32x32 line designs tile seamlessly.
TEST(FillBitmaps, HatchesFollowTheirDirectionsAndTile) {
    const std::uint8_t *horizontal = KD_Builtin_Fill_Bitmap(68),
                       *vertical = KD_Builtin_Fill_Bitmap(72), *rising = KD_Builtin_Fill_Bitmap(69),
                       *falling = KD_Builtin_Fill_Bitmap(70), *grid = KD_Builtin_Fill_Bitmap(66),
                       *diagonal = KD_Builtin_Fill_Bitmap(94);
    for (int y = 0; y < 8; ++y) {
        EXPECT_TRUE(horizontal[y] == 0 || horizontal[y] == 0xFF);
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(pixel(horizontal, 8, x, y), pixel(vertical, 8, y, x));
            EXPECT_EQ(pixel(rising, 8, x, y), pixel(falling, 8, (8 - x) % 8, y));
            EXPECT_EQ(!pixel(grid, 8, x, y),
                      !pixel(horizontal, 8, x, y) || !pixel(vertical, 8, x, y));
        }
    }
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            EXPECT_EQ(pixel(diagonal, 32, x, y), pixel(diagonal, 32, (x + 1) % 32, (y + 1) % 32));
}

TEST(Stipples, DensityNeverCoversFewerPixels) {
    for (int pattern = 190; pattern <= 194; ++pattern) {
        const std::uint8_t* previous = KD_Stipple_Bitmap(pattern, -10.0f);
        EXPECT_EQ(previous, KD_Fill_32x32_Clear);
        std::set<const std::uint8_t*> distinct;
        for (float d = -10.0f; d <= 110.0f; d += 0.25f) {
            const std::uint8_t* bits = KD_Stipple_Bitmap(pattern, d);
            ASSERT_NE(bits, nullptr);
            distinct.insert(bits);
            EXPECT_TRUE(includes(bits, previous, 128)) << pattern << " at " << d;
            previous = bits;
        }
        EXPECT_EQ(previous, KD_Fill_32x32_Set);
        // Every bitmap of the series is reached, plus clear and set.
        EXPECT_EQ(static_cast<int>(distinct.size()), KD_Stipple_Series_Length[pattern - 190] + 2);
    }
}

TEST(Stipples, SeriesBitmapsCoverTheMiddleOfTheirRisingBands) {
    const int lengths[] = {15, 15, 18, 14, 14};
    for (int p = 0; p < KD_STIPPLE_COUNT; ++p) {
        EXPECT_EQ(KD_Stipple_Series_Length[p], lengths[p]);
        const float* t = KD_Stipple_Densities[p];
        EXPECT_EQ(t[lengths[p] + 1], 101.0f);
        for (int n = 0; n < KD_Stipple_Series_Length[p]; ++n) {
            EXPECT_LT(t[n], t[n + 1]);
            const float middle = 0.5f * (t[n] + t[n + 1]);
            const float share = count_bits(KD_Stipple_Table[p][n], 128) * 100.0f / 1024.0f;
            EXPECT_NEAR(share, middle, 0.1f) << 190 + p << " bitmap " << n;
        }
    }
}

TEST(Stipples, LookupFollowsTheThresholds) {
    EXPECT_EQ(KD_Stipple_Bitmap(190, 4.99f), KD_Fill_32x32_Clear);
    EXPECT_EQ(KD_Stipple_Bitmap(190, 5.0f), KD_Stipple_Table[0][0]);
    EXPECT_EQ(KD_Stipple_Bitmap(190, 12.5f), KD_Stipple_Table[0][1]);
    EXPECT_EQ(KD_Stipple_Bitmap(190, 94.9f), KD_Stipple_Table[0][14]);
    EXPECT_EQ(KD_Stipple_Bitmap(190, 95.0f), KD_Fill_32x32_Set);
    EXPECT_EQ(KD_Stipple_Bitmap(192, 97.4f), KD_Stipple_Table[2][17]);
    EXPECT_EQ(KD_Stipple_Bitmap(194, 500.0f), KD_Fill_32x32_Set);
    EXPECT_EQ(KD_Stipple_Bitmap(194, std::numeric_limits<float>::quiet_NaN()), KD_Fill_32x32_Clear);
    EXPECT_EQ(KD_Stipple_Bitmap(189, 50.0f), nullptr);
    EXPECT_EQ(KD_Stipple_Bitmap(195, 50.0f), nullptr);
    EXPECT_EQ(KD_Stipple_Bitmap(std::numeric_limits<int>::min(), 50.0f), nullptr);
    // At the same band the five series place their pixels differently.
    std::set<std::string> looks;
    for (int pattern = 190; pattern <= 194; ++pattern)
        looks.emplace(reinterpret_cast<const char*>(KD_Stipple_Bitmap(pattern, 50.0f)), 128);
    EXPECT_EQ(looks.size(), 5u);
}

} // namespace
