#include "contour/contour_set.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "region_check.h"

namespace {

const KT_Point square[4] = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}};

TEST(ContourSetData, ReferencingSetSeesCallerArraysAndCopyingSetOwnsItsOwn) {
    KT_Point pts[4] = {square[0], square[1], square[2], square[3]};
    KT_Contour_Set referenced(4, pts, false);
    KT_Contour_Set copied(4, pts, true);
    EXPECT_EQ(referenced->points, pts);
    EXPECT_FALSE(referenced->owns_data);
    EXPECT_NE(copied->points, pts);
    EXPECT_TRUE(copied->owns_data);
    EXPECT_EQ(copied->contour_count, 1);
    EXPECT_EQ(copied->total_points, 4);
    pts[2].x = 9;
    EXPECT_EQ(referenced->points[2].x, 9);
    EXPECT_EQ(copied->points[2].x, 4);
}

TEST(ContourSetData, CountsBelowOneGiveNoContours) {
    KT_Contour_Set none(0, square, false);
    EXPECT_EQ(none->contour_count, 0);
    EXPECT_EQ(none->total_points, 0);
    KT_Contour_Set negative(-3, square, true);
    EXPECT_EQ(negative->contour_count, 0);
    const int counts[2] = {3, -2};
    KT_Contour_Set mixed(2, counts, square, false);
    EXPECT_EQ(mixed->total_points, 3);
}

TEST(ContourSetData, CopyDuplicatesOwnedArraysAndDropsFillRule) {
    const int counts[2] = {3, 1};
    KT_Point_D pts[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {5, 5, 5}};
    KT_Contour_Set owned(2, counts, pts, true);
    owned.set_fill_rule(1);
    KT_Contour_Set shared = owned;
    shared.set_fill_rule(2); // copy on write: a new body
    EXPECT_FALSE(shared.shares_body_with(owned));
    EXPECT_EQ(owned->fill_rule, 1);
    EXPECT_EQ(shared->fill_rule, 2);
    EXPECT_NE(shared->points_d, owned->points_d);
    EXPECT_NE(shared->counts, owned->counts);
    EXPECT_EQ(shared->points_d[3].z, 5);
    EXPECT_EQ(shared->counts[1], 1);

    KT_Contour_Set referenced(2, counts, pts, false);
    KT_Contour_Set_Data* copy = static_cast<KT_Contour_Set_Data*>(referenced->copy());
    EXPECT_EQ(copy->points_d, pts);
    EXPECT_EQ(copy->fill_rule, 0);
    EXPECT_FALSE(copy->owns_data);
    delete copy;
}

TEST(ContourSetData, SingleContourCopyKeepsItsOwnCount) {
    KT_Contour_Set one(4, square, false);
    KT_Contour_Set_Data* copy = static_cast<KT_Contour_Set_Data*>(one->copy());
    EXPECT_EQ(copy->counts, &copy->single_contour_count);
    EXPECT_EQ(copy->counts[0], 4);
    copy->force_allocation();
    EXPECT_EQ(copy->counts[0], 4);
    EXPECT_NE(copy->points, square);
    delete copy;
}

using contour_test::polygons_of;
using contour_test::triangles_of;

// An outline (counter-clockwise) with a hole given either way round.
KT_Contour_Set square_with_hole(const KT_Point* points, int rule) {
    static const int counts[2] = {4, 4};
    KT_Contour_Set set(2, counts, points, true);
    set.set_fill_rule(rule);
    return set;
}

TEST(PointInside, SquareWithHoleUnderBothRules) {
    const KT_Point same_way[] = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0},
                                 {1, 1, 0}, {3, 1, 0}, {3, 3, 0}, {1, 3, 0}};
    const KT_Point centre{2, 2, 0}, ring{0.5f, 2, 0}, outside{5, 2, 0};
    KT_Contour_Set odd_even = square_with_hole(same_way, 0);
    KT_Contour_Set winding = square_with_hole(same_way, 1);
    EXPECT_FALSE(odd_even->point_inside(centre));
    EXPECT_TRUE(winding->point_inside(centre)); // winding 2
    EXPECT_TRUE(odd_even->point_inside(ring));
    EXPECT_TRUE(winding->point_inside(ring));
    EXPECT_FALSE(winding->point_inside(outside));
    const KT_Point_D centre_d{2, 2, 0};
    EXPECT_TRUE(winding->point_inside(centre_d));
}

