// Pixels of every format drawn on devices of every colour system: what the
// device receives, converted back, matches what was drawn within the
// levels the device has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "image/image_data.h"
#include "renderer/renderer_data.h"
#include "stage.h"

namespace {

using images_test::Stage;
using images_test::Stored_Pixel;

constexpr int image_width = 13; // not a multiple of 8: bitonal rows end inside a byte
constexpr int image_height = 7;
constexpr int cube_base = 16;
constexpr int cube_levels = 6;
constexpr int cube_step = 255 / (cube_levels - 1);

double luminance(KT_RGB32 c) {
    return 0.3125 * c.r + 0.5 * c.g + 0.1875 * c.b;
}

struct Test_Image {
    KT_Shared_Image image;
    std::vector<KT_RGB32> colours; // what each pixel shows, rows from the top
};

Test_Image random_image(KT_Image_Format format, const KT_Palette& palette, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    Test_Image t;
    switch (format) {
    case KT_Image_Format::Bitonal:
        t.image = KT_Shared_Image(image_width, image_height, format, 0, nullptr,
                                  KT_Bitonal_Format(), false);
        break;
    case KT_Image_Format::Index8:
        t.image = KT_Shared_Image(image_width, image_height, format, 0, nullptr, false);
        break;
    default:
        t.image = KT_Shared_Image(image_width, image_height, format, 0, nullptr, 256, KT_Packing(),
                                  false);
        break;
    }
    const KT_Image_Data& body = *t.image;
    for (int y = 0; y < image_height; ++y) {
        std::uint8_t* row = body.row(y);
        for (int x = 0; x < image_width; ++x) {
            if (format == KT_Image_Format::RGB32) {
                const KT_RGB32 c = {static_cast<std::uint8_t>(byte(random)),
                                    static_cast<std::uint8_t>(byte(random)),
                                    static_cast<std::uint8_t>(byte(random)),
                                    static_cast<std::uint8_t>(byte(random))};
                std::memcpy(row + 4 * x, &c, 4);
                t.colours.push_back(c);
            } else if (format == KT_Image_Format::CMYK32) {
                // Inks without black, so that each pixel shows one colour.
                const KT_RGB32 c = {static_cast<std::uint8_t>(byte(random)),
                                    static_cast<std::uint8_t>(byte(random)),
                                    static_cast<std::uint8_t>(byte(random)), 255};
                const KT_CMYK32 inks = {static_cast<std::uint8_t>(255 - c.r),
                                        static_cast<std::uint8_t>(255 - c.g),
                                        static_cast<std::uint8_t>(255 - c.b), 0};
                std::memcpy(row + 4 * x, &inks, 4);
                t.colours.push_back(c);
            } else if (format == KT_Image_Format::Gray8) {
                const auto g = static_cast<std::uint8_t>(byte(random));
                row[x] = g;
                t.colours.push_back({g, g, g, 255});
            } else if (format == KT_Image_Format::Index8) {
                const int index =
                    cube_base + byte(random) % (cube_levels * cube_levels * cube_levels);
                row[x] = static_cast<std::uint8_t>(index);
                t.colours.push_back(palette.color(index));
            } else {
                const bool set = byte(random) & 1;
                if (set)
                    row[x >> 3] = static_cast<std::uint8_t>(row[x >> 3] | 1 << (x & 7));
                else
                    row[x >> 3] = static_cast<std::uint8_t>(row[x >> 3] & ~(1 << (x & 7)));
                t.colours.push_back(set ? KT_RGB32{255, 255, 255, 255} : KT_RGB32{0, 0, 0, 255});
            }
        }
    }
    return t;
}

// Why a received pixel does not stand for the colour drawn, or "" when it does.
std::string mismatch(KT_Color_System system, KT_RGB32 drawn, const Stored_Pixel& got) {
    const auto differs = [](int a, int b, int tolerance) { return std::abs(a - b) > tolerance; };
    switch (system) {
    case KT_Color_System::True_Color:
        if (got[0] != drawn.b || got[1] != drawn.g || got[2] != drawn.r || got[3] != drawn.a)
            return "true colour pixel differs";
        return "";
    case KT_Color_System::Gray:
        if (std::fabs(got[0] - luminance(drawn)) >= 1.0) return "gray level off by a level or more";
        return "";
    case KT_Color_System::Mapped: {
        const int i = got[0] - cube_base;
        if (i < 0 || i >= cube_levels * cube_levels * cube_levels) return "index outside the cube";
        const int red = i / 36 * cube_step, green = i / 6 % 6 * cube_step, blue = i % 6 * cube_step;
        if (differs(red, drawn.r, cube_step - 1) || differs(green, drawn.g, cube_step - 1) ||
            differs(blue, drawn.b, cube_step - 1))
            return "cube colour a whole step or more away";
        return "";
    }
    case KT_Color_System::Bitonal: {
        // A set bit needs at least 1/128 of white, a clear one at most 127/128.
        const double l = luminance(drawn);
        if (got[0] == 1 && l < 255.0 / 128) return "bright bit for a black pixel";
        if (got[0] == 0 && l > 255.0 * 127 / 128) return "dark bit for a white pixel";
        return "";
    }
    default: {
        const int black = got[3];
        if (255 - got[0] - black != drawn.r || 255 - got[1] - black != drawn.g ||
            255 - got[2] - black != drawn.b)
            return "inks do not give back the colour";
        return "";
    }
    }
}

struct Pair {
    KT_Image_Format format;
    KT_Color_System system;
};

const char* format_name(KT_Image_Format f) {
    static const char* names[] = {"Bitonal", "Index8", "RGB32", "Depth16",
                                  "Depth32", "Gray8",  "CMYK32"};
    return names[f];
}

const char* system_name(KT_Color_System s) {
    static const char* names[] = {"Mapped", "TrueColor", "Bitonal", "Gray", "CMYK"};
    return names[std::min<int>(s, 4)];
}

class Round_Trip : public testing::TestWithParam<Pair> {};

TEST_P(Round_Trip, EveryPixelComesBackWithinTheDeviceLevels) {
    const auto [format, system] = GetParam();
    Stage stage(system);
    const Test_Image t =
        random_image(format, stage.device->options().palette(), 7 + format * 5 + system);
    const KT_DCI_Point at = {9, 40, 0};
    KD_Action_Draw_DCI_Image(stage.device, &stage.rendition, &at, &t.image);

    ASSERT_EQ(stage.stored_count(), image_width * image_height);
    for (int y = 0; y < image_height; ++y)
        for (int x = 0; x < image_width; ++x) {
            ASSERT_TRUE(stage.has(at.x + x, at.y - y)) << "pixel " << x << "," << y;
            const std::string why =
                mismatch(system, t.colours[y * image_width + x], stage.at(at.x + x, at.y - y));
            EXPECT_EQ(why, "") << "image pixel " << x << "," << y;
        }
}

std::vector<Pair> colour_pairs() {
    std::vector<Pair> pairs;
    for (KT_Image_Format f : {KT_Image_Format::RGB32, KT_Image_Format::Gray8,
                              KT_Image_Format::Index8, KT_Image_Format::Bitonal})
        for (int s = KT_Color_System::Mapped; s <= KT_Color_System::CMYK; ++s)
            pairs.push_back({f, s});
    pairs.push_back({KT_Image_Format::CMYK32, KT_Color_System::CMYK});
    return pairs;
}

INSTANTIATE_TEST_SUITE_P(AllColourSystems, Round_Trip, testing::ValuesIn(colour_pairs()),
                         [](const testing::TestParamInfo<Pair>& info) {
                             return std::string(format_name(info.param.format)) + "_to_" +
                                    system_name(info.param.system);
                         });

TEST(InkPixels, ReachOnlyACMYKDevice) {
    for (int s = KT_Color_System::Mapped; s < KT_Color_System::CMYK; ++s) {
        Stage stage(s);
        const Test_Image t =
            random_image(KT_Image_Format::CMYK32, stage.device->options().palette(), 3);
        const KT_DCI_Point at = {0, 20, 0};
        KD_Action_Draw_DCI_Image(stage.device, &stage.rendition, &at, &t.image);
        EXPECT_EQ(stage.native_calls(), 0) << system_name(s);
    }
}

// Every permutation of the four stored bytes as a packing word.
std::vector<KT_Packing> all_packings() {
    std::vector<KT_Packing> out;
    int order[4] = {0, 1, 2, 3};
    do {
        out.emplace_back(order[0] | order[1] << 8 | order[2] << 16 | std::uint32_t(order[3]) << 24);
    } while (std::next_permutation(order, order + 4));
    return out;
}

TEST(TrueColour, RepackingIsExactBetweenEveryPairOfPackings) {
    const KT_RGB32 colours[3] = {{1, 2, 3, 4}, {250, 0, 128, 255}, {17, 99, 201, 60}};
    for (KT_Packing source : all_packings())
        for (KT_Packing device_packing : all_packings()) {
            Stage stage(KT_Color_System::True_Color);
            stage.device->options().set_packing_order(device_packing);
            std::uint8_t stored[3][4];
            for (int i = 0; i < 3; ++i)
                source.from_canonical(colours[i], stored[i]);
            const KT_DCI_Point start = {4, 8, 0}, end = {6, 8, 0};
            KD_Action_Draw_DCI_RGB32_Image(stage.device, &stage.rendition, &start, &end, 0,
                                           reinterpret_cast<const KT_RGB32*>(stored), 256, &source);
            for (int i = 0; i < 3; ++i) {
                ASSERT_TRUE(stage.has(4 + i, 8));
                const KT_RGB32 got = device_packing.to_canonical(stage.at(4 + i, 8).data());
                EXPECT_TRUE(got.b == colours[i].b && got.g == colours[i].g &&
                            got.r == colours[i].r && got.a == colours[i].a)
                    << std::hex << "source packing " << source.word() << " device packing "
                    << device_packing.word() << " pixel " << i;
            }
        }
}

TEST(TrueColour, NativePixelsAreLeftToTheDevicesOwnAction) {
    Stage stage(KT_Color_System::True_Color);
    const KT_RGB32 pixel = {10, 20, 30, 40};
    const KT_DCI_Point at = {3, 3, 0};
    const KT_Packing canonical;
    KD_Standard_Draw_DCI_RGB32_Image(stage.device, &stage.rendition, &at, &at, 0, &pixel, 256,
                                     &canonical);
    EXPECT_EQ(stage.native_calls(), 0);
}

// Fraction of the block's pixels holding the upper of two values, after
// checking that only the two appear.
double upper_share(const Stage& d, int left, int top, int size, int lower, int upper) {
    int upper_count = 0;
    for (int y = top; y > top - size; --y)
        for (int x = left; x < left + size; ++x) {
            const int v = d.at(x, y)[0];
            EXPECT_TRUE(v == lower || v == upper) << "value " << v << " at " << x << "," << y;
            upper_count += v == upper;
        }
    return static_cast<double>(upper_count) / (size * size);
}

constexpr double dither_granularity = 1.0 / 64; // one rank of the 8 x 8 pattern

TEST(Dithering, FlatColourBetweenTwoCubeEntriesMixesThemByItsPosition) {
    Stage stage(KT_Color_System::Mapped);
    const int block = 8, left = 3, top = 21;  // the pattern need not start on a multiple of 8
    const KT_RGB32 between = {0, 0, 64, 255}; // red between cube levels 1 and 2
    std::vector<KT_RGB32> flat(block * block, between);
    const KT_DCI_Point start = {left, top, 0}, end = {left + block - 1, top - block + 1, 0};
    const KT_Packing canonical;
    KD_Action_Draw_DCI_RGB32_Image(stage.device, &stage.rendition, &start, &end, 4 * block,
                                   flat.data(), 256, &canonical);
    const int red_level_1 = cube_base + 1 * 36, red_level_2 = cube_base + 2 * 36;
    const double position = 64.0 * (cube_levels - 1) / 255 - 1; // between the two levels
    EXPECT_NEAR(upper_share(stage, left, top, block, red_level_1, red_level_2), position,
                dither_granularity);
}

TEST(Dithering, FlatGrayOnASixteenLevelDeviceMixesTheTwoNearestLevels) {
    Stage stage(KT_Color_System::Gray);
    const int sixteen_levels = 16, block = 16;
    stage.device->options().set_color_resolution(sixteen_levels);
    const unsigned char gray = 100;
    std::vector<unsigned char> flat(block * block, gray);
    const KT_DCI_Point start = {5, 30, 0}, end = {5 + block - 1, 30 - block + 1, 0};
    KD_Action_Draw_DCI_Gray8_Image(stage.device, &stage.rendition, &start, &end, block, flat.data(),
                                   256);
    const double level = gray * (sixteen_levels - 1) / 255.0;
    const int lower = static_cast<int>(level);
    EXPECT_NEAR(upper_share(stage, 5, 30, block, lower, lower + 1), level - lower,
                dither_granularity);
}

TEST(Dithering, AGradientOnAFourLevelDeviceKeepsItsMean) {
    const int four_levels = 4, width = 256, height = 8;
    std::vector<unsigned char> ramp(width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ramp[y * width + x] = static_cast<unsigned char>(x);
    Stage wide(KT_Color_System::Gray, width);
    wide.device->options().set_color_resolution(four_levels);
    const KT_DCI_Point start = {0, height - 1, 0}, end = {width - 1, 0, 0};
    KD_Action_Draw_DCI_Gray8_Image(wide.device, &wide.rendition, &start, &end, width, ramp.data(),
                                   256);
    double drawn = 0, shown = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            drawn += x;
            shown += wide.at(x, y)[0] * 255.0 / (four_levels - 1);
        }
    const double pixels = width * height;
    const double one_step = 255.0 / (four_levels - 1);
    EXPECT_NEAR(shown / pixels, drawn / pixels, one_step * dither_granularity);
}

// Bright or dark pixels of one test row, left to right.
const bool bright_row[] = {true, false, true, true, false, false, false, true, true, false, true};
constexpr int row_length = sizeof(bright_row) / sizeof(bright_row[0]);

// The row as bitonal bytes in format.
std::vector<std::uint8_t> bitonal_row(KT_Bitonal_Format format) {
    std::vector<std::uint8_t> bytes((row_length + 7) / 8, 0);
    for (int x = 0; x < row_length; ++x) {
        const bool set = bright_row[x] != format.set_bit_is_dark();
        const int bit = format.leftmost_is_msb() ? 7 - (x & 7) : x & 7;
        if (set) bytes[x >> 3] = static_cast<std::uint8_t>(bytes[x >> 3] | 1 << bit);
    }
    return bytes;
}

void expect_row_in_format(const Stage& d, KT_Bitonal_Format format, const char* what) {
    for (int x = 0; x < row_length; ++x) {
        ASSERT_TRUE(d.has(x, 0)) << what << " pixel " << x;
        const bool bright = d.at(x, 0)[0] != format.set_bit_is_dark();
        EXPECT_EQ(bright, bright_row[x])
            << what << " device format " << format.value() << " pixel " << x;
    }
}

TEST(BitonalDevices, BitsOfEveryFormatAreReorderedAndInvertedForEveryDevice) {
    for (std::uint32_t from = 0; from < 4; ++from)
        for (std::uint32_t to = 0; to < 4; ++to) {
            Stage stage(KT_Color_System::Bitonal);
            const KT_Bitonal_Format source(from), device(to);
            stage.device->options().set_bitonal_format(device);
            const std::vector<std::uint8_t> bytes = bitonal_row(source);
            const KT_DCI_Point start = {0, 0, 0}, end = {row_length - 1, 0, 0};
            KD_Action_Draw_DCI_Bitonal_Image(stage.device, &stage.rendition, &start, &end, 0,
                                             bytes.data(), &source);
            const std::string what = "source format " + std::to_string(from);
            expect_row_in_format(stage, device, what.c_str());
        }
}

TEST(MappedDevices, WithoutACubeEachColourTakesTheNearestEntry) {
    Stage stage(KT_Color_System::Mapped);
    KT_Palette few;
    const KT_RGB32 red = {0, 0, 255, 255}, green = {0, 255, 0, 255}, white = {255, 255, 255, 255};
    few->entries[3] = {red, 1};
    few->entries[7] = {green, 1};
    few->entries[9] = {white, 1};
    stage.device->options().set_palette(few);
    const KT_RGB32 row[3] = {{10, 20, 230, 255}, {30, 200, 40, 255}, {240, 235, 250, 255}};
    const KT_DCI_Point start = {0, 0, 0}, end = {2, 0, 0};
    const KT_Packing canonical;
    KD_Action_Draw_DCI_RGB32_Image(stage.device, &stage.rendition, &start, &end, 0, row, 256,
                                   &canonical);
    EXPECT_EQ(stage.at(0, 0)[0], 3) << "reddish";
    EXPECT_EQ(stage.at(1, 0)[0], 7) << "greenish";
    EXPECT_EQ(stage.at(2, 0)[0], 9) << "whitish";
}

TEST(MappedDevices, GraysUseTheGrayRampBesideTheCube) {
    Stage stage(KT_Color_System::Mapped);
    const int ramp_base = 232, ramp_levels = 24, block = 8;
    KT_Palette palette = images_test::cube_palette();
    ASSERT_TRUE(palette.install(KT_Gray_Ramp(ramp_levels, 1.0f, ramp_base)));
    stage.device->options().set_palette(palette);
    const unsigned char gray = 100;
    std::vector<unsigned char> flat(block * block, gray);
    const KT_DCI_Point start = {0, block - 1, 0}, end = {block - 1, 0, 0};
    KD_Action_Draw_DCI_Gray8_Image(stage.device, &stage.rendition, &start, &end, block, flat.data(),
                                   256);
    const double level = gray * (ramp_levels - 1) / 255.0;
    const int lower = ramp_base + static_cast<int>(level);
    EXPECT_NEAR(upper_share(stage, 0, block - 1, block, lower, lower + 1),
                level - static_cast<int>(level), dither_granularity);
}

} // namespace
