// Feeding contour sets into the plane sweep: the projection choice and the
// loading of a set's contours as edges of one operand.
#pragma once

#include <cmath>

#include "contour/contour_set.h"
#include "contour/planar_sweep.h"

namespace kavri_contour {

template <class P> const P* points_of(const KT_Contour_Set_Data& set);
template <> inline const KT_Point* points_of<KT_Point>(const KT_Contour_Set_Data& set) {
    return set.points;
}
template <> inline const KT_Point_D* points_of<KT_Point_D>(const KT_Contour_Set_Data& set) {
    return set.points_d;
}

template <class P> double coordinate(const P& p, int axis) {
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

// The axes of force_projection for the magnitudes of a normal.
inline void axes_for(double x, double y, double z, std::int32_t axes[2]) {
    axes[0] = 0;
    axes[1] = 1;
    if (x > y && x > z) {
        axes[0] = 1;
        axes[1] = 2;
    } else if (y > z && y >= x) {
        axes[1] = 2;
    }
}

// Newell normal of the points taken as one closed sequence.
template <class P> void newell_normal(const P* p, int n, double normal[3]) {
    double nx = 0, ny = 0, nz = 0;
    for (int i = 0; i < n; ++i) {
        const P& a = p[i];
        const P& b = p[(i + 1) % n];
        nx += (double(a.y) + b.y) * (double(b.z) - a.z);
        ny += (double(b.x) - a.x) * (double(a.z) + b.z);
        nz += (double(a.x) + b.x) * (double(b.y) - a.y);
    }
    normal[0] = nx;
    normal[1] = ny;
    normal[2] = nz;
}

// True when the points enclose some area and are all finite.
template <class P> bool encloses_area(const P* p, int n) {
    double normal[3];
    newell_normal(p, n, normal);
    const double size = std::fabs(normal[0]) + std::fabs(normal[1]) + std::fabs(normal[2]);
    return std::isfinite(size) && size > 0;
}

// Axes from the Newell normal; when it vanishes, from the first corner whose
// cross product is clearly non-zero.
template <class P> void newell_axes(const P* p, int n, std::int32_t axes[2]) {
    double normal[3];
    newell_normal(p, n, normal);
    double nx = normal[0], ny = normal[1], nz = normal[2];
    const double tiny = 1e-6;
    if (!(std::fabs(nx) >= tiny || std::fabs(ny) >= tiny || std::fabs(nz) >= tiny)) {
        for (int i = 0; i + 1 < n; ++i) {
            const P& l = p[n - 1];
            const double ax = double(p[i].x) - l.x, ay = double(p[i].y) - l.y,
                         az = double(p[i].z) - l.z;
            const double bx = double(p[i + 1].x) - p[i].x, by = double(p[i + 1].y) - p[i].y,
                         bz = double(p[i + 1].z) - p[i].z;
            const double cx = ay * bz - az * by, cy = az * bx - ax * bz, cz = ax * by - ay * bx;
            if (std::fabs(cx) > tiny || std::fabs(cy) > tiny || std::fabs(cz) > tiny) {
                nx = cx, ny = cy, nz = cz;
                break;
            }
        }
    }
    axes_for(std::fabs(nx), std::fabs(ny), std::fabs(nz), axes);
}

// Adds the set's contours as closed edge loops of one operand. Contours of
// fewer than three points bound nothing and are left out. False when a
// coordinate is not finite: such a set is treated as bad input.
template <class P>
bool load_contours(Sweep_Workspace& w, const KT_Contour_Set_Data& set, const P* p,
                   const std::int32_t axes[2], int operand) {
    w.axes[0] = axes[0];
    w.axes[1] = axes[1];
    w.single_precision = sizeof(p->x) == sizeof(float);
    int start = 0;
    for (int c = 0; c < set.contour_count; ++c) {
        const int n = set.counts[c] > 0 ? set.counts[c] : 0;
        const int first = static_cast<int>(w.points.size());
        for (int i = start; i < start + n && n >= 3; ++i) {
            const double u = coordinate(p[i], axes[0]), v = coordinate(p[i], axes[1]);
            const double z = coordinate(p[i], 3 - axes[0] - axes[1]);
            if (!std::isfinite(u) || !std::isfinite(v) || !std::isfinite(z)) return false;
            w.add_point(u, v, KT_Point_D{double(p[i].x), double(p[i].y), double(p[i].z)},
                        operand == 0 ? i : -1);
        }
        for (int k = 0; k < n && n >= 3; ++k)
            w.add_edge(first + k, first + (k + 1) % n, operand);
        start += n;
    }
    return true;
}

template <class P> P to_point(const KT_Point_D& p) {
    return P{static_cast<decltype(P::x)>(p.x), static_cast<decltype(P::x)>(p.y),
             static_cast<decltype(P::x)>(p.z)};
}

} // namespace kavri_contour
