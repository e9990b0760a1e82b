// The row converters against a plain per-pixel statement of each
// conversion rule, on seeded random rectangles at random device positions
// (negative ones too, where the dither pattern must still line up).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "draw2d/image_convert.h"
#include "foundation/shared.h"

namespace {

constexpr std::int32_t unit = 0x10000;

// The threshold added at device pixel (x, y).
std::int32_t dither_at(std::int32_t x, std::int32_t y) {
    return SHARED.dither_thresholds[y & 7][x & 7];
}

std::int32_t scale(std::int32_t device_levels, std::int32_t source_levels) {
    return ((device_levels << 16) - unit) / (source_levels - 1);
}

struct Case {
    int width, height;
    std::int32_t left, top; // device position of the first pixel
    std::int32_t source_levels, device_levels;
    std::vector<std::uint8_t> bytes; // four per pixel, rows packed
};

Case random_case(std::mt19937& random) {
    std::uniform_int_distribution<int> size(1, 19), position(-40, 40), levels(2, 256);
    Case c{size(random),
           size(random),
           position(random),
           position(random),
           levels(random),
           levels(random),
           {}};
    c.bytes.resize(std::size_t(4) * c.width * c.height);
    // Channel values stay below the source's level count.
    for (auto& b : c.bytes)
        b = static_cast<std::uint8_t>(random() % c.source_levels);
    return c;
}

KT_Pixel_Rectangle rectangle(const Case& c, KT_Image_Format format) {
    const int bytes_per_pixel = format == KT_Image_Format::RGB32 ? 4 : 1;
    return {format,          c.bytes.data(), bytes_per_pixel * c.width, c.width, c.height,
            c.source_levels, KT_Packing(),   KT_Bitonal_Format()};
}

KT_Device_Pixels device(KT_Color_System system, std::int32_t levels,
                        KT_Bitonal_Format bitonal = KT_Bitonal_Format()) {
    static const KT_Palette palette;
    return {system, levels, KT_Packing(), bitonal, &palette};
}

std::vector<std::uint8_t> convert(const Case& c, KT_Image_Format from, const KT_Device_Pixels& d) {
    std::vector<std::uint8_t> out(
        std::size_t(KD_Converted_Row_Bytes(d.native_format(), c.width, c.height)) * c.height);
    EXPECT_TRUE(KD_Convert_Pixels(rectangle(c, from), d, c.left, c.top, out.data()));
    return out;
}

constexpr int rounds = 60;

// Calls check(column, row, threshold) for every pixel of the case.
template <class Check> void each_pixel(const Case& c, Check check) {
    for (int i = 0; i < c.height; ++i)
        for (int x = 0; x < c.width; ++x)
            check(x, i, dither_at(c.left + x, c.top - i));
}

TEST(ConversionReference, RGB32RescaledToRGB32) {
    std::mt19937 random(11);
    for (int round = 0; round < rounds; ++round) {
        const Case c = random_case(random);
        const auto out = convert(c, KT_Image_Format::RGB32,
                                 device(KT_Color_System::True_Color, c.device_levels));
        const std::int32_t k = scale(c.device_levels, c.source_levels);
        each_pixel(c, [&](int x, int i, std::int32_t d) {
            for (int b = 0; b < 4; ++b) {
                const int at = 4 * (i * c.width + x) + b;
                ASSERT_EQ(out[at], (d + c.bytes[at] * k) >> 16)
                    << "round " << round << " pixel " << x << "," << i << " byte " << b;
            }
        });
    }
}

TEST(ConversionReference, RGB32ToGray8) {
    std::mt19937 random(12);
    for (int round = 0; round < rounds; ++round) {
        const Case c = random_case(random);
        const auto out =
            convert(c, KT_Image_Format::RGB32, device(KT_Color_System::Gray, c.device_levels));
        const std::int32_t k = scale(c.device_levels, c.source_levels);
        const auto green = std::int32_t(k * 0.5), red = std::int32_t(k * 0.3125),
                   blue = std::int32_t(k * 0.1875);
        const int row_bytes = KD_Converted_Row_Bytes(KT_Image_Format::Gray8, c.width, c.height);
        each_pixel(c, [&](int x, int i, std::int32_t d) {
            const std::uint8_t* p = &c.bytes[4 * (i * c.width + x)]; // blue, green, red, alpha
            ASSERT_EQ(out[i * row_bytes + x], (d + p[1] * green + p[2] * red + p[0] * blue) >> 16)
                << "round " << round << " pixel " << x << "," << i;
        });
    }
}

TEST(ConversionReference, RGB32ToCMYK32) {
    std::mt19937 random(13);
    for (int round = 0; round < rounds; ++round) {
        const Case c = random_case(random);
        const bool with_black = round % 2 == 0;
        const std::int32_t resolution = with_black ? c.device_levels : -c.device_levels;
        const auto out =
            convert(c, KT_Image_Format::RGB32, device(KT_Color_System::CMYK, resolution));
        const std::int32_t k = scale(c.device_levels, c.source_levels);
        each_pixel(c, [&](int x, int i, std::int32_t d) {
            const int at = 4 * (i * c.width + x);
            const std::uint8_t* p = &c.bytes[at];
            const auto ink = [&](std::uint8_t v) {
                return static_cast<std::uint8_t>((resolution - v * k - d) >> 16);
            };
            std::uint8_t cyan = ink(p[2]), magenta = ink(p[1]), yellow = ink(p[0]), black = 0;
            if (with_black) {
                black = std::min({cyan, magenta, yellow});
                cyan = std::uint8_t(cyan - black);
                magenta = std::uint8_t(magenta - black);
                yellow = std::uint8_t(yellow - black);
            }
            const std::uint8_t expected[4] = {cyan, magenta, yellow, black};
            for (int b = 0; b < 4; ++b)
                ASSERT_EQ(out[at + b], expected[b])
                    << "round " << round << " pixel " << x << "," << i << " ink " << b;
        });
    }
}

TEST(ConversionReference, Gray8ToRGB32) {
    std::mt19937 random(14);
    for (int round = 0; round < rounds; ++round) {
        const Case c = random_case(random);
        const auto out = convert(c, KT_Image_Format::Gray8,
                                 device(KT_Color_System::True_Color, c.device_levels));
        const std::int32_t k = scale(c.device_levels, c.source_levels);
        each_pixel(c, [&](int x, int i, std::int32_t d) {
            const std::int32_t gray = c.bytes[i * c.width + x];
            const int at = 4 * (i * c.width + x);
            for (int b = 0; b < 3; ++b)
                ASSERT_EQ(out[at + b], (d + gray * k) >> 16)
                    << "round " << round << " pixel " << x << "," << i << " byte " << b;
            ASSERT_EQ(out[at + 3], c.device_levels - 1) << "round " << round;
        });
    }
}

TEST(ConversionReference, Gray8ToBitonalInEveryDeviceFormat) {
    std::mt19937 random(15);
    for (int round = 0; round < rounds; ++round) {
        const Case c = random_case(random);
        const KT_Bitonal_Format format(static_cast<std::uint32_t>(round % 4));
        const auto out =
            convert(c, KT_Image_Format::Gray8, device(KT_Color_System::Bitonal, 2, format));
        const std::int32_t step = unit / (c.source_levels - 1);
        const int row_bytes = KD_Converted_Row_Bytes(KT_Image_Format::Bitonal, c.width, c.height);
        each_pixel(c, [&](int x, int i, std::int32_t d) {
            const std::int32_t gray = c.bytes[i * c.width + x];
            const bool bright = d + gray * step >= unit;
            const int bit = format.leftmost_is_msb() ? 7 - (x & 7) : x & 7;
            const bool set = (out[i * row_bytes + (x >> 3)] >> bit) & 1;
            ASSERT_EQ(set, bright != format.set_bit_is_dark())
                << "round " << round << " format " << format.value() << " pixel " << x << "," << i;
        });
    }
}

} // namespace
