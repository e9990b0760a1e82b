// The steps every polyline family shares before it draws: the line shape,
// the dashed and wide drawer, and the runs of a polyline that lie inside
// a rectangle.
#pragma once

#include "draw2d/device_point.h"
#include "draw2d/polyline_variants.h"
#include "foundation/heap.h"
#include "rendition/rendition.h"

namespace detail {

inline constexpr int stack_vertices = 64;

inline bool drawable(const KT_Rendition* rendition) {
    return rendition && !rendition->empty() && rendition->renderer();
}

// Line pattern 35: the line's shape draws the whole polyline.
template <class Variant, class P>
bool drawn_by_shape(const KT_Rendition* rendition, int count, const P* points,
                    const Variant& variant) {
    const KT_Line_Data& line = rendition->line();
    if (line.line_pattern != KT_Line_By_Shape) return false;
    variant.shape(KD_Shape_Engine_Of(line.line_shape.body()), rendition, count, points);
    return true;
}

// Dashed or wide lines go to the drawer for them.
template <class Variant, class P>
bool drawn_patterned(const KT_Rendition* rendition, int count, const P* points,
                     const Variant& variant, KT_Piece_Route route) {
    if (!KD_Needs_Patterned_Line(*rendition)) return false;
    KT_Stack_Scratch<KT_Point_D, stack_vertices> wide(static_cast<std::size_t>(count));
    if (!wide) return true;
    for (int i = 0; i < count; ++i)
        wide[i] = {static_cast<double>(points[i].x), static_cast<double>(points[i].y),
                   static_cast<double>(points[i].z)};
    KD_Draw_Patterned_Polyline(*rendition, count, wide.get(), variant.line_colors(), route);
    return true;
}

// The device point at t along the segment from a to b.
template <class P> KT_DCI_Point point_at(const P& a, const P& b, double t) {
    const KT_Point_D p = {a.x + (static_cast<double>(b.x) - a.x) * t,
                          a.y + (static_cast<double>(b.y) - a.y) * t,
                          a.z + (static_cast<double>(b.z) - a.z) * t};
    return KD_To_DCI_Point(p);
}

// Which sides of r a point lies beyond, as a bit set (0 inside).
enum KT_Side : unsigned { Side_Left = 1, Side_Right = 2, Side_Bottom = 4, Side_Top = 8 };

template <class P> unsigned sides_of(const KT_Int_Rectangle& r, const P& p) {
    const double x = static_cast<double>(p.x);
    const double y = static_cast<double>(p.y);
    return (x < r.left ? Side_Left : 0u) | (x > r.right ? Side_Right : 0u) |
           (y < r.bottom ? Side_Bottom : 0u) | (y > r.top ? Side_Top : 0u);
}

} // namespace detail
