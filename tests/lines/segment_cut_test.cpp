#include <gtest/gtest.h>

#include <vector>

#include "draw2d/segment_cut.h"

namespace {

struct Piece {
    double from;
    double to;
};

std::vector<Piece> cut(const KT_Contour_Set& region, KT_Point a, KT_Point b) {
    std::vector<Piece> pieces;
    KD_Cut_Segment_By_Region(*region, a, b, [&](double t0, double t1) {
        pieces.push_back({t0, t1});
    });
    return pieces;
}

const KT_Point square[4] = {{10, 10, 0}, {30, 10, 0}, {30, 30, 0}, {10, 30, 0}};
// A U open at the top: two arms from x 0 to 10 and 20 to 30, joined below y 10.
const KT_Point cup[8] = {{0, 0, 0},   {30, 0, 0},  {30, 30, 0}, {20, 30, 0},
                         {20, 10, 0}, {10, 10, 0}, {10, 30, 0}, {0, 30, 0}};

TEST(Segment_Cut, SegmentAcrossASquareKeepsItsMiddle) {
    const KT_Contour_Set region(4, square, true);
    const std::vector<Piece> pieces = cut(region, {0, 20, 0}, {40, 20, 0});
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_DOUBLE_EQ(pieces[0].from, 0.25);
    EXPECT_DOUBLE_EQ(pieces[0].to, 0.75);
}

TEST(Segment_Cut, SegmentAcrossBothArmsOfACupIsTwoPieces) {
    const KT_Contour_Set region(8, cup, true);
    const std::vector<Piece> pieces = cut(region, {-10, 20, 0}, {40, 20, 0});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_DOUBLE_EQ(pieces[0].from, 0.2);
    EXPECT_DOUBLE_EQ(pieces[0].to, 0.4);
    EXPECT_DOUBLE_EQ(pieces[1].from, 0.6);
    EXPECT_DOUBLE_EQ(pieces[1].to, 0.8);
}

TEST(Segment_Cut, SegmentInsideIsKeptWholeAndOutsideIsDropped) {
    const KT_Contour_Set region(4, square, true);
    const std::vector<Piece> inside = cut(region, {12, 12, 0}, {28, 20, 0});
    ASSERT_EQ(inside.size(), 1u);
    EXPECT_EQ(inside[0].from, 0);
    EXPECT_EQ(inside[0].to, 1);
    EXPECT_TRUE(cut(region, {40, 0, 0}, {50, 50, 0}).empty());
}

} // namespace
