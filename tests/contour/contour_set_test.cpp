#include "contour/contour_set.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "region_check.h"

namespace {

using namespace contour_test;

const KT_Point square[4] = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}};

TEST(ContourSetData, ConstructorsCopiesAndCounts) {
    KT_Point pts[4] = {square[0], square[1], square[2], square[3]};
    KT_Contour_Set referenced(4, pts, false), copied(4, pts, true);
    EXPECT_EQ(referenced->points, pts);
    EXPECT_NE(copied->points, pts);
    pts[2].x = 9;
    EXPECT_EQ(referenced->points[2].x, 9);
    EXPECT_EQ(copied->points[2].x, 4);
    // Counts below one give no contours or no points.
    EXPECT_EQ(KT_Contour_Set(0, square, false)->contour_count, 0);
    EXPECT_EQ(KT_Contour_Set(-3, square, true)->contour_count, 0);
    const int mixed_counts[2] = {3, -2};
    EXPECT_EQ(KT_Contour_Set(2, mixed_counts, square, false)->total_points, 3);

    // Copy on write duplicates owned arrays; a copy drops the fill rule and
    // keeps referenced arrays referenced.
    const int counts[2] = {3, 1};
    KT_Point_D d[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {5, 5, 5}};
    KT_Contour_Set owned(2, counts, d, true);
    owned.set_fill_rule(KT_Fill_Non_Zero);
    KT_Contour_Set shared = owned;
    shared.set_fill_rule(KT_Fill_Resolved);
    EXPECT_EQ(owned->fill_rule, KT_Fill_Non_Zero);
    EXPECT_NE(shared->points_d, owned->points_d);
    EXPECT_EQ(shared->points_d[3].z, 5);
    EXPECT_EQ(shared->counts[1], 1);
    KT_Contour_Set ref_d(2, counts, d, false);
    ref_d.set_fill_rule(KT_Fill_Non_Zero);
    KT_Contour_Set ref_copy(static_cast<KT_Contour_Set_Data*>(ref_d->copy()));
    EXPECT_EQ(ref_copy->points_d, d);
    EXPECT_EQ(ref_copy->fill_rule, KT_Fill_Odd_Even);
    // A single contour's count lives in the body, even after a copy.
    KT_Contour_Set one_copy(static_cast<KT_Contour_Set_Data*>(referenced->copy()));
    EXPECT_EQ(one_copy->counts, &one_copy->single_contour_count);
    one_copy->force_allocation();
    EXPECT_EQ(one_copy->counts[0], 4);
    EXPECT_NE(one_copy->points, pts);
    EXPECT_EQ(one_copy->points[2].x, 9);
}

using Contours = std::vector<std::vector<KT_Point_D>>;
using Exact = std::vector<std::vector<std::array<double, 3>>>;

Exact exact(const Contours& in) {
    Exact out;
    for (const auto& c : in) {
        out.emplace_back();
        for (const KT_Point_D& p : c)
            out.back().push_back({p.x, p.y, p.z});
    }
    return out;
}

template <class P> Exact cleaned(const Contours& in) {
    std::vector<P> pts;
    std::vector<int> counts;
    for (const auto& c : in) {
        counts.push_back(static_cast<int>(c.size()));
        for (const KT_Point_D& p : c)
            pts.push_back(narrow<P>(p));
    }
    cleanup_contour_set(static_cast<int>(counts.size()), counts.data(), pts.data());
    Contours out;
    std::size_t at = 0;
    for (int n : counts) {
        out.emplace_back();
        for (int i = 0; i < n; ++i)
            out.back().push_back(widen(pts[at++])); // packed one after another
    }
    return exact(out);
}

