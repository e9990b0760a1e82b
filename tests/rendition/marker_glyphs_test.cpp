#include <gtest/gtest.h>

#include <string>

#include "rendition/marker_glyphs.h"

namespace {

// A glyph program decoded into text: one token per operation.
std::string decode(int symbol) {
    KT_Marker_Glyph_Reader reader(KD_Marker_Glyph(symbol));
    std::string out;
    auto pairs = [](const KT_Glyph_Step& s) {
        std::string p;
        for (int i = 0; i < s.pair_count; ++i)
            p += "(" + std::to_string(s.operands[2 * i]) + "," +
                 std::to_string(s.operands[2 * i + 1]) + ")";
        return p;
    };
    for (int guard = 0; guard < 64; ++guard) {
        const KT_Glyph_Step s = reader.next();
        switch (s.operation) {
        case KT_Glyph_Operation::End:
            return out + "end";
        case KT_Glyph_Operation::Dot:
            out += "dot" + pairs(s) + " ";
            break;
        case KT_Glyph_Operation::Polyline:
            out += "line" + pairs(s) + " ";
            break;
        case KT_Glyph_Operation::Begin_Area:
            out += "area ";
            break;
        case KT_Glyph_Operation::Ellipse:
            out += "ellipse" + pairs(s) + " ";
            break;
        default:
            out += "op" + std::to_string(static_cast<int>(s.operation)) + " ";
            break;
        }
    }
    return out + "unterminated";
}

const std::string dot = "dot(0,0) ";
const std::string plus = "line(-64,0)(64,0) line(0,-64)(0,64) ";
const std::string cross = "line(-45,-45)(45,45) line(-45,45)(45,-45) ";
const std::string circle = "ellipse(-64,-64)(64,64) ";
const std::string square = "line(-45,-45)(-45,45)(45,45)(45,-45)(-45,-45) ";
const std::string diamond = "line(-64,0)(0,64)(64,0)(0,-64)(-64,0) ";
const std::string up = "line(0,64)(-55,-32)(55,-32)(0,64) ";
const std::string down = "line(0,-64)(-55,32)(55,32)(0,-64) ";
const std::string right = "line(-64,0)(32,-55)(32,55)(-64,0) ";
const std::string left = "line(64,0)(-32,-55)(-32,55)(64,0) ";

struct Expected {
    std::string program;
    int origin_x;
    int origin_y;
};

TEST(MarkerGlyphs, EveryProgramDecodesToItsFigure) {
    const Expected table[KD_MARKER_GLYPH_COUNT] = {
        {dot, 0, 0},
        {plus, 0, 0},
        {cross, 0, 0},
        {cross + plus, 0, 0},
        {circle, 0, 0},
        {circle + dot, 0, 0},
        {circle + plus, 0, 0},
        {circle + cross, 0, 0},
        {circle + "ellipse(-22,-22)(22,22) ", 0, 0},
        {"area " + circle, 0, 0},
        {square, 0, 0},
        {square + dot, 0, 0},
        {square + cross, 0, 0},
        {"area " + square, 0, 0},
        {diamond, 0, 0},
        {diamond + dot, 0, 0},
        {diamond + plus, 0, 0},
        {"area " + diamond, 0, 0},
        {up, 0, 0},
        {up + dot, 0, 0},
        {"area " + up, 0, 0},
        {up, 0, 64},
        {"area " + up, 0, 64},
        {down, 0, 0},
        {down + dot, 0, 0},
        {"area " + down, 0, 0},
        {down, 0, -64},
        {"area " + down, 0, -64},
        {right, 0, 0},
        {right + dot, 0, 0},
        {"area " + right, 0, 0},
        {right, -64, 0},
        {"area " + right, -64, 0},
        {left, 0, 0},
        {left + dot, 0, 0},
        {"area " + left, 0, 0},
        {left, 64, 0},
        {"area " + left, 64, 0},
    };
    for (int symbol = 0; symbol < KD_MARKER_GLYPH_COUNT; ++symbol) {
        SCOPED_TRACE("symbol " + std::to_string(symbol));
        KT_Marker_Glyph_Reader reader(KD_Marker_Glyph(symbol));
        ASSERT_TRUE(reader.valid());
        EXPECT_EQ(reader.origin_x(), table[symbol].origin_x);
        EXPECT_EQ(reader.origin_y(), table[symbol].origin_y);
        EXPECT_EQ(reader.divisor_x(), 64);
        EXPECT_EQ(reader.divisor_y(), 64);
        EXPECT_EQ(decode(symbol), table[symbol].program + "end");
    }
}

TEST(MarkerGlyphs, OnlyTheBuiltInSymbolsHaveGlyphs) {
    EXPECT_EQ(KD_Marker_Glyph(-1), nullptr);
    EXPECT_EQ(KD_Marker_Glyph(KD_MARKER_GLYPH_COUNT), nullptr);
    EXPECT_EQ(KD_Marker_Glyph(KD_MARKER_SHAPE_SYMBOL), nullptr);
    KT_Marker_Glyph_Reader none(nullptr);
    EXPECT_FALSE(none.valid());
    EXPECT_EQ(none.next().operation, KT_Glyph_Operation::End);
}

TEST(MarkerGlyphs, CoordinatesScaleWithTheMarkerSize) {
    // A filled disc of radius 10 around (100, 100).
    KT_Marker_Glyph_Reader disc(KD_Marker_Glyph(9));
    EXPECT_EQ(disc.next().operation, KT_Glyph_Operation::Begin_Area);
    const KT_Glyph_Step box = disc.next();
    ASSERT_EQ(box.operation, KT_Glyph_Operation::Ellipse);
    const KT_Point at = {100, 100, 0.25f};
    const KT_Point low = disc.map(box.operands[0], box.operands[1], 10, at);
    const KT_Point high = disc.map(box.operands[2], box.operands[3], 10, at);
    EXPECT_FLOAT_EQ(low.x, 90);
    EXPECT_FLOAT_EQ(low.y, 90);
    EXPECT_FLOAT_EQ(high.x, 110);
    EXPECT_FLOAT_EQ(high.y, 110);
    EXPECT_FLOAT_EQ(high.z, 0.25f);

    // Size 64 keeps glyph units: the filled square has corners at +-45.
    KT_Marker_Glyph_Reader square(KD_Marker_Glyph(13));
    square.next();
    const KT_Glyph_Step outline = square.next();
    ASSERT_EQ(outline.pair_count, 5);
    const KT_Point corner = square.map(outline.operands[4], outline.operands[5], 64, {0, 0, 0});
    EXPECT_FLOAT_EQ(corner.x, 45);
    EXPECT_FLOAT_EQ(corner.y, 45);
}

TEST(MarkerGlyphs, ShiftedOriginsPutTheTipOnTheMarker) {
    // Symbols 21, 26, 31 and 36 hang their triangle from its tip.
    for (int symbol : {21, 26, 31, 36}) {
        KT_Marker_Glyph_Reader reader(KD_Marker_Glyph(symbol));
        const KT_Glyph_Step tip = reader.next();
        const KT_Point p = reader.map(tip.operands[0], tip.operands[1], 20, {7, -3, 0});
        EXPECT_FLOAT_EQ(p.x, 7) << symbol;
        EXPECT_FLOAT_EQ(p.y, -3) << symbol;
    }
}

} // namespace
