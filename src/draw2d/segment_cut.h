// Cuts a segment by a region: the pieces of it that lie inside.
#pragma once

#include <algorithm>
#include <cmath>

#include "contour/contour_set.h"
#include "foundation/heap.h"

namespace detail {

// Where the segment a + t (b - a), 0 <= t <= 1, crosses the edge p-q, as
// its parameter t; false when it does not or runs along it.
template <class P>
bool crossing(double ax, double ay, double dx, double dy, const P& p, const P& q, double& t) {
    const double ex = static_cast<double>(q.x) - p.x;
    const double ey = static_cast<double>(q.y) - p.y;
    const double denominator = dx * ey - dy * ex;
    if (denominator == 0) return false;
    const double wx = p.x - ax;
    const double wy = p.y - ay;
    t = (wx * ey - wy * ex) / denominator;
    const double s = (wx * dy - wy * dx) / denominator;
    return t > 0 && t < 1 && s >= 0 && s <= 1;
}

template <class P, class Add>
void each_crossing(const KT_Contour_Set_Data& region, const P* points, double ax, double ay,
                   double dx, double dy, Add add) {
    int first = 0;
    for (int c = 0; c < region.contour_count; ++c) {
        const int n = region.counts[c];
        for (int i = 0; i < n; ++i) {
            double t = 0;
            if (crossing(ax, ay, dx, dy, points[first + i], points[first + (i + 1) % n], t))
                add(t);
        }
        first += n;
    }
}

} // namespace detail

// Hands emit(t0, t1) each maximal piece of the segment from a to b that
// lies inside region, as parameters along the segment. Each stretch
// between two crossings of the region's edges is tested at its middle.
template <class Point, class Emit>
void KD_Cut_Segment_By_Region(const KT_Contour_Set_Data& region, const Point& a, const Point& b,
                              Emit&& emit) {
    const double ax = a.x;
    const double ay = a.y;
    const double dx = static_cast<double>(b.x) - ax;
    const double dy = static_cast<double>(b.y) - ay;
    KT_Stack_Scratch<double, 64> cuts(static_cast<std::size_t>(region.total_points) + 2);
    if (!cuts) return;
    int n = 0;
    cuts[n++] = 0;
    auto add = [&](double t) { cuts[n++] = t; };
    if (region.points_d)
        detail::each_crossing(region, region.points_d, ax, ay, dx, dy, add);
    else if (region.points)
        detail::each_crossing(region, region.points, ax, ay, dx, dy, add);
    cuts[n++] = 1;
    std::sort(cuts.get(), cuts.get() + n);
    double open_from = -1;
    for (int i = 0; i + 1 < n; ++i) {
        const double middle = (cuts[i] + cuts[i + 1]) / 2;
        const KT_Point_D probe = {ax + middle * dx, ay + middle * dy, 0};
        const bool inside = cuts[i + 1] > cuts[i] && region.point_inside(probe);
        if (inside && open_from < 0) open_from = cuts[i];
        if (!inside && open_from >= 0 && cuts[i + 1] > cuts[i]) {
            emit(open_from, cuts[i]);
            open_from = -1;
        }
    }
    if (open_from >= 0) emit(open_from, 1.0);
}
