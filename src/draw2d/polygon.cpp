// Polygon routing: 2D and 2DI polygons are tested against the hard clip and
// become DC (DCI) polygons or clipped triangles; DCI polygons pass to DC
// unless they are plain triangles; DC polygons become strips, triangulated
// pieces, pieces of the complex clip, or hatching.
#include <cmath>

#include "contour/contour_set.h"
#include "contour/polygon_rank.h"
#include "draw2d/line_crossings.h"
#include "draw3d/clip_polygon.h"
#include "draw3d/clip_strip.h"
#include "draw3d/transform_clip.h"
#include "font/shape_engine.h"
#include "foundation/heap.h"
#include "renderer/next_action.h"

using namespace detail;

namespace {

constexpr int KD_Stack_Vertices = 64;
// Convex polygons up to this many corners are drawn as one strip.
constexpr int KD_Most_Strip_Corners = 64;
// Without a hatch pattern of its own a face is hatched with one family of
// diagonal lines this far apart.
constexpr float KD_Default_Hatch_Spacing = 8.0f;
constexpr float KD_Default_Hatch_Angle = 0.7853981633974483f;
// Hatch lines closer than a pixel would only fill the area; dash patterns
// shorter than one would only draw the line.
constexpr double KD_Least_Hatch_Spacing = 1.0;
constexpr double KD_Least_Dash_Period = 1.0;

bool drawable(const KT_Rendition* rendition, int count, const void* points) {
    return rendition && !rendition->empty() && count >= 3 && points;
}

// Face pattern 76: the face's shape draws the polygon.
template <class P>
bool drawn_by_shape(const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,
                    const P* points, const KT_RGB32* color) {
    const KT_Face_Data& face = rendition->face();
    if (face.face_pattern != KT_Face_By_Shape) return false;
    KD_Shape_Engine_Of(face.face_shape.body())
        .draw_2d_polygon(renderer, rendition, count, points, color);
    return true;
}

template <class P> bool all_finite(int count, const P* points) {
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(points[i].x) || !std::isfinite(points[i].y) ||
            !std::isfinite(points[i].z))
            return false;
    return true;
}