TEST(PointInside, SquareGivenTwice) {
    const KT_Point_D twice[] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0},
                                {0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    const int counts[2] = {4, 4};
    KT_Contour_Set set(2, counts, twice, false);
    EXPECT_FALSE(set->point_inside(KT_Point_D{1, 1, 0}));
    set.set_fill_rule(1);
    EXPECT_TRUE(set->point_inside(KT_Point_D{1, 1, 0}));
    EXPECT_TRUE(set->point_inside(KT_Point{1, 1, 0}));
}

TEST(PointInside, VerticesOnTheRayCountOnlyWhenTheContourCrosses) {
    // A diamond: the ray from (3, 0) passes through the left corner (crossing)
    // ...while one from (3, 2) only touches the top corner from below.
    const KT_Point_D diamond[] = {{0, 0, 0}, {2, -2, 0}, {4, 0, 0}, {2, 2, 0}};
    KT_Contour_Set set(4, diamond, false);
    EXPECT_TRUE(set->point_inside(KT_Point_D{3, 0, 0}));
    EXPECT_FALSE(set->point_inside(KT_Point_D{3, 2, 0}));
    EXPECT_FALSE(set->point_inside(KT_Point_D{5, 0, 0}));
    // A notch whose floor lies on the ray: in, along, and out again counts once.
    const KT_Point_D notch[] = {{0, -2, 0}, {6, -2, 0}, {6, 2, 0}, {3, 2, 0},
                                {3, 0, 0},  {2, 0, 0},  {2, 2, 0}, {0, 2, 0}};
    KT_Contour_Set notched(8, notch, false);
    EXPECT_TRUE(notched->point_inside(KT_Point_D{5, 0, 0}));
    EXPECT_TRUE(notched->point_inside(KT_Point_D{1, 0, 0}));
    EXPECT_TRUE(notched->point_inside(KT_Point_D{5, -1, 0}));
}

TEST(Cleanup, DuplicatesAndSpikesGo) {
    const KT_Point P{0, 0, 0}, Q{1, 0, 0}, R{1, 1, 0}, S{5, 5, 5}, T{0, 1, 0};
    KT_Point pts[] = {P, Q, Q, S, Q, R, T, /* second contour */ P, Q, R, Q};
    int counts[2] = {7, 4};
    cleanup_contour_set(2, counts, pts);
    ASSERT_EQ(counts[0], 4);
    EXPECT_EQ(pts[0].x, P.x);
    EXPECT_EQ(pts[1].x, Q.x);
    EXPECT_EQ(pts[2].y, R.y);
    EXPECT_EQ(pts[3].y, T.y);
    ASSERT_EQ(counts[1], 1);
    EXPECT_EQ(pts[4].x, Q.x); // packed right after the first contour
    EXPECT_EQ(pts[4].y, Q.y);
}

TEST(Cleanup, ManyContoursInDoublePrecision) {
    std::vector<KT_Point_D> pts;
    std::vector<int> counts;
    for (int c = 0; c < 20; ++c) {
        const double x = c;
        pts.insert(pts.end(), {{x, 0, 0}, {x, 0, 0}, {x + 1, 0, 0}, {x + 1, 1, 0}, {x, 0, 0}});
        counts.push_back(5);
    }
    cleanup_contour_set(20, counts.data(), pts.data());
    for (int c = 0; c < 20; ++c)
        EXPECT_EQ(counts[c], 3);
    EXPECT_EQ(pts[3 * 19].x, 19);
    EXPECT_EQ(pts[3 * 19 + 2].y, 1);
    cleanup_contour_set(0, nullptr, pts.data()); // nothing to do, nothing touched
}

