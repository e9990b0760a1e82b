// The crossing sweep against the plain all-pairs search on seeded random
// tangles: both must build the same arrangement, and that arrangement must
// have no two segments crossing or touching inside.
#include "contour/planar_sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using kavri_contour::Crossing_Search;
using kavri_contour::Sweep_Workspace;

struct Tangle {
    std::vector<KT_Point_D> points;
    // Closed loops as runs of point indices, one operand each.
    std::vector<std::vector<std::int32_t>> loops;
    std::vector<int> operand;
};

Tangle add_loop(Tangle t, int operand, const std::vector<KT_Point_D>& points) {
    t.loops.emplace_back();
    t.operand.push_back(operand);
    for (const KT_Point_D& p : points) {
        t.loops.back().push_back(static_cast<std::int32_t>(t.points.size()));
        t.points.push_back(p);
    }
    return t;
}

// Random self-intersecting loops; on a coarse grid most edges share lines,
// pass through other edges' vertices and cross at grid points.
Tangle random_tangle(unsigned seed, int loops, int points_per_loop, double grid) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> cell(0, 12);
    std::uniform_real_distribution<double> anywhere(0, 12);
    Tangle t;
    for (int l = 0; l < loops; ++l) {
        std::vector<KT_Point_D> loop;
        for (int i = 0; i < points_per_loop; ++i) {
            const double x = grid > 0 ? cell(rng) * grid : anywhere(rng);
            const double y = grid > 0 ? cell(rng) * grid : anywhere(rng);
            loop.push_back(KT_Point_D{x, y, 0});
        }
        t = add_loop(t, l % 2, loop);
    }
    return t;
}

void build(Sweep_Workspace& w, const Tangle& t, Crossing_Search search, bool single,
           bool contours_only = false) {
    w.begin();
    w.single_precision = single;
    w.contours_only = contours_only;
    for (std::size_t i = 0; i < t.points.size(); ++i) {
        const KT_Point_D& p = t.points[i];
        w.add_point(p.x, p.y, p, static_cast<std::int32_t>(i));
    }
    for (std::size_t l = 0; l < t.loops.size(); ++l) {
        const auto& loop = t.loops[l];
        for (std::size_t i = 0; i < loop.size(); ++i)
            w.add_edge(loop[i], loop[(i + 1) % loop.size()], t.operand[l]);
    }
    w.build(true, search);
}

void expect_same_arrangement(const Sweep_Workspace& sweep, const Sweep_Workspace& reference) {
    ASSERT_EQ(sweep.points.size(), reference.points.size());
    for (std::size_t i = 0; i < sweep.points.size(); ++i) {
        ASSERT_EQ(sweep.points[i].u, reference.points[i].u) << i;
        ASSERT_EQ(sweep.points[i].v, reference.points[i].v) << i;
        ASSERT_EQ(sweep.points[i].source, reference.points[i].source) << i;
    }
    ASSERT_EQ(sweep.segments.size(), reference.segments.size());
    for (std::size_t i = 0; i < sweep.segments.size(); ++i) {
        const auto& s = sweep.segments[i];
        const auto& r = reference.segments[i];
        ASSERT_EQ(s.lo, r.lo) << i;
        ASSERT_EQ(s.hi, r.hi) << i;
        ASSERT_EQ(s.winding[0], r.winding[0]) << i;
        ASSERT_EQ(s.winding[1], r.winding[1]) << i;
    }
}

// Checked pair by pair, independently of either search.
void expect_planar(const Sweep_Workspace& w) {
    const auto& seg = w.segments;
    auto inside = [&](std::int32_t p, std::int32_t lo, std::int32_t hi) {
        return p > lo && p < hi && w.orient(lo, hi, p) == 0;
    };
    for (std::size_t i = 0; i < seg.size(); ++i) {
        for (std::size_t j = i + 1; j < seg.size(); ++j) {
            const auto &s = seg[i], &t = seg[j];
            ASSERT_FALSE(inside(t.lo, s.lo, s.hi) || inside(t.hi, s.lo, s.hi) ||
                         inside(s.lo, t.lo, t.hi) || inside(s.hi, t.lo, t.hi))
                << i << " " << j;
            const bool crossing = w.orient(s.lo, s.hi, t.lo) * w.orient(s.lo, s.hi, t.hi) < 0 &&
                                  w.orient(t.lo, t.hi, s.lo) * w.orient(t.lo, t.hi, s.hi) < 0;
            ASSERT_FALSE(crossing) << i << " " << j;
        }
    }
}

