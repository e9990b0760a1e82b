// The span rasterizers one row at a time, for what the triangle comparison
// with the reference does not reach: shading with lights and textures,
// perspective, fill patterns that lay over or punch through a row, and
// spans that cover nothing.
#include <gtest/gtest.h>

#include <vector>

#include "../support/capturing_device.h"
#include "parameter_shader.h"
#include "raster/span.h"
#include "rendition/rendition.h"

namespace {

constexpr KT_RGB32 black = {0, 0, 0, 255};
constexpr KT_RGB32 white = {255, 255, 255, 255};
constexpr KT_RGB32 orange = {0, 128, 255, 255};

KT_Span_Edge edge(int column, std::uint32_t depth, KT_RGB32 colour = black) {
    KT_Span_Edge e{};
    e.x.value = column << 16;
    e.depth = depth;
    const int channels[4] = {colour.r, colour.g, colour.b, colour.a};
    for (int c = 0; c < KT_Span_Channel_Count; ++c)
        e.colour[c].value = (channels[c] << 16) | 0x8000;
    e.w.value = 1.0f;
    return e;
}

KT_Span span(int left, int right, KT_RGB32 left_colour = black, KT_RGB32 right_colour = black) {
    return {edge(left, 100, left_colour), edge(right, 200, right_colour)};
}

class Span_Rasterizer : public ::testing::Test {
protected:
    Span_Rasterizer() : device(64, 8), rendition(&device) {
        data.colour.rgb = orange;
        data.colour.index = 7;
        data.contrast_colour.rgb = white;
        data.contrast_colour.index = 9;
    }

    void draw(KT_Span_Rasterizer rasterizer, const KT_Span& one, int row = 0) {
        rasterizer(&device, &rendition, &data, &one, 1, row);
    }

    void use_pattern(const std::vector<std::uint8_t>& rows, int width, int height,
                     int pattern_flags) {
        pattern_bits = rows;
        pattern = {pattern_bits.data(), width, height, (width + 7) / 8};
        data.fill_pattern = &pattern;
        rendition.modify_misc().pattern_mode = pattern_flags;
    }

