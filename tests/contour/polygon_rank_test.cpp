#include "contour/polygon_rank.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace {

struct Call {
    std::int32_t flag, a, b, c;
};

std::vector<Call> triangulate(const KT_Point* points, const std::vector<int>& face,
                              const KT_Point* normal = nullptr) {
    std::vector<Call> calls;
    KD_Triangulate_Face(
        points, normal, face.data(), face.data() + face.size(),
        [](void* user, std::int32_t flag, std::int32_t a, std::int32_t b, std::int32_t c) {
            static_cast<std::vector<Call>*>(user)->push_back(Call{flag, a, b, c});
        },
        &calls);
    return calls;
}

double signed_area(const KT_Point* p, const Call& t) {
    return 0.5 * ((p[t.b].x - p[t.a].x) * (p[t.c].y - p[t.a].y) -
                  (p[t.b].y - p[t.a].y) * (p[t.c].x - p[t.a].x));
}

TEST(RankPolygon, ConvexConcaveAndComplexOutlines) {
    const KT_Point square[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    EXPECT_EQ(KD_Rank_Polygon(4, square), Convex);
    const KT_Point_D square_d[] = {{0, 0, 5}, {0, 1, 5}, {1, 1, 5}, {1, 0, 5}};
    EXPECT_EQ(KD_Rank_Polygon(4, square_d), Convex);
    const KT_Point ell[] = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}};
    EXPECT_EQ(KD_Rank_Polygon(6, ell), Concave);
    KT_Point pentagram[5];
    for (int i = 0; i < 5; ++i) {
        const double a = 2 * M_PI * (2 * i % 5) / 5;
        pentagram[i] = KT_Point{float(std::cos(a)), float(std::sin(a)), 0};
    }
    EXPECT_EQ(KD_Rank_Polygon(5, pentagram), Complex);
}

TEST(RankPolygon, DegenerateOutlinesStayConvex) {
    const KT_Point collinear[] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    EXPECT_EQ(KD_Rank_Polygon(3, collinear), Convex);
    const KT_Point same[] = {{3, 3, 3}, {3, 3, 3}, {3, 3, 3}, {3, 3, 3}};
    EXPECT_EQ(KD_Rank_Polygon(4, same), Convex);
    // Collinear runs and repeated points do not make a square concave.
    const KT_Point runs[] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    EXPECT_EQ(KD_Rank_Polygon(6, runs), Convex);
    EXPECT_EQ(KD_Rank_Polygon(0, static_cast<const KT_Point*>(nullptr)), Convex);
}

TEST(RankPolygon, IndexFormWalksTheFaceLoop) {
    const KT_Point p[] = {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    const int concave[] = {5, 0, 1, 2, 3, 4};
    EXPECT_EQ(KD_Rank_Polygon(p, concave, concave + 6), Concave);
    const int convex[] = {4, 0, 2, 3, 4};
    EXPECT_EQ(KD_Rank_Polygon(p, convex, convex + 5), Convex);
}

TEST(TriangulateFace, ConvexLoopIsCutIntoTheAlternatingStrip) {
    KT_Point p[5];
    for (int i = 0; i < 5; ++i)
        p[i] = KT_Point{float(std::cos(2 * M_PI * i / 5)), float(std::sin(2 * M_PI * i / 5)), 0};
    const std::vector<Call> calls = triangulate(p, {5, 0, 1, 2, 3, 4});
    ASSERT_EQ(calls.size(), 3u);
    const std::array<std::array<int, 3>, 3> expected = {{{0, 1, 4}, {1, 2, 4}, {4, 2, 3}}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(calls[i].flag, 1);
        EXPECT_EQ(calls[i].a, expected[i][0]);
        EXPECT_EQ(calls[i].b, expected[i][1]);
        EXPECT_EQ(calls[i].c, expected[i][2]);
    }
    // Longer loops keep covering the polygon exactly.
    KT_Point circle[9];
    std::vector<int> face = {9};
    for (int i = 0; i < 9; ++i) {
        circle[i] =
            KT_Point{float(std::cos(2 * M_PI * i / 9)), float(std::sin(2 * M_PI * i / 9)), 0};
        face.push_back(i);
    }
    double area = 0;
    for (const Call& t : triangulate(circle, face))
        area += signed_area(circle, t);
    EXPECT_NEAR(area, 4.5 * std::sin(2 * M_PI / 9), 1e-5);
}

TEST(TriangulateFace, TriangleGivesOneCallAndShortLoopsNone) {
    const KT_Point p[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const std::vector<Call> calls = triangulate(p, {3, 2, 0, 1});
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].flag, 0);
    EXPECT_EQ(calls[0].a, 2);
    EXPECT_EQ(calls[0].c, 1);
    EXPECT_TRUE(triangulate(p, {2, 0, 1}).empty());
    EXPECT_TRUE(triangulate(p, {0}).empty());
    EXPECT_TRUE(triangulate(p, {5, 0, 1}).empty()); // count runs past the face end
}

TEST(TriangulateFace, SquareWithHoleCoversTheRingOnly) {
    const KT_Point p[] = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0},
                          {1, 1, 0}, {3, 1, 0}, {3, 3, 0}, {1, 3, 0}};
    const std::vector<Call> calls = triangulate(p, {4, 0, 1, 2, 3, -4, 4, 5, 6, 7});
    double area = 0;
    for (const Call& t : calls) {
        EXPECT_EQ(t.flag, 0);
        const double a = signed_area(p, t);
        EXPECT_GT(a, 0); // the outline runs counter-clockwise, so do its triangles
        area += a;
        const double cx = (p[t.a].x + p[t.b].x + p[t.c].x) / 3;
        const double cy = (p[t.a].y + p[t.b].y + p[t.c].y) / 3;
        EXPECT_FALSE(cx > 1 && cx < 3 && cy > 1 && cy < 3);
    }
    EXPECT_DOUBLE_EQ(area, 12);
}

TEST(TriangulateFace, ConcaveFaceInAnotherPlaneKeepsItsWinding) {
    // An L in the y-z plane, clockwise seen from +x; the normal picks the
    // projection and every triangle keeps the face's turn.
    const KT_Point p[] = {{1, 0, 0}, {1, 0, 2}, {1, 1, 2}, {1, 1, 1}, {1, 2, 1}, {1, 2, 0}};
    const KT_Point normal{-1, 0, 0};
    const std::vector<Call> with_normal = triangulate(p, {6, 0, 1, 2, 3, 4, 5}, &normal);
    const std::vector<Call> without = triangulate(p, {6, 0, 1, 2, 3, 4, 5});
    ASSERT_EQ(with_normal.size(), 4u);
    EXPECT_EQ(without.size(), 4u);
    double area = 0;
    for (const Call& t : with_normal) {
        const double a = 0.5 * ((p[t.b].y - p[t.a].y) * (p[t.c].z - p[t.a].z) -
                                (p[t.b].z - p[t.a].z) * (p[t.c].y - p[t.a].y));
        EXPECT_LT(a, 0);
        area += a;
    }
    EXPECT_DOUBLE_EQ(area, -3);
}

} // namespace
