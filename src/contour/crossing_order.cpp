#include "contour/crossing_order.h"

#include <algorithm>
#include <cmath>

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
template <class T, class Make, class Sub, class Mul, class Add>
void fraction(const Place& p, Make make, Sub sub, Mul mul, Add add, T& nv, T& nu, T& d) {
    if (!p.crossing) {
        nv = make(p.a.v);
        nu = make(p.a.u);
        d = make(1.0);
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

double largest(const Place& p) {
    double m = std::max(std::fabs(p.a.u), std::fabs(p.a.v));
    if (p.crossing)
        for (const XY& q : {p.b, p.c, p.d})
            m = std::max({m, std::fabs(q.u), std::fabs(q.v)});
    return m;
}

// Sign of x - y on one axis from both fractions, (nx dy - ny dx) / (dx dy),
// or 0 when rounding could have decided it.
int filtered_sign(Bounded nx, Bounded dx, Bounded ny, Bounded dy) {
    constexpr double error = 0x1p-44; // generous for the few dozen operations
    const Bounded diff = nx * dy - ny * dx;
    const Bounded den = dx * dy;
    if (std::fabs(diff.value) <= error * diff.size || std::fabs(den.value) <= error * den.size)
        return 0;
    return (diff.value > 0) == (den.value > 0) ? 1 : -1;
}

} // namespace

int compare_places(const Place& x_in, const Place& y_in) {
    Place x = x_in, y = y_in;
    // Sign is unchanged by a common power-of-two scale; near 1 nothing
    // overflows.
    const double m = std::max(largest(x), largest(y));
    if (m == 0 || !std::isfinite(m)) return 0;
    const int shift = -std::ilogb(m);
    scale(x, shift);
    scale(y, shift);

    auto b_make = [](double v) { return Bounded{v, std::fabs(v)}; };
    auto b_sub = [](Bounded p, Bounded q) { return p - q; };
    auto b_mul = [](Bounded p, Bounded q) { return p * q; };
    auto b_add = [](Bounded p, Bounded q) { return p + q; };
    Bounded xv, xu, xd, yv, yu, yd;
    fraction(x, b_make, b_sub, b_mul, b_add, xv, xu, xd);
    fraction(y, b_make, b_sub, b_mul, b_add, yv, yu, yd);
    // Equal v is never sure, so u needs no filter of its own.
    if (const int v = filtered_sign(xv, xd, yv, yd); v != 0) return v;

    auto e_sub = [](const Expansion& p, const Expansion& q) { return difference(p, q); };
    auto e_mul = [](const Expansion& p, const Expansion& q) { return product(p, q); };
    auto e_add = [](const Expansion& p, const Expansion& q) { return sum(p, q); };
    Expansion exv, exu, exd, eyv, eyu, eyd;
    fraction(x, exact, e_sub, e_mul, e_add, exv, exu, exd);
    fraction(y, exact, e_sub, e_mul, e_add, eyv, eyu, eyd);
    const int den = sign(exd) * sign(eyd);
    const int v = sign(difference(product(exv, eyd), product(eyv, exd))) * den;
    if (v != 0) return v;
    return sign(difference(product(exu, eyd), product(eyu, exd))) * den;
}

} // namespace kavri_contour
