// Helpers shared by the contour tests: seeded random outlines, collection of
// triangles and polygons, and the sample-point checks that compare a
// decomposition against the inside test.
#pragma once

#include <cmath>
#include <random>
#include <vector>

#include "contour/contour_set.h"

namespace contour_test {

struct Outline {
    std::vector<int> counts;
    std::vector<KT_Point_D> points;

    void add(const std::vector<KT_Point_D>& contour) {
        counts.push_back(static_cast<int>(contour.size()));
        points.insert(points.end(), contour.begin(), contour.end());
    }
};

// Coordinates land on a grid of eighths so that collinear runs, shared
// edges and touching corners really happen.
inline double snap(double v) {
    return std::round(v * 8) / 8;
}

inline std::vector<KT_Point_D> star(std::mt19937& rng, int n, double cx, double cy, double r0,
                                    double r1, bool clockwise = false) {
    std::uniform_real_distribution<double> radius(r0, r1);
    std::vector<KT_Point_D> c;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n * (clockwise ? -1 : 1);
        const double r = radius(rng);
        c.push_back(KT_Point_D{snap(cx + r * std::cos(a)), snap(cy + r * std::sin(a)), 0});
    }
    return c;
}

inline std::vector<KT_Point_D> scribble(std::mt19937& rng, int n, double size) {
    std::uniform_real_distribution<double> coord(0, size);
    std::vector<KT_Point_D> c;
    for (int i = 0; i < n; ++i)
        c.push_back(KT_Point_D{snap(coord(rng)), snap(coord(rng)), 0});
    return c;
}

// Inserts collinear midpoints, repeated points and out-and-back spikes.
inline std::vector<KT_Point_D> roughen(std::mt19937& rng, const std::vector<KT_Point_D>& c) {
    std::vector<KT_Point_D> out;
    std::uniform_int_distribution<int> pick(0, 5);
    for (std::size_t i = 0; i < c.size(); ++i) {
        const KT_Point_D& a = c[i];
        const KT_Point_D& b = c[(i + 1) % c.size()];
        out.push_back(a);
        const int kind = pick(rng);
        if (kind == 0) out.push_back(KT_Point_D{(a.x + b.x) / 2, (a.y + b.y) / 2, 0});
        if (kind == 2) out.push_back(KT_Point_D{a.x + 0.5, a.y + 0.25, 0});
        if (kind == 1 || kind == 2) out.push_back(a);
    }
    return out;
}

inline Outline random_outline(std::mt19937& rng, int kind) {
    Outline o;
    switch (kind % 6) {
    case 0: // convex
        o.add(star(rng, 12, 5, 5, 4, 4));
        break;
    case 1: // concave
        o.add(star(rng, 15, 5, 5, 1.5, 4.5));
        break;
    case 2: // self-intersecting
        o.add(scribble(rng, 9, 10));
        break;
    case 3: // with holes, the holes wound either way
        o.add(star(rng, 14, 5, 5, 3.5, 4.5));
        o.add(star(rng, 6, 4, 5, 0.5, 1.5, true));
        o.add(star(rng, 5, 6.5, 5, 0.5, 1.0));
        break;
    case 4: // collinear runs, repeated points, spikes
        o.add(roughen(rng, star(rng, 10, 5, 5, 2, 4.5)));
        break;
    default: // overlapping contours
        o.add(star(rng, 8, 4, 4, 2, 3.5));
        o.add(star(rng, 8, 6, 6, 2, 3.5));
        o.add(scribble(rng, 5, 10));
        break;
    }
    return o;
}

struct Triangle {
    KT_Point_D a, b, c;
};

inline double cross(const KT_Point_D& a, const KT_Point_D& b, const KT_Point_D& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

template <class P> KT_Point_D widen(const P& p) {
    return KT_Point_D{p.x, p.y, p.z};
}

template <class P> P narrow(const KT_Point_D& p) {
    using C = decltype(P::x);
    return P{static_cast<C>(p.x), static_cast<C>(p.y), static_cast<C>(p.z)};
}

template <class P> std::vector<Triangle> triangles_of(const KT_Contour_Set_Data& set) {
    std::vector<Triangle> out;
    set.triangulate(
        [](const P* a, const P* b, const P* c, void* user) {
            static_cast<std::vector<Triangle>*>(user)->push_back(
                Triangle{widen(*a), widen(*b), widen(*c)});
        },
        &out);
    return out;
}

template <class P>
std::vector<std::vector<KT_Point_D>> polygons_of(const KT_Contour_Set_Data& set, int max_points) {
    std::vector<std::vector<KT_Point_D>> out;
    set.polygonize(
        [](int n, const P* p, void* user) {
            std::vector<KT_Point_D> poly;
            for (int i = 0; i < n; ++i)
                poly.push_back(widen(p[i]));
            static_cast<std::vector<std::vector<KT_Point_D>>*>(user)->push_back(poly);
        },
        &out, max_points);
    return out;
}

inline double polygon_area(const std::vector<KT_Point_D>& p) {
    double a = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const KT_Point_D& q = p[i];
        const KT_Point_D& r = p[(i + 1) % p.size()];
        a += q.x * r.y - r.x * q.y;
    }
    return a / 2;
}