KT_Point to_float(const KT_DCI_Point& p) {
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

// One triangle through the plain or colorized polytriangle slot of
// family F.
template <KT_Family F>
void draw_triangle(const KT_Rendition* rendition, const KT_Family_Point_T<F>* points,
                   const KT_RGB32* color) {
    constexpr int offset = static_cast<int>(F);
    if (color)
        KD_Next_Action<KT_Slot_Draw_2D_Colorized_Polytriangle + offset>(rendition, 3, points, color,
                                                                        true);
    else
        KD_Next_Action<KT_Slot_Draw_2D_Polytriangle + offset>(rendition, 3, points);
}

template <KT_Family F> struct Triangle_Sink {
    const KT_Rendition* rendition;
    const KT_RGB32* color;

    static void take(const KT_Point* a, const KT_Point* b, const KT_Point* c, void* user) {
        const auto* sink = static_cast<const Triangle_Sink*>(user);
        const KT_Point triangle[3] = {*a, *b, *c};
        draw_triangle<F>(sink->rendition, triangle, sink->color);
    }
};

// Triangulates the polygon seen along z and draws each triangle through
// family F's polytriangle slot.
template <KT_Family F>
void draw_triangulated(const KT_Rendition* rendition, int count, const KT_Point* points,
                       const KT_RGB32* color) {
    KT_Contour_Set set(count, points, false);
    set->force_projection(0.0, 0.0, 1.0);
    Triangle_Sink<F> sink{rendition, color};
    set->triangulate(&Triangle_Sink<F>::take, &sink);
}

// ---------------------------------------------------------------- hatching

// A hatch line family in device space: lines n.p = phase + k * step, each
// shifted along itself by k * shift so that dashes stagger from line to
// line.
struct Hatch_Family {
    Line_Frame frame;
    double phase;        // n.origin
    double origin_along; // d.origin
    double step;         // across, between lines
    double shift;        // along, from one line to the next
    const float* dashes; // drawn and skipped lengths in turn; null: solid
    int dash_count;
    double period; // the sum of the dashes

    explicit Hatch_Family(const KT_Parallel_Line_Set& set) {
        const double c = std::cos(set.angle), s = std::sin(set.angle);
        frame = {-s, c, c, s};
        phase = -s * set.origin_x + c * set.origin_y;
        origin_along = c * set.origin_x + s * set.origin_y;
        step = std::max(std::fabs(double(set.offset_across)), KD_Least_Hatch_Spacing);
        shift = set.offset_along;
        period = 0.0;
        for (int i = 0; set.dashes && i < set.dash_count; ++i)
            period += std::fabs(double(set.dashes[i]));
        // Patterns finer than a pixel, or malformed, are drawn solid.
        const bool dashed = period >= KD_Least_Dash_Period && std::isfinite(period);
        dashes = dashed ? set.dashes : nullptr;
        dash_count = dashed ? set.dash_count : 0;
    }
};

// Hands the drawn dashes of piece a-b on its family line to draw(p, q).
template <class Draw>
void draw_dashes(const Hatch_Family& f, const KT_Point_D& a, const KT_Point_D& b, Draw&& draw) {
    if (!f.dashes) {
        draw(a, b);
        return;
    }
    const double line = std::round((f.frame.nx * a.x + f.frame.ny * a.y - f.phase) / f.step);
    const double start = f.frame.dx * a.x + f.frame.dy * a.y - f.origin_along - line * f.shift;
    const double length = f.frame.dx * (b.x - a.x) + f.frame.dy * (b.y - a.y);
    if (!(length > 0.0)) return;
    const auto at = [&](double t) {
        const double u = t / length;
        return KT_Point_D{a.x + u * (b.x - a.x), a.y + u * (b.y - a.y), a.z + u * (b.z - a.z)};
    };
    // Where in the pattern the piece starts: which dash, and how far into it.
    double into = std::fmod(start, f.period);
    if (into < 0.0) into += f.period;
    int dash = 0;
    while (dash + 1 < f.dash_count && into >= std::fabs(f.dashes[dash]))
        into -= std::fabs(f.dashes[dash++]);
    const double most_steps = 2.0 * f.dash_count * (length / f.period + 2.0);
    double t = 0.0;
    for (double steps = 0; t < length && steps < most_steps; ++steps) {
        const double end = std::min(length, t + std::fabs(f.dashes[dash]) - into);
        if (dash % 2 == 0 && end > t) draw(at(t), at(end));
        t = end;
        into = 0.0;
        dash = dash + 1 == f.dash_count ? 0 : dash + 1;
    }
}

// Cuts each line family of the face's hatch to the polygon and draws the
// pieces (or their dashes) as thin lines.
void hatch_polygon(const KT_Rendition* rendition, int count, const KT_Point* points,
                   const KT_RGB32* color) {
    KT_Rendition lines = *rendition;
    KT_Line_Data& line = lines.modify_line();
    line.line_pattern = KT_Line_Solid;
    line.line_weight = 0;
    KT_Stack_Scratch<KT_Point_D, KD_Stack_Vertices> polygon(count);
    if (!polygon) return;
    for (int i = 0; i < count; ++i)
        polygon[i] = {points[i].x, points[i].y, points[i].z};
    const KT_Int_Rectangle& r = rendition->transform().hard_clip;
    const auto clamp_point = [&r](const KT_Point_D& p) {
        return KT_Point{static_cast<float>(std::clamp(p.x, double(r.left), double(r.right))),
                        static_cast<float>(std::clamp(p.y, double(r.bottom), double(r.top))),
                        static_cast<float>(p.z)};
    };
    const auto draw_piece = [&](const KT_Point_D& a, const KT_Point_D& b) {
        const KT_Point piece[2] = {clamp_point(a), clamp_point(b)};
        if (color)
            KD_Next_Action<KT_Slot_Draw_DC_Colorized_Polyline>(&lines, 2, piece, color, true);
        else
            KD_Next_Action<KT_Slot_Draw_DC_Polyline>(&lines, 2, piece);
    };
    const auto hatch_family = [&](const KT_Parallel_Line_Set& set) {
        const Hatch_Family family(set);
        KD_Each_Line_Piece(count, polygon.get(), family.frame, family.phase, family.step,
                           [&](const KT_Point_D& a, const KT_Point_D& b) {
                               draw_dashes(family, a, b, draw_piece);
                           });
    };
    const KT_Hatch_Pattern& hatch = rendition->face().hatch_pattern;
    if (hatch.empty() || hatch->count <= 0 || !hatch->sets) {
        hatch_family(KT_Parallel_Line_Set(0, 0, KD_Default_Hatch_Angle, 0, KD_Default_Hatch_Spacing,
                                          0, nullptr));
        return;
    }
    for (int i = 0; i < hatch->count; ++i)
        hatch_family(hatch->sets[i]);
}

// ---------------------------------------------------------------- DC

struct Piece_Sink {
    const KT_Rendition* rendition;
    const KT_RGB32* color;

    static void take(int count, const KT_Point* points, void* user) {
        const auto* sink = static_cast<const Piece_Sink*>(user);
        KD_Next_Action<KT_Slot_Draw_DC_Polygon>(sink->rendition, count, points, sink->color);
    }
};

// Draws the parts of the polygon inside the complex clip, each with the
// clip removed.
void draw_in_complex_clip(const KT_Rendition* rendition, int count, const KT_Point* points,
                          const KT_RGB32* color) {
    const KT_Contour_Set region = rendition->shifted_complex_clip();
    if (region.empty()) return;
    KT_Contour_Set polygon(count, points, false);
    polygon->force_projection(0.0, 0.0, 1.0);
    const KT_Contour_Set inside(polygon->process(KT_Contour_Intersection, region.body()));
    if (inside.empty()) return;
    KT_Rendition unclipped = *rendition;
    unclipped.set_complex_clip(nullptr, false);
    Piece_Sink sink{&unclipped, color};
    inside->polygonize(&Piece_Sink::take, &sink, 0);
}

void draw_convex_strip(const KT_Rendition* rendition, int count, const KT_Point* points,
                       const KT_RGB32* color) {
    KT_Point strip[KD_Most_Strip_Corners];
    for (int i = 0; i < count; ++i)
        strip[i] = points[KD_Strip_Position(count, i)];
    if (color)
        KD_Next_Action<KT_Slot_Draw_DC_Colorized_Polytriangle>(rendition, count, strip, color,
                                                               true);
    else
        KD_Next_Action<KT_Slot_Draw_DC_Polytriangle>(rendition, count, strip);
}

// 2D and 2DI: polygons inside the hard clip go on to DC (DCI); those
// reaching over it are clipped as triangles.
template <KT_Family F>
void route_clipped_polygon(const KT_Rendition* rendition, int count,
                           const KT_Family_Point_T<F>* points, const KT_RGB32* color) {
    KT_Stack_Scratch<short, KD_Stack_Vertices> codes(count);
    if (!codes) return;
    const int inside = KD_Clip(rendition->transform().hard_clip, count, points, codes.get());
    if (inside == count) {
        // Each family's polygon slot is followed by the one that trusts the clip.
        KD_Next_Action<KT_Slot_Draw_2D_Polygon + static_cast<int>(F) + 1>(rendition, count, points,
                                                                          color);
        return;
    }
    if (inside == 0) return;
    if (count == 3) {
        draw_triangle<F>(rendition, points, color);
        return;
    }
    if constexpr (F == KT_Family::F2D) {
        draw_triangulated<KT_Family::F2D>(rendition, count, points, color);
    } else {
        KT_Stack_Scratch<KT_Point, KD_Stack_Vertices> converted(count);
        if (!converted) return;
        for (int i = 0; i < count; ++i)
            converted[i] = to_float(points[i]);
        draw_triangulated<KT_Family::F2D>(rendition, count, converted.get(), color);
    }
}

} // namespace

