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

// Twice the signed area of a triangle projected on the axes u, v.
double turn(const KT_Point* p, const Call& t, int u = 0, int v = 1) {
    auto at = [&](int i, int axis) { return axis == 0 ? p[i].x : axis == 1 ? p[i].y : p[i].z; };
    return (at(t.b, u) - at(t.a, u)) * (at(t.c, v) - at(t.a, v)) -
           (at(t.b, v) - at(t.a, v)) * (at(t.c, u) - at(t.a, u));
}

std::vector<KT_Point> regular(int n) {
    std::vector<KT_Point> p;
    for (int i = 0; i < n; ++i)
        p.push_back(
            KT_Point{float(std::cos(2 * M_PI * i / n)), float(std::sin(2 * M_PI * i / n)), 0});
    return p;
}

TEST(RankPolygon, EveryFormOnConvexConcaveComplexAndDegenerateOutlines) {
    const KT_Point ell[] = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}};
    const KT_Point runs[] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    const KT_Point collinear[] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    const KT_Point same[] = {{3, 3, 3}, {3, 3, 3}, {3, 3, 3}, {3, 3, 3}};
    const std::vector<KT_Point> pentagon = regular(5);
    std::vector<KT_Point> pentagram;
    for (int i = 0; i < 5; ++i)
        pentagram.push_back(pentagon[2 * i % 5]);
    const struct {
        int n;
        const KT_Point* p;
        decltype(Convex) rank;
        // clang-format off
    } rows[] = {{5, pentagon.data(), Convex}, {6, ell, Concave}, {5, pentagram.data(), Complex},
                {6, runs, Convex}, {3, collinear, Convex}, {4, same, Convex}, {0, nullptr, Convex}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        EXPECT_EQ(KD_Rank_Polygon(row.n, row.p), row.rank);
        std::vector<KT_Point_D> d;
        std::vector<int> face = {row.n};
        for (int i = 0; i < row.n; ++i) {
            d.push_back(KT_Point_D{row.p[i].x, -row.p[i].y, 5}); // mirrored
            face.push_back(row.n - 1 - i);                       // and walked backwards
        }
        EXPECT_EQ(KD_Rank_Polygon(row.n, d.data()), row.rank);
        if (row.n > 0) {
            EXPECT_EQ(KD_Rank_Polygon(row.p, face.data(), face.data() + face.size()), row.rank);
        }
    }
}

TEST(TriangulateFace, ConvexLoopIsCutIntoTheAlternatingStrip) {
    const std::vector<KT_Point> p = regular(5);
    std::vector<std::array<int, 4>> calls;
    for (const Call& t : triangulate(p.data(), {5, 0, 1, 2, 3, 4}))
        calls.push_back({t.flag, t.a, t.b, t.c});
    const std::vector<std::array<int, 4>> expected = {{1, 0, 1, 4}, {1, 1, 2, 4}, {1, 4, 2, 3}};
    EXPECT_EQ(calls, expected);
}

TEST(TriangulateFace, FacesAreCoveredExactlyAndKeepTheirTurn) {
    const std::vector<KT_Point> circle = regular(9);
    const KT_Point tri[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const KT_Point ring[] = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0},
                             {1, 1, 0}, {3, 1, 0}, {3, 3, 0}, {1, 3, 0}};
    // An L in the y-z plane, clockwise seen from +x.
    const KT_Point ell[] = {{1, 0, 0}, {1, 0, 2}, {1, 1, 2}, {1, 1, 1}, {1, 2, 1}, {1, 2, 0}};
    const KT_Point minus_x{-1, 0, 0};
    const struct {
        const KT_Point* p;
        std::vector<int> face;
        const KT_Point* normal;
        int u, v, calls, flag; // flag -1: not checked
        double area;           // signed, in the u-v plane
        // clang-format off
    } rows[] = {
        {circle.data(), {9, 0, 1, 2, 3, 4, 5, 6, 7, 8}, nullptr, 0, 1, 7, 1, 4.5 * std::sin(2 * M_PI / 9)},
        {tri, {3, 2, 0, 1}, nullptr, 0, 1, 1, 0, 0.5},
        {tri, {2, 0, 1}, nullptr, 0, 1, 0, -1, 0},
        {tri, {0}, nullptr, 0, 1, 0, -1, 0},
        {tri, {5, 0, 1}, nullptr, 0, 1, 0, -1, 0}, // count runs past the face end
        {ring, {4, 0, 1, 2, 3, -4, 4, 5, 6, 7}, nullptr, 0, 1, 8, 0, 12},
        {ell, {6, 0, 1, 2, 3, 4, 5}, &minus_x, 1, 2, 4, -1, -3},
        {ell, {6, 0, 1, 2, 3, 4, 5}, nullptr, 1, 2, 4, -1, -3},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        const std::vector<Call> calls = triangulate(row.p, row.face, row.normal);
        EXPECT_EQ(int(calls.size()), row.calls);
        double area = 0;
        for (const Call& t : calls) {
            EXPECT_TRUE(row.flag < 0 || t.flag == row.flag);
            const double a = turn(row.p, t, row.u, row.v) / 2;
            EXPECT_GT(a * row.area, 0); // no triangle turns against the face
            area += a;
            if (row.p != ring) continue;
            const double cx = (ring[t.a].x + ring[t.b].x + ring[t.c].x) / 3;
            const double cy = (ring[t.a].y + ring[t.b].y + ring[t.c].y) / 3;
            EXPECT_FALSE(cx > 1 && cx < 3 && cy > 1 && cy < 3); // nothing in the hole
        }
        EXPECT_NEAR(area, row.area, 1e-5);
    }
}

} // namespace
