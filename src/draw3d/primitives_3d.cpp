// The standard 3D actions of the unlit primitives: polylines, polymarkers,
// polygons, polytriangles, text, linestrips and markerstrips.
#include <numbers>
#include <type_traits>

#include "contour/contour_set.h"
#include "draw2d/polytriangle_routing.h"
#include "draw3d/line_runs.h"
#include "geometry/segment_set.h"
#include "geometry/text.h"

namespace {

using detail::behind;
using detail::Cutting;
using detail::Device_Vertices;

// The single or double array of a record, whichever it uses.
template <class F> void with_points(const KT_Point_Set_Data& set, F&& f) {
    if (set.points)
        f(set.points);
    else if (set.points_d)
        f(set.points_d);
}

template <class P>
void polyline(const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int n, const P* in) {
    if (n < 2 || !detail::all_points_finite(n, in)) return;
    const Cutting cut(rendition);
    Device_Vertices<P> v(n);
    if (!v.ok()) return;
    const int inside = v.transform(rendition, n, in);
    if (inside == 0) return;
    if constexpr (std::is_same_v<P, KT_Point>) {
        if (inside == n && !cut.active()) {
            KD_Next_Action<KT_Slot_Draw_DC_Polyline>(cut.drawing(), n, v.points.get());
            return;
        }
    }
    detail::draw_line_runs(renderer, cut, detail::w_limit(rendition), n, v.points.get(), v.w.get(),
                           v.codes.get(), detail::Line_Colours{});
}

// Device points of n vertices for marker drawing: always single precision,
// w beside them.
template <class P> struct Marker_Points {
    Marker_Points(const KT_Rendition* rendition, int n, const P* in)
        : points(static_cast<std::size_t>(n)), w(static_cast<std::size_t>(n)) {
        ok = points && w && detail::all_points_finite(n, in);
        if (ok) KD_Transform_And_Clip(rendition, n, in, points.get(), w.get(), nullptr, nullptr);
    }
    KT_Stack_Scratch<KT_Point, detail::vertex_stack_capacity> points;
    KT_Stack_Scratch<float, detail::vertex_stack_capacity> w;
    bool ok;
};

void draw_marker(const Cutting& cut, const KT_Point& at, const KT_RGB32* colour) {
    const KT_Rendition* drawing = cut.drawing();
    if (colour)
        KD_Next_Action<KT_Slot_Draw_2D_Colorized_Polymarker>(drawing, 1, &at, colour, true);
    else
        KD_Next_Action<KT_Slot_Draw_2D_Polymarker>(drawing, 1, &at);
}

template <class P> void polymarker(const KT_Rendition* rendition, int n, const P* in) {
    if (n < 1) return;
    const Cutting cut(rendition);
    const Marker_Points<P> m(rendition, n, in);
    if (!m.ok) return;
    const float limit = detail::w_limit(rendition);
    const int weight = rendition->line().line_weight;
    const float r = (weight - 1) / 2.0f;
    const KT_Point radii = {r, r, 0.0f};
    for (int i = 0; i < n; ++i) {
        if (!(m.w[i] > limit) || cut.cuts(m.points[i])) continue;
        if (weight > 1)
            KD_Next_Action<KT_Slot_Draw_2D_Ellipse>(cut.drawing(), &m.points[i], &radii, 0.0,
                                                    2.0 * std::numbers::pi, 0.0,
                                                    static_cast<const KT_RGB32*>(nullptr));
        else
            draw_marker(cut, m.points[i], nullptr);
    }
}

// The triangles of a strip: runs of visible triangles go to the 2D slot in
// one call, triangles crossing the near limit or to be cut go alone.
template <class P>
void strip(const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int n, const P* in) {
    constexpr bool is_double = std::is_same_v<P, KT_Point_D>;
    if (n < 3 || !detail::all_points_finite(n, in)) return;
    const Cutting cut(rendition);
    Device_Vertices<P> v(n);
    if (!v.ok()) return;
    const int inside = v.transform(rendition, n, in);
    if (inside == 0) return;
    const KT_Rendition* drawing = cut.drawing();
    const P* p = v.points.get();
    const float* w = v.w.get();
    const short* c = v.codes.get();
    if constexpr (!is_double) {
        if (inside == n && !cut.active()) {
            KD_Next_Action<KT_Slot_Draw_DC_Polytriangle>(drawing, n, p);
            return;
        }
    }
    int run_start = -1;
    auto flush = [&](int end) { // end: the first triangle after the run
        if (run_start < 0) return;
        constexpr KT_Family family = is_double ? KT_Family::F2DD : KT_Family::F2D;
        KD_Draw_Strip<family>(drawing, end - run_start + 2, p + run_start, KT_Strip_Data());
        run_start = -1;
    };
    for (int t = 0; t + 2 < n; ++t) {
        const bool rejected = (c[t] & c[t + 1] & c[t + 2]) != 0;
        const bool crosses_near = behind(c[t]) || behind(c[t + 1]) || behind(c[t + 2]);
        if (rejected || crosses_near || cut.active()) flush(t);
        if (rejected) continue;
        if (crosses_near)
            // Cut as well: the private rendition no longer carries the planes,
            // and nothing on the cut side may be drawn.
            KD_Draw_Clipped_2DW_Triangle(renderer, drawing, cut.planes(), p + t, p + t + 1,
                                         p + t + 2, w[t], w[t + 1], w[t + 2], nullptr, nullptr,
                                         nullptr, nullptr, nullptr, nullptr, 1, nullptr, nullptr,
                                         nullptr);
        else if (cut.active())
            KD_Cut_2DW_Triangle(renderer, drawing, cut.planes(), p + t, p + t + 1, p + t + 2, w[t],
                                w[t + 1], w[t + 2], nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, 1, nullptr, nullptr, nullptr);
        else if (run_start < 0)
            run_start = t;
    }
    flush(n - 2);
}

template <class P> void draw_triangle_3d(const KT_Rendition* rendition, const P* corners) {
    const KT_Polytriangle triangle(3, corners, false);
    KD_Next_Action<KT_Slot_Draw_3D_Polytriangle>(rendition, &triangle);
}

template <class P> void triangle_found(const P* a, const P* b, const P* c, void* user) {
    const P corners[3] = {*a, *b, *c};
    draw_triangle_3d(static_cast<const KT_Rendition*>(user), corners);
}

template <class P> void polygon(const KT_Rendition* rendition, int n, const P* in) {
    if (n < 3 || !detail::all_points_finite(n, in)) return;
    if (n == 3) {
        draw_triangle_3d(rendition, in);
        return;
    }
    const KT_Contour_Set outline(n, in, false);
    outline->triangulate(&triangle_found<P>, const_cast<KT_Rendition*>(rendition));
}

// Vertices of a vertex set in the order its index list gives (all of them
// in order without one), with their RGB32 colours when there are any.
template <class P> class Ordered_Vertices {
public:
    Ordered_Vertices(const KT_Vertex_Set_Data& set, const P* in, bool with_colours)
        : n_(order_length(set)), with_colours_(with_colours), points_(static_cast<std::size_t>(n_)),
          colours_(static_cast<std::size_t>(with_colours ? n_ : 0)) {
        if (!points_ || (with_colours && !colours_)) {
            n_ = 0;
            return;
        }
        for (int i = 0; i < n_; ++i) {
            const int at = set.connectivity ? index_at(set.connectivity[i]) : i;
            if (at >= set.count) { // an index outside the set spoils the whole strip
                n_ = 0;
                return;
            }
            points_[i] = in[at];
            if (with_colours) colours_[i] = set.vertex_rgb32[at];
        }
    }
    int count() const { return n_; }
    const P* points() const { return points_.get(); }
    KT_RGB32* colours() const { return n_ && with_colours_ ? colours_.get() : nullptr; }

private:
    static int index_at(int entry) { return entry < 0 ? ~entry : entry; }
    // Up to and including the inverted last index.
    static int order_length(const KT_Vertex_Set_Data& set) {
        if (!set.connectivity) return set.count;
        for (int i = 0; i < set.connectivity_length; ++i)
            if (set.connectivity[i] < 0) return i + 1;
        return set.connectivity_length;
    }

    int n_;
    bool with_colours_;
    KT_Stack_Scratch<P, detail::vertex_stack_capacity> points_;
    KT_Stack_Scratch<KT_RGB32, detail::vertex_stack_capacity> colours_;
};

// The record with the RGB32 colours the action draws with, derived from the
// RGBA ones when only those exist: in place (with a new serial) when nobody
// but the caller holds the record, else on a private copy.
template <class Handle> Handle completed(const Handle* record) {
    Handle own = *record;
    const KT_Segment_Set_Data& d = *own.data();
    const bool missing = (d.vertex_rgba && !d.vertex_rgb32) || (d.segment_rgba && !d.segment_rgb32);
    if (!missing) return own;
    const bool unshared = d.reference_count() < 3; // the caller's handle and this one
    auto* data = static_cast<KT_Segment_Set_Data*>(own.modify(unshared));
    data->validate_vertex_rgb32(data->count);
    data->validate_segment_rgb32(data->segment_color_count);
    return own;
}

template <class P>
void linestrip(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
               const KT_Segment_Set_Data& set, const P* in) {
    const Ordered_Vertices<P> order(set, in, set.vertex_rgb32 != nullptr);
    const int n = order.count();
    if (n < 2 || !detail::all_points_finite(n, order.points())) return;
    detail::Line_Colours colours;
    colours.vertex = order.colours();
    if (!colours.vertex && set.segment_rgb32 && set.segment_color_count >= 1) {
        // Too few segment colours for every segment: the first serves all.
        colours.single = set.segment_color_count < n - 1;
        colours.segment = set.segment_rgb32;
    }
    const Cutting cut(rendition);
    Device_Vertices<P> v(n);
    if (!v.ok()) return;
    if (v.transform(rendition, n, order.points()) == 0) return;
    detail::draw_line_runs(renderer, cut, detail::w_limit(rendition), n, v.points.get(), v.w.get(),
                           v.codes.get(), colours);
}

template <class P>
void markerstrip(const KT_Rendition* rendition, const KT_Vertex_Set_Data& set, const P* in) {
    const Ordered_Vertices<P> order(set, in, set.vertex_rgb32 != nullptr);
    const int n = order.count();
    if (n < 1) return;
    const Cutting cut(rendition);
    const Marker_Points<P> m(rendition, n, order.points());
    if (!m.ok) return;
    const float limit = detail::w_limit(rendition);
    const KT_RGB32* colours = order.colours();
    for (int i = 0; i < n; ++i) {
        if (!(m.w[i] > limit) || cut.cuts(m.points[i])) continue;
        draw_marker(cut, m.points[i], colours ? colours + i : nullptr);
    }
}

template <class Char>
void text(const KT_Rendition* rendition, const KT_Point& anchor, const Char* characters,
          int length) {
    if constexpr (std::is_same_v<Char, wchar_t>)
        KD_Next_Action<KT_Slot_Draw_2D_Text_Wide>(rendition, &anchor, characters, length);
    else
        KD_Next_Action<KT_Slot_Draw_2D_Text>(rendition, &anchor, characters, length);
}

template <class P> bool anchor_in_view(const KT_Rendition* rendition, const P* in, KT_Point& out) {
    if (!detail::all_points_finite(1, in)) return false;
    float w = 0.0f;
    short code = 0;
    // One point is either inside (1) or outside one side (0).
    return KD_Transform_And_Clip(rendition, 1, in, &out, &w, &code, nullptr) == 1 &&
           w > detail::w_limit(rendition);
}

} // namespace

