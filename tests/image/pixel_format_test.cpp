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
    EXPECT_EQ(KD_Pack_RGBA({0.999f, 0.0039f, 0.0040f, 1.0f}).r, 255);
    EXPECT_EQ(KD_Pack_RGBA({0.999f, 0.0039f, 0.0040f, 1.0f}).g, 0);
    EXPECT_EQ(KD_Pack_RGBA({0.999f, 0.0039f, 0.0040f, 1.0f}).b, 1);

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
    KT_RGB32 same = KT_Packing().to_canonical(stored);
    EXPECT_TRUE(KT_Packing().is_canonical());
    EXPECT_EQ(same.b, 10);
    EXPECT_EQ(same.g, 20);
    EXPECT_EQ(same.r, 30);
    EXPECT_EQ(same.a, 40);

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

TEST(PixelFormat, BitonalConversionReversesInvertsOrBoth) {
    const std::uint8_t row[3] = {0x01, 0xF0, 0x5A};
    std::uint8_t out[3];
    const KT_Bitonal_Format lsb_bright(0);
    lsb_bright.convert(row, out, 3, KT_Bitonal_Format(0));
    EXPECT_EQ(std::memcmp(out, row, 3), 0);
    lsb_bright.convert(row, out, 3, KT_Bitonal_Format(1));
    EXPECT_EQ(out[0], 0x80);
    EXPECT_EQ(out[1], 0x0F);
    EXPECT_EQ(out[2], 0x5A);
    lsb_bright.convert(row, out, 3, KT_Bitonal_Format(2));
    EXPECT_EQ(out[0], 0xFE);
    EXPECT_EQ(out[1], 0x0F);
    KT_Bitonal_Format(3).convert(row, out, 3, KT_Bitonal_Format(0));
    EXPECT_EQ(out[0], 0x7F);
    EXPECT_EQ(out[1], 0xF0);
    EXPECT_EQ(KT_Bitonal_Format(2).conversion_to(KT_Bitonal_Format(3)), 1u);

    std::uint8_t in_place[3] = {0x01, 0xF0, 0x5A};
    KT_Bitonal_Format(1).convert(in_place, in_place, 3, KT_Bitonal_Format(2));
    EXPECT_EQ(in_place[0], 0x7F);
}

TEST(PixelFormat, ImageFormatsKnowTheirPixelSizes) {
    EXPECT_EQ(KT_Image_Format(KT_Image_Format::Bitonal).bytes_per_pixel(), 0.125f);
    EXPECT_EQ(KT_Image_Format(KT_Image_Format::CMYK32).bytes_per_pixel(), 4.0f);
    EXPECT_EQ(KT_Image_Format(KT_Image_Format::Depth16).bytes_per_pixel(), 2.0f);
    EXPECT_FALSE(KT_Image_Format(7).has_rows());
    EXPECT_FALSE(KT_Image_Format(KT_Image_Format::Opaque_Block).has_rows());
    EXPECT_TRUE(KT_Image_Format(KT_Image_Format::Gray8).has_rows());
}

} // namespace