    capture::Device device;
    KT_Rendition rendition;
    KT_Span_Data data{};
    std::vector<std::uint8_t> pattern_bits;
    KT_Fill_Bits pattern{};
};

TEST_F(Span_Rasterizer, SpanOfWidthZeroDrawsNothing) {
    draw(&KD_Rasterize_DC_Spans_C24_C, span(10, 10));
    draw(&KD_Rasterize_DC_Spans_C24_C, span(12, 10));
    EXPECT_TRUE(device.rows.empty());
}

TEST_F(Span_Rasterizer, PerPixelShadingWithoutLightsKeepsTheInterpolatedColour) {
    const KT_RGB32 dark = {0, 0, 0, 255};
    const KT_RGB32 bright = {0, 0, 200, 255};
    draw(&KD_Rasterize_DC_Spans_C24_R, span(0, 4, dark, bright));

    EXPECT_EQ(device.picture.at(0, 0).colour.r, 0);
    EXPECT_EQ(device.picture.at(2, 0).colour.r, 100) << "half way to 200";
}

TEST_F(Span_Rasterizer, TexturedFlatLightingScalesAndOffsetsTheShadedColour) {
    const KT_RGB32 grey = {100, 100, 100, 255};
    KT_Span one = span(0, 2, grey, grey);
    for (KT_Span_Edge* e : {&one.left, &one.right})
        for (int c = 0; c < 3; ++c) {
            e->multiplier[c].value = 0.5f;
            e->addend[c].value = 0.25f;
        }
    one.right.multiplier[0].value = 1.0f; // ignored: the left edge's factors hold
    draw(&KD_Rasterize_DC_Spans_C24_TF, one);

    const int expected = int((100.0f / 255.0f * 0.5f + 0.25f) * 255.99f);
    EXPECT_EQ(device.picture.at(1, 0).colour.r, expected);
    EXPECT_EQ(device.picture.at(1, 0).colour.a, 255) << "alpha is the shaded alpha";
}

TEST_F(Span_Rasterizer, TexturedGouraudLightingInterpolatesTheFactors) {
    const KT_RGB32 white_base = {255, 255, 255, 255};
    KT_Span one = span(0, 4, white_base, white_base);
    for (int c = 0; c < 3; ++c) {
        one.left.multiplier[c].value = 0.0f;
        one.right.multiplier[c].value = 1.0f;
    }
    draw(&KD_Rasterize_DC_Spans_C24_TG, one);

    EXPECT_EQ(device.picture.at(0, 0).colour.g, 0);
    EXPECT_EQ(device.picture.at(2, 0).colour.g, 127) << "half way between the factors";
}

TEST_F(Span_Rasterizer, PerspectiveParametersFollowOneOverW) {
    raster_test::show_parameters(rendition);
    data.parameter_width = 1;
    KT_Span one = span(0, 4);
    one.left.w.value = 1.0f;
    one.right.w.value = 3.0f;
    one.right.parameter[0].value = 1.0f; // u from 0 to 1
    draw(&KD_Rasterize_DC_Spans_C24_T, one, 0);
    rendition.modify_misc().perspective_flags = KT_Perspective_Parameters;
    draw(&KD_Rasterize_DC_Spans_C24_T, one, 1);

    // Half way along: u / w and 1 / w averaged give (1/6) / (2/3) = 1/4.
    EXPECT_NEAR(device.picture.at(2, 0).colour.r, 0.5 * 255.99, 1.0) << "linear";
    EXPECT_NEAR(device.picture.at(2, 1).colour.r, 0.25 * 255.99, 1.0) << "perspective";
}

TEST_F(Span_Rasterizer, OpaquePatternOriginPicksTheFirstBitForItsColumn) {
    // Only bit 0 of every row set: with origin x = 3 that is column 3, 11, ...
    use_pattern(std::vector<std::uint8_t>(8, 0x01), 8, 8, KT_Pattern_Opaque);
    rendition.modify_misc().pattern_origin = 3;
    draw(&KD_Rasterize_DC_Spans_C24_C, span(0, 16));

    EXPECT_EQ(device.picture.at(3, 0).colour.g, white.g) << "bit set: contrast colour";
    EXPECT_EQ(device.picture.at(11, 0).colour.g, white.g);
    EXPECT_EQ(device.picture.at(4, 0).colour.g, orange.g) << "bit clear: the span's colour";
    EXPECT_EQ(device.picture.at(2, 0).colour.g, orange.g);
}

TEST_F(Span_Rasterizer, InvertedPatternSwapsSetAndClearBits) {
    use_pattern(std::vector<std::uint8_t>(8, 0x01), 8, 8, KT_Pattern_Opaque | KT_Pattern_Invert);
    draw(&KD_Rasterize_DC_Spans_C24_C, span(0, 8));

    EXPECT_EQ(device.picture.at(0, 0).colour.g, orange.g);
    EXPECT_EQ(device.picture.at(1, 0).colour.g, white.g);
}

TEST_F(Span_Rasterizer, PatternRowFollowsTheRowAboveTheOrigin) {
    // Row 0 of the pattern all clear, row 1 all set; origin y = 5.
    use_pattern({0x00, 0xFF}, 8, 2, KT_Pattern_Opaque);
    rendition.modify_misc().pattern_origin = std::int64_t{5} << 32;
    draw(&KD_Rasterize_DC_Spans_C24_C, span(0, 4), 5);
    draw(&KD_Rasterize_DC_Spans_C24_C, span(0, 4), 6);

    EXPECT_EQ(device.picture.at(0, 5).colour.g, orange.g);
    EXPECT_EQ(device.picture.at(0, 6).colour.g, white.g);
}

TEST_F(Span_Rasterizer, TransparentPatternWithEveryBitSetDrawsNothing) {
    use_pattern(std::vector<std::uint8_t>(8, 0xFF), 8, 8, 0);
    draw(&KD_Rasterize_DC_Spans_C24_C, span(0, 20));
    draw(&KD_Rasterize_DC_Spans_C08_U, span(0, 20));

    EXPECT_EQ(device.picture.covered_count(), 0);
    EXPECT_EQ(device.dots, 0);
}

TEST_F(Span_Rasterizer, TransparentPatternDrawsClearPixelsAsDotsWithSteppedDepth) {
    // Columns 0 and 4 of each byte clear, the others set.
    use_pattern(std::vector<std::uint8_t>(8, 0xEE), 8, 8, 0);
    KT_Span one = span(0, 8);
    one.left.depth = 0;
    one.right.depth = 800;
    draw(&KD_Rasterize_DC_Spans_C24_C, one);

    EXPECT_EQ(device.dots, 2);
    EXPECT_TRUE(device.rows.empty());
    EXPECT_EQ(device.picture.at(4, 0).colour.g, orange.g);
    EXPECT_EQ(device.picture.at(4, 0).depth, 400u) << "half way along the row in 17.15";
}

TEST_F(Span_Rasterizer, TransparentIndexPatternDrawsOnePixelRowsAtDepthZero) {
    use_pattern(std::vector<std::uint8_t>(8, 0xFE), 8, 8, 0);
    draw(&KD_Rasterize_DC_Spans_C08_U, span(0, 8));

    ASSERT_EQ(device.rows.size(), 1u);
    EXPECT_EQ(device.rows[0].start.x, 0);
    EXPECT_EQ(device.rows[0].end.x, 0);
    EXPECT_EQ(device.picture.at(0, 0).depth, 0u);
}

TEST_F(Span_Rasterizer, ShadedRasterizersStayOpaqueWithOnlyTheInvertFlag) {
    // Inverted, every bit is clear: nothing takes the contrast colour.
    use_pattern(std::vector<std::uint8_t>(8, 0xFF), 8, 8, KT_Pattern_Invert);
    draw(&KD_Rasterize_DC_Spans_C24_G, span(0, 4, orange, orange));
    EXPECT_EQ(device.rows.size(), 1u) << "gouraud: opaque, one row";
    EXPECT_EQ(device.dots, 0);
    device.clear();
    draw(&KD_Rasterize_DC_Spans_C24_C, span(0, 4));
    EXPECT_TRUE(device.rows.empty()) << "flat: transparent, pixel by pixel";
    EXPECT_EQ(device.dots, 4);
}

TEST_F(Span_Rasterizer, MissingPiecesDrawNothing) {
    const KT_Span one = span(0, 4);
    KD_Rasterize_DC_Spans_C24_C(&device, nullptr, &data, &one, 1, 0);
    KD_Rasterize_DC_Spans_C24_C(&device, &rendition, nullptr, &one, 1, 0);
    KD_Rasterize_DC_Spans_C24_G(&device, &rendition, &data, nullptr, 1, 0);
    KD_Rasterize_DC_Spans_C24_R(&device, &rendition, &data, &one, 0, 0);
    KD_Rasterize_DC_Spans_C08_U(&device, &rendition, &data, &one, -3, 0);
    const KT_Rendition empty;
    KD_Rasterize_DC_Spans_C24_T(&device, &empty, &data, &one, 1, 0);
    EXPECT_TRUE(device.rows.empty());
}

} // namespace
