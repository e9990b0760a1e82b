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

// Random self-intersecting loops; on a coarse grid most edges share lines,
// pass through other edges' vertices and cross at grid points.
Tangle random_tangle(unsigned seed, int loops, int points_per_loop, double grid) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> cell(0, 12);
    std::uniform_real_distribution<double> anywhere(0, 12);
    Tangle t;
    for (int l = 0; l < loops; ++l) {
        t.loops.emplace_back();
        t.operand.push_back(l % 2);
        for (int i = 0; i < points_per_loop; ++i) {
            const double x = grid > 0 ? cell(rng) * grid : anywhere(rng);
            const double y = grid > 0 ? cell(rng) * grid : anywhere(rng);
            t.loops.back().push_back(static_cast<std::int32_t>(t.points.size()));
            t.points.push_back(KT_Point_D{x, y, 0});
        }
    }
    return t;
}

void build(Sweep_Workspace& w, const Tangle& t, Crossing_Search search, bool single) {
    w.begin();
    w.single_precision = single;
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

TEST(CrossingSearch, SweepBuildsTheSameArrangementAsAllPairs) {
    const Kind kinds[] = {
        {"grid", 2, 12, 1.0, false},
        {"fine grid", 3, 20, 0.125, false},
        {"anywhere", 2, 25, 0.0, false},
        {"anywhere single", 2, 25, 0.0, true},
        {"large grid", 2, 16, 1e9 + 0.5, false},
        {"many loops", 6, 6, 1.0, true},
    };
    for (const Kind& kind : kinds) {
        for (unsigned seed = 1; seed <= 25; ++seed) {
            SCOPED_TRACE(testing::Message() << kind.name << " seed " << seed);
            const Tangle t = random_tangle(seed, kind.loops, kind.points_per_loop, kind.grid);
            Sweep_Workspace sweep, reference;
            build(sweep, t, Crossing_Search::sweep, kind.single);
            build(reference, t, Crossing_Search::all_pairs_reference, kind.single);
            expect_same_arrangement(sweep, reference);
            expect_planar(sweep);
        }
    }
}

// Thousands of edges back and forth along one line, crossed by a few
// others: the sweep must settle them without a pass per overlap.
TEST(CrossingSearch, CollinearBackAndForthEdgesSettle) {
    Tangle t;
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> at(0, 100);
    t.loops.emplace_back();
    t.operand.push_back(0);
    for (int i = 0; i < 300; ++i) {
        t.loops[0].push_back(static_cast<std::int32_t>(t.points.size()));
        t.points.push_back(KT_Point_D{double(at(rng)), double(at(rng)) * 0.5, 0});
    }
    // The line is y = x / 2; a zig-zag loop crosses it many times.
    t.loops.emplace_back();
    t.operand.push_back(1);
    for (int i = 0; i <= 10; ++i) {
        t.loops[1].push_back(static_cast<std::int32_t>(t.points.size()));
        t.points.push_back(KT_Point_D{i * 10.0 + 3, i % 2 ? 250.0 : -50.0, 0});
    }
    Sweep_Workspace sweep, reference;
    build(sweep, t, Crossing_Search::sweep, false);
    build(reference, t, Crossing_Search::all_pairs_reference, false);
    expect_same_arrangement(sweep, reference);
    EXPECT_GT(sweep.segments.size(), 40u);
}

TEST(CrossingSearch, NearlyConcurrentCrossingsAgreeAndStayPlanar) {
    // A star of thin triangles whose long edges all pass within rounding
    // of the origin: a cluster of nearly concurrent crossings.
    Tangle t;
    const int spokes = 16;
    for (int i = 0; i < spokes; ++i) {
        const double a = 3.14159265358979 * i / spokes;
        t.loops.push_back({static_cast<std::int32_t>(t.points.size()),
                           static_cast<std::int32_t>(t.points.size() + 1),
                           static_cast<std::int32_t>(t.points.size() + 2)});
        t.operand.push_back(0);
        t.points.push_back(KT_Point_D{16 * std::cos(a), 16 * std::sin(a), 0});
        t.points.push_back(KT_Point_D{-16 * std::cos(a), -16 * std::sin(a), 0});
        t.points.push_back(KT_Point_D{-16 * std::cos(a) + 0.01, -16 * std::sin(a), 0});
    }
    Sweep_Workspace sweep, reference;
    build(sweep, t, Crossing_Search::sweep, false);
    build(reference, t, Crossing_Search::all_pairs_reference, false);
    expect_same_arrangement(sweep, reference);
    expect_planar(sweep);
}

} // namespace
