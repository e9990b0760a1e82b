#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "rendition/marker_glyphs.h"

namespace {

// A glyph program decoded into text: its origin when shifted, then one
// token per operation.
std::string decode(int symbol) {
    KT_Marker_Glyph_Reader reader(KD_Marker_Glyph(symbol));
    if (!reader.valid()) return "invalid";
    std::string out;
    if (reader.divisor_x() != 64 || reader.divisor_y() != 64) out += "divisor ";
    if (reader.origin_x() || reader.origin_y())
        out += "origin(" + std::to_string(reader.origin_x()) + "," +
               std::to_string(reader.origin_y()) + ") ";
    for (int guard = 0; guard < 64; ++guard) {
        const KT_Glyph_Step s = reader.next();
        using Op = KT_Glyph_Operation;
        const char* name = s.operation == Op::Dot          ? "dot"
                           : s.operation == Op::Polyline   ? "line"
                           : s.operation == Op::Ellipse    ? "ellipse"
                           : s.operation == Op::Begin_Area ? "area"
                                                           : nullptr;
        if (s.operation == Op::End) return out + "end";
        if (!name) return out + "op" + std::to_string(static_cast<int>(s.operation));
        out += name;
        for (int i = 0; i < s.pair_count; ++i)
            out += "(" + std::to_string(s.operands[2 * i]) + "," +
                   std::to_string(s.operands[2 * i + 1]) + ")";
        out += " ";
    }
    return out + "unterminated";
}

// The figures glyph programs are made of, one letter each; capitals hang
// a triangle from its tip.
const std::map<char, std::string> pieces = {{'.', "dot(0,0) "},
                                            {'+', "line(-64,0)(64,0) line(0,-64)(0,64) "},
                                            {'x', "line(-45,-45)(45,45) line(-45,45)(45,-45) "},
                                            {'o', "ellipse(-64,-64)(64,64) "},
                                            {'i', "ellipse(-22,-22)(22,22) "},
                                            {'s', "line(-45,-45)(-45,45)(45,45)(45,-45)(-45,-45) "},
                                            {'d', "line(-64,0)(0,64)(64,0)(0,-64)(-64,0) "},
                                            {'u', "line(0,64)(-55,-32)(55,-32)(0,64) "},
                                            {'v', "line(0,-64)(-55,32)(55,32)(0,-64) "},
                                            {'r', "line(-64,0)(32,-55)(32,55)(-64,0) "},
                                            {'l', "line(64,0)(-32,-55)(-32,55)(64,0) "},
                                            {'#', "area "},
                                            {'U', "origin(0,64) "},
                                            {'V', "origin(0,-64) "},
                                            {'R', "origin(-64,0) "},
                                            {'L', "origin(64,0) "}};

TEST(MarkerGlyphs, EveryProgramDecodesToItsFigure) {
    const char* table[KD_MARKER_GLYPH_COUNT] = {
        ".",  "+",   "x",  "x+", "o",  "o.", "o+",  "ox", "oi", "#o",  "s",  "s.", "sx",
        "#s", "d",   "d.", "d+", "#d", "u",  "u.",  "#u", "Uu", "U#u", "v",  "v.", "#v",
        "Vv", "V#v", "r",  "r.", "#r", "Rr", "R#r", "l",  "l.", "#l",  "Ll", "L#l"};
    for (int symbol = 0; symbol < KD_MARKER_GLYPH_COUNT; ++symbol) {
        std::string expected;
        for (const char* c = table[symbol]; *c; ++c)
            expected += pieces.at(*c);
        EXPECT_EQ(decode(symbol), expected + "end") << "symbol " << symbol;
    }
    for (int symbol : {-1, KD_MARKER_GLYPH_COUNT, KD_MARKER_SHAPE_SYMBOL})
        EXPECT_EQ(KD_Marker_Glyph(symbol), nullptr) << symbol;
    EXPECT_EQ(KT_Marker_Glyph_Reader(nullptr).next().operation, KT_Glyph_Operation::End);
}

TEST(MarkerGlyphs, CoordinatesScaleWithTheMarkerSizeAroundTheOrigin) {
    // A filled disc of radius 10 around (100, 100).
    KT_Marker_Glyph_Reader disc(KD_Marker_Glyph(9));
    EXPECT_EQ(disc.next().operation, KT_Glyph_Operation::Begin_Area);
    const KT_Glyph_Step box = disc.next();
    const KT_Point at = {100, 100, 0.25f};
    const KT_Point low = disc.map(box.operands[0], box.operands[1], 10, at);
    const KT_Point high = disc.map(box.operands[2], box.operands[3], 10, at);
    EXPECT_EQ(low.x, 90.0f) << "left of the box";
    EXPECT_EQ(low.y, 90.0f) << "bottom of the box";
    EXPECT_EQ(high.x, 110.0f) << "right of the box";
    EXPECT_EQ(high.y, 110.0f) << "top of the box";
    EXPECT_EQ(high.z, 0.25f) << "depth is the marker's";
    // Shifted triangles hang from their tip, which lands on the marker.
    for (int symbol : {21, 26, 31, 36}) {
        KT_Marker_Glyph_Reader reader(KD_Marker_Glyph(symbol));
        const KT_Glyph_Step tip = reader.next();
        const KT_Point p = reader.map(tip.operands[0], tip.operands[1], 20, {7, -3, 0});
        EXPECT_EQ(p.x, 7.0f) << "symbol " << symbol;
        EXPECT_EQ(p.y, -3.0f) << "symbol " << symbol;
    }
}

} // namespace