TEST(Cleanup, DuplicatesAndSpikesGoInBothPrecisions) {
    const KT_Point_D P{0, 0, 0}, Q{1, 0, 0}, R{1, 1, 0}, S{5, 5, 5}, T{0, 1, 0}, U{2, 0, 0},
        V{2, 1, 0};
    const struct {
        Contours in, out;
    } rows[] = {
        {{{P, Q, Q, S, Q, R, T}, {P, Q, R, Q}}, {{P, Q, R, T}, {Q}}},
        {{{P, P, Q, R, P}, {Q, Q, U, V, Q}, {P, Q, R, T}}, {{P, Q, R}, {Q, U, V}, {P, Q, R, T}}},
        {{}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        EXPECT_EQ(cleaned<KT_Point>(row.in), exact(row.out));
        EXPECT_EQ(cleaned<KT_Point_D>(row.in), exact(row.out));
    }
}

TEST(Process, EmptyTrivialAndMixedOperands) {
    const KT_Point a_pts[] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    const KT_Point b_pts[] = {{1, 1, 0}, {3, 1, 0}, {3, 3, 0}, {1, 3, 0}};
    const KT_Point_D d_pts[] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}};
    KT_Contour_Set a(4, a_pts, false), b(4, b_pts, false), empty(0, b_pts, false);
    KT_Contour_Set odd_even(4, a_pts, false), d(3, d_pts, false);
    a.set_fill_rule(KT_Fill_Non_Zero);
    b.set_fill_rule(KT_Fill_Non_Zero);
    const struct {
        const KT_Contour_Set* a;
        KT_Contour_Operation op;
        const KT_Contour_Set* b;
        int points; // -1: no result
        float x0;
    } rows[] = {
        {&a, KT_Contour_A_Minus_B, &empty, 4, 0},
        {&empty, KT_Contour_B_Minus_A, &b, 4, 1},
        {&empty, KT_Contour_Intersection, &b, 0, 0},
        {&a, KT_Contour_Empty, &b, 0, 0},
        {&a, KT_Contour_Empty_Too, &b, 0, 0},
        {&a, KT_Contour_Copy_B, &b, 4, 1},
        {&odd_even, KT_Contour_Union, nullptr, 4, 0},
        {&a, KT_Contour_Union, &d, -1, 0}, // precisions differ
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        KT_Contour_Set r((*row.a)->process(row.op, row.b ? row.b->body() : nullptr));
        ASSERT_EQ(r.empty(), row.points < 0);
        if (row.points < 0) continue;
        EXPECT_EQ(r->total_points, row.points);
        if (row.points == 0) continue;
        EXPECT_TRUE(r->owns_data);
        EXPECT_EQ(r->points[0].x, row.x0);
        EXPECT_EQ(r->points[2].x, row.x0 + 2);
        EXPECT_TRUE(row.b != &empty || r->fill_rule == KT_Fill_Non_Zero);
    }
}

TEST(Process, OverlappingSquaresGiveResolvedContours) {
    const KT_Point_D a_pts[] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    const KT_Point_D b_pts[] = {{1, 1, 0}, {3, 1, 0}, {3, 3, 0}, {1, 3, 0}};
    KT_Contour_Set a(4, a_pts, false), b(4, b_pts, false);
    const double expected[4] = {1, 7, 3, 3};
    for (int op = 0; op < 4; ++op) {
        KT_Contour_Set r(a->process(KT_Contour_Operation(op), b.body()));
        ASSERT_FALSE(r.empty());
        EXPECT_EQ(r->fill_rule, KT_Fill_Resolved);
        EXPECT_DOUBLE_EQ(contour_area(*r), expected[op]) << "operation " << op;
    }
    // Only A's corner (2, 2) is an input point of A; the crossings and B's
    // corner have no index in A.
    KT_Contour_Set both(a->process(KT_Contour_Intersection, b.body()));
    ASSERT_EQ(both->total_points, 4);
    int from_a = 0;
    for (int i = 0; i < both->total_points; ++i) {
        if (both->point_source(i) < 0) continue;
        ++from_a;
        EXPECT_EQ(both->point_source(i), 2);
        EXPECT_EQ(both->points_d[i].x, 2);
    }
    EXPECT_EQ(from_a, 1);
}

