// Polymarkers: every built-in symbol against a description of its glyph,
// and the routing of markers by family.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../support/slot_recorder.h"
#include "draw2d/marker_glyph.h"
#include "font/shape_engine.h"

namespace {

using slots::Call;
using slots::calls;
using slots::calls_to;

// One piece of a glyph, in glyph units (+-64 spans the marker).
struct Piece {
    enum Kind { Line, Dot, Circle, Disc, Area } kind;
    std::vector<KT_Int_XY> points; // Circle and Disc: the two box corners
};

Piece line(std::vector<KT_Int_XY> p) {
    return {Piece::Line, std::move(p)};
}
Piece area(std::vector<KT_Int_XY> p) {
    return {Piece::Area, std::move(p)};
}
const Piece centre_dot = {Piece::Dot, {{0, 0}}};
const Piece circle = {Piece::Circle, {{-64, -64}, {64, 64}}};
const Piece disc = {Piece::Disc, {{-64, -64}, {64, 64}}};
const Piece small_circle = {Piece::Circle, {{-22, -22}, {22, 22}}};
const Piece plus_across = line({{-64, 0}, {64, 0}});
const Piece plus_up = line({{0, -64}, {0, 64}});
const Piece cross_rising = line({{-45, -45}, {45, 45}});
const Piece cross_falling = line({{-45, 45}, {45, -45}});
const std::vector<KT_Int_XY> square = {{-45, -45}, {-45, 45}, {45, 45}, {45, -45}, {-45, -45}};
const std::vector<KT_Int_XY> diamond = {{-64, 0}, {0, 64}, {64, 0}, {0, -64}, {-64, 0}};
const std::vector<KT_Int_XY> up = {{0, 64}, {-55, -32}, {55, -32}, {0, 64}};
const std::vector<KT_Int_XY> down = {{0, -64}, {-55, 32}, {55, 32}, {0, -64}};
const std::vector<KT_Int_XY> right = {{-64, 0}, {32, -55}, {32, 55}, {-64, 0}};
const std::vector<KT_Int_XY> left = {{64, 0}, {-32, -55}, {-32, 55}, {64, 0}};

struct Glyph {
    int symbol;
    KT_Int_XY origin;
    std::vector<Piece> pieces;
};

// The built-in glyphs as the marker symbols are described.
const std::vector<Glyph> glyphs = {
    {0, {0, 0}, {centre_dot}},
    {1, {0, 0}, {plus_across, plus_up}},
    {2, {0, 0}, {cross_rising, cross_falling}},
    {3, {0, 0}, {cross_rising, cross_falling, plus_across, plus_up}},
    {4, {0, 0}, {circle}},
    {5, {0, 0}, {circle, centre_dot}},
    {6, {0, 0}, {circle, plus_across, plus_up}},
    {7, {0, 0}, {circle, cross_rising, cross_falling}},
    {8, {0, 0}, {circle, small_circle}},
    {9, {0, 0}, {disc}},
    {10, {0, 0}, {line(square)}},
    {11, {0, 0}, {line(square), centre_dot}},
    {12, {0, 0}, {line(square), cross_rising, cross_falling}},
    {13, {0, 0}, {area(square)}},
    {14, {0, 0}, {line(diamond)}},
    {15, {0, 0}, {line(diamond), centre_dot}},
    {16, {0, 0}, {line(diamond), plus_across, plus_up}},
    {17, {0, 0}, {area(diamond)}},
    {18, {0, 0}, {line(up)}},
    {19, {0, 0}, {line(up), centre_dot}},
    {20, {0, 0}, {area(up)}},
    {21, {0, 64}, {line(up)}},
    {22, {0, 64}, {area(up)}},
    {23, {0, 0}, {line(down)}},
    {24, {0, 0}, {line(down), centre_dot}},
    {25, {0, 0}, {area(down)}},
    {26, {0, -64}, {line(down)}},
    {27, {0, -64}, {area(down)}},
    {28, {0, 0}, {line(right)}},
    {29, {0, 0}, {line(right), centre_dot}},
    {30, {0, 0}, {area(right)}},
    {31, {-64, 0}, {line(right)}},
    {32, {-64, 0}, {area(right)}},
    {33, {0, 0}, {line(left)}},
    {34, {0, 0}, {line(left), centre_dot}},
    {35, {0, 0}, {area(left)}},
    {36, {64, 0}, {line(left)}},
    {37, {64, 0}, {area(left)}},
};

const char* slot_of(Piece::Kind kind) {
    switch (kind) {
    case Piece::Line:
        return "Draw_DC_Polyline";
    case Piece::Dot:
        return "Draw_DC_Dot";
    case Piece::Circle:
        return "Draw_DC_Elliptical_Arc";
    case Piece::Disc:
        return "Draw_DC_Ellipse";
    case Piece::Area:
        return "Draw_DC_Polygon";
    }
    return "";
}

class Markers : public slots::Recording_Test {
protected:
    Markers() : slots::Recording_Test(640, 480) {
        device->record<KT_Slot_Draw_DC_Polyline, KT_Slot_Draw_DC_Colorized_Polyline,
                       KT_Slot_Draw_DC_Dot, KT_Slot_Draw_DC_Polygon, KT_Slot_Draw_DC_Ellipse,
                       KT_Slot_Draw_DC_Elliptical_Arc, KT_Slot_Draw_2D_Polyline,
                       KT_Slot_Draw_2D_Dot, KT_Slot_Draw_2D_Polygon, KT_Slot_Draw_2D_Ellipse,
                       KT_Slot_Draw_2D_Elliptical_Arc, KT_Slot_Draw_DC_Polymarker,
                       KT_Slot_Draw_DC_Colorized_Polymarker, KT_Slot_Draw_2DI_Polymarker>();
    }

