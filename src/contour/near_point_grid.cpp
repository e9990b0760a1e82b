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

constexpr std::int32_t prefetch_distance = 16; // edges

// Flatter pieces take their whole u range in every row they touch.
constexpr double max_run_per_rise = 0x1p20;

struct Grid {
    double lo_u, lo_v;
    double cells_per_u, cells_per_v; // cells per unit of u and of v
    double row_height;
    double v_slack; // rounding of a row's edges
    std::int32_t columns, rows;

    std::int32_t column(double u) const {
        const double c = (u - lo_u) * cells_per_u;
        return c <= 0 ? 0 : c >= columns - 1 ? columns - 1 : static_cast<std::int32_t>(c);
    }
    std::int32_t row(double v) const {
        const double r = (v - lo_v) * cells_per_v;
        return r <= 0 ? 0 : r >= rows - 1 ? rows - 1 : static_cast<std::int32_t>(r);
    }
    double row_start(std::int32_t r) const { return lo_v + r * row_height; }
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
    grid.row_height = height / grid.rows;
    grid.v_slack = 0x1p-44 * (std::max(std::fabs(lo_v), std::fabs(hi_v)) + height);
    return std::isfinite(grid.cells_per_u) && std::isfinite(grid.cells_per_v);
}

// A piece and how near a point must come to it. The test of one point is
// branch-free: most points tested lie in the piece's cells but not near it.
struct Piece {
    double au, av, du, dv;
    double lo_u, hi_u, lo_v, hi_v;  // the box widened by the reach
    double along_lo, along_hi, off; // bounds of the dot and cross products
    bool loose;                     // squares leave the normal range: any point in the box

    Piece(const Point& a, const Point& b, double reach)
        : au(a.u), av(a.v), du(b.u - a.u), dv(b.v - a.v), lo_u(std::min(a.u, b.u) - reach),
          hi_u(std::max(a.u, b.u) + reach), lo_v(std::min(a.v, b.v) - reach),
          hi_v(std::max(a.v, b.v) + reach) {
        const double length_squared = du * du + dv * dv;
        loose = !(length_squared > 0x1p-900 && length_squared < 0x1p900);
        const double length = loose ? 0 : std::sqrt(length_squared);
        along_lo = -reach * length;
        along_hi = (length + reach) * length;
        off = reach * length;
    }
    // Whether (u, v) lies within reach of the piece, ends included. Where
    // squares would leave the normal range, any point in the box: an extra
    // piece in the pass costs time, a missing one a crossing.
    bool near(double u, double v) const {
        const bool in_box = (u >= lo_u) & (u <= hi_u) & (v >= lo_v) & (v <= hi_v);
        const double along = (u - au) * du + (v - av) * dv;
        const double cross = std::fabs(du * (v - av) - dv * (u - au));
        return in_box & (loose | ((along >= along_lo) & (along <= along_hi) & (cross <= off)));
    }
};

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
    // Plain pointers: the char marks written in the loop may alias the
    // vectors' own pointers, which would then be reloaded at every point.
    const std::int32_t* const first = cell_first_.data();
    const Cell_Point* const cell_points = cell_points_.data();
    char* const hot = hot_.data();
    std::int64_t work_left = work_per_element * (std::int64_t(point_count) + edge_count);
    for (std::int32_t e = 0; e < edge_count; ++e) {
        // Edges run in the order of their lower ends; the upper ends jump
        // about, so they are fetched ahead.
        if (e + prefetch_distance < edge_count)
            __builtin_prefetch(&points[edges[e + prefetch_distance].b]);
        // Copies: the marks written below are chars, which may alias anything.
        const std::int32_t ia = edges[e].a, ib = edges[e].b;
        const Point& a = points[ia];
        const Point& b = points[ib];
        const double lo_u = std::min(a.u, b.u), hi_u = std::max(a.u, b.u);
        const double lo_v = std::min(a.v, b.v), hi_v = std::max(a.v, b.v);
        const double reach =
            reach_multiple * rounding_reach(std::max(std::fabs(lo_u), std::fabs(hi_u)),
                                            std::max(std::fabs(lo_v), std::fabs(hi_v)));
        const Piece piece(a, b, reach);
        const double run_per_rise = (b.u - a.u) / (b.v - a.v);
        const bool flat = !(std::fabs(run_per_rise) <= max_run_per_rise);
        // Row edges and the line's u at them round; a point binned beside
        // this row's true edge is still found.
        const double v_slack = grid.v_slack + reach;
        const double u_slack = reach + (flat ? 0 : std::fabs(run_per_rise) * v_slack) +
                               0x1p-44 * std::max(std::fabs(lo_u), std::fabs(hi_u));
        const std::int32_t first_row = grid.row(lo_v - reach);
        const std::int32_t last_row = grid.row(hi_v + reach);
        for (std::int32_t r = first_row; r <= last_row; ++r) {
            double u0 = lo_u, u1 = hi_u;
            if (!flat && first_row != last_row) {
                const double v0 = std::max(lo_v, grid.row_start(r) - v_slack);
                const double v1 = std::min(hi_v, grid.row_start(r + 1) + v_slack);
                const double at0 = a.u + (v0 - a.v) * run_per_rise;
                const double at1 = a.u + (v1 - a.v) * run_per_rise;
                u0 = std::max(lo_u, std::min(at0, at1));
                u1 = std::min(hi_u, std::max(at0, at1));
            }
            // The row's cells from the first column to the last are one run.
            const std::int32_t row_first_cell = r * grid.columns;
            const std::int32_t begin = first[row_first_cell + grid.column(u0 - u_slack)];
            const std::int32_t end = first[row_first_cell + grid.column(u1 + u_slack) + 1];
            work_left -= end - begin + 1;
            if (work_left < 0) return false;
            for (std::int32_t k = begin; k < end; ++k) {
                const Cell_Point& q = cell_points[k];
                if (!piece.near(q.u, q.v) || q.id == ia || q.id == ib) continue;
                // The pieces beside this one too, in case the point meets
                // them rather than it.
                selected[e] = 1;
                hot[q.id] = hot[ia] = hot[ib] = 1;
            }
        }
    }
    for (std::int32_t e = 0; e < edge_count; ++e)
        if (hot_[edges[e].a] || hot_[edges[e].b]) selected[e] = 1;
    return true;
}

} // namespace kavri_contour