TEST(Process, LinesAreClippedInsideAndOutside) {
    // B: a long thin triangle poking out of A on the right.
    const KT_Point b_pts[] = {{1, 1, 0}, {6, 2, 0}, {1, 3, 0}};
    KT_Contour_Set a(4, square, false), b(3, b_pts, false);
    auto length = [](const KT_Contour_Set& r) {
        double total = 0;
        int start = 0;
        for (int c = 0; c < r->contour_count; start += r->counts[c++])
            for (int i = start; i + 1 < start + r->counts[c]; ++i)
                total += std::hypot(r->points[i + 1].x - r->points[i].x,
                                    r->points[i + 1].y - r->points[i].y);
        return total;
    };
    KT_Contour_Set inside(a->process(KT_Contour_Lines_Inside, b.body()));
    KT_Contour_Set outside(a->process(KT_Contour_Lines_Outside, b.body()));
    const double slant = std::hypot(5.0, 1.0);
    EXPECT_NEAR(length(inside), 2 + 2 * slant * 3 / 5, 1e-5);
    EXPECT_NEAR(length(outside), 2 * slant * 2 / 5, 1e-5);
    EXPECT_EQ(outside->contour_count, 1); // the tip is one open line
}

template <class P> std::vector<std::array<int, 3>> sources_of(const KT_Contour_Set_Data& set) {
    std::vector<std::array<int, 3>> out;
    set.triangulate(
        [](const P*, const P*, const P*, const KT_Contour_Point_Source* a,
           const KT_Contour_Point_Source* b, const KT_Contour_Point_Source* c, void* user) {
            static_cast<std::vector<std::array<int, 3>>*>(user)->push_back(
                {a->index, b->index, c->index});
        },
        &out);
    return out;
}

TEST(Triangulate, SourcesNameInputPointsAndConvexContoursGiveTheStrip) {
    const KT_Point_D pts[] = {{9, 9, 0}, {9, 9, 0}, {0, 0, 0}, {3, 0, 0}, {3, 3, 0},
                              {2, 1, 0}, {0, 3, 0}, {5, 0, 0}, {6, 0, 0}, {6, 1, 0}};
    const int counts[3] = {2, 5, 3};
    KT_Contour_Set set(3, counts, pts, false);
    for (const KT_Contour_Fill_Rule rule : every_rule) {
        SCOPED_TRACE(rule);
        set.set_fill_rule(rule);
        const auto sources = sources_of<KT_Point_D>(*set);
        const auto triangles = triangles_of<KT_Point_D>(*set);
        ASSERT_EQ(sources.size(), 4u);
        ASSERT_EQ(triangles.size(), 4u);
        for (std::size_t t = 0; t < 4; ++t)
            for (int k = 0; k < 3; ++k) {
                const int i = sources[t][k];
                const KT_Point_D& p = k == 0   ? triangles[t].a
                                      : k == 1 ? triangles[t].b
                                               : triangles[t].c;
                ASSERT_TRUE(i >= 2 && i < 10);
                EXPECT_TRUE(pts[i].x == p.x && pts[i].y == p.y);
            }
    }
    // A convex contour is cut into the alternating strip.
    KT_Point p[5];
    for (int i = 0; i < 5; ++i)
        p[i] = KT_Point{float(std::cos(2 * M_PI * i / 5)), float(std::sin(2 * M_PI * i / 5)), 0};
    const std::vector<std::array<int, 3>> strip = {{0, 1, 4}, {1, 2, 4}, {4, 2, 3}};
    EXPECT_EQ(sources_of<KT_Point>(*KT_Contour_Set(5, p, false)), strip);
}

TEST(Triangulate, ResolvedContoursTurningAlikeAreTriangulatedOneByOne) {
    // Three separate concave contours as fill rule 2, first counter-clockwise
    // and then clockwise: each is its own polygon, sources count across all
    // contours, and every triangle turns as its contour does.
    std::vector<KT_Point> ccw, cw;
    for (int k = 0; k < 3; ++k)
        for (const KT_Point& p : {KT_Point{0, 0, 0}, KT_Point{1, 0, 0}, KT_Point{1, 1, 0},
                                  KT_Point{0.5f, 0.5f, 0}, KT_Point{0, 1, 0}})
            ccw.push_back(KT_Point{p.x + 3 * k, p.y, 0});
    for (int k = 0; k < 3; ++k)
        for (int i = 4; i >= 0; --i)
            cw.push_back(ccw[5 * k + i]);
    const int counts[3] = {5, 5, 5};
    for (const auto* pts : {&ccw, &cw}) {
        KT_Contour_Set set(3, counts, pts->data(), false);
        set.set_fill_rule(KT_Fill_Resolved);
        const auto sources = sources_of<KT_Point>(*set);
        EXPECT_EQ(sources.size(), 9u);
        for (const auto& s : sources)
            EXPECT_TRUE(s[0] >= 0 && s[0] / 5 == s[1] / 5 && s[1] / 5 == s[2] / 5);
        const double turn = pts == &ccw ? 1 : -1;
        for (const auto& t : triangles_of<KT_Point>(*set))
            EXPECT_GT(turn * cross(t.a, t.b, t.c), 0);
    }
}