void KD_Standard_Draw_3D_Polyline(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                  const KT_Polyline* record) {
    if (!rendition || !record || record->empty()) return;
    with_points(**record,
                [&](const auto* in) { polyline(renderer, rendition, (*record)->count, in); });
}

void KD_Standard_Draw_3D_Polymarker(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                    const KT_Polymarker* record) {
    if (!rendition || !record || record->empty()) return;
    with_points(**record, [&](const auto* in) { polymarker(rendition, (*record)->count, in); });
}

void KD_Standard_Draw_3D_Polygon(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                 const KT_Polygon* record) {
    if (!rendition || !record || record->empty()) return;
    with_points(**record, [&](const auto* in) { polygon(rendition, (*record)->count, in); });
}

void KD_Standard_Draw_3D_Polytriangle(const KT_Renderer_Data* renderer,
                                      const KT_Rendition* rendition,
                                      const KT_Polytriangle* record) {
    if (!rendition || !record || record->empty()) return;
    with_points(**record,
                [&](const auto* in) { strip(renderer, rendition, (*record)->count, in); });
}

void KD_Standard_Draw_3D_Linestrip(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                   const KT_Linestrip* record) {
    if (!rendition || !record || record->empty()) return;
    const KT_Linestrip own = completed(record);
    with_points(*own.data(),
                [&](const auto* in) { linestrip(renderer, rendition, *own.data(), in); });
}

void KD_Standard_Draw_3D_Markerstrip(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                     const KT_Markerstrip* record) {
    if (!rendition || !record || record->empty()) return;
    const KT_Markerstrip own = completed(record);
    with_points(*own.data(), [&](const auto* in) { markerstrip(rendition, *own.data(), in); });
}

void KD_Standard_Draw_3D_Text(const KT_Renderer_Data*, const KT_Rendition* rendition,
                              const KT_Text* record) {
    if (!rendition || !record || record->empty()) return;
    const KT_Text_Data& t = **record;
    KT_Point anchor = {0, 0, 0};
    const bool visible = t.position     ? anchor_in_view(rendition, t.position, anchor)
                         : t.position_d ? anchor_in_view(rendition, t.position_d, anchor)
                                        : false;
    if (!visible || t.length < 1) return;
    if (t.wide_text)
        text(rendition, anchor, t.wide_text, t.length);
    else if (t.text)
        text(rendition, anchor, t.text, t.length);
}
