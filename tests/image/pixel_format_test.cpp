#include "image/pixel_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

TEST(PixelFormat, RGBAPacksTruncatedAndUnpacksByOneOver255) {
    KT_RGB32 c = KD_Pack_RGBA({1.0f, 0.5f, 0.0f, 0.2f});
    EXPECT_EQ(c.r, 255);
    EXPECT_EQ(c.g, 127) << "0.5 x 255.99 = 127.995 truncates";
    EXPECT_EQ(c.b, 0);
    EXPECT_EQ(c.a, 51);
    KT_RGB32 edge = KD_Pack_RGBA({0.999f, 0.0039f, 0.0040f, 1.0f});
    EXPECT_EQ(edge.r, 255);
    EXPECT_EQ(edge.g, 0);
    EXPECT_EQ(edge.b, 1);

    KT_RGB32 odd = KD_Pack_RGBA({-1.0f, 7.0f, std::nanf(""), INFINITY});
    EXPECT_EQ(odd.r, 0);
    EXPECT_EQ(odd.g, 255);
    EXPECT_EQ(odd.b, 0);
    EXPECT_EQ(odd.a, 255);

    KT_RGBA f = KD_Unpack_RGB32({51, 0, 255, 128});
    EXPECT_FLOAT_EQ(f.blue, 0.2f);
    EXPECT_FLOAT_EQ(f.green, 0.0f);
    EXPECT_FLOAT_EQ(f.red, 1.0f);
    EXPECT_FLOAT_EQ(f.alpha, 128.0f / 255.0f);
    for (int v = 0; v < 256; ++v) {
        std::uint8_t b = static_cast<std::uint8_t>(v);
        ASSERT_EQ(KD_Pack_RGBA(KD_Unpack_RGB32({b, b, b, b})).g, v) << "round trip";
    }
}

TEST(PixelFormat, PackingBuildsTheCanonicalPixelFromAnyByteOrder) {
    const std::uint8_t stored[4] = {10, 20, 30, 40};
    EXPECT_TRUE(KT_Packing().is_canonical());
    EXPECT_EQ(KT_Packing().to_canonical(stored).r, 30);

    // Stored red, green, blue, alpha: alpha in byte 3, blue 2, green 1, red 0.
    KT_Packing rgba(0x00010203);
    KT_RGB32 c = rgba.to_canonical(stored);
    EXPECT_EQ(c.r, 10);
    EXPECT_EQ(c.g, 20);
    EXPECT_EQ(c.b, 30);
    EXPECT_EQ(c.a, 40);
    std::uint8_t back[4] = {};
    rgba.from_canonical(c, back);
    EXPECT_EQ(std::memcmp(back, stored, 4), 0);

    // Alpha first, then red, green, blue.
    KT_Packing argb(0x01020300);
    KT_RGB32 d = argb.to_canonical(stored);
    EXPECT_EQ(d.a, 10);
    EXPECT_EQ(d.r, 20);
    EXPECT_EQ(d.g, 30);
    EXPECT_EQ(d.b, 40);
    // Index bytes above 3 stay within the pixel.
    KT_RGB32 wild = KT_Packing(0xFFFFFFFF).to_canonical(stored);
    EXPECT_EQ(wild.r, 40);
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
        std::uint8_t out[3];
        KT_Bitonal_Format(c.from).convert(row, out, 3, KT_Bitonal_Format(c.to));
        EXPECT_EQ(std::memcmp(out, c.expected, 3), 0);
        std::memcpy(out, row, 3);
        KT_Bitonal_Format(c.from).convert(out, out, 3, KT_Bitonal_Format(c.to));
        EXPECT_EQ(std::memcmp(out, c.expected, 3), 0) << "in place";
    }
    EXPECT_EQ(KT_Bitonal_Format(2).conversion_to(KT_Bitonal_Format(3)), 1u);
}

} // namespace
