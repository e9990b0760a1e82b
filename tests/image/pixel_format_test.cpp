#include "image/pixel_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "colors.h"

namespace {

using C = std::array<int, 4>;

// Packing truncates x 255.99 and clamps what lies outside [0, 1].
TEST(PixelFormat, RGBAPacksTruncatedAndUnpacksByOneOver255) {
    EXPECT_EQ(channels(KD_Pack_RGBA({1.0f, 0.5f, 0.0f, 0.2f})), (C{255, 127, 0, 51}));
    EXPECT_EQ(channels(KD_Pack_RGBA({0.999f, 0.0039f, 0.0040f, 1.0f})), (C{255, 0, 1, 255}));
    EXPECT_EQ(channels(KD_Pack_RGBA({-1.0f, 7.0f, std::nanf(""), INFINITY})), (C{0, 255, 0, 255}));
    KT_RGBA f = KD_Unpack_RGB32(rgb(255, 0, 51, 128));
    EXPECT_FLOAT_EQ(f.blue, 0.2f);
    EXPECT_FLOAT_EQ(f.green, 0.0f);
    EXPECT_FLOAT_EQ(f.red, 1.0f);
    EXPECT_FLOAT_EQ(f.alpha, 128.0f / 255.0f);
    for (int v = 0; v < 256; ++v)
        ASSERT_EQ(channels(KD_Pack_RGBA(KD_Unpack_RGB32(rgb(v, v, v, v)))), (C{v, v, v, v}));
}

// The word names, per canonical byte (alpha high, then blue, green, red),
// the stored byte it comes from.
TEST(PixelFormat, PackingBuildsTheCanonicalPixelFromAnyByteOrder) {
    const std::uint8_t stored[4] = {10, 20, 30, 40};
    EXPECT_TRUE(KT_Packing().is_canonical());
    EXPECT_EQ(KT_Packing().to_canonical(stored).r, 30);
    KT_Packing rgba(0x00010203);
    KT_RGB32 c = rgba.to_canonical(stored);
    EXPECT_EQ(channels(c), (C{10, 20, 30, 40}));
    std::uint8_t back[4] = {};
    rgba.from_canonical(c, back);
    EXPECT_EQ(std::memcmp(back, stored, 4), 0);
    EXPECT_EQ(channels(KT_Packing(0x01020300).to_canonical(stored)), (C{20, 30, 40, 10}));
    EXPECT_EQ(KT_Packing(0xFFFFFFFF).to_canonical(stored).r, 40) << "indices stay in the pixel";
}

// Format bit 0 is the bit order, bit 1 the polarity.
TEST(PixelFormat, BitonalConversionReversesInvertsOrBoth) {
    const std::uint8_t row[3] = {0x01, 0xF0, 0x5A};
    const struct {
        unsigned from, to;
        std::uint8_t expected[3];
    } cases[] = {{0, 0, {0x01, 0xF0, 0x5A}},
                 {0, 1, {0x80, 0x0F, 0x5A}},
                 {0, 2, {0xFE, 0x0F, 0xA5}},
                 {3, 0, {0x7F, 0xF0, 0xA5}},
                 {1, 2, {0x7F, 0xF0, 0xA5}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " to " << c.to);
        std::uint8_t out[3], in_place[3] = {0x01, 0xF0, 0x5A};
        KT_Bitonal_Format(c.from).convert(row, out, 3, KT_Bitonal_Format(c.to));
        KT_Bitonal_Format(c.from).convert(in_place, in_place, 3, KT_Bitonal_Format(c.to));
        EXPECT_EQ(std::memcmp(out, c.expected, 3), 0);
        EXPECT_EQ(std::memcmp(in_place, c.expected, 3), 0);
    }
    EXPECT_EQ(KT_Bitonal_Format(2).conversion_to(KT_Bitonal_Format(3)), 1u);
}

} // namespace