    void use(int symbol, int size) {
        rendition.modify_marker().marker_symbol = symbol;
        rendition.modify_marker().marker_size = size;
    }
};

// Where glyph point g of a glyph with origin lands for a marker of size at
// position.
KT_Point_D landing(KT_Int_XY g, KT_Int_XY origin, int size, KT_Point_D position) {
    return {(g.x - origin.x) * size / 64.0 + position.x,
            (g.y - origin.y) * size / 64.0 + position.y, position.z};
}

void expect_near(const KT_Point_D& drawn, const KT_Point_D& expected, const std::string& what) {
    EXPECT_NEAR(drawn.x, expected.x, 1e-3) << what;
    EXPECT_NEAR(drawn.y, expected.y, 1e-3) << what;
}

void expect_piece(const Call& call, const Piece& piece, const Glyph& glyph, int size,
                  KT_Point_D position) {
    EXPECT_EQ(call.name(), slot_of(piece.kind));
    if (piece.kind == Piece::Circle || piece.kind == Piece::Disc) {
        const KT_Point_D low = landing(piece.points[0], glyph.origin, size, position);
        const KT_Point_D high = landing(piece.points[1], glyph.origin, size, position);
        expect_near(call.points.at(0), {(low.x + high.x) / 2, (low.y + high.y) / 2, 0}, "centre");
        EXPECT_NEAR(call.radii.x, (high.x - low.x) / 2, 1e-3);
        EXPECT_NEAR(call.radii.y, (high.y - low.y) / 2, 1e-3);
        return;
    }
    std::vector<KT_Int_XY> expected = piece.points;
    // A filled area closed on its first point drops the repeat.
    if (piece.kind == Piece::Area) expected.pop_back();
    ASSERT_EQ(call.points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        expect_near(call.points[i], landing(expected[i], glyph.origin, size, position),
                    "point " + std::to_string(i));
}

TEST_F(Markers, EverySymbolDrawsItsGlyphAtEachSize) {
    const KT_Point position = {300, 200, 7};
    for (const Glyph& glyph : glyphs) {
        for (const int size : {1, 5, 50}) {
            SCOPED_TRACE("symbol " + std::to_string(glyph.symbol) + " size " +
                         std::to_string(size));
            calls().clear();
            use(glyph.symbol, size);
            KD_Standard_Draw_DC_Polymarker(top(), &rendition, 1, &position);
            ASSERT_EQ(calls().size(), glyph.pieces.size());
            for (std::size_t i = 0; i < glyph.pieces.size(); ++i)
                expect_piece(calls()[i], glyph.pieces[i], glyph, size, slots::widen(position));
        }
    }
}

TEST_F(Markers, FilledCircleOfSizeTenIsADiscOfRadiusTen) {
    use(9, 10);
    const KT_DCI_Point at = {100, 100, 0};
    KD_Standard_Draw_DCI_Polymarker(top(), &rendition, 1, &at);
    ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_DC_Ellipse"});
    EXPECT_EQ(calls()[0].points[0].x, 100);
    EXPECT_EQ(calls()[0].radii.x, 10);
    EXPECT_EQ(calls()[0].radii.y, 10);
}

TEST_F(Markers, EachColorizedMarkerTakesItsOwnColour) {
    use(3, 20);
    const KT_Point at = {100, 100, 0};
    const KT_RGB32 colours[2] = {{10, 0, 0, 255}, {20, 0, 0, 255}};
    const KT_Point two[2] = {at, {200, 100, 0}};
    KD_Standard_Draw_DC_Colorized_Polymarker(top(), &rendition, 2, two, colours, false);
    const std::vector<Call> lines = calls_to(KT_Slot_Draw_DC_Colorized_Polyline);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0].colors.at(0).b, 10);
    EXPECT_EQ(lines[7].colors.at(0).b, 20) << "the second marker takes the second colour";
}

