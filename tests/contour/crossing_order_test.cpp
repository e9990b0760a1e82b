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