TEST(Polygonize, ConvexContourArrivesWholeAndMaxPointsIsHonoured) {
    std::vector<KT_Point> circle;
    for (int i = 0; i < 1000; ++i)
        circle.push_back(KT_Point{float(100 * std::cos(2 * M_PI * i / 1000)),
                                  float(100 * std::sin(2 * M_PI * i / 1000)), 0});
    KT_Contour_Set set(1000, circle.data(), false);
    const auto whole = polygons_of<KT_Point>(*set, 0);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].size(), 1000u);
    EXPECT_EQ(polygons_of<KT_Point>(*set, -1).size(), 1u); // no limit either
    for (int max_points : {3, 4, 7, 64}) {
        double area = 0;
        for (const auto& piece : polygons_of<KT_Point>(*set, max_points)) {
            EXPECT_LE(piece.size(), std::size_t(max_points));
            EXPECT_GE(piece.size(), 3u);
            area += polygon_area(piece);
        }
        EXPECT_NEAR(area, polygon_area(whole[0]), 1e-2) << max_points;
    }
}

TEST(BadInput, NothingIsDeliveredAndNothingCrashes) {
    const float nan = NAN, inf = INFINITY;
    const KT_Point broken[] = {{0, 0, 0}, {nan, 0, 0}, {1, 1, 0}, {0, inf, 0}};
    KT_Contour_Set bad(4, broken, false);
    EXPECT_TRUE(triangles_of<KT_Point>(*bad).empty());
    EXPECT_TRUE(polygons_of<KT_Point>(*bad, 5).empty());
    EXPECT_FALSE(bad->point_inside(KT_Point{nan, nan, 0}));
    const KT_Point fine[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    KT_Contour_Set good(3, fine, false);
    KT_Contour_Set r(good->process(KT_Contour_Union, bad.body()));
    EXPECT_EQ(r->contour_count, 0);

    const KT_Point line[] = {{0, 0, 0}, {1, 1, 0}, {2, 2, 0}, {3, 3, 0}, {1, 1, 0}};
    const KT_Point same[] = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
    const int short_counts[3] = {1, 2, 0};
    KT_Contour_Set shorts(3, short_counts, fine, false);
    KT_Contour_Set collinear(5, line, false);
    KT_Contour_Set equal(4, same, false);
    KT_Contour_Set nothing(0, fine, false);
    for (const KT_Contour_Set* s : {&shorts, &collinear, &equal, &nothing}) {
        for (const KT_Contour_Fill_Rule rule : every_rule) {
            KT_Contour_Set set = *s;
            set.set_fill_rule(rule);
            EXPECT_TRUE(triangles_of<KT_Point>(*set).empty());
            EXPECT_TRUE(polygons_of<KT_Point>(*set, 6).empty());
            EXPECT_TRUE(triangles_of<KT_Point_D>(*set).empty()); // wrong precision
            KT_Contour_Set u(set->process(KT_Contour_Union, good.body()));
            EXPECT_DOUBLE_EQ(contour_area(*u), 0.5);
        }
    }
}

TEST(BadInput, DegenerateFloodsStayFast) {
    // 200,000 points on one line, and a long zigzag folded onto itself
    // beside a real triangle: both finish promptly and give what they hold.
    std::vector<KT_Point_D> line;
    for (int i = 0; i < 200000; ++i)
        line.push_back(KT_Point_D{double(i % 977), double(i % 977), 0});
    KT_Contour_Set flat(static_cast<int>(line.size()), line.data(), false);
    EXPECT_TRUE(triangles_of<KT_Point_D>(*flat).empty());
    std::vector<KT_Point_D> zigzag = {{0, -5, 0}, {10, -5, 0}, {0, -4, 0}};
    for (int i = 0; i < 3000; ++i)
        zigzag.push_back(KT_Point_D{double(i % 7), 0, 0});
    const int counts[2] = {3, 1000};
    KT_Contour_Set mixed(2, counts, zigzag.data(), false);
    mixed.set_fill_rule(KT_Fill_Non_Zero);
    EXPECT_DOUBLE_EQ(triangle_area<KT_Point_D>(*mixed), 5);
}

TEST(BadInput, ExtremeCoordinatesNeverCrash) {
    // Products of these overflow or underflow; whatever comes out must be
    // finite work on finite memory.
    const KT_Point_D extreme[] = {{0, 0, 0},          {1e300, 0, 0},  {1e300, 1e300, 0},
                                  {-1e300, 1, 0},     {1e-300, 5, 0}, {1e300, -1e300, 0},
                                  {2e-300, 1e-300, 0}};
    for (const KT_Contour_Fill_Rule rule : every_rule) {
        KT_Contour_Set set(7, extreme, false);
        set.set_fill_rule(rule);
        triangles_of<KT_Point_D>(*set);
        polygons_of<KT_Point_D>(*set, 4);
        KT_Contour_Set r(set->process(KT_Contour_Intersection, set.body()));
        EXPECT_FALSE(r.empty());
    }
    const KT_Point huge[] = {{0, 0, 0}, {3e38f, 0, 0}, {3e38f, 3e38f, 0}, {0, 3e38f, 0}};
    KT_Contour_Set big(4, huge, false);
    big.set_fill_rule(KT_Fill_Non_Zero);
    EXPECT_DOUBLE_EQ(triangle_area<KT_Point>(*big), double(3e38f) * double(3e38f));
}

TEST(Projection, ForcedAxesFollowTheLargestComponent) {
    KT_Contour_Set set(3, square, false);
    const struct {
        KT_Point v;
        int u_axis, v_axis;
    } cases[] = {{{3, 1, 1}, 1, 2}, {{1, 3, 1}, 0, 2}, {{1, 1, 3}, 0, 1},
                 {{2, 2, 1}, 0, 2}, {{1, 1, 1}, 0, 1}, {{-5, 0, 0}, 0, 1}};
    for (const auto& c : cases) {
        set->force_projection(c.v);
        EXPECT_EQ(set->info().axes[0], c.u_axis);
        EXPECT_EQ(set->info().axes[1], c.v_axis);
    }
}

TEST(Projection, SetInAnUprightPlaneIsDecomposedThere) {
    // An L in the plane y = 5: the Newell normal points along y.
    const KT_Point_D ell[] = {{0, 5, 0}, {2, 5, 0}, {2, 5, 1}, {1, 5, 1}, {1, 5, 2}, {0, 5, 2}};
    KT_Contour_Set set(6, ell, false);
    double area = 0;
    for (const auto& t : triangles_of<KT_Point_D>(*set)) {
        EXPECT_EQ(t.a.y, 5);
        area +=
            std::fabs((t.b.x - t.a.x) * (t.c.z - t.a.z) - (t.b.z - t.a.z) * (t.c.x - t.a.x)) / 2;
    }
    EXPECT_DOUBLE_EQ(area, 3);
    EXPECT_EQ(set->info().axes[0], 0);
    EXPECT_EQ(set->info().axes[1], 2);
    // Crossing points get the third coordinate of the plane as well.
    const KT_Point_D bow[] = {{0, 1, 0}, {2, 3, 2}, {2, 3, 0}, {0, 1, 2}};
    KT_Contour_Set tilted(4, bow, false);
    for (const auto& t : triangles_of<KT_Point_D>(*tilted))
        for (const KT_Point_D& p : {t.a, t.b, t.c})
            EXPECT_DOUBLE_EQ(p.y, p.x + 1);
}

} // namespace