TEST_F(Markers, ClippingFamiliesRouteByTheMarkerBox) {
    use(4, 10);
    const KT_Point inside = {100, 100, 0};
    const KT_Point straddling = {5, 100, 0};
    const KT_Point outside = {-11, 100, 0};
    KD_Standard_Draw_2D_Polymarker(top(), &rendition, 1, &inside);
    EXPECT_EQ(slots::names(), std::vector<std::string>{"Draw_DC_Polymarker"});
    calls().clear();
    KD_Standard_Draw_2D_Polymarker(top(), &rendition, 1, &straddling);
    EXPECT_EQ(slots::names(), std::vector<std::string>{"Draw_2D_Elliptical_Arc"});
    calls().clear();
    KD_Standard_Draw_2D_Polymarker(top(), &rendition, 1, &outside);
    EXPECT_TRUE(calls().empty());
}

TEST_F(Markers, IntegerMarkersInsideGoOneByOneToTheDeviceFamily) {
    device->record<KT_Slot_Draw_DCI_Polymarker>();
    use(1, 10);
    const KT_DCI_Point at[3] = {{100, 100, 0}, {-50, 100, 0}, {200, 100, 0}};
    KD_Standard_Draw_2DI_Polymarker(top(), &rendition, 3, at);
    ASSERT_EQ(slots::names(),
              (std::vector<std::string>{"Draw_DCI_Polymarker", "Draw_DCI_Polymarker"}));
    EXPECT_EQ(calls()[1].points[0].x, 200);
}

TEST_F(Markers, ShapeSymbolHandsAllMarkersToTheShapeEngine) {
    KT_Pointer<KT_Shape_Engine_Data> engine{new KT_Shape_Engine_Data};
    use(40, 10);
    rendition.modify_marker().marker_shape = engine->marker_shape(2);
    const KT_Point at[2] = {{100, 100, 0}, {200, 100, 0}};
    KD_Standard_Draw_DC_Polymarker(top(), &rendition, 2, at);
    ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_2DI_Polymarker"});
    EXPECT_EQ(calls()[0].points.size(), 2u);
    EXPECT_EQ(calls()[0].marker_symbol, 4);
}

TEST_F(Markers, SymbolsWithoutAGlyphAndEmptySizesDrawNothing) {
    const KT_Point at = {100, 100, 0};
    for (const int symbol : {-1, 38, 39, 41, 1000}) {
        use(symbol, 10);
        KD_Standard_Draw_DC_Polymarker(top(), &rendition, 1, &at);
    }
    use(4, 0);
    KD_Standard_Draw_DC_Polymarker(top(), &rendition, 1, &at);
    use(4, -3);
    KD_Standard_Draw_DC_Polymarker(top(), &rendition, 1, &at);
    EXPECT_TRUE(calls().empty());
}

TEST_F(Markers, BadPointsAndCountsDrawNothing) {
    use(1, 10);
    const KT_Point bad[2] = {{NAN, 100, 0}, {100, INFINITY, 0}};
    KD_Standard_Draw_DC_Polymarker(top(), &rendition, 2, bad);
    KD_Standard_Draw_2D_Polymarker(top(), &rendition, 2, bad);
    KD_Standard_Draw_2D_Polymarker(top(), &rendition, 0, bad);
    KD_Standard_Draw_2D_Polymarker(top(), &rendition, -1, bad);
    KD_Standard_Draw_DC_Polymarker(top(), &rendition, 1, nullptr);
    EXPECT_TRUE(calls().empty());
}