struct Kind {
    const char* name;
    int loops;
    int points_per_loop;
    double grid;
    bool single;
};

void expect_searches_agree(const std::vector<Kind>& kinds, bool contours_only) {
    for (const Kind& kind : kinds) {
        for (unsigned seed = 1; seed <= 25; ++seed) {
            SCOPED_TRACE(testing::Message() << kind.name << " seed " << seed);
            const Tangle t = random_tangle(seed, kind.loops, kind.points_per_loop, kind.grid);
            Sweep_Workspace sweep, reference;
            build(sweep, t, Crossing_Search::sweep, kind.single, contours_only);
            build(reference, t, Crossing_Search::all_pairs_reference, kind.single, contours_only);
            expect_same_arrangement(sweep, reference);
            expect_planar(sweep);
        }
    }
}

TEST(CrossingSearch, SweepBuildsTheSameArrangementAsAllPairs) {
    expect_searches_agree({{"grid", 2, 12, 1.0, false},
                           {"fine grid", 3, 20, 0.125, false},
                           {"anywhere", 2, 25, 0.0, false},
                           {"anywhere single", 2, 25, 0.0, true},
                           {"large grid", 2, 16, 1e9 + 0.5, false},
                           {"many loops", 6, 6, 1.0, true}},
                          false);
}

// Grids make collinear overlaps common.
TEST(CrossingSearch, SearchesAgreeWhereOverlapsAreMerged) {
    expect_searches_agree({{"grid", 2, 12, 1.0, false},
                           {"fine grid", 3, 20, 0.125, false},
                           {"many loops", 6, 6, 1.0, true}},
                          true);
}

// A triangle of A on the x axis from 0 to 64, and below it a triangle of B
// whose top runs along the axis from `from` to `to` through a vertex at
// every whole x between 0 and 64: the segments on the axis, built for
// contours. B's points have no source, as in a boolean of two sets.
std::size_t segments_on_axis(double from, double to) {
    Sweep_Workspace w;
    w.begin();
    w.contours_only = true;
    auto load = [&w](const std::vector<KT_Point_D>& loop, int operand) {
        const auto first = static_cast<std::int32_t>(w.points.size());
        for (const KT_Point_D& p : loop)
            w.add_point(p.x, p.y, p,
                        operand == 0 ? static_cast<std::int32_t>(w.points.size()) : -1);
        const auto n = static_cast<std::int32_t>(loop.size());
        for (std::int32_t i = 0; i < n; ++i)
            w.add_edge(first + i, first + (i + 1) % n, operand);
    };
    load({{0, 0, 0}, {64, 0, 0}, {0, 10, 0}}, 0);
    std::vector<KT_Point_D> top{{from, 0, 0}};
    for (int x = 1; x < 64; ++x)
        top.push_back(KT_Point_D{double(x), 0, 0});
    top.push_back(KT_Point_D{to, 0, 0});
    top.push_back(KT_Point_D{32, -10, 0});
    load(top, 1);
    w.build(true);
    std::size_t on_axis = 0;
    for (const auto& s : w.segments)
        on_axis += w.points[s.lo].v == 0 && w.points[s.hi].v == 0;
    return on_axis;
}

TEST(CrossingSearch, AnOverlapIsCutOnlyWhereItsCoverChanges) {
    // Both run the whole way from 0 to 64: one interval.
    EXPECT_EQ(segments_on_axis(0, 64), 1u) << "B's top matching A's side";
    // A's corners change the cover: before, along and after A's side.
    EXPECT_EQ(segments_on_axis(-8, 72), 3u) << "B's top running past A's corners";
}