TEST(Process, EmptyAndTrivialOperands) {
    const KT_Point a_pts[] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    const KT_Point b_pts[] = {{1, 1, 0}, {3, 1, 0}, {3, 3, 0}, {1, 3, 0}};
    KT_Contour_Set a(4, a_pts, false), b(4, b_pts, false), empty(0, b_pts, false);
    a.set_fill_rule(1);
    b.set_fill_rule(1);
    KT_Contour_Set a_minus_empty(a->process(KT_Contour_A_Minus_B, empty.body()));
    EXPECT_EQ(a_minus_empty->total_points, 4);
    EXPECT_EQ(a_minus_empty->fill_rule, 1);
    EXPECT_TRUE(a_minus_empty->owns_data);
    KT_Contour_Set empty_and_b(empty->process(KT_Contour_B_Minus_A, b.body()));
    EXPECT_EQ(empty_and_b->total_points, 4);
    EXPECT_EQ(empty_and_b->points[0].x, 1);
    KT_Contour_Set none(empty->process(KT_Contour_Intersection, b.body()));
    EXPECT_EQ(none->contour_count, 0);
    for (auto op : {KT_Contour_Empty, KT_Contour_Empty_Too}) {
        KT_Contour_Set r(a->process(op, b.body()));
        EXPECT_EQ(r->contour_count, 0);
    }
    KT_Contour_Set copy_b(a->process(KT_Contour_Copy_B, b.body()));
    EXPECT_EQ(copy_b->total_points, 4);
    EXPECT_EQ(copy_b->points[2].x, 3);
    const KT_Point_D d_pts[] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}};
    KT_Contour_Set d(3, d_pts, false);
    EXPECT_EQ(a->process(KT_Contour_Union, d.body()), nullptr);
    KT_Contour_Set odd_even(4, a_pts, false);
    KT_Contour_Set plain_copy(odd_even->process(KT_Contour_Union, nullptr));
    EXPECT_NE(plain_copy->points, a_pts);
    EXPECT_EQ(plain_copy->points[1].x, 2);
}

TEST(Process, OverlappingSquaresGiveResolvedContours) {
    const KT_Point_D a_pts[] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    const KT_Point_D b_pts[] = {{1, 1, 0}, {3, 1, 0}, {3, 3, 0}, {1, 3, 0}};
    KT_Contour_Set a(4, a_pts, false), b(4, b_pts, false);
    const double expected[4] = {1, 7, 3, 3};
    for (int op = 0; op < 4; ++op) {
        KT_Contour_Set r(a->process(KT_Contour_Operation(op), b.body()));
        ASSERT_FALSE(r.empty());
        EXPECT_EQ(r->fill_rule, 2);
        EXPECT_DOUBLE_EQ(contour_test::contour_area(*r), expected[op]) << "operation " << op;
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
    const KT_Point a_pts[] = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}};
    // B: a long thin triangle poking out of A on the right.
    const KT_Point b_pts[] = {{1, 1, 0}, {6, 2, 0}, {1, 3, 0}};
    KT_Contour_Set a(4, a_pts, false), b(3, b_pts, false);
    auto length = [](const KT_Contour_Set& r) {
        double total = 0;
        int start = 0;
        for (int c = 0; c < r->contour_count; ++c) {
            for (int i = start; i + 1 < start + r->counts[c]; ++i)
                total += std::hypot(r->points[i + 1].x - r->points[i].x,
                                    r->points[i + 1].y - r->points[i].y);
            start += r->counts[c];
        }
        return total;
    };
    KT_Contour_Set inside(a->process(KT_Contour_Lines_Inside, b.body()));
    KT_Contour_Set outside(a->process(KT_Contour_Lines_Outside, b.body()));
    const double slant = std::hypot(5.0, 1.0);
    EXPECT_NEAR(length(inside), 2 + 2 * slant * 3 / 5, 1e-5);
    EXPECT_NEAR(length(outside), 2 * slant * 2 / 5, 1e-5);
    EXPECT_EQ(outside->contour_count, 1); // the tip is one open line
}

