// The filtered orientation test against its exact reference on seeded
// near-degenerate input, where a plain double evaluation gets signs wrong.
#include "contour/exact_predicates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using kavri_contour::orient;
using kavri_contour::detail::exact_orient_sign;

TEST(ExactPredicates, FilteredAndExactAgreeOnNearlyCollinearPoints) {
    std::mt19937_64 rng(2024);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::uniform_int_distribution<int> exponent(-40, 40), nudge(-3, 3);
    int plain_wrong = 0;
    for (int i = 0; i < 200000; ++i) {
        const double scale = std::ldexp(1.0, exponent(rng));
        const double ax = unit(rng) * scale, ay = unit(rng) * scale;
        const double bx = unit(rng) * scale, by = unit(rng) * scale;
        // c on the line a-b as nearly as doubles allow, then nudged by ulps.
        const double t = unit(rng) * 4;
        double cx = ax + t * (bx - ax), cy = ay + t * (by - ay);
        for (int k = nudge(rng); k != 0; k += k > 0 ? -1 : 1)
            cy = std::nextafter(cy, k > 0 ? INFINITY : -INFINITY);
        const int exact = exact_orient_sign(ax, ay, bx, by, cx, cy);
        ASSERT_EQ(orient(ax, ay, bx, by, cx, cy), exact) << i;
        const double plain = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
        plain_wrong += (plain > 0) - (plain < 0) != exact;
    }
    // The input really is hard: the unfiltered formula fails on some of it.
    EXPECT_GT(plain_wrong, 0);
}

TEST(ExactPredicates, KnownSignsOfTinyTurns) {
    const double x = 0.1;
    EXPECT_EQ(orient(0, 0, 1, 1, x, x), 0);
    EXPECT_EQ(orient(0, 0, 1, 1, x, std::nextafter(x, 1.0)), 1);
    EXPECT_EQ(orient(0, 0, 1, 1, x, std::nextafter(x, 0.0)), -1);
    // Swapping two points reverses the turn; a repeated point has none.
    EXPECT_EQ(orient(1, 1, 0, 0, x, std::nextafter(x, 1.0)), -1);
    EXPECT_EQ(orient(3, 4, 3, 4, 7, 9), 0);
    // Products of these under- and overflow; the sign must not.
    EXPECT_EQ(orient(1e-300, 0, 0, 1e-300, 1e-300, 1e-300), -1);
    EXPECT_EQ(orient(0, 0, 1e300, 1e300, 1e300, std::nextafter(1e300, INFINITY)), 1);
    EXPECT_EQ(orient(0, 0, 1e-320, 1e-320, 2e-320, 2e-320), 0);
}

TEST(ExactPredicates, TinyTurnsBesideHugeCoordinates) {
    const double huge = 1e300, tiny = 1e-300;
    const double just_above_huge = std::nextafter(huge, INFINITY);
    // The turn is tiny * ulp(huge): far below anything a product of the
    // scaled tiny coordinates can hold.
    EXPECT_EQ(orient(0, 0, tiny, tiny, huge, just_above_huge), 1);
    EXPECT_EQ(orient(0, 0, tiny, tiny, just_above_huge, huge), -1);
    EXPECT_EQ(orient(0, 0, tiny, tiny, huge, huge), 0);
}

} // namespace
