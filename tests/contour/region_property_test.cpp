// Seeded random outlines in both precisions: every decomposition must cover
// exactly the region the inside test describes, and every boolean result
// must classify points as the boolean of its operands does.
#include <gtest/gtest.h>

#include "region_check.h"

namespace {

using namespace contour_test;

constexpr int seeds_per_kind = 20;
constexpr int grid_steps = 30;

template <class P> class RegionProperty : public ::testing::Test {};
using Precisions = ::testing::Types<KT_Point, KT_Point_D>;
TYPED_TEST_SUITE(RegionProperty, Precisions);

// 1 strictly inside a convex outline of either turn, -1 on one of its
// edges, 0 outside.
int in_polygon(const std::vector<KT_Point_D>& poly, const KT_Point_D& q) {
    int positive = 0, negative = 0, zero = 0;
    const int n = int(poly.size());
    for (int i = 0; i < n; ++i) {
        const double c = cross(poly[i], poly[(i + 1) % n], q);
        positive += c > 1e-12;
        negative += c < -1e-12;
        zero += std::fabs(c) <= 1e-12;
    }
    if (positive == n || negative == n) return 1;
    return zero > 0 && (positive + zero == n || negative + zero == n) ? -1 : 0;
}

// Every sample inside the region lies in exactly one piece (or on an edge
// between pieces), and every sample outside in none.
void expect_exact_cover(const KT_Contour_Set_Data& set,
                        const std::vector<std::vector<KT_Point_D>>& pieces,
                        const std::vector<KT_Point_D>& samples, const char* what) {
    int misses = 0;
    for (const KT_Point_D& q : samples) {
        const bool inside = set.point_inside(narrow<KT_Point_D>(q));
        int count = 0;
        bool on_edge = false;
        for (const auto& piece : pieces) {
            const int where = in_polygon(piece, q);
            count += where > 0;
            on_edge = on_edge || where < 0;
        }
        const bool covered = count == 1 || (count == 0 && on_edge);
        if (count > 1 || (inside ? !covered : count != 0)) ++misses;
    }
    EXPECT_EQ(misses, 0) << what;
}

// The area of pieces that must all turn the same way; each piece must be
// convex in that turn.
double area_wound_alike(const std::vector<std::vector<KT_Point_D>>& pieces) {
    double sum = 0;
    int turn = 0;
    for (const auto& piece : pieces) {
        const double a = polygon_area(piece);
        if (std::fabs(a) < 1e-9) continue;
        if (turn == 0) turn = a > 0 ? 1 : -1;
        EXPECT_GT(a * turn, 0);
        for (std::size_t i = 0; i < piece.size(); ++i)
            EXPECT_GE(turn * cross(piece[i], piece[(i + 1) % piece.size()],
                                   piece[(i + 2) % piece.size()]),
                      -1e-9);
        sum += a;
    }
    return std::fabs(sum);
}

std::vector<std::vector<KT_Point_D>> as_pieces(const std::vector<Triangle>& triangles) {
    std::vector<std::vector<KT_Point_D>> pieces;
    for (const Triangle& t : triangles)
        pieces.push_back({t.a, t.b, t.c});
    return pieces;
}

template <class P> void check_decompositions(const KT_Contour_Set_Data& set, const Outline& o) {
    const std::vector<KT_Point_D> samples = samples_away_from({&o}, -0.5, 10.5, grid_steps);
    const auto triangles = as_pieces(triangles_of<P>(set));
    const double triangle_area = area_wound_alike(triangles);
    expect_exact_cover(set, triangles, samples, "triangles");
    for (int max_points : {0, 4, 7}) {
        const auto polygons = polygons_of<P>(set, max_points);
        for (const auto& poly : polygons) {
            EXPECT_GE(poly.size(), 3u);
            if (max_points >= 3) {
                EXPECT_LE(poly.size(), std::size_t(max_points));
            }
        }
        EXPECT_NEAR(area_wound_alike(polygons), triangle_area, 1e-6 * (1 + triangle_area));
        expect_exact_cover(set, polygons, samples, "polygons");
    }
}

TYPED_TEST(RegionProperty, DecompositionsCoverTheRegionUnderEveryFillRule) {
    using P = TypeParam;
    for (int kind = 0; kind < 6; ++kind) {
        for (int seed = 0; seed < seeds_per_kind; ++seed) {
            std::mt19937 rng(1000 * kind + seed);
            const Outline o = random_outline(rng, kind);
            std::vector<P> storage;
            for (const KT_Contour_Fill_Rule rule : input_rules) {
                SCOPED_TRACE(::testing::Message()
                             << "kind " << kind << " seed " << seed << " fill rule " << rule);
                KT_Contour_Set set = make_set(o, storage, rule);
                check_decompositions<P>(*set, o);
                // The resolved form covers the same region under the resolved rule.
                KT_Contour_Set resolved(set->process(KT_Contour_Union, nullptr));
                if (rule == KT_Fill_Odd_Even) continue; // odd-even sets are returned as they are
                ASSERT_FALSE(resolved.empty());
                EXPECT_EQ(resolved->fill_rule, KT_Fill_Resolved);
                for (const KT_Point_D& q : samples_away_from({&o}, -0.5, 10.5, 12)) {
                    const double w = winding(*resolved, q);
                    EXPECT_TRUE(w == 0 || w == 1); // no overlaps, holes wound against
                    EXPECT_EQ(w == 1, set->point_inside(narrow<P>(q)));
                }
                check_decompositions<P>(*resolved, o);
            }
        }
    }
}

Outline sharing_edges_with(const Outline& a) {
    // The first contour again, shifted by a whole edge length along x, plus a
    // square whose left side lies on part of the same line as A's points.
    Outline b;
    std::vector<KT_Point_D> moved;
    for (int i = 0; i < a.counts[0]; ++i)
        moved.push_back(KT_Point_D{a.points[i].x + 1, a.points[i].y, 0});
    b.add(moved);
    const KT_Point_D p = a.points[0], q = a.points[1];
    b.add({p, KT_Point_D{2 * p.x - q.x, 2 * p.y - q.y, 0}, q});
    return b;
}

TYPED_TEST(RegionProperty, BooleansClassifyAsTheOperandsDo) {
    using P = TypeParam;
    for (int seed = 0; seed < 6 * seeds_per_kind; ++seed) {
        std::mt19937 rng(77 + seed);
        const Outline oa = random_outline(rng, seed);
        const Outline ob = seed % 3 == 0 ? sharing_edges_with(oa) : random_outline(rng, seed / 6);
        std::vector<P> sa, sb;
        const KT_Contour_Fill_Rule rule_a = input_rules[seed % 2],
                                   rule_b = input_rules[(seed / 2) % 2];
        KT_Contour_Set a = make_set(oa, sa, rule_a), b = make_set(ob, sb, rule_b);
        const std::vector<KT_Point_D> samples = samples_away_from({&oa, &ob}, -1, 12, 25);
        for (int op = 0; op < 4; ++op) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " operation " << op);
            KT_Contour_Set r(a->process(KT_Contour_Operation(op), b.body()));
            ASSERT_FALSE(r.empty());
            EXPECT_EQ(r->fill_rule, KT_Fill_Resolved);
            int wrong = 0, overlapping = 0;
            for (const KT_Point_D& q : samples) {
                const bool in_a = a->point_inside(narrow<P>(q));
                const bool in_b = b->point_inside(narrow<P>(q));
                const bool expected = inside_result(KT_Contour_Operation(op), in_a, in_b);
                const double w = winding(*r, q);
                wrong += (w != 0) != expected;
                overlapping += w != 0 && w != 1;
            }
            EXPECT_EQ(wrong, 0);
            EXPECT_EQ(overlapping, 0);
        }
        for (int op : {4, 5}) {
            KT_Contour_Set lines(a->process(KT_Contour_Operation(op), b.body()));
            ASSERT_FALSE(lines.empty());
            int start = 0, wrong = 0;
            for (int c = 0; c < lines->contour_count; ++c) {
                for (int i = start; i + 1 < start + lines->counts[c]; ++i) {
                    const KT_Point_D p = point_at(*lines, i), q = point_at(*lines, i + 1);
                    const KT_Point_D mid{(p.x + q.x) / 2, (p.y + q.y) / 2, 0};
                    if (distance_to_outline(mid, oa) < 1e-3) continue;
                    wrong += a->point_inside(narrow<P>(mid)) != (op == 4);
                }
                start += lines->counts[c];
            }
            EXPECT_EQ(wrong, 0) << "seed " << seed << " operation " << op;
        }
    }
}

