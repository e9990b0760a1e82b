#include "contour/polygon_rank.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
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

// A simple outline whose edge directions swing back and forth many times:
// a star with random radii at evenly spaced angles.
std::vector<KT_Point> wiggly_star(std::mt19937& rng, int corners) {
    std::uniform_real_distribution<float> radius(0.3f, 1.0f);
    std::vector<KT_Point> p;
    for (int i = 0; i < corners; ++i) {
        const double a = 2 * M_PI * i / corners;
        const float r = radius(rng);
        p.push_back(KT_Point{r * float(std::cos(a)), r * float(std::sin(a)), 0});
    }
    return p;
}

// Teeth of random heights standing on a bar: simple, and every tooth
// reverses the edges' direction twice.
std::vector<KT_Point> comb(std::mt19937& rng, int teeth) {
    std::uniform_real_distribution<float> height(1.0f, 5.0f);
    std::vector<KT_Point> p = {{0, -1, 0}, {float(2 * teeth), -1, 0}};
    for (int t = teeth - 1; t >= 0; --t) {
        const float h = height(rng);
        p.push_back(KT_Point{float(2 * t + 1), 0, 0});
        p.push_back(KT_Point{float(2 * t + 1), h, 0});
        p.push_back(KT_Point{float(2 * t), h, 0});
        p.push_back(KT_Point{float(2 * t), 0, 0});
    }
    return p;
}

double loop_area(const std::vector<KT_Point>& p) {
    double area = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const KT_Point& a = p[i];
        const KT_Point& b = p[(i + 1) % p.size()];
        area += double(a.x) * b.y - double(b.x) * a.y;
    }
    return area / 2;
}

// Triangles that cover a simple outline without overlap add up to its area
// and all turn as it does; a strip over a wiggly outline overlaps itself.
void expect_exact_cover(const std::vector<KT_Point>& outline) {
    std::vector<int> face = {int(outline.size())};
    for (int i = 0; i < int(outline.size()); ++i)
        face.push_back(i);
    const double area = loop_area(outline);
    double covered = 0;
    int against = 0;
    for (const Call& t : triangulate(outline.data(), face)) {
        const double a = turn(outline.data(), t) / 2;
        covered += std::fabs(a);
        against += a * area < 0;
    }
    EXPECT_NEAR(covered, std::fabs(area), 1e-4 * std::fabs(area));
    EXPECT_EQ(against, 0);
}

TEST(TriangulateFace, WigglySimpleOutlinesAreCoveredOnce) {
    std::mt19937 rng(19);
    for (int seed = 0; seed < 40; ++seed) {
        const int corners = 8 + seed * 5;
        SCOPED_TRACE(corners);
        expect_exact_cover(wiggly_star(rng, corners));
    }
}

TEST(TriangulateFace, CombsAreCoveredOnce) {
    std::mt19937 rng(20);
    for (int teeth = 2; teeth < 30; teeth += 3) {
        SCOPED_TRACE(teeth);
        expect_exact_cover(comb(rng, teeth));
    }
}

TEST(TriangulateFace, ALoopThatCrossesItselfStillGetsTheStrip) {
    const std::vector<KT_Point> pentagon = regular(5);
    std::vector<KT_Point> pentagram;
    for (int i = 0; i < 5; ++i)
        pentagram.push_back(pentagon[2 * i % 5]);
    const std::vector<Call> calls = triangulate(pentagram.data(), {5, 0, 1, 2, 3, 4});
    ASSERT_EQ(calls.size(), 3u);
    for (const Call& t : calls)
        EXPECT_EQ(t.flag, 1);
}

} // namespace
