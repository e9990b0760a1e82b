// The sweep order of crossing points against exact integer arithmetic on
// small grids, where ties are common, and at scales far from 1.
#include "contour/crossing_order.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

namespace {

using kavri_contour::compare_places;
using kavri_contour::make_place_key;
using kavri_contour::Place;
using kavri_contour::XY;

using Wide = __int128;

// A place as exact fractions (nv / d, nu / d) with d > 0.
struct Fraction {
    Wide nv, nu, d;
};

Fraction fraction(const Place& p) {
    if (!p.crossing) return {Wide(p.a.v), Wide(p.a.u), 1};
    const Wide ru = Wide(p.b.u - p.a.u), rv = Wide(p.b.v - p.a.v);
    const Wide su = Wide(p.d.u - p.c.u), sv = Wide(p.d.v - p.c.v);
    const Wide wu = Wide(p.c.u - p.a.u), wv = Wide(p.c.v - p.a.v);
    Wide d = ru * sv - rv * su;
    const Wide t = wu * sv - wv * su;
    Wide nv = Wide(p.a.v) * d + rv * t, nu = Wide(p.a.u) * d + ru * t;
    if (d < 0) nv = -nv, nu = -nu, d = -d;
    return {nv, nu, d};
}

int sign(Wide x) {
    return x > 0 ? 1 : (x < 0 ? -1 : 0);
}

bool same_v(const Place& x, const Place& y) {
    const Fraction f = fraction(x), g = fraction(y);
    return f.nv * g.d == g.nv * f.d;
}

int expected(const Place& x, const Place& y) {
    const Fraction f = fraction(x), g = fraction(y);
    const int v = sign(f.nv * g.d - g.nv * f.d);
    return v != 0 ? v : sign(f.nu * g.d - g.nu * f.d);
}

Place random_place(std::mt19937& rng, int range) {
    std::uniform_int_distribution<int> c(-range, range);
    auto xy = [&] { return XY{double(c(rng)), double(c(rng))}; };
    if (rng() % 3 == 0) return Place{xy(), {}, {}, {}, false};
    for (;;) {
        Place p{xy(), xy(), xy(), xy(), true};
        if (fraction(p).d != 0) return p;
    }
}

Place scaled(Place p, int shift) {
    for (XY* q : {&p.a, &p.b, &p.c, &p.d})
        *q = XY{std::ldexp(q->u, shift), std::ldexp(q->v, shift)};
    return p;
}

TEST(CrossingOrder, MatchesExactFractionsOnGridsAtEveryScale) {
    std::mt19937 rng(11);
    int ties = 0;
    for (int i = 0; i < 20000; ++i) {
        const int range = i % 2 ? 4 : 1000;
        const Place x = random_place(rng, range), y = random_place(rng, range);
        const int want = expected(x, y);
        ties += same_v(x, y);
        ASSERT_EQ(compare_places(make_place_key(x), make_place_key(y)), want) << i;
        ASSERT_EQ(compare_places(make_place_key(y), make_place_key(x)), -want) << i;
        for (const int shift : {-700, -60, 90, 700}) {
            ASSERT_EQ(
                compare_places(make_place_key(scaled(x, shift)), make_place_key(scaled(y, shift))),
                want)
                << i << " shift " << shift;
        }
    }
    // The small grid must have exercised ties in v, decided by u.
    EXPECT_GT(ties, 100);
}

// The same place with its second end point pushed far out along its line,
// which moves no crossing: a crossing's line must start at the origin.
Place with_far_end(Place p, int near_shift, int far_shift) {
    p = scaled(p, near_shift);
    p.b = XY{std::ldexp(p.b.u, far_shift), std::ldexp(p.b.v, far_shift)};
    return p;
}

Place random_place_from_origin(std::mt19937& rng, int range) {
    for (;;) {
        Place p = random_place(rng, range);
        if (!p.crossing) return p;
        p.a = XY{0, 0};
        if ((p.b.u != 0 || p.b.v != 0) && fraction(p).d != 0) return p;
    }
}

TEST(CrossingOrder, StaysExactWhenCoordinatesSpanTheWholeRange) {
    std::mt19937 rng(23);
    const struct {
        int near_shift, far_shift;
    } spans[] = {{-1000, 1900}, {-600, 1500}, {-300, 600}, {0, 1000}};
    for (int i = 0; i < 1500; ++i) {
        const Place x = random_place_from_origin(rng, 6), y = random_place_from_origin(rng, 6);
        const int want = expected(x, y);
        for (const auto& span : spans) {
            const Place far_x = with_far_end(x, span.near_shift, span.far_shift);
            const Place far_y = with_far_end(y, span.near_shift, span.far_shift);
            ASSERT_EQ(compare_places(make_place_key(far_x), make_place_key(far_y)), want)
                << i << " near shift " << span.near_shift << " far shift " << span.far_shift;
        }
    }
}

TEST(CrossingOrder, TinyDifferencesBesideAHugeCoordinateCount) {
    const Place lower{{1e300, 1e-300}, {}, {}, {}, false};
    const Place upper{{1e300, 2e-300}, {}, {}, {}, false};
    EXPECT_EQ(compare_places(make_place_key(lower), make_place_key(upper)), -1);
    // A vertical line to 1e300 crossing a short horizontal one at v = 3e-300.
    const Place crossing{{1e-300, -1e300}, {1e-300, 1e300}, {-1, 3e-300}, {1, 3e-300}, true};
    const Place just_below{{1e-300, 2e-300}, {}, {}, {}, false};
    const Place right_there{{1e-300, 3e-300}, {}, {}, {}, false};
    EXPECT_EQ(compare_places(make_place_key(crossing), make_place_key(just_below)), 1);
    EXPECT_EQ(compare_places(make_place_key(crossing), make_place_key(right_there)), 0);
}

TEST(CrossingOrder, CrossingAtAPointIsThatPoint) {
    // Diagonals of the square (0,0)-(2,2) cross at (1, 1).
    const Place cross{{0, 0}, {2, 2}, {2, 0}, {0, 2}, true};
    const Place at{{1, 1}, {}, {}, {}, false};
    const Place below{{1e9, 1 - 0x1p-52}, {}, {}, {}, false};
    const Place left{{1 - 0x1p-52, 1}, {}, {}, {}, false};
    EXPECT_EQ(compare_places(make_place_key(cross), make_place_key(at)), 0);
    EXPECT_EQ(compare_places(make_place_key(cross), make_place_key(below)), 1);
    EXPECT_EQ(compare_places(make_place_key(left), make_place_key(cross)), -1);
}

} // namespace
