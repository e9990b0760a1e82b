// Dash patterns: the drawn and skipped runs along polylines.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../support/slot_recorder.h"
#include "draw2d/dash_walker.h"
#include "foundation/line_patterns.h"

namespace {

using slots::Call;
using slots::calls;
using slots::calls_to;

struct Dash_Run {
    double from; // distance along the whole polyline
    double to;
    bool drawn;
};

// Walks segments of the given lengths one after another and joins the
// pieces into runs along the whole polyline, merging pieces that continue
// the same dash across a vertex.
std::vector<Dash_Run> walk(KT_Dash_Walker& walker, const std::vector<double>& segments) {
    std::vector<Dash_Run> runs;
    double offset = 0;
    for (const double length : segments) {
        walker.walk(length, [&](double from, double to, bool drawn, double) {
            if (!runs.empty() && runs.back().drawn == drawn && runs.back().to == offset + from)
                runs.back().to = offset + to;
            else
                runs.push_back({offset + from, offset + to, drawn});
        });
        offset += length;
    }
    return runs;
}

constexpr int dash_dot_pattern = 8; // 10 drawn, 3 skipped, 1 drawn, 3 skipped

TEST(Dash_Walker, RunsAlongAStraightLineFollowThePattern) {
    const std::int16_t* table = KD_Builtin_Line_Pattern(dash_dot_pattern);
    const double scale = 2;
    KT_Dash_Walker walker(table, scale, false);
    const std::vector<Dash_Run> runs = walk(walker, {170});
    const double expected[4] = {20, 6, 2, 6};
    ASSERT_EQ(runs.size(), 20u);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(runs[i].drawn, i % 2 == 0);
        EXPECT_DOUBLE_EQ(runs[i].to - runs[i].from, expected[i % 4]);
    }
}

