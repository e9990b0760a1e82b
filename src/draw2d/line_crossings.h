// Families of parallel lines cut to a polygon: the common core of the
// hatch filler and the vector fills.
#pragma once

#include <algorithm>
#include <cmath>

#include "foundation/basic_types.h"
#include "foundation/heap.h"

namespace detail {

// A family of lines n.p = offset (n need not be unit length); pieces along
// a line are ordered by d.p.
struct Line_Frame {
    double nx, ny; // across the lines
    double dx, dy; // along them
};

struct Line_Crossing {
    double along;
    KT_Point_D point;
};

// The most lines one family may have; more means the spacing is useless
// for the polygon's size and the family draws nothing.
inline constexpr double KD_Most_Lines = 1 << 20;

// For every line n.p = first + k * step (k = 0, 1, ...) within the
// polygon's extent across the lines, hands each piece inside the polygon
// (even-odd) to emit(a, b). Each edge is half-open, holding its lower end
// (across the lines) and not its upper one, so a line through a vertex
// crosses exactly the edges that pass it, and of an area the lowest line
// is drawn but not the highest.
// Lines that miss bounds (when given) are skipped: whatever they would
// draw is clipped away later.
template <class Emit>
void KD_Each_Line_Piece(int count, const KT_Point_D* points, const Line_Frame& f, double phase,
                        double step, Emit&& emit, const KT_Int_Rectangle* bounds = nullptr) {
    if (count < 3 || !points || !(step > 0.0) || !std::isfinite(step)) return;
    double low = INFINITY, high = -INFINITY;
    for (int i = 0; i < count; ++i) {
        const double s = f.nx * points[i].x + f.ny * points[i].y;
        low = std::min(low, s);
        high = std::max(high, s);
    }
    if (bounds) {
        const double xs[] = {double(bounds->left), double(bounds->right)};
        const double ys[] = {double(bounds->bottom), double(bounds->top)};
        double bounds_low = INFINITY, bounds_high = -INFINITY;
        for (double x : xs)
            for (double y : ys) {
                bounds_low = std::min(bounds_low, f.nx * x + f.ny * y);
                bounds_high = std::max(bounds_high, f.nx * x + f.ny * y);
            }
        low = std::max(low, bounds_low);
        high = std::min(high, bounds_high);
    }
    if (!std::isfinite(low) || !std::isfinite(high)) return;
    const double first = std::ceil((low - phase) / step);
    const double last = std::floor((high - phase) / step);
    if (!(last - first < KD_Most_Lines)) return;
    KT_Stack_Scratch<Line_Crossing, 64> crossings(static_cast<std::size_t>(count));
    if (!crossings) return;
    for (double k = first; k <= last; ++k) {
        const double offset = phase + k * step;
        int found = 0;
        for (int i = 0; i < count; ++i) {
            const KT_Point_D& a = points[i];
            const KT_Point_D& b = points[i + 1 == count ? 0 : i + 1];
            const double sa = f.nx * a.x + f.ny * a.y - offset;
            const double sb = f.nx * b.x + f.ny * b.y - offset;
            if ((sa <= 0.0) == (sb <= 0.0)) continue;
            const double t = sa / (sa - sb);
            const KT_Point_D p{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)};
            crossings[found++] = {f.dx * p.x + f.dy * p.y, p};
        }
        std::sort(crossings.get(), crossings.get() + found,
                  [](const Line_Crossing& l, const Line_Crossing& r) { return l.along < r.along; });
        // A line touching a corner enters and leaves at once: no piece.
        for (int j = 0; j + 1 < found; j += 2)
            if (crossings[j].along < crossings[j + 1].along)
                emit(crossings[j].point, crossings[j + 1].point);
    }
}

} // namespace detail
