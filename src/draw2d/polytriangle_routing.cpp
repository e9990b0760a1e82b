// Polytriangle routing: 2D and 2DD strips are clipped against the guard
// rectangle and become 2DI strips; 2DI strips are clipped against the hard
// clip and become DCI strips (or DC pieces where a triangle crosses it); DC
// strips are rounded to DCI. The DCI actions scan-convert elsewhere.
#include "draw2d/polytriangle_routing.h"

#include <cmath>

#include "draw3d/clip_strip.h"
#include "draw3d/transform_clip.h"
#include "font/shape_engine.h"
#include "foundation/heap.h"

using namespace detail;

KT_Strip_Data KT_Strip_Data::from(int first) const {
    KT_Strip_Data d = *this;
    if (colors && !(shading == KT_Shading::Colorized && single_color)) d.colors = colors + first;
    if (normals) d.normals = normals + first;
    if (positions) d.positions = positions + first;
    if (phong_parameters) d.phong_parameters = phong_parameters + first;
    if (parameters) d.parameters = parameters + static_cast<std::size_t>(first) * width;
    if (w) d.w = w + first;
    if (vectors) d.vectors = vectors + first;
    return d;
}

namespace {

// Converted coordinates stay within 32 bits inside this rectangle.
constexpr std::int32_t KD_Guard_Limit = 1 << 30;
constexpr KT_Int_Rectangle KD_Guard_Rectangle = {-KD_Guard_Limit, KD_Guard_Limit, -KD_Guard_Limit,
                                                 KD_Guard_Limit};
constexpr int KD_Stack_Vertices = 64;

bool drawable(const KT_Rendition* rendition, int count, const void* points) {
    return rendition && !rendition->empty() && count >= 3 && points;
}

KT_Shape_Color shape_color_choice(const KT_Strip_Data& d) {
    if (d.shading == KT_Shading::Colorized && !d.single_color)
        return KT_Shape_Color(KT_Shape_Color_Per_Piece);
    if (d.shading == KT_Shading::Plain || d.shading == KT_Shading::Colorized)
        return KT_Shape_Color(KT_Shape_Color_Uniform);
    return KT_Shape_Color(KT_Shape_Color_Interpolated);
}

// Face pattern 76: the face's shape draws the strip (its engine works on
// float or integer points, so double points are narrowed).
template <class P>
bool drawn_by_shape(const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,
                    const P* points, const KT_Strip_Data& d) {
    if (rendition->face().face_pattern != KT_Face_By_Shape) return false;
    const KT_Shape_Engine_Data& engine = KD_Shape_Engine_Of(rendition->face().face_shape.body());
    const KT_Vector* normals = d.shading == KT_Shading::Phong ? d.normals : d.vectors;
    const auto draw = [&](const auto* shape_points) {
        engine.draw_2d_polytriangle(renderer, rendition, count, shape_points, d.colors,
                                    shape_color_choice(d), d.parameters, d.width, d.w, normals);
    };
    if constexpr (std::is_same_v<P, KT_Point_D>) {
        KT_Stack_Scratch<KT_Point, KD_Stack_Vertices> narrowed(count);
        if (!narrowed) return true;
        for (int i = 0; i < count; ++i)
            narrowed[i] = {float(points[i].x), float(points[i].y), float(points[i].z)};
        draw(narrowed.get());
    } else {
        draw(points);
    }
    return true;
}

// Depth is not bounded by the guard rectangle, so it saturates.
template <class P> std::int32_t round_coordinate(P v) {
    constexpr double bias =
        std::is_same_v<P, double> ? KD_Segment_Round_Bias : KD_Triangle_Round_Bias;
    return KD_Round_Saturated(static_cast<double>(v), bias);
}

template <class P> KT_DCI_Point to_integer(const P& p) {
    return {KD_Round(p.x), KD_Round(p.y), round_coordinate(p.z)};
}

// Sends vertices first .. last of a float strip, rounded, to the 2DI slot.
// They lie inside the guard rectangle, so rounding cannot overflow.
template <class P>
void send_rounded_run(const KT_Rendition* rendition, const P* points, int first, int last,
                      const KT_Strip_Data& data) {
    const int n = last - first + 1;
    KT_Stack_Scratch<KT_DCI_Point, KD_Stack_Vertices> converted(n);
    if (!converted) return;
    for (int i = 0; i < n; ++i)
        converted[i] = to_integer(points[first + i]);
    KD_Draw_Strip<KT_Family::F2DI>(rendition, n, converted.get(), data.from(first));
}

// Walks the strip's triangles: those sharing an outside side are dropped,
// those crossing the rectangle go to clip(i), and each run of triangles
// wholly inside goes to run(first vertex, last vertex).
template <class Clip, class Run>
void walk_strip(int count, const short* codes, Clip&& clip, Run&& run) {
    int run_start = -1;
    for (int i = 0; i + 2 < count; ++i) {
        const short a = codes[i], b = codes[i + 1], c = codes[i + 2];
        const bool inside = (a | b | c) == KT_Outcode_Inside;
        if (inside) {
            if (run_start < 0) run_start = i;
            continue;
        }
        if (run_start >= 0) {
            run(run_start, i + 1);
            run_start = -1;
        }
        if ((a & b & c) == KT_Outcode_Inside) clip(i);
    }
    if (run_start >= 0) run(run_start, count - 1);
}

template <class P>
void route_float_strip(const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,
                       const P* points, const KT_Strip_Data& data) {
    if (!drawable(rendition, count, points) ||
        drawn_by_shape(renderer, rendition, count, points, data))
        return;
    KT_Stack_Scratch<short, KD_Stack_Vertices> codes(count);
    if (!codes) return;
    if (KD_Clip(KD_Guard_Rectangle, count, points, codes.get()) == count) {
        send_rounded_run(rendition, points, 0, count - 1, data);
        return;
    }
    walk_strip(
        count, codes.get(),
        [&](int i) {
            KD_Preclip_Strip_Triangle(rendition, KD_Guard_Rectangle, points, i, i + 1, i + 2, i,
                                      data);
        },
        [&](int first, int last) { send_rounded_run(rendition, points, first, last, data); });
}

void route_integer_strip(const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,
                         const KT_DCI_Point* points, const KT_Strip_Data& data) {
    if (!drawable(rendition, count, points) ||
        drawn_by_shape(renderer, rendition, count, points, data))
        return;
    KT_Stack_Scratch<short, KD_Stack_Vertices> codes(count);
    if (!codes) return;
    const KT_Int_Rectangle& clip = rendition->transform().hard_clip;
    if (KD_Clip(clip, count, points, codes.get()) == count) {
        KD_Draw_Strip<KT_Family::DCI>(rendition, count, points, data);
        return;
    }
    walk_strip(
        count, codes.get(),
        [&](int i) { KD_Draw_Clipped_Strip_Triangle(rendition, points, i, i + 1, i + 2, i, data); },
        [&](int first, int last) {
            KD_Draw_Strip<KT_Family::DCI>(rendition, last - first + 1, points + first,
                                          data.from(first));
        });
}

bool finite_within_guard(const KT_Point& p) {
    const float limit = static_cast<float>(KD_Guard_Limit);
    return std::fabs(p.x) <= limit && std::fabs(p.y) <= limit && std::isfinite(p.z);
}

// A face pattern drawn as a hatch over (opaque: after) a solid fill.
void hatch_strip(const KT_Rendition* rendition, int count, const KT_DCI_Point* points,
                 const KT_Point* float_points, const KT_Strip_Data& data) {
    if (rendition->misc().pattern_mode == KT_Pattern_Opaque) {
        KT_Rendition solid = *rendition;
        solid.modify_face().face_pattern = KT_Face_Solid;
        KD_Draw_Strip<KT_Family::DCI>(&solid, count, points, data);
    }
    KT_Rendition hatch = *rendition;
    hatch.modify_misc().pattern_mode = rendition->misc().pattern_mode & KT_Pattern_Invert;
    for (int i = 0; i + 2 < count; ++i) {
        const KT_RGB32* color =
            data.shading == KT_Shading::Colorized ? data.triangle_color(i) : nullptr;
        KD_Next_Action<KT_Slot_Draw_DC_Polygon>(&hatch, 3, float_points + i, color);
    }
}

void route_dc_strip(const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,
                    const KT_Point* points, const KT_Strip_Data& data) {
    if (!drawable(rendition, count, points) ||
        drawn_by_shape(renderer, rendition, count, points, data))
        return;
    // The family promises points inside the hard clip; anything that could
    // not even be converted is bad input.
    for (int i = 0; i < count; ++i)
        if (!finite_within_guard(points[i])) return;
    KT_Stack_Scratch<KT_DCI_Point, KD_Stack_Vertices> converted(count);
    if (!converted) return;
    for (int i = 0; i < count; ++i)
        converted[i] = to_integer(points[i]);
    if (rendition->face().face_pattern == KT_Face_Hatch) {
        hatch_strip(rendition, count, converted.get(), points, data);
        return;
    }
    KD_Draw_Strip<KT_Family::DCI>(rendition, count, converted.get(), data);
}

KT_Strip_Data plain() {
    return {};
}

KT_Strip_Data colorized(const KT_RGB32* colors, bool single) {
    KT_Strip_Data d;
    d.shading = KT_Shading::Colorized;
    d.colors = colors;
    d.single_color = single;
    return d;
}

KT_Strip_Data gouraud(const KT_RGB32* colors) {
    KT_Strip_Data d;
    d.shading = KT_Shading::Gouraud;
    d.colors = colors;
    return d;
}

KT_Strip_Data phong(const KT_Vector* normals, const KT_RGB32* colors, const KT_Point* positions,
                    const float* parameters) {
    KT_Strip_Data d;
    d.shading = KT_Shading::Phong;
    d.normals = normals;
    d.colors = colors;
    d.positions = positions;
    d.phong_parameters = parameters;
    return d;
}

KT_Strip_Data textured(const KT_RGB32* colors, const KT_Parameter* parameters, int width,
                       const float* w, const KT_Vector* vectors) {
    KT_Strip_Data d;
    d.shading = KT_Shading::Textured;
    d.colors = colors;
    d.parameters = width > 0 ? parameters : nullptr;
    d.width = width > 0 ? width : 0;
    d.w = w;
    d.vectors = vectors;
    return d;
}

} // namespace