extern "C" void KD_Standard_Draw_DC_Polygon(const KT_Renderer_Data* renderer,
                                            const KT_Rendition* rendition, int count,
                                            const KT_Point* points, const KT_RGB32* color) {
    if (!drawable(rendition, count, points) || !all_finite(count, points) ||
        drawn_by_shape(renderer, rendition, count, points, color))
        return;
    if (rendition->face().face_pattern == KT_Face_Hatch) {
        hatch_polygon(rendition, count, points, color);
        return;
    }
    if (!rendition->transform().complex_clip.empty()) {
        draw_in_complex_clip(rendition, count, points, color);
        return;
    }
    if (count == 3) {
        draw_triangle<KT_Family::DC>(rendition, points, color);
        return;
    }
    if (count <= KD_Most_Strip_Corners && KD_Rank_Polygon(count, points) == Convex) {
        draw_convex_strip(rendition, count, points, color);
        return;
    }
    draw_triangulated<KT_Family::DC>(rendition, count, points, color);
}

extern "C" void KD_Standard_Draw_DCI_Polygon(const KT_Renderer_Data* renderer,
                                             const KT_Rendition* rendition, int count,
                                             const KT_DCI_Point* points, const KT_RGB32* color) {
    if (!drawable(rendition, count, points) ||
        drawn_by_shape(renderer, rendition, count, points, color))
        return;
    if (count == 3 && rendition->transform().complex_clip.empty() &&
        rendition->face().face_pattern != KT_Face_Hatch) {
        draw_triangle<KT_Family::DCI>(rendition, points, color);
        return;
    }
    KT_Stack_Scratch<KT_Point, KD_Stack_Vertices> converted(count);
    if (!converted) return;
    for (int i = 0; i < count; ++i)
        converted[i] = to_float(points[i]);
    KD_Next_Action<KT_Slot_Draw_DC_Polygon>(rendition, count, converted.get(), color);
}

extern "C" void KD_Standard_Draw_2D_Polygon(const KT_Renderer_Data* renderer,
                                            const KT_Rendition* rendition, int count,
                                            const KT_Point* points, const KT_RGB32* color) {
    if (!drawable(rendition, count, points) || !all_finite(count, points) ||
        drawn_by_shape(renderer, rendition, count, points, color))
        return;
    route_clipped_polygon<KT_Family::F2D>(rendition, count, points, color);
}

extern "C" void KD_Standard_Draw_2DI_Polygon(const KT_Renderer_Data* renderer,
                                             const KT_Rendition* rendition, int count,
                                             const KT_DCI_Point* points, const KT_RGB32* color) {
    if (!drawable(rendition, count, points) ||
        drawn_by_shape(renderer, rendition, count, points, color))
        return;
    route_clipped_polygon<KT_Family::F2DI>(rendition, count, points, color);
}