TEST(Triangulate, ConvexPentagonIsTheAlternatingStrip) {
    KT_Point p[5];
    for (int i = 0; i < 5; ++i)
        p[i] = KT_Point{float(std::cos(2 * M_PI * i / 5)), float(std::sin(2 * M_PI * i / 5)), 0};
    KT_Contour_Set set(5, p, false);
    std::vector<std::array<int, 3>> sources;
    set->triangulate(
        [](const KT_Point*, const KT_Point*, const KT_Point*, const KT_Contour_Point_Source* a,
           const KT_Contour_Point_Source* b, const KT_Contour_Point_Source* c, void* user) {
            static_cast<std::vector<std::array<int, 3>>*>(user)->push_back(
                {a->index, b->index, c->index});
        },
        &sources);
    const std::vector<std::array<int, 3>> expected = {{0, 1, 4}, {1, 2, 4}, {4, 2, 3}};
    EXPECT_EQ(sources, expected);
}

TEST(Triangulate, SourcesNameInputPointsAcrossContours) {
    const KT_Point_D pts[] = {{9, 9, 0}, {9, 9, 0}, {0, 0, 0}, {3, 0, 0}, {3, 3, 0},
                              {2, 1, 0}, {0, 3, 0}, {5, 0, 0}, {6, 0, 0}, {6, 1, 0}};
    const int counts[3] = {2, 5, 3};
    KT_Contour_Set set(3, counts, pts, false);
    for (int rule = 0; rule < 3; ++rule) {
        set.set_fill_rule(rule);
        struct Seen {
            const KT_Point_D* base;
            bool ok = true;
            int count = 0;
        } seen{pts};
        set->triangulate(
            [](const KT_Point_D* a, const KT_Point_D* b, const KT_Point_D* c,
               const KT_Contour_Point_Source* sa, const KT_Contour_Point_Source* sb,
               const KT_Contour_Point_Source* sc, void* user) {
                auto& s = *static_cast<Seen*>(user);
                const KT_Point_D* p[3] = {a, b, c};
                const KT_Contour_Point_Source* q[3] = {sa, sb, sc};
                for (int k = 0; k < 3; ++k)
                    s.ok = s.ok && q[k]->index >= 2 && q[k]->index < 10 &&
                           s.base[q[k]->index].x == p[k]->x && s.base[q[k]->index].y == p[k]->y;
                ++s.count;
            },
            &seen);
        EXPECT_TRUE(seen.ok) << "fill rule " << rule;
        EXPECT_EQ(seen.count, 4) << "fill rule " << rule;
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
    for (int max_points : {3, 4, 7, 64}) {
        const auto pieces = polygons_of<KT_Point>(*set, max_points);
        double area = 0;
        for (const auto& piece : pieces) {
            EXPECT_LE(piece.size(), std::size_t(max_points));
            EXPECT_GE(piece.size(), 3u);
            area += contour_test::polygon_area(piece);
        }
        EXPECT_NEAR(area, contour_test::polygon_area(whole[0]), 1e-2) << max_points;
    }
    // A concave outline is cut into convex pieces with no limit given.
    const KT_Point ell[] = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}};
    KT_Contour_Set l_set(6, ell, false);
    const auto pieces = polygons_of<KT_Point>(*l_set, -1);
    EXPECT_GE(pieces.size(), 2u);
    EXPECT_LE(pieces.size(), 3u);
    double area = 0;
    for (const auto& piece : pieces)
        area += contour_test::polygon_area(piece);
    EXPECT_DOUBLE_EQ(area, 3);
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
        for (int rule = 0; rule < 3; ++rule) {
            KT_Contour_Set set = *s;
            set.set_fill_rule(rule);
            EXPECT_TRUE(triangles_of<KT_Point>(*set).empty());
            EXPECT_TRUE(polygons_of<KT_Point>(*set, 6).empty());
            EXPECT_TRUE(triangles_of<KT_Point_D>(*set).empty()); // wrong precision
            KT_Contour_Set u(set->process(KT_Contour_Union, good.body()));
            EXPECT_DOUBLE_EQ(contour_test::contour_area(*u), 0.5);
        }
    }
}