// Each family's five variants differ only in the data they carry.
#define KAVRI_POLYTRIANGLE_FAMILY(Family, Point, route)                                            \
    extern "C" void KD_Standard_Draw_##Family##_Polytriangle(const KT_Renderer_Data* renderer,     \
                                                             const KT_Rendition* rendition,        \
                                                             int count, const Point* points) {     \
        route(renderer, rendition, count, points, plain());                                        \
    }                                                                                              \
    extern "C" void KD_Standard_Draw_##Family##_Colorized_Polytriangle(                            \
        const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,                \
        const Point* points, const KT_RGB32* colors, bool single) {                                \
        if (!colors) return;                                                                       \
        route(renderer, rendition, count, points, colorized(colors, single));                      \
    }                                                                                              \
    extern "C" void KD_Standard_Draw_##Family##_Gouraud_Polytriangle(                              \
        const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,                \
        const Point* points, const KT_RGB32* colors) {                                             \
        if (!colors) return;                                                                       \
        route(renderer, rendition, count, points, gouraud(colors));                                \
    }                                                                                              \
    extern "C" void KD_Standard_Draw_##Family##_Phong_Polytriangle(                                \
        const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,                \
        const Point* points, const KT_Vector* normals, const KT_RGB32* colors,                     \
        const KT_Point* positions, const float* parameters) {                                      \
        if (!normals) return;                                                                      \
        route(renderer, rendition, count, points, phong(normals, colors, positions, parameters));  \
    }                                                                                              \
    extern "C" void KD_Standard_Draw_##Family##_Textured_Polytriangle(                             \
        const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,                \
        const Point* points, const KT_RGB32* colors, const KT_Parameter* parameters, int width,    \
        const float* w, const KT_Vector* vectors) {                                                \
        route(renderer, rendition, count, points,                                                  \
              textured(colors, parameters, width, w, vectors));                                    \
    }

KAVRI_POLYTRIANGLE_FAMILY(2D, KT_Point, route_float_strip)
KAVRI_POLYTRIANGLE_FAMILY(2DD, KT_Point_D, route_float_strip)
KAVRI_POLYTRIANGLE_FAMILY(2DI, KT_DCI_Point, route_integer_strip)
KAVRI_POLYTRIANGLE_FAMILY(DC, KT_Point, route_dc_strip)
