// Which edges a pass after the first must look at. Rounded crossings bend
// the pieces of the edges they split by a few units of rounding, so two
// pieces can only meet anew where a point lies within that much of a piece
// it does not end at: such a piece, and every piece at such a point, is
// all the next pass needs. Points are bucketed in a uniform grid and each
// piece visits the cells its thickened segment covers.
#include <algorithm>
#include <cmath>

#include "contour/planar_sweep.h"

namespace kavri_contour {

namespace {

// How far a point may sit from a piece and still meet it after the bends:
// crossings round, snap to an end point and merge with a point nearby, each
// by up to one reach, on both pieces of a pair; doubled for margin.
constexpr double reach_multiple = 32;

// Beyond this many point tests and cell visits per point and edge the grid
// is too crowded to help (clustered or wildly spread input), and the
// coarser box test takes over.
constexpr std::int64_t work_per_element = 32;

constexpr std::int32_t max_cells_per_side = 2048;

// Steeper pieces take their whole v range in every column they touch.
constexpr double max_slope = 0x1p20;

struct Grid {
    double lo_u, lo_v;
    double cells_per_u, cells_per_v; // cells per unit of u and of v
    double u_slack;                  // rounding of a column's edges
    std::int32_t columns, rows;

    std::int32_t column(double u) const {
        const double c = (u - lo_u) * cells_per_u;
        return c <= 0 ? 0 : c >= columns - 1 ? columns - 1 : static_cast<std::int32_t>(c);
    }
    std::int32_t row(double v) const {
        const double r = (v - lo_v) * cells_per_v;
        return r <= 0 ? 0 : r >= rows - 1 ? rows - 1 : static_cast<std::int32_t>(r);
    }
    double column_start(std::int32_t c) const { return lo_u + c / cells_per_u; }
};

// Cells of roughly one point each, square where the box allows.
bool make_grid(const Vector<Point>& points, Grid& grid) {
    double lo_u = points[0].u, hi_u = lo_u, lo_v = points[0].v, hi_v = lo_v;
    for (const Point& p : points) {
        lo_u = std::min(lo_u, p.u);
        hi_u = std::max(hi_u, p.u);
        lo_v = std::min(lo_v, p.v);
        hi_v = std::max(hi_v, p.v);
    }
    const double width = hi_u - lo_u, height = hi_v - lo_v;
    if (!std::isfinite(width) || !std::isfinite(height)) return false;
    const double count = static_cast<double>(points.size());
    const double area = width * height;
    const double side = area > 0 ? std::sqrt(area / count) : std::max(width, height) / count;
    if (!(side > 0) || !std::isfinite(side)) return false;
    auto cells = [side](double extent) {
        return static_cast<std::int32_t>(
            std::clamp(std::ceil(extent / side), 1.0, double(max_cells_per_side)));
    };
    grid.lo_u = lo_u;
    grid.lo_v = lo_v;
    grid.columns = cells(width);
    grid.rows = cells(height);
    grid.cells_per_u = width > 0 ? grid.columns / width : 0;
    grid.cells_per_v = height > 0 ? grid.rows / height : 0;
    grid.u_slack = 0x1p-44 * (std::max(std::fabs(lo_u), std::fabs(hi_u)) + width);
    return std::isfinite(grid.cells_per_u) && std::isfinite(grid.cells_per_v);
}

// Whether p lies within reach of the segment a-b, ends included. Where
// squares of the lengths would leave the normal range the answer is yes:
// an extra piece in the pass costs time, a missing one a crossing.
bool within_reach(double u, double v, const Point& a, const Point& b, double reach) {
    if (u < std::min(a.u, b.u) - reach || u > std::max(a.u, b.u) + reach ||
        v < std::min(a.v, b.v) - reach || v > std::max(a.v, b.v) + reach)
        return false;
    const double du = b.u - a.u, dv = b.v - a.v;
    const double length_squared = du * du + dv * dv;
    if (!(length_squared > 0x1p-900 && length_squared < 0x1p900)) return true;
    const double length = std::sqrt(length_squared);
    const double along = (u - a.u) * du + (v - a.v) * dv;
    if (along < -reach * length || along > (length + reach) * length) return false;
    return std::fabs(du * (v - a.v) - dv * (u - a.u)) <= reach * length;
}

} // namespace

bool Sweep_Workspace::select_edges_near_points(Vector<char>& selected) {
    const auto point_count = static_cast<std::int32_t>(points.size());
    const auto edge_count = static_cast<std::int32_t>(edges.size());
    selected.assign(edge_count, 0);
    if (edge_count == 0) return true;
    Grid grid;
    if (!make_grid(points, grid)) return false;

    // Points bucketed by cell, row by row, with their coordinates beside
    // them so that a cell is read from one place.
    const std::int64_t cell_count = std::int64_t(grid.columns) * grid.rows;
    // Counts become ends and, filled from the back, starts.
    cell_first_.assign(cell_count + 1, 0);
    cell_fill_.resize(point_count);
    for (std::int32_t p = 0; p < point_count; ++p) {
        const Point& q = points[p];
        cell_fill_[p] = grid.row(q.v) * grid.columns + grid.column(q.u);
        ++cell_first_[cell_fill_[p]];
    }
    for (std::int64_t c = 0; c < cell_count; ++c)
        cell_first_[c + 1] += cell_first_[c];
    cell_points_.resize(point_count);
    for (std::int32_t p = point_count; p-- > 0;) {
        const Point& q = points[p];
        cell_points_[--cell_first_[cell_fill_[p]]] = Cell_Point{q.u, q.v, p};
    }

    hot_.assign(point_count, 0);
    std::int64_t work_left = work_per_element * (std::int64_t(point_count) + edge_count);
    for (std::int32_t e = 0; e < edge_count; ++e) {
        const Point& a = points[edges[e].a];
        const Point& b = points[edges[e].b];
        const double lo_u = std::min(a.u, b.u), hi_u = std::max(a.u, b.u);
        const double lo_v = std::min(a.v, b.v), hi_v = std::max(a.v, b.v);
        const double reach =
            reach_multiple * rounding_reach(std::max(std::fabs(lo_u), std::fabs(hi_u)),
                                            std::max(std::fabs(lo_v), std::fabs(hi_v)));
        const double slope = (b.v - a.v) / (b.u - a.u);
        const bool steep = !(std::fabs(slope) <= max_slope);
        // Column edges and the line's v at them round; a point binned
        // beside this column's true edge is still found.
        const double u_slack = grid.u_slack + reach;
        const double v_slack = reach + (steep ? 0 : std::fabs(slope) * u_slack) +
                               0x1p-44 * std::max(std::fabs(lo_v), std::fabs(hi_v));
        const std::int32_t first_column = grid.column(lo_u - reach);
        const std::int32_t last_column = grid.column(hi_u + reach);
        for (std::int32_t c = first_column; c <= last_column; ++c) {
            double v0 = lo_v, v1 = hi_v;
            if (!steep && first_column != last_column) {
                const double u0 = std::max(lo_u, grid.column_start(c) - u_slack);
                const double u1 = std::min(hi_u, grid.column_start(c + 1) + u_slack);
                const double at0 = a.v + (u0 - a.u) * slope, at1 = a.v + (u1 - a.u) * slope;
                v0 = std::max(lo_v, std::min(at0, at1));
                v1 = std::min(hi_v, std::max(at0, at1));
            }
            v0 -= v_slack;
            v1 += v_slack;
            const std::int32_t first_row = grid.row(v0), last_row = grid.row(v1);
            work_left -= last_row - first_row + 1;
            for (std::int32_t r = first_row; r <= last_row; ++r) {
                const std::int64_t cell = std::int64_t(r) * grid.columns + c;
                work_left -= cell_first_[cell + 1] - cell_first_[cell];
                for (std::int32_t k = cell_first_[cell]; k < cell_first_[cell + 1]; ++k) {
                    const Cell_Point& q = cell_points_[k];
                    const std::int32_t p = q.id;
                    if (p == edges[e].a || p == edges[e].b) continue;
                    if (!within_reach(q.u, q.v, a, b, reach)) continue;
                    // The pieces beside this one too, in case the point
                    // meets them rather than it.
                    selected[e] = 1;
                    hot_[p] = hot_[edges[e].a] = hot_[edges[e].b] = 1;
                }
            }
            if (work_left < 0) return false;
        }
    }
    for (std::int32_t e = 0; e < edge_count; ++e)
        if (hot_[edges[e].a] || hot_[edges[e].b]) selected[e] = 1;
    return true;
}

} // namespace kavri_contour