// Hundreds of edges back and forth along the line y = x / 2, crossed by a
// zig-zag; and a star of thin triangles whose long edges all pass within
// rounding of the origin.
TEST(CrossingSearch, CollinearRunsAndNearlyConcurrentCrossingsAgree) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> at(0, 100);
    std::vector<KT_Point_D> back_and_forth, zigzag;
    for (int i = 0; i < 300; ++i) {
        const double x = at(rng);
        back_and_forth.push_back(KT_Point_D{x, x * 0.5, 0});
    }
    for (int i = 0; i <= 10; ++i)
        zigzag.push_back(KT_Point_D{i * 10.0 + 3, i % 2 ? 250.0 : -50.0, 0});
    Tangle star;
    for (int i = 0; i < 16; ++i) {
        const double c = std::cos(M_PI * i / 16), s = std::sin(M_PI * i / 16);
        star = add_loop(star, 0,
                        {{16 * c, 16 * s, 0}, {-16 * c, -16 * s, 0}, {0.01 - 16 * c, -16 * s, 0}});
    }
    for (const Tangle& t : {add_loop(add_loop({}, 0, back_and_forth), 1, zigzag), star}) {
        Sweep_Workspace sweep, reference;
        build(sweep, t, Crossing_Search::sweep, false);
        build(reference, t, Crossing_Search::all_pairs_reference, false);
        expect_same_arrangement(sweep, reference);
        expect_planar(sweep);
        EXPECT_GT(sweep.segments.size(), 20u);
    }
}

} // namespace

// Thin triangles whose long edges all pass within a few units of rounding
// of one centre: their crossings round onto and beside each other, and
// pieces pass within rounding of points they do not end at.
Tangle fan_of_lines(double centre, int lines, unsigned seed) {
    constexpr double radius = 10;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> angle(0, M_PI);
    std::uniform_int_distribution<int> ulps(-4, 4);
    Tangle fan;
    for (int i = 0; i < lines; ++i) {
        const double a = angle(rng), c = std::cos(a), s = std::sin(a);
        const double shift = ulps(rng) * std::ldexp(std::max(centre, 1.0), -50);
        const double x = centre + shift, y = centre - shift;
        fan = add_loop(fan, i % 2,
                       {{x + radius * c, y + radius * s, 0},
                        {x - radius * c, y - radius * s, 0},
                        {x - radius * c + 0.5, y - radius * s, 0}});
    }
    return fan;
}

void expect_sweep_agrees_with_all_pairs(const Tangle& t, bool single) {
    Sweep_Workspace sweep, reference;
    build(sweep, t, Crossing_Search::sweep, single);
    build(reference, t, Crossing_Search::all_pairs_reference, single);
    expect_same_arrangement(sweep, reference);
    expect_planar(sweep);
}

TEST(CrossingSearch, FansOfNearlyConcurrentLinesAgree) {
    constexpr int lines = 8;
    const double centres[] = {3.75, 1e6 + 0.1};
    for (const bool single : {false, true}) {
        for (const double centre : centres) {
            SCOPED_TRACE(testing::Message() << "centre " << centre << " single " << single);
            const unsigned seed = static_cast<unsigned>(centre) + 3;
            expect_sweep_agrees_with_all_pairs(fan_of_lines(centre, lines, seed), single);
        }
    }
}

// A far-away loop crowds every point of the fan into one cell of the grid
// that later passes use to find edges near moved points; they must then
// fall back to the coarser test and still agree.
TEST(CrossingSearch, FanBesideAFarAwayLoopAgrees) {
    constexpr int lines = 8;
    constexpr double centre = 3.75, far = 1e12;
    const Tangle fan = fan_of_lines(centre, lines, 6);
    expect_sweep_agrees_with_all_pairs(
        add_loop(fan, 0, {{far, far, 0}, {far + 1, far, 0}, {far, far + 1, 0}}), false);
}