TEST(Projection, ForcedAxesFollowTheLargestComponent) {
    const KT_Point pts[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    KT_Contour_Set set(3, pts, false);
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
    mixed.set_fill_rule(1);
    double area = 0;
    for (const auto& t : triangles_of<KT_Point_D>(*mixed))
        area += contour_test::cross(t.a, t.b, t.c) / 2;
    EXPECT_DOUBLE_EQ(area, 5);
}

TEST(BadInput, ExtremeCoordinatesNeverCrash) {
    // Products of these overflow or underflow; whatever comes out must be
    // finite work on finite memory.
    const KT_Point_D extreme[] = {{0, 0, 0},          {1e300, 0, 0},  {1e300, 1e300, 0},
                                  {-1e300, 1, 0},     {1e-300, 5, 0}, {1e300, -1e300, 0},
                                  {2e-300, 1e-300, 0}};
    for (int rule = 0; rule < 3; ++rule) {
        KT_Contour_Set set(7, extreme, false);
        set.set_fill_rule(rule);
        triangles_of<KT_Point_D>(*set);
        polygons_of<KT_Point_D>(*set, 4);
        KT_Contour_Set r(set->process(KT_Contour_Intersection, set.body()));
        EXPECT_FALSE(r.empty());
    }
    const KT_Point huge[] = {{0, 0, 0}, {3e38f, 0, 0}, {3e38f, 3e38f, 0}, {0, 3e38f, 0}};
    KT_Contour_Set big(4, huge, false);
    big.set_fill_rule(1);
    double area = 0;
    for (const auto& t : triangles_of<KT_Point>(*big))
        area += contour_test::cross(t.a, t.b, t.c) / 2;
    EXPECT_DOUBLE_EQ(area, double(3e38f) * double(3e38f));
}

TEST(Triangulate, ResolvedContoursTurningAlikeAreTriangulatedOneByOne) {
    // Three separate squares, all counter-clockwise, as fill rule 2: each is
    // its own polygon, and sources count across all contours.
    std::vector<KT_Point> pts;
    for (int k = 0; k < 3; ++k)
        for (const KT_Point& p : {KT_Point{0, 0, 0}, KT_Point{1, 0, 0}, KT_Point{1, 1, 0},
                                  KT_Point{0.5f, 0.5f, 0}, KT_Point{0, 1, 0}})
            pts.push_back(KT_Point{p.x + 3 * k, p.y, 0});
    const int counts[3] = {5, 5, 5};
    KT_Contour_Set set(3, counts, pts.data(), false);
    set.set_fill_rule(2);
    struct Seen {
        int triangles = 0;
        bool within_one_contour = true;
    } seen;
    set->triangulate(
        [](const KT_Point*, const KT_Point*, const KT_Point*, const KT_Contour_Point_Source* a,
           const KT_Contour_Point_Source* b, const KT_Contour_Point_Source* c, void* user) {
            auto& s = *static_cast<Seen*>(user);
            ++s.triangles;
            s.within_one_contour = s.within_one_contour && a->index / 5 == b->index / 5 &&
                                   b->index / 5 == c->index / 5 && a->index >= 0;
        },
        &seen);
    EXPECT_EQ(seen.triangles, 9);
    EXPECT_TRUE(seen.within_one_contour);

    // The same contours clockwise: every triangle turns clockwise too.
    std::vector<KT_Point> reversed;
    for (int k = 0; k < 3; ++k)
        for (int i = 4; i >= 0; --i)
            reversed.push_back(pts[5 * k + i]);
    KT_Contour_Set clockwise(3, counts, reversed.data(), false);
    clockwise.set_fill_rule(2);
    int turning_left = 0, turning_right = 0;
    for (const auto& t : triangles_of<KT_Point>(*clockwise)) {
        const double a = contour_test::cross(t.a, t.b, t.c);
        turning_left += a > 0;
        turning_right += a < 0;
    }
    EXPECT_EQ(turning_left, 0);
    EXPECT_EQ(turning_right, 9);
}

} // namespace