TEST(Dash_Walker, PhaseRunsOnAcrossVertices) {
    const std::int16_t* table = KD_Builtin_Line_Pattern(dash_dot_pattern);
    KT_Dash_Walker straight(table, 1.5, false);
    KT_Dash_Walker bent(table, 1.5, false);
    const std::vector<Dash_Run> whole = walk(straight, {200});
    const std::vector<Dash_Run> pieces = walk(bent, {7, 13.5, 0, 41, 3, 135.5});
    ASSERT_EQ(pieces.size(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(pieces[i].drawn, whole[i].drawn);
        EXPECT_NEAR(pieces[i].from, whole[i].from, 1e-9);
        EXPECT_NEAR(pieces[i].to, whole[i].to, 1e-9);
    }
}

TEST(Dash_Walker, FittedPatternStartsAndEndsEverySegmentInHalfADrawnDash) {
    const std::int16_t* table = KD_Builtin_Line_Pattern(2); // 8 drawn, 4 skipped
    KT_Dash_Walker walker(table, 1, true);
    for (const double length : {50.0, 13.0, 100.0}) {
        SCOPED_TRACE(length);
        std::vector<Dash_Run> pieces;
        walker.walk(length, [&](double from, double to, bool drawn, double) {
            pieces.push_back({from, to, drawn});
        });
        const double repetitions = std::max(1.0, std::trunc(length / 12 + 0.5));
        const double fitted_dash = 8 * length / (repetitions * 12);
        ASSERT_FALSE(pieces.empty());
        EXPECT_TRUE(pieces.front().drawn);
        EXPECT_NEAR(pieces.front().to, fitted_dash / 2, 1e-9);
        EXPECT_TRUE(pieces.back().drawn);
        EXPECT_NEAR(length - pieces.back().from, fitted_dash / 2, 1e-9);
    }
}

TEST(Dash_Walker, PatternsWithoutLengthCannotBeWalked) {
    const short zeros[2] = {0, 0};
    const short negative[2] = {4, -2};
    const KT_Dash_Pattern empty(2, zeros, 0);
    const KT_Dash_Pattern backwards(2, negative, 0);
    const std::int16_t* table = KD_Builtin_Line_Pattern(2);
    EXPECT_FALSE(KT_Dash_Walker(empty->values, 1, false).usable());
    EXPECT_FALSE(KT_Dash_Walker(backwards->values, 1, false).usable());
    EXPECT_FALSE(KT_Dash_Walker(table, 0, false).usable());
    EXPECT_FALSE(KT_Dash_Walker(table, NAN, false).usable());
    EXPECT_FALSE(KT_Dash_Walker(nullptr, 1, false).usable());
}

TEST(Dash_Walker, TinyScaleStillTakesNoMoreStepsThanPixels) {
    const std::int16_t* table = KD_Builtin_Line_Pattern(2);
    KT_Dash_Walker walker(table, 1e-9, false);
    int pieces = 0;
    walker.walk(1000, [&](double, double, bool, double) { ++pieces; });
    EXPECT_LE(pieces, 2001);
}

TEST(Dash_Walker, HugeSegmentCostsOnlyItsVisiblePartAndKeepsThePhase) {
    const std::int16_t* table = KD_Builtin_Line_Pattern(dash_dot_pattern);
    const double length = 1e6 + 17.25;
    KT_Dash_Walker windowed(table, 1, false);
    KT_Dash_Walker full(table, 1, false);
    int visible_pieces = 0;
    windowed.walk(length, 500000, 500100, [&](double from, double to, bool, double) {
        if (to >= 500000 && from <= 500100) ++visible_pieces;
        ASSERT_LT(visible_pieces, 1000);
    });
    std::vector<Dash_Run> expected_visible;
    full.walk(length, [&](double from, double to, bool drawn, double) {
        if (to >= 500000 && from <= 500100) expected_visible.push_back({from, to, drawn});
    });
    EXPECT_EQ(visible_pieces, static_cast<int>(expected_visible.size()));
    const std::vector<Dash_Run> after_windowed = walk(windowed, {40});
    const std::vector<Dash_Run> after_full = walk(full, {40});
    ASSERT_EQ(after_windowed.size(), after_full.size());
    for (std::size_t i = 0; i < after_full.size(); ++i) {
        EXPECT_NEAR(after_windowed[i].from, after_full[i].from, 1e-4);
        EXPECT_EQ(after_windowed[i].drawn, after_full[i].drawn);
    }
}

TEST(Dash_Walker, SegmentTooLongToResolveItsDashesFinishes) {
    // At 1e20 along a segment, distances are 16384 apart: one-pixel dashes
    // cannot move the walk on, and the rest of the segment is one piece.
    const std::int16_t* table = KD_Builtin_Line_Pattern(dash_dot_pattern);
    const double length = 1e30;
    const double visible_from = 1e20, visible_to = visible_from + 100;
    KT_Dash_Walker walker(table, 1, false);
    int pieces = 0;
    double reached = 0;
    walker.walk(length, visible_from, visible_to, [&](double, double to, bool, double) {
        ++pieces;
        reached = to;
        ASSERT_LT(pieces, 1000) << "the walk does not move on";
    });
    EXPECT_EQ(reached, length) << "the last piece ends at the segment's end";
}

class Dashed_Lines : public slots::Recording_Test {
protected:
    Dashed_Lines() : slots::Recording_Test(640, 480) {
        device->record<KT_Slot_Draw_DC_Polyline, KT_Slot_Draw_DC_Colorized_Polyline,
                       KT_Slot_Draw_DC_Dot, KT_Slot_Draw_2D_Polyline>();
    }
};

TEST_F(Dashed_Lines, DrawnRunsOfABentPolylineMatchThePatternAcrossVertices) {
    rendition.modify_line().line_pattern = 3; // 16 drawn, 8 skipped at half scale
    const KT_Point path[4] = {{0, 0, 0}, {30, 0, 0}, {30, 50, 0}, {100, 50, 0}};
    KD_Standard_Draw_DC_Polyline(top(), &rendition, 4, path);
    // Distance along the path of each drawn piece's ends.
    auto along = [&](const KT_Point_D& p) {
        if (p.y == 0) return p.x;
        if (p.x == 30) return 30 + p.y;
        return 80 + (p.x - 30);
    };
    double drawn = 0;
    for (const Call& piece : calls_to(KT_Slot_Draw_DC_Polyline)) {
        const double from = along(piece.points[0]);
        const double to = along(piece.points[1]);
        const double phase = std::fmod(from, 12);
        EXPECT_LT(phase, 8) << "piece from " << from << " starts in a gap";
        EXPECT_LE(std::fmod(from, 12) + (to - from), 8 + 1e-9) << "piece runs into a gap";
        drawn += to - from;
    }
    EXPECT_NEAR(drawn, 8 * 12 + 6, 1e-6) << "150 along the path: 12 periods and 6 of a dash";
}

TEST_F(Dashed_Lines, OpaqueDashesFillTheGapsInTheContrastColour) {
    rendition.modify_line().line_pattern = 2;
    rendition.modify_misc().pattern_mode = KT_Pattern_Opaque;
    rendition.set_contrast_color({7, 7, 7, 255}, false);
    const KT_Point path[2] = {{0, 0, 0}, {24, 0, 0}};
    KD_Standard_Draw_DC_Polyline(top(), &rendition, 2, path);
    const std::vector<Call> gaps = calls_to(KT_Slot_Draw_DC_Colorized_Polyline);
    ASSERT_EQ(gaps.size(), 4u);
    EXPECT_EQ(gaps[0].colors.at(0).b, 7);
    EXPECT_TRUE(gaps[0].single_color);
    EXPECT_EQ(gaps[0].points[0].x, 4);
}

TEST_F(Dashed_Lines, DashesOfAPixelAndAHalfOrLessAreDots) {
    rendition.modify_line().line_pattern = 5; // 1 drawn, 3 skipped
    const KT_Point path[2] = {{0, 0, 0}, {10, 0, 0}};
    KD_Standard_Draw_DC_Polyline(top(), &rendition, 2, path);
    EXPECT_TRUE(calls_to(KT_Slot_Draw_DC_Polyline).empty());
    const std::vector<Call> dots = calls_to(KT_Slot_Draw_DC_Dot);
    ASSERT_EQ(dots.size(), 5u) << "a dot every 2 pixels at half scale";
    EXPECT_EQ(dots[1].points[0].x, 2);
}

TEST_F(Dashed_Lines, ClippingFamiliesDrawTheirPiecesThroughTheClippingSlots) {
    rendition.modify_line().line_pattern = 2;
    const KT_Point path[2] = {{-100, 0, 0}, {100, 0, 0}};
    KD_Standard_Draw_2D_Polyline(top(), &rendition, 2, path);
    EXPECT_FALSE(calls_to(KT_Slot_Draw_2D_Polyline).empty());
    EXPECT_TRUE(calls_to(KT_Slot_Draw_DC_Polyline).empty());
}

TEST_F(Dashed_Lines, PatternOfNoLengthDrawsNothing) {
    const short zeros[2] = {0, 0};
    rendition.modify_line().line_pattern = KT_Line_Own_Dashes;
    rendition.modify_line().dash_pattern = KT_Dash_Pattern(2, zeros, 0);
    const KT_Point path[2] = {{0, 0, 0}, {100, 0, 0}};
    KD_Standard_Draw_DC_Polyline(top(), &rendition, 2, path);
    EXPECT_TRUE(calls().empty());
}

class Wide_Dashes : public Dashed_Lines {
protected:
    Wide_Dashes() {
        device->record<KT_Slot_Draw_2D_Polygon, KT_Slot_Draw_2D_Dot,
                       KT_Slot_Draw_2D_Colorized_Polyline>();
        rendition.modify_line().line_weight = 5;
        rendition.modify_line().flags[KT_Line_No_Wide_Outline] = 1;
    }
};

TEST_F(Wide_Dashes, EachDrawnDashIsAFilledPiece) {
    rendition.modify_line().line_pattern = 2; // 4 drawn, 2 skipped at half scale
    const KT_Point path[2] = {{10, 50, 0}, {34, 50, 0}};
    KD_Standard_Draw_DC_Polyline(top(), &rendition, 2, path);
    const std::vector<Call> pieces = calls_to(KT_Slot_Draw_2D_Polygon);
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_FLOAT_EQ(pieces[1].points[1].x, 16) << "the second dash starts 6 along";
    EXPECT_FLOAT_EQ(pieces[1].points[4].x, 20);
    EXPECT_TRUE(pieces[1].colors.empty()) << "drawn in the front colour";
}

TEST_F(Wide_Dashes, OpaqueGapsArePiecesInTheContrastColour) {
    rendition.modify_line().line_pattern = 2;
    rendition.modify_misc().pattern_mode = KT_Pattern_Opaque;
    rendition.set_contrast_color({7, 7, 7, 255}, false);
    const KT_Point path[2] = {{10, 50, 0}, {34, 50, 0}};
    KD_Standard_Draw_DC_Polyline(top(), &rendition, 2, path);
    const std::vector<Call> pieces = calls_to(KT_Slot_Draw_2D_Polygon);
    ASSERT_EQ(pieces.size(), 8u);
    EXPECT_TRUE(pieces[0].colors.empty());
    ASSERT_EQ(pieces[1].colors.size(), 1u);
    EXPECT_EQ(pieces[1].colors.at(0).b, 7);
}

TEST_F(Wide_Dashes, DashesOfAPixelAndAQuarterOrLessAreDots) {
    rendition.modify_line().line_pattern = 5; // 1 drawn, 3 skipped: 0.5 and 1.5 at half scale
    const KT_Point path[2] = {{10, 50, 0}, {20, 50, 0}};
    KD_Standard_Draw_DC_Polyline(top(), &rendition, 2, path);
    EXPECT_TRUE(calls_to(KT_Slot_Draw_2D_Polygon).empty());
    EXPECT_EQ(calls_to(KT_Slot_Draw_2D_Dot).size(), 5u);
}

} // namespace
