// The orientation test that every decision of the sweeps rests on. A plain
// double evaluation decides whenever its error bound allows; otherwise the
// determinant is summed exactly from its products, so that the sign is right
// for all finite input and collinearity is never guessed.
#pragma once

#include <cmath>
#include <initializer_list>

namespace kavri_contour {

namespace detail {

// The sign of the determinant in integer arithmetic, for coordinates too far
// apart in magnitude for expansions.
int integer_orient_sign(double ax, double ay, double bx, double by, double cx, double cy);

// The smallest non-zero magnitude among the values, or 0 when all are 0.
inline double smallest_nonzero(std::initializer_list<double> values) {
    double smallest = 0;
    for (const double v : values)
        if (v != 0 && (smallest == 0 || std::fabs(v) < smallest)) smallest = std::fabs(v);
    return smallest;
}

// Whether floating-point expansions of products of the given degree stay
// exact for values from smallest to largest in magnitude: scaled so that the
// largest is near 1, no partial product may fall below the smallest
// subnormal.
inline bool expansions_exact(double smallest, double largest, int degree) {
    if (smallest == 0) return true;
    const int spread = std::ilogb(largest) - std::ilogb(smallest);
    return degree * (spread + 53) < 1021;
}

inline void two_sum(double a, double b, double& sum, double& error) {
    sum = a + b;
    const double b_part = sum - a;
    const double a_part = sum - b_part;
    error = (a - a_part) + (b - b_part);
}

// Adds b to the nonoverlapping expansion e (n terms, smallest first).
inline int grow_expansion(int n, double* e, double b) {
    double q = b;
    for (int i = 0; i < n; ++i) {
        double h;
        two_sum(q, e[i], q, h);
        e[i] = h;
    }
    e[n] = q;
    return n + 1;
}

inline int exact_orient_sign(double ax, double ay, double bx, double by, double cx, double cy) {
    // The sign does not change under scaling by a power of two; bringing the
    // largest coordinate near 1 keeps every product from under- or overflowing.
    const double largest = std::fmax(
        std::fmax(std::fmax(std::fabs(ax), std::fabs(ay)), std::fmax(std::fabs(bx), std::fabs(by))),
        std::fmax(std::fabs(cx), std::fabs(cy)));
    if (largest == 0 || !std::isfinite(largest)) return 0;
    if (!expansions_exact(smallest_nonzero({ax, ay, bx, by, cx, cy}), largest, 2))
        return integer_orient_sign(ax, ay, bx, by, cx, cy);
    const int shift = -std::ilogb(largest);
    ax = std::ldexp(ax, shift), ay = std::ldexp(ay, shift);
    bx = std::ldexp(bx, shift), by = std::ldexp(by, shift);
    cx = std::ldexp(cx, shift), cy = std::ldexp(cy, shift);
    // (bx-ax)(cy-ay) - (by-ay)(cx-ax) expanded; the ax*ay terms cancel.
    const double factors[6][2] = {{bx, cy}, {-bx, ay}, {-ax, cy}, {-by, cx}, {by, ax}, {ay, cx}};
    double e[12];
    int n = 0;
    for (const auto& f : factors) {
        const double product = f[0] * f[1];
        const double error = std::fma(f[0], f[1], -product);
        n = grow_expansion(n, e, error);
        n = grow_expansion(n, e, product);
    }
    for (int i = n - 1; i >= 0; --i)
        if (e[i] != 0) return e[i] > 0 ? 1 : -1;
    return 0;
}

// What the filter of orient() leaves open, kept out of line so that the
// filter inlines into the sweeps' comparisons.
[[gnu::noinline]] inline int undecided_orient_sign(double ax, double ay, double bx, double by,
                                                   double cx, double cy) {
    // Nearly every undecided test names one point twice: the sweeps compare
    // edges that share an end.
    if ((ax == bx && ay == by) || (ax == cx && ay == cy) || (bx == cx && by == cy)) return 0;
    // Next come runs along one horizontal or vertical line, where each
    // product has a factor that is exactly zero.
    if ((bx == ax || cy == ay) && (by == ay || cx == ax)) return 0;
    return exact_orient_sign(ax, ay, bx, by, cx, cy);
}

} // namespace detail

// +1 when c lies left of the line a->b (counter-clockwise turn), -1 right, 0 on it.
inline int orient(double ax, double ay, double bx, double by, double cx, double cy) {
    const double left = (bx - ax) * (cy - ay);
    const double right = (by - ay) * (cx - ax);
    const double det = left - right;
    const double bound = 3.3306690738754716e-16 * (std::fabs(left) + std::fabs(right));
    if (det > bound) return 1;
    if (-det > bound) return -1;
    return detail::undecided_orient_sign(ax, ay, bx, by, cx, cy);
}

} // namespace kavri_contour