inline KT_Point_D point_at(const KT_Contour_Set_Data& set, int i) {
    return set.points_d ? set.points_d[i] : widen(set.points[i]);
}

template <class P> double triangle_area(const KT_Contour_Set_Data& set) {
    double area = 0;
    for (const Triangle& t : triangles_of<P>(set))
        area += cross(t.a, t.b, t.c) / 2;
    return area;
}

// The rules a client reads its own contours by; the resolved rule belongs
// to results.
constexpr KT_Contour_Fill_Rule input_rules[] = {KT_Fill_Odd_Even, KT_Fill_Non_Zero};
constexpr KT_Contour_Fill_Rule every_rule[] = {KT_Fill_Odd_Even, KT_Fill_Non_Zero,
                                               KT_Fill_Resolved};

template <class P>
KT_Contour_Set make_set(const Outline& o, std::vector<P>& storage, KT_Contour_Fill_Rule rule) {
    storage.clear();
    for (const KT_Point_D& p : o.points)
        storage.push_back(narrow<P>(p));
    KT_Contour_Set set(static_cast<int>(o.counts.size()), o.counts.data(), storage.data(), false);
    set.set_fill_rule(rule);
    return set;
}

// The resolved form of a set: the set cut by a square of half-width e.
template <class P> KT_Contour_Set resolved_within(const KT_Contour_Set& set, double e) {
    const std::vector<P> frame = {narrow<P>({-e, -e, 0}), narrow<P>({e, -e, 0}),
                                  narrow<P>({e, e, 0}), narrow<P>({-e, e, 0})};
    KT_Contour_Set box(4, frame.data(), false);
    return KT_Contour_Set(set->process(KT_Contour_Intersection, box.body()));
}

// Signed area of a set's contours (meaningful for resolved sets).
inline double contour_area(const KT_Contour_Set_Data& set) {
    double area = 0;
    int start = 0;
    for (int c = 0; c < set.contour_count; ++c) {
        std::vector<KT_Point_D> contour;
        for (int i = start; i < start + set.counts[c]; ++i)
            contour.push_back(point_at(set, i));
        area += polygon_area(contour);
        start += set.counts[c];
    }
    return area;
}

// Winding number of a point by the set's contours (counter-clockwise
// outlines count +1), counted directly.
inline int winding(const KT_Contour_Set_Data& set, const KT_Point_D& p) {
    int w = 0, start = 0;
    for (int c = 0; c < set.contour_count; ++c) {
        const int n = set.counts[c];
        for (int i = 0; i < n; ++i) {
            const KT_Point_D a = point_at(set, start + i), b = point_at(set, start + (i + 1) % n);
            if ((a.y <= p.y) != (b.y <= p.y)) {
                const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
                if (x > p.x) w += b.y > a.y ? 1 : -1;
            }
        }
        start += n;
    }
    return w;
}

// Whether a point inside A or B as given lies inside the result of one of
// the four region operations.
inline bool inside_result(KT_Contour_Operation op, bool in_a, bool in_b) {
    return op == KT_Contour_Intersection ? in_a && in_b
           : op == KT_Contour_Union      ? in_a || in_b
           : op == KT_Contour_A_Minus_B  ? in_a && !in_b
                                         : in_b && !in_a;
}

inline double distance_to_segment(const KT_Point_D& p, const KT_Point_D& a, const KT_Point_D& b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len = dx * dx + dy * dy;
    double t = len > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len : 0;
    t = std::fmax(0, std::fmin(1, t));
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

inline double distance_to_outline(const KT_Point_D& p, const Outline& o) {
    double best = INFINITY;
    std::size_t start = 0;
    for (int n : o.counts) {
        for (int i = 0; i < n; ++i)
            best = std::fmin(
                best, distance_to_segment(p, o.points[start + i], o.points[start + (i + 1) % n]));
        start += n;
    }
    return best;
}

// Sample points of a grid over [lo, hi]^2 that keep clear of every edge.
inline std::vector<KT_Point_D> samples_away_from(const std::vector<const Outline*>& outlines,
                                                 double lo, double hi, int steps) {
    std::vector<KT_Point_D> out;
    for (int i = 0; i <= steps; ++i)
        for (int j = 0; j <= steps; ++j) {
            const KT_Point_D p{lo + (hi - lo) * (i + 0.37) / steps,
                               lo + (hi - lo) * (j + 0.61) / steps, 0};
            bool clear = true;
            for (const Outline* o : outlines)
                clear = clear && distance_to_outline(p, *o) > 1e-3;
            if (clear) out.push_back(p);
        }
    return out;
}

} // namespace contour_test
