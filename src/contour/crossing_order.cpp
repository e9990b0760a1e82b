#include "contour/crossing_order.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "contour/exact_integer.h"
#include "contour/exact_predicates.h"
#include "contour/sweep_containers.h"

namespace kavri_contour {

namespace {

// A double with a bound on the sum of the magnitudes it was made from; the
// rounding error of the whole evaluation stays below a small multiple of it.
struct Bounded {
    double value;
    double size;
};

Bounded operator-(Bounded x, Bounded y) {
    return {x.value - y.value, x.size + y.size};
}
Bounded operator+(Bounded x, Bounded y) {
    return {x.value + y.value, x.size + y.size};
}
Bounded operator*(Bounded x, Bounded y) {
    return {x.value * y.value, x.size * y.size};
}

// Nonoverlapping expansions, smallest term first, zeros dropped; the sign is
// the sign of the last term.
using Expansion = Vector<double>;

Expansion exact(double x) {
    return x == 0 ? Expansion{} : Expansion{x};
}

Expansion sum(const Expansion& e, const Expansion& f) {
    Expansion h = e;
    for (const double b : f) {
        double q = b;
        std::size_t kept = 0;
        for (const double x : h) {
            double s, err;
            detail::two_sum(q, x, s, err);
            q = s;
            if (err != 0) h[kept++] = err;
        }
        h.resize(kept);
        if (q != 0) h.push_back(q);
    }
    return h;
}

Expansion negate(Expansion e) {
    for (double& x : e)
        x = -x;
    return e;
}

Expansion difference(const Expansion& e, const Expansion& f) {
    return sum(e, negate(f));
}

Expansion product(const Expansion& e, const Expansion& f) {
    Expansion total;
    for (const double b : f) {
        Expansion part;
        for (const double a : e) {
            const double p = a * b;
            part = sum(part, exact(std::fma(a, b, -p)));
            part = sum(part, exact(p));
        }
        total = sum(total, part);
    }
    return total;
}

int sign(const Expansion& e) {
    return e.empty() ? 0 : (e.back() > 0 ? 1 : -1);
}

// One place as the fraction (n_v / d, n_u / d), in either arithmetic.
// one is the constant 1, never scaled with the coordinates.
template <class T, class Make, class Sub, class Mul, class Add>
void fraction(const Place& p, const T& one, Make make, Sub sub, Mul mul, Add add, T& nv, T& nu,
              T& d) {
    if (!p.crossing) {
        nv = make(p.a.v);
        nu = make(p.a.u);
        d = one;
        return;
    }
    const T ru = sub(make(p.b.u), make(p.a.u)), rv = sub(make(p.b.v), make(p.a.v));
    const T su = sub(make(p.d.u), make(p.c.u)), sv = sub(make(p.d.v), make(p.c.v));
    const T wu = sub(make(p.c.u), make(p.a.u)), wv = sub(make(p.c.v), make(p.a.v));
    d = sub(mul(ru, sv), mul(rv, su));
    const T t = sub(mul(wu, sv), mul(wv, su));
    nv = add(mul(make(p.a.v), d), mul(rv, t));
    nu = add(mul(make(p.a.u), d), mul(ru, t));
}

void scale(Place& p, int shift) {
    for (XY* q : {&p.a, &p.b, &p.c, &p.d}) {
        q->u = std::ldexp(q->u, shift);
        q->v = std::ldexp(q->v, shift);
    }
}

// Calls f with every coordinate the place is made of.
template <class F> void for_each_coordinate(const Place& p, F&& f) {
    f(p.a.u);
    f(p.a.v);
    if (!p.crossing) return;
    for (const XY& q : {p.b, p.c, p.d}) {
        f(q.u);
        f(q.v);
    }
}

double largest(const Place& p) {
    double m = 0;
    for_each_coordinate(p, [&m](double c) { m = std::max(m, std::fabs(c)); });
    return m;
}

double smallest_nonzero(const Place& p) {
    double s = 0;
    for_each_coordinate(p, [&s](double c) {
        if (c != 0 && (s == 0 || std::fabs(c) < s)) s = std::fabs(c);
    });
    return s;
}

// The sign of an order of degree up to 5 in the coordinates.
template <class T, class Make>
int compare_fractions(const Place& x, const Place& y, const T& one, Make make) {
    auto t_sub = [](const T& p, const T& q) { return p - q; };
    auto t_mul = [](const T& p, const T& q) { return p * q; };
    auto t_add = [](const T& p, const T& q) { return p + q; };
    T xv, xu, xd, yv, yu, yd;
    fraction(x, one, make, t_sub, t_mul, t_add, xv, xu, xd);
    fraction(y, one, make, t_sub, t_mul, t_add, yv, yu, yd);
    const int den = xd.sign() * yd.sign();
    const int v = (xv * yd - yv * xd).sign() * den;
    if (v != 0) return v;
    return (xu * yd - yu * xd).sign() * den;
}

// Coordinates as integers in units of the lowest bit any of them has.
int integer_compare(const Place& x, const Place& y) {
    int base = INT_MAX;
    auto lowest = [&base](double c) { base = std::min(base, Exact_Integer::lowest_bit(c)); };
    for_each_coordinate(x, lowest);
    for_each_coordinate(y, lowest);
    auto make = [base](double c) { return Exact_Integer::from_double(c, base); };
    return compare_fractions(x, y, Exact_Integer(1), make);
}

int exact_compare(const Place& x_in, const Place& y_in) {
    Place x = x_in, y = y_in;
    // Sign is unchanged by a common power-of-two scale; near 1 nothing
    // overflows.
    const double m = std::max(largest(x), largest(y));
    if (m == 0 || !std::isfinite(m)) return 0;
    const double sx = smallest_nonzero(x), sy = smallest_nonzero(y);
    const double smallest = sx == 0 || sy == 0 ? std::max(sx, sy) : std::min(sx, sy);
    if (!detail::expansions_exact(smallest, m, 5)) return integer_compare(x, y);
    const int shift = -std::ilogb(m);
    scale(x, shift);
    scale(y, shift);
    auto e_sub = [](const Expansion& p, const Expansion& q) { return difference(p, q); };
    auto e_mul = [](const Expansion& p, const Expansion& q) { return product(p, q); };
    auto e_add = [](const Expansion& p, const Expansion& q) { return sum(p, q); };
    Expansion exv, exu, exd, eyv, eyu, eyd;
    const Expansion one = exact(1.0);
    fraction(x, one, exact, e_sub, e_mul, e_add, exv, exu, exd);
    fraction(y, one, exact, e_sub, e_mul, e_add, eyv, eyu, eyd);
    const int den = sign(exd) * sign(eyd);
    const int v = sign(difference(product(exv, eyd), product(eyv, exd))) * den;
    if (v != 0) return v;
    return sign(difference(product(exu, eyd), product(eyu, exd))) * den;
}

} // namespace

Place_Key make_place_key(const Place& p) {
    auto make = [](double v) { return Bounded{v, std::fabs(v)}; };
    auto sub = [](Bounded a, Bounded b) { return a - b; };
    auto mul = [](Bounded a, Bounded b) { return a * b; };
    auto add = [](Bounded a, Bounded b) { return a + b; };
    Bounded nv, nu, d;
    fraction(p, Bounded{1, 1}, make, sub, mul, add, nv, nu, d);
    // Within this range no product of the comparison overflows, and what
    // underflows is covered by the absolute slack below.
    const double m = largest(p);
    const bool filtered = m <= 0x1p120 && (m >= 0x1p-120 || m == 0);
    return Place_Key{p, nv.value, d.value, nv.size, d.size, filtered};
}

int compare_places(const Place_Key& x, const Place_Key& y) {
    if (x.filtered && y.filtered) {
        constexpr double error = 0x1p-44; // generous for the few dozen operations
        constexpr double slack = 0x1p-1000;
        const Bounded diff = Bounded{x.nv, x.nv_size} * Bounded{y.d, y.d_size} -
                             Bounded{y.nv, y.nv_size} * Bounded{x.d, x.d_size};
        const Bounded den = Bounded{x.d, x.d_size} * Bounded{y.d, y.d_size};
        // Equal v is never sure, so u needs no filter of its own.
        if (std::fabs(diff.value) > error * diff.size + slack &&
            std::fabs(den.value) > error * den.size + slack)
            return (diff.value > 0) == (den.value > 0) ? 1 : -1;
    }
    return exact_compare(x.place, y.place);
}

} // namespace kavri_contour