TEST_F(Markers, HugeSizeIsClampedToFiniteGeometry) {
    use(1, 2000000000);
    const KT_Point at = {100, 100, 0};
    KD_Standard_Draw_2D_Polymarker(top(), &rendition, 1, &at);
    ASSERT_EQ(calls().size(), 2u);
    for (const Call& c : calls())
        for (const KT_Point_D& p : c.points) {
            EXPECT_TRUE(std::isfinite(p.x));
            EXPECT_LE(std::fabs(p.x), 1 << 21);
        }
}

// Programs beyond the built-in glyphs, drawn at size 64 so that glyph units
// are pixels.
class Glyph_Programs : public Markers {
protected:
    Glyph_Programs() { rendition.modify_marker().marker_size = 64; }

    void draw(const std::vector<std::int8_t>& program, const KT_RGB32* colour = nullptr) {
        KD_Draw_Marker_Glyph(&rendition, at, program.data(), colour, false);
    }

    const KT_Point at = {100, 100, 0};
};

TEST_F(Glyph_Programs, ArcThroughThreePointsFollowsItsCircleEveryFiveDegrees) {
    draw({1, 0, 0, 64, 64, -5, 64, 0, 0, 64, -64, 0, 0});
    ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_DC_Polyline"});
    const std::vector<KT_Point_D>& p = calls()[0].points;
    ASSERT_EQ(p.size(), 38u) << "37 points from 0 to 180 degrees and the end";
    for (const KT_Point_D& q : p)
        EXPECT_NEAR(std::hypot(q.x - 100, q.y - 100), 64, 1e-3);
    EXPECT_NEAR(p[18].x, 100, 1e-3) << "the arc passes over the top";
    EXPECT_NEAR(p[18].y, 164, 1e-3);
    EXPECT_NEAR(p.back().x, 36, 1e-3);
}

TEST_F(Glyph_Programs, CollinearArcIsItsThreePoints) {
    draw({1, 0, 0, 64, 64, -5, 0, 0, 10, 0, 20, 0, 0});
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].points.size(), 3u);
}

TEST_F(Glyph_Programs, ContrastOperationSwitchesColourUntilTheMarkerColourReturns) {
    const KT_RGB32 red = {0, 0, 255, 255};
    rendition.set_contrast_color({255, 0, 0, 255}, false);
    draw({1, 0, 0, 64, 64, 2, -64, 0, 64, 0, -6, 2, 0, -64, 0, 64, -7, 1, 0, 0, 0}, &red);
    ASSERT_EQ(calls().size(), 3u);
    EXPECT_EQ(calls()[0].colors.at(0).r, 255);
    EXPECT_EQ(calls()[1].colors.at(0).b, 255) << "the contrast colour";
    EXPECT_EQ(calls()[2].slot, KT_Slot_Draw_DC_Dot);
    EXPECT_EQ(calls()[2].colors.at(0).r, 255);
}

TEST_F(Glyph_Programs, CollectedPointsAreFilledWithoutTheirClosingPoint) {
    struct Case {
        const char* name;
        std::vector<std::int8_t> program;
    };
    const Case cases[] = {
        {"fill operation", {1, 0, 0, 64, 64, -1, 3, 0, 0, 10, 0, 0, 10, -2, 2, 0, 0, 5, 5, -3, 0}},
        {"end of program", {1, 0, 0, 64, 64, -1, 4, 0, 0, 10, 0, 0, 10, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        calls().clear();
        draw(c.program);
        ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_DC_Polygon"});
        EXPECT_EQ(calls()[0].points.size(), 3u);
    }
}

TEST_F(Glyph_Programs, EllipseWithAFlatBoxIsSkipped) {
    draw({1, 0, 0, 64, 64, -4, 5, -10, 5, 10, -4, -10, 3, 10, 3, 0});
    EXPECT_TRUE(calls().empty());
}

TEST_F(Glyph_Programs, MalformedProgramsStopWhereTheyStopMakingSense) {
    draw({2, 0, 0, 64, 64, 1, 0, 0, 0});
    EXPECT_TRUE(calls().empty()) << "unknown format";
    draw({1, 0, 0, 64, 64, 1, 0, 0, -9, 1, 5, 5, 0});
    EXPECT_EQ(slots::names(), std::vector<std::string>{"Draw_DC_Dot"}) << "unknown operation";
    calls().clear();
    KD_Draw_Marker_Glyph(&rendition, at, nullptr, nullptr, false);
    EXPECT_TRUE(calls().empty());
}

} // namespace