// Corners on a 5 x 5 grid: every kind of coincidence at once (shared and
// overlapping edges, points on edges, repeated points, spikes, crossings
// through vertices). The decompositions and the resolved form must agree.
TYPED_TEST(RegionProperty, TangledGridOutlinesStayConsistent) {
    using P = TypeParam;
    std::mt19937 rng(4242);
    std::uniform_int_distribution<int> coord(0, 4), contours(1, 3), length(2, 12), rule(0, 2);
    for (int round = 0; round < 400; ++round) {
        Outline o;
        for (int c = contours(rng); c > 0; --c) {
            std::vector<KT_Point_D> contour;
            for (int i = length(rng); i > 0; --i)
                contour.push_back(KT_Point_D{double(coord(rng)), double(coord(rng)), 0});
            o.add(contour);
        }
        std::vector<P> storage;
        KT_Contour_Set set =
            make_set(o, storage, rule(rng) == 0 ? KT_Fill_Odd_Even : KT_Fill_Non_Zero);
        SCOPED_TRACE(::testing::Message() << "round " << round << " rule " << set->fill_rule);
        const std::vector<KT_Point_D> samples = samples_away_from({&o}, -0.5, 4.5, 16);
        const auto triangles = as_pieces(triangles_of<P>(*set));
        const double area = area_wound_alike(triangles);
        expect_exact_cover(*set, triangles, samples, "triangles");
        const double polygon_sum = area_wound_alike(polygons_of<P>(*set, 5));
        // Crossing points of single-precision sets are rounded to floats.
        const double tolerance = sizeof(storage[0].x) == sizeof(float) ? 1e-5 : 1e-9;
        EXPECT_NEAR(polygon_sum, area, tolerance);
        KT_Contour_Set resolved = resolved_within<P>(set, 6);
        EXPECT_NEAR(contour_area(*resolved), area, tolerance);
        int wrong = 0;
        for (const KT_Point_D& q : samples) {
            const double w = winding(*resolved, q);
            wrong += (w != 0 && w != 1) || (w == 1) != set->point_inside(narrow<P>(q));
        }
        EXPECT_EQ(wrong, 0);
    }
}

} // namespace
