#include "draw3d/transform_clip.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "draw3d/clip_strip.h"
#include "foundation/heap.h"
#include "renderer/next_action.h"
#include "rendition/cutting_plane.h"

using namespace detail;

namespace {

constexpr short KD_Outcode_Sides =
    KT_Outcode_Left | KT_Outcode_Right | KT_Outcode_Bottom | KT_Outcode_Top;
// The cutting-plane clippers treat an edge this nearly parallel to a plane
// as lying along it.
constexpr double KD_Cut_Tolerance = 1e-6;
// Room for a triangle cut by every plane of a set: three corners plus one
// per plane.
constexpr int KD_Cut_Base_Capacity = 3;

// Side bits of one point; comparisons are written so that NaN falls
// outside (left or below) instead of inside. Without branches, so that the
// classifying loops vectorise; the right (top) bit is only set when the
// left (bottom) one is not, as if tested after it.
template <class T, class B> short side_code(T x, T y, B left, B right, B bottom, B top) {
    const int beyond_left = !(x >= left);
    const int beyond_right = (x > right) & !beyond_left;
    const int below = !(y >= bottom);
    const int above = (y > top) & !below;
    return static_cast<short>(beyond_left * KT_Outcode_Left | beyond_right * KT_Outcode_Right |
                              below * KT_Outcode_Bottom | above * KT_Outcode_Top);
}

template <class P> short point_code(const KT_Int_Rectangle& r, const P& p) {
    using Real = decltype(p.x);
    if constexpr (std::is_same_v<Real, std::int32_t>)
        return side_code(p.x, p.y, r.left, r.right, r.bottom, r.top);
    else
        return side_code(p.x, p.y, static_cast<Real>(r.left), static_cast<Real>(r.right),
                         static_cast<Real>(r.bottom), static_cast<Real>(r.top));
}

// The return of the classifying routines from the counts of one pass.
int classify_result(int inside, short and_codes) {
    if (inside >= 1) return inside;
    return and_codes != 0 ? 0 : -1;
}

template <class P>
int clip_points(const KT_Int_Rectangle& r, int count, const P* points, short* codes) {
    if (count < 1 || !points) return 0;
    int inside = 0;
    short and_codes = KD_Outcode_Sides | KT_Outcode_Behind;
    for (int i = 0; i < count; ++i) {
        const short code = point_code(r, points[i]);
        if (codes) codes[i] = code;
        and_codes &= code;
        inside += code == KT_Outcode_Inside;
    }
    return classify_result(inside, and_codes);
}

template <class In, class Out>
int transform_and_clip(const KT_Rendition* rendition, int count, const In* in, Out* out, float* w,
                       short* codes, short* or_codes) {
    if (count < 1 || !rendition || rendition->empty() || !in || !out) return 0;
    const KT_Transform_Data& t = rendition->transform();
    const float limit = static_cast<float>(t.scaled_wlimit);
    KT_Stack_Scratch<float, 64> own_w(w ? 0 : static_cast<std::size_t>(count));
    float* ws = w ? w : own_w.get();
    if (!ws) return 0;
    t.object_to_device.transform(count, in, out, ws, limit);
    if (!codes) return -1;
    int inside = 0;
    short and_codes = KD_Outcode_Sides | KT_Outcode_Behind;
    short or_all = KT_Outcode_Inside;
    for (int i = 0; i < count; ++i) {
        const short code =
            ws[i] > limit ? point_code(t.hard_clip, out[i]) : short(KT_Outcode_Behind);
        codes[i] = code;
        and_codes &= code;
        or_all |= code;
        inside += code == KT_Outcode_Inside;
    }
    if (or_codes) *or_codes = or_all;
    return classify_result(inside, and_codes);
}

// ---------------------------------------------------------------- segments

// The clip parameter of a segment's head (from 0, taking the larger) or
// tail (from 1, taking the smaller) from that end's outcode.
template <class Real>
double end_parameter(short code, bool head, const KT_Int_Rectangle& r, Real x0, Real y0, double dx,
                     double dy) {
    double t = head ? 0.0 : 1.0;
    if (code & KT_Outcode_Left)
        t = (double(r.left) - x0) / dx;
    else if (code & KT_Outcode_Right)
        t = (double(r.right) - x0) / dx;
    if (code & (KT_Outcode_Bottom | KT_Outcode_Top)) {
        const double ty = (double((code & KT_Outcode_Bottom) ? r.bottom : r.top) - y0) / dy;
        t = head ? std::max(t, ty) : std::min(t, ty);
    }
    return t;
}

std::int32_t clamp_to(std::int32_t v, std::int32_t low, std::int32_t high) {
    return std::max(low, std::min(v, high));
}

// The point of the segment at t, rounded and kept within the rectangle;
// colour bytes interpolated when colours are given.
template <class P>
void segment_point(const KT_Int_Rectangle& r, const P* s, double t, KT_DCI_Point* out,
                   const KT_RGB32* colors, KT_RGB32* out_color) {
    const double x = s[0].x + t * (double(s[1].x) - s[0].x);
    const double y = s[0].y + t * (double(s[1].y) - s[0].y);
    const double z = s[0].z + t * (double(s[1].z) - s[0].z);
    out->x = clamp_to(KD_Round_Saturated(x, KD_Segment_Round_Bias), r.left, r.right);
    out->y = clamp_to(KD_Round_Saturated(y, KD_Segment_Round_Bias), r.bottom, r.top);
    out->z = KD_Round_Saturated(z, KD_Segment_Round_Bias);
    if (!colors || !out_color) return;
    const auto channel = [t](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(
            KD_Round_Saturated(a + t * (double(b) - a), KD_Segment_Round_Bias));
    };
    out_color->b = channel(colors[0].b, colors[1].b);
    out_color->g = channel(colors[0].g, colors[1].g);
    out_color->r = channel(colors[0].r, colors[1].r);
}

template <class P> bool finite_point(const P& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

template <class P> bool finite_segment(const P* s) {
    return s && finite_point(s[0]) && finite_point(s[1]);
}

template <class P>
void preclip_head(short code, const KT_Int_Rectangle& r, const P* s, KT_DCI_Point* out,
                  const KT_RGB32* colors, KT_RGB32* out_color) {
    if (!out) return;
    const double t = finite_segment(s)
                         ? end_parameter(code, true, r, s[0].x, s[0].y, double(s[1].x) - s[0].x,
                                         double(s[1].y) - s[0].y)
                         : 0.0;
    if (s) segment_point(r, s, std::isfinite(t) ? t : 0.0, out, colors, out_color);
}

template <class P>
void preclip_tail(short code, const KT_Int_Rectangle& r, const P* s, KT_DCI_Point* out,
                  const KT_RGB32* colors, KT_RGB32* out_color) {
    if (!out) return;
    const double t = finite_segment(s)
                         ? end_parameter(code, false, r, s[0].x, s[0].y, double(s[1].x) - s[0].x,
                                         double(s[1].y) - s[0].y)
                         : 1.0;
    if (s) segment_point(r, s, std::isfinite(t) ? t : 1.0, out, colors, out_color);
}

template <class P>
bool preclip_ends(const short* codes, const KT_Int_Rectangle& r, const P* s, KT_DCI_Point* out,
                  const KT_RGB32* colors, KT_RGB32* out_colors) {
    if (!codes || !out || !finite_segment(s)) return false;
    if (codes[0] & codes[1] & KD_Outcode_Sides) return false;
    const double dx = double(s[1].x) - s[0].x;
    const double dy = double(s[1].y) - s[0].y;
    const double t0 = end_parameter(codes[0], true, r, s[0].x, s[0].y, dx, dy);
    const double t1 = end_parameter(codes[1], false, r, s[0].x, s[0].y, dx, dy);
    if (!(t0 < 1.0) || !(t0 < t1)) return false;
    segment_point(r, s, t0, &out[0], colors, out_colors ? &out_colors[0] : nullptr);
    segment_point(r, s, t1, &out[1], colors, out_colors ? &out_colors[1] : nullptr);
    return true;
}

// Which bound a clip parameter came from.
enum class KT_Bound { None, Left, Right, Bottom, Top };

struct Line_End {
    double t = 0.0;
    KT_Bound bound = KT_Bound::None;
};

// The float form of end_parameter, remembering the bound that gave t.
Line_End line_end(short code, bool head, const KT_Int_Rectangle& r, const KT_Point& p0, float dx,
                  float dy) {
    Line_End e{head ? 0.0 : 1.0, KT_Bound::None};
    if (code & KT_Outcode_Left)
        e = {(float(r.left) - p0.x) / dx, KT_Bound::Left};
    else if (code & KT_Outcode_Right)
        e = {(float(r.right) - p0.x) / dx, KT_Bound::Right};
    if (code & (KT_Outcode_Bottom | KT_Outcode_Top)) {
        const bool bottom = code & KT_Outcode_Bottom;
        const double ty = (float(bottom ? r.bottom : r.top) - p0.y) / dy;
        const KT_Bound bound = bottom ? KT_Bound::Bottom : KT_Bound::Top;
        if (head ? ty > e.t || e.bound == KT_Bound::None : ty < e.t) e = {ty, bound};
    }
    return e;
}

// The clipped end at e: exactly on its bound, the other coordinate
// interpolated and kept within the rectangle.
KT_Point line_point(const KT_Int_Rectangle& r, const KT_Point& p0, const KT_Point& p1,
                    const Line_End& e, bool depth) {
    if (e.bound == KT_Bound::None) return e.t <= 0.0 ? p0 : p1;
    const float t = static_cast<float>(e.t);
    KT_Point p{p0.x + t * (p1.x - p0.x), p0.y + t * (p1.y - p0.y),
               depth ? p0.z + t * (p1.z - p0.z) : (t < 0.5f ? p0.z : p1.z)};
    switch (e.bound) {
    case KT_Bound::Left:
        p.x = float(r.left);
        break;
    case KT_Bound::Right:
        p.x = float(r.right);
        break;
    case KT_Bound::Bottom:
        p.y = float(r.bottom);
        break;
    case KT_Bound::Top:
        p.y = float(r.top);
        break;
    case KT_Bound::None:
        break;
    }
    p.x = std::clamp(p.x, float(r.left), float(r.right));
    p.y = std::clamp(p.y, float(r.bottom), float(r.top));
    return p;
}

KT_RGB32 line_color(const KT_RGB32& a, const KT_RGB32& b, double t) {
    const auto channel = [t](std::uint8_t x, std::uint8_t y) {
        return KD_Color_Channel(x + t * (double(y) - x));
    };
    return {channel(a.b, b.b), channel(a.g, b.g), channel(a.r, b.r), channel(a.a, b.a)};
}

// ---------------------------------------------------------------- triangles

template <class P> double triangle_area2(const P* const v[3]) {
    return (double(v[1]->x) - v[0]->x) * (double(v[2]->y) - v[0]->y) -
           (double(v[1]->y) - v[0]->y) * (double(v[2]->x) - v[0]->x);
}

// The region a filled area is cut to so that it draws exactly the clip's
// pixels. Clip bounds are inclusive but triangle coverage is half-open, so
// the right and top sides move out by one: a vertex there closes the last
// column (row) without ever covering the one beyond.
KT_Int_Rectangle fill_region(const KT_Int_Rectangle& clip) {
    if (clip.right < clip.left || clip.top < clip.bottom) return clip;
    return {clip.left, clip.right < INT_MAX ? clip.right + 1 : clip.right, clip.bottom,
            clip.top < INT_MAX ? clip.top + 1 : clip.top};
}

// Cuts the triangle to the rectangle; false when nothing of it remains.
template <class P>
bool clip_to_rectangle(Clip_Polygon& polygon, const KT_Int_Rectangle& r, const P* const v[3],
                       const Clip_Vertex_Source* sources) {
    if (!polygon.valid() || r.right < r.left || r.top < r.bottom) return false;
    for (int i = 0; i < 3; ++i)
        if (!finite_point(*v[i])) return false;
    // A triangle of zero area covers no pixel.
    if (triangle_area2(v) == 0.0) return false;
    for (int i = 0; i < 3; ++i)
        polygon.add(v[i]->x, v[i]->y, v[i]->z, sources[i]);
    polygon.cut_at_bound(0, r.left, true);
    polygon.cut_at_bound(0, r.right, false);
    polygon.cut_at_bound(1, r.bottom, true);
    polygon.cut_at_bound(1, r.top, false);
    return polygon.count() >= 3;
}

// The polygon's vertices in strip order, as points of family F with their
// data, handed to F's slot of the variant. point(v) makes F's point from a
// vertex's channels.
template <KT_Family F, class Make_Point>
void draw_polygon_strip(const KT_Rendition* rendition, const Clip_Polygon& polygon,
                        KT_Shading shading, const KT_RGB32* flat_color, Make_Point&& point) {
    constexpr int on_stack = 16;
    const Clip_Layout& l = polygon.layout();
    const int n = polygon.count();
    KT_Stack_Scratch<KT_Family_Point_T<F>, on_stack> points(n);
    KT_Stack_Scratch<KT_RGB32, on_stack> colors(n);
    KT_Stack_Scratch<KT_Vector, on_stack> normals(n);
    KT_Stack_Scratch<KT_Point, on_stack> positions(n);
    KT_Stack_Scratch<float, on_stack> phong(n);
    KT_Stack_Scratch<float, on_stack> w(n);
    KT_Stack_Scratch<KT_Vector, on_stack> vectors(n);
    KT_Stack_Scratch<KT_Parameter, 8 * on_stack> parameters(static_cast<std::size_t>(n) * l.width);
    if (!points || !colors || !normals || !positions || !phong || !w || !vectors ||
        (l.width > 0 && !parameters))
        return;
    for (int i = 0; i < n; ++i) {
        const double* v = polygon.vertex(KD_Strip_Position(n, i));
        points[i] = point(v);
        KD_Read_Clip_Vertex(l, v, &colors[i], &normals[i], &positions[i], &phong[i],
                            parameters.get() + static_cast<std::size_t>(i) * l.width, &w[i],
                            &vectors[i]);
    }
    KT_Strip_Data data;
    data.shading = shading;
    if (shading == KT_Shading::Colorized) {
        data.colors = flat_color;
        data.single_color = true;
    } else if (l.color >= 0) {
        data.colors = colors.get();
    }
    if (l.normal >= 0) data.normals = normals.get();
    if (l.position >= 0) data.positions = positions.get();
    if (l.phong_parameter >= 0) data.phong_parameters = phong.get();
    if (l.parameters >= 0) {
        data.parameters = parameters.get();
        data.width = l.width;
    }
    if (l.w >= 0) data.w = w.get();
    if (l.vector >= 0) data.vectors = vectors.get();
    KD_Draw_Strip<F>(rendition, n, points.get(), data);
}

// What rectangle clips hand on: integers rounded as triangle corners are,
// or floats; either kept within the rectangle against rounding drift.
template <KT_Family F> auto point_within(const KT_Int_Rectangle& r) {
    return [&r](const double* v) {
        if constexpr (std::is_same_v<KT_Family_Point_T<F>, KT_DCI_Point>)
            return KT_DCI_Point{
                clamp_to(KD_Round_Saturated(v[0], KD_Triangle_Round_Bias), r.left, r.right),
                clamp_to(KD_Round_Saturated(v[1], KD_Triangle_Round_Bias), r.bottom, r.top),
                KD_Round_Saturated(v[2], KD_Triangle_Round_Bias)};
        else
            return KT_Point{std::clamp(static_cast<float>(v[0]), float(r.left), float(r.right)),
                            std::clamp(static_cast<float>(v[1]), float(r.bottom), float(r.top)),
                            static_cast<float>(v[2])};
    };
}

template <KT_Family F, class P>
void clip_strip_triangle(const KT_Rendition* rendition, const KT_Int_Rectangle& r, const P* points,
                         int a, int b, int c, int triangle, const KT_Strip_Data& data) {
    if (!points) return;
    const P* const v[3] = {&points[a], &points[b], &points[c]};
    const Clip_Vertex_Source sources[3] = {KD_Strip_Vertex_Source(data, a),
                                           KD_Strip_Vertex_Source(data, b),
                                           KD_Strip_Vertex_Source(data, c)};
    Clip_Polygon polygon(KD_Clip_Layout_For(sources[0], data.width), KD_Preclip_Capacity);
    if (!clip_to_rectangle(polygon, r, v, sources)) return;
    draw_polygon_strip<F>(rendition, polygon, data.shading, data.triangle_color(triangle),
                          point_within<F>(r));
}

template <class P>
bool preclip_triangle(const KT_Int_Rectangle& r, const P* points, int& out_count,
                      KT_DCI_Point* out_points, const KT_RGB32* colors, KT_RGB32* out_colors,
                      const KT_Parameter* parameters, int width, KT_Parameter* out_parameters,
                      const float* w, float* out_w, const KT_Vector* normals,
                      KT_Vector* out_normals) {
    out_count = 0;
    if (!points || !out_points) return false;
    // Only data the caller has room for is carried.
    if (!out_colors) colors = nullptr;
    if (!out_parameters || width <= 0) parameters = nullptr;
    if (!out_w) w = nullptr;
    if (!out_normals) normals = nullptr;
    Clip_Vertex_Source sources[3];
    for (int i = 0; i < 3; ++i) {
        sources[i].color = colors ? &colors[i] : nullptr;
        sources[i].parameters =
            parameters ? parameters + static_cast<std::size_t>(i) * width : nullptr;
        sources[i].w = w ? &w[i] : nullptr;
        sources[i].normal = normals ? &normals[i] : nullptr;
    }
    const P* const v[3] = {&points[0], &points[1], &points[2]};
    Clip_Polygon polygon(KD_Clip_Layout_For(sources[0], width), KD_Preclip_Capacity);
    if (!clip_to_rectangle(polygon, r, v, sources)) return false;
    const int n = polygon.count();
    for (int i = 0; i < n; ++i) {
        const double* p = polygon.vertex(i);
        out_points[i] = {
            clamp_to(KD_Round_Saturated(p[0], KD_Triangle_Round_Bias), r.left, r.right),
            clamp_to(KD_Round_Saturated(p[1], KD_Triangle_Round_Bias), r.bottom, r.top),
            KD_Round_Saturated(p[2], KD_Triangle_Round_Bias)};
        KD_Read_Clip_Vertex(polygon.layout(), p, out_colors ? &out_colors[i] : nullptr,
                            out_normals ? &out_normals[i] : nullptr, nullptr, nullptr,
                            parameters ? out_parameters + static_cast<std::size_t>(i) * width
                                       : nullptr,
                            out_w ? &out_w[i] : nullptr, nullptr);
    }
    out_count = n;
    return true;
}

// The variant that three vertices' data call for.
KT_Shading shading_for(const KT_RGB32* c0, const KT_RGB32* c1, const KT_RGB32* c2,
                       const KT_Parameter* t0, const KT_Vector* n0) {
    if (t0) return KT_Shading::Textured;
    if (n0) return KT_Shading::Phong;
    if (c0 && c1 && c2) return KT_Shading::Gouraud;
    if (c0) return KT_Shading::Colorized;
    return KT_Shading::Plain;
}

// The three vertices of a triangle with their data, in clipper form.
struct Triangle_Sources {
    Clip_Vertex_Source source[3];
    KT_Shading shading;
    const KT_RGB32* flat_color = nullptr;
    int width = 0;

    Triangle_Sources(const KT_RGB32* c0, const KT_RGB32* c1, const KT_RGB32* c2,
                     const KT_Parameter* t0, const KT_Parameter* t1, const KT_Parameter* t2,
                     int parameter_width, const float* w, const KT_Vector* n0, const KT_Vector* n1,
                     const KT_Vector* n2)
        : shading(shading_for(c0, c1, c2, t0, n0)) {
        const KT_RGB32* colors[3] = {c0, c1, c2};
        const KT_Parameter* parameters[3] = {t0, t1, t2};
        const KT_Vector* normals[3] = {n0, n1, n2};
        const bool per_vertex = c0 && c1 && c2;
        if (shading == KT_Shading::Colorized) flat_color = c0;
        if (shading == KT_Shading::Textured && (!t1 || !t2 || parameter_width <= 0))
            shading = KT_Shading::Plain;
        if (shading == KT_Shading::Phong && (!n1 || !n2)) shading = KT_Shading::Plain;
        for (int i = 0; i < 3; ++i) {
            Clip_Vertex_Source& s = source[i];
            s.w = w ? &w[i] : nullptr;
            if (shading == KT_Shading::Textured) {
                // A single colour serves every vertex of a textured piece.
                s.color = per_vertex ? colors[i] : c0;
                s.parameters = parameters[i];
                s.vector = normals[0] ? normals[i] : nullptr;
                width = parameter_width;
            } else if (shading == KT_Shading::Phong) {
                s.color = per_vertex ? colors[i] : c0;
                s.normal = normals[i];
            } else if (shading == KT_Shading::Gouraud) {
                s.color = colors[i];
            }
        }
    }
};

// ---------------------------------------------------------------- cutting planes

template <class P> using Vector_Of = typename detail::Vector_For<P>::type;

// The screen planes of a set, in list order.
template <class Visit> void each_screen_plane(const KT_Cutting_Plane_Set* planes, Visit&& visit) {
    if (!planes || planes->empty()) return;
    for (const KT_Cutting_Plane& plane : (*planes)->planes)
        if (!plane.empty()) visit(plane->screen_plane);
}

int plane_count(const KT_Cutting_Plane_Set* planes) {
    int n = 0;
    each_screen_plane(planes, [&n](const KT_Plane&) { ++n; });
    return n;
}

template <class P> constexpr KT_Family KD_Cut_Family = KT_Family::F2D;
template <> constexpr KT_Family KD_Cut_Family<KT_Point_D> = KT_Family::F2DD;

// Cuts the polygon with every plane (keeping plane value < 0) and draws the
// rest.
template <class P>
void cut_and_draw(const KT_Rendition* rendition, const KT_Cutting_Plane_Set* planes,
                  Clip_Polygon& polygon, const Triangle_Sources& t) {
    each_screen_plane(planes, [&polygon](const KT_Plane& h) {
        polygon.cut([&h](const double* v) { return h.a * v[0] + h.b * v[1] + h.c * v[2] + h.d; },
                    true, KD_Cut_Tolerance, -1, 0.0);
    });
    if (polygon.count() < 3) return;
    using Real = decltype(P{}.x);
    draw_polygon_strip<KD_Cut_Family<P>>(
        rendition, polygon, t.shading, t.flat_color, [](const double* v) {
            return P{static_cast<Real>(v[0]), static_cast<Real>(v[1]), static_cast<Real>(v[2])};
        });
}

template <class P>
void cut_triangle(const KT_Rendition* rendition, const KT_Cutting_Plane_Set* planes,
                  const P* const v[3], const float* w, const Triangle_Sources& t) {
    for (int i = 0; i < 3; ++i)
        if (!finite_point(*v[i]) || !std::isfinite(w[i])) return;
    Clip_Vertex_Source sources[3] = {t.source[0], t.source[1], t.source[2]};
    for (int i = 0; i < 3; ++i)
        sources[i].w = &w[i];
    Clip_Polygon polygon(KD_Clip_Layout_For(sources[0], t.width),
                         KD_Cut_Base_Capacity + plane_count(planes));
    if (!polygon.valid()) return;
    for (int i = 0; i < 3; ++i)
        polygon.add(v[i]->x, v[i]->y, v[i]->z, sources[i]);
    cut_and_draw<P>(rendition, planes, polygon, t);
}

// Splits at the near limit in homogeneous coordinates, divides what is in
// front by w and cuts each piece with the planes.
template <class P>
void clip_near_triangle(const KT_Rendition* rendition, const KT_Cutting_Plane_Set* planes,
                        const P* const v[3], const float* w, const Triangle_Sources& t) {
    if (!rendition || rendition->empty()) return;
    const float limit = static_cast<float>(rendition->transform().scaled_wlimit);
    for (int i = 0; i < 3; ++i)
        if (!finite_point(*v[i]) || !std::isfinite(w[i])) return;
    Clip_Vertex_Source sources[3] = {t.source[0], t.source[1], t.source[2]};
    for (int i = 0; i < 3; ++i)
        sources[i].w = &w[i];
    const Clip_Layout layout = KD_Clip_Layout_For(sources[0], t.width);
    // A triangle cut by one plane keeps at most four corners.
    Clip_Polygon polygon(layout, 4);
    if (!polygon.valid()) return;
    for (int i = 0; i < 3; ++i) {
        // The transform divided the points in front of the limit; carry
        // them back to homogeneous coordinates so that all three interpolate
        // alike.
        const double scale = w[i] > limit ? double(w[i]) : 1.0;
        polygon.add(v[i]->x * scale, v[i]->y * scale, v[i]->z * scale, sources[i]);
    }
    polygon.cut([&](const double* p) { return double(limit) - p[layout.w]; }, true, 0.0, layout.w,
                limit);
    const int n = polygon.count();
    if (n < 3) return;
    for (int i = 0; i < n; ++i) {
        double* p = polygon.vertex(i);
        const double pw = p[layout.w];
        if (!(pw > 0.0)) return;
        p[0] /= pw;
        p[1] /= pw;
        p[2] /= pw;
    }
    // Each triangle of the fan is cut with the planes in turn, carrying the
    // interpolated data of its corners.
    for (int first = 1; first + 1 < n; ++first) {
        Clip_Polygon piece(layout, KD_Cut_Base_Capacity + plane_count(planes));
        if (!piece.valid()) return;
        piece.add_raw(polygon.vertex(0));
        piece.add_raw(polygon.vertex(first));
        piece.add_raw(polygon.vertex(first + 1));
        cut_and_draw<P>(rendition, planes, piece, t);
    }
}

// Draws one kept piece of a cut polyline through the 2D (or 2DD) slot the
// data calls for.
template <class P> struct Polyline_Piece {
    P points[2];
    KT_RGB32 colors[2];
    float w[2];
    KT_Vector normals[2];
};

template <class P>
void draw_polyline_piece(const KT_Rendition* rendition, const Polyline_Piece<P>& piece,
                         const KT_RGB32* colors, bool single_color, const KT_Parameter* parameters,
                         int width, const float* w, const KT_Vector* normals) {
    constexpr int offset = static_cast<int>(KD_Cut_Family<P>);
    if (parameters && width > 0) {
        KD_Next_Action<KT_Slot_Draw_2D_Textured_Polyline + offset>(
            rendition, 2, piece.points, colors ? piece.colors : nullptr, parameters, width,
            w ? piece.w : nullptr, normals ? piece.normals : nullptr);
    } else if (normals) {
        KD_Next_Action<KT_Slot_Draw_2D_Phong_Polyline + offset>(
            rendition, 2, piece.points, piece.normals, colors ? piece.colors : nullptr,
            static_cast<const KT_Point*>(nullptr), static_cast<const float*>(nullptr));
    } else if (!colors) {
        KD_Next_Action<KT_Slot_Draw_2D_Polyline + offset>(rendition, 2, piece.points);
    } else if (single_color) {
        KD_Next_Action<KT_Slot_Draw_2D_Colorized_Polyline + offset>(rendition, 2, piece.points,
                                                                    colors, true);
    } else {
        KD_Next_Action<KT_Slot_Draw_2D_Gouraud_Polyline + offset>(rendition, 2, piece.points,
                                                                  piece.colors);
    }
}

// The kept interval [t0, t1] of segment a-b after every plane; false when
// a plane removes it.
template <class P>
bool cut_segment(const KT_Cutting_Plane_Set* planes, const P& a, const P& b, double& t0,
                 double& t1) {
    t0 = 0.0;
    t1 = 1.0;
    bool kept = true;
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y, dz = double(b.z) - a.z;
    each_screen_plane(planes, [&](const KT_Plane& h) {
        if (!kept) return;
        const double f0 = h.a * a.x + h.b * a.y + h.c * a.z + h.d;
        const double f1 = h.a * b.x + h.b * b.y + h.c * b.z + h.d;
        if (f0 < 0.0 && f1 <= 0.0) return;
        if (f0 >= 0.0 && f1 >= 0.0) {
            kept = false;
            return;
        }
        const double g = h.a * dx + h.b * dy + h.c * dz;
        if (std::fabs(g) <= KD_Cut_Tolerance) {
            kept = false;
            return;
        }
        if (f0 >= 0.0)
            t0 = std::max(t0, -f0 / g);
        else
            t1 = std::min(t1, -f0 / g);
    });
    return kept && t1 >= t0;
}

template <class P>
void cut_polyline(const KT_Rendition* rendition, const KT_Cutting_Plane_Set* planes, int count,
                  const P* points, const KT_RGB32* colors, bool single_color,
                  const KT_Parameter* parameters, int width, const float* w,
                  const KT_Vector* normals) {
    if (count < 2 || !points) return;
    if (width <= 0) parameters = nullptr;
    KT_Stack_Scratch<KT_Parameter, 16> piece_parameters(
        parameters ? 2 * static_cast<std::size_t>(width) : 0);
    if (parameters && !piece_parameters) return;
    for (int i = 0; i + 1 < count; ++i) {
        const P& a = points[i];
        const P& b = points[i + 1];
        if (!finite_point(a) || !finite_point(b)) continue;
        double t[2];
        if (!cut_segment(planes, a, b, t[0], t[1])) continue;
        Polyline_Piece<P> piece;
        for (int e = 0; e < 2; ++e) {
            const double s = t[e];
            using Real = decltype(P{}.x);
            piece.points[e] = {static_cast<Real>(a.x + s * (double(b.x) - a.x)),
                               static_cast<Real>(a.y + s * (double(b.y) - a.y)),
                               static_cast<Real>(a.z + s * (double(b.z) - a.z))};
            if (w) piece.w[e] = static_cast<float>(w[i] + s * (double(w[i + 1]) - w[i]));
            if (colors && !single_color) {
                const KT_RGB32& c0 = colors[i];
                const KT_RGB32& c1 = colors[i + 1];
                // Colour bytes of cut polylines truncate.
                const auto channel = [s](std::uint8_t x, std::uint8_t y) {
                    return static_cast<std::uint8_t>(x + s * (double(y) - x));
                };
                piece.colors[e] = {channel(c0.b, c1.b), channel(c0.g, c1.g), channel(c0.r, c1.r),
                                   channel(c0.a, c1.a)};
            } else if (colors) {
                piece.colors[e] = colors[0];
            }
            if (normals) {
                const KT_Vector& n0 = normals[i];
                const KT_Vector& n1 = normals[i + 1];
                const float f = static_cast<float>(s);
                piece.normals[e] = {n0.x + f * (n1.x - n0.x), n0.y + f * (n1.y - n0.y),
                                    n0.z + f * (n1.z - n0.z)};
                piece.normals[e].normalize();
            }
            if (parameters)
                for (int k = 0; k < width; ++k) {
                    const KT_Parameter& p0 = parameters[static_cast<std::size_t>(i) * width + k];
                    const KT_Parameter& p1 =
                        parameters[static_cast<std::size_t>(i + 1) * width + k];
                    const float f = static_cast<float>(s);
                    piece_parameters[static_cast<std::size_t>(e) * width + k] = {
                        p0.u + f * (p1.u - p0.u), p0.v + f * (p1.v - p0.v),
                        p0.w + f * (p1.w - p0.w)};
                }
        }
        draw_polyline_piece(rendition, piece, colors, single_color,
                            parameters ? piece_parameters.get() : nullptr, width, w, normals);
    }
}

} // namespace

namespace detail {

Clip_Vertex_Source KD_Strip_Vertex_Source(const KT_Strip_Data& d, int j) {
    Clip_Vertex_Source s;
    const bool per_vertex_colors = d.shading != KT_Shading::Colorized;
    if (d.colors && per_vertex_colors) s.color = &d.colors[j];
    if (d.shading == KT_Shading::Phong) {
        if (d.normals) s.normal = &d.normals[j];
        if (d.positions) s.position = &d.positions[j];
        if (d.phong_parameters) s.phong_parameter = &d.phong_parameters[j];
    }
    if (d.shading == KT_Shading::Textured) {
        if (d.parameters && d.width > 0)
            s.parameters = d.parameters + static_cast<std::size_t>(j) * d.width;
        if (d.w) s.w = &d.w[j];
        if (d.vectors) s.vector = &d.vectors[j];
    }
    return s;
}

void KD_Preclip_Strip_Triangle(const KT_Rendition* rendition, const KT_Int_Rectangle& rectangle,
                               const KT_Point* points, int a, int b, int c, int triangle,
                               const KT_Strip_Data& data) {
    clip_strip_triangle<KT_Family::F2DI>(rendition, rectangle, points, a, b, c, triangle, data);
}

void KD_Preclip_Strip_Triangle(const KT_Rendition* rendition, const KT_Int_Rectangle& rectangle,
                               const KT_Point_D* points, int a, int b, int c, int triangle,
                               const KT_Strip_Data& data) {
    clip_strip_triangle<KT_Family::F2DI>(rendition, rectangle, points, a, b, c, triangle, data);
}

void KD_Draw_Clipped_Strip_Triangle(const KT_Rendition* rendition, const KT_DCI_Point* points,
                                    int a, int b, int c, int triangle, const KT_Strip_Data& data) {
    if (!rendition || rendition->empty()) return;
    clip_strip_triangle<KT_Family::DC>(rendition, fill_region(rendition->transform().hard_clip),
                                       points, a, b, c, triangle, data);
}

} // namespace detail

// ---------------------------------------------------------------- exported

int KD_Transform_And_Clip(const KT_Rendition* rendition, int count, const KT_Point* in,
                          KT_Point* out, float* w, short* codes, short* or_codes) {
    return transform_and_clip(rendition, count, in, out, w, codes, or_codes);
}
int KD_Transform_And_Clip(const KT_Rendition* rendition, int count, const KT_Point_D* in,
                          KT_Point_D* out, float* w, short* codes, short* or_codes) {
    return transform_and_clip(rendition, count, in, out, w, codes, or_codes);
}
int KD_Transform_And_Clip(const KT_Rendition* rendition, int count, const KT_Point_D* in,
                          KT_Point* out, float* w, short* codes, short* or_codes) {
    return transform_and_clip(rendition, count, in, out, w, codes, or_codes);
}

int KD_Clip(const KT_Int_Rectangle& rectangle, int count, const KT_Point* points, short* codes) {
    return clip_points(rectangle, count, points, codes);
}
int KD_Clip(const KT_Int_Rectangle& rectangle, int count, const KT_Point_D* points, short* codes) {
    return clip_points(rectangle, count, points, codes);
}
int KD_Clip(const KT_Int_Rectangle& rectangle, int count, const KT_DCI_Point* points,
            short* codes) {
    return clip_points(rectangle, count, points, codes);
}

void KD_Preclip_Head(short head_code, const KT_Int_Rectangle& rectangle, const KT_Point* segment,
                     KT_DCI_Point* out, const KT_RGB32* colors, KT_RGB32* out_color) {
    preclip_head(head_code, rectangle, segment, out, colors, out_color);
}
void KD_Preclip_Head(short head_code, const KT_Int_Rectangle& rectangle, const KT_Point_D* segment,
                     KT_DCI_Point* out, const KT_RGB32* colors, KT_RGB32* out_color) {
    preclip_head(head_code, rectangle, segment, out, colors, out_color);
}
void KD_Preclip_Tail(short tail_code, const KT_Int_Rectangle& rectangle, const KT_Point* segment,
                     KT_DCI_Point* out, const KT_RGB32* colors, KT_RGB32* out_color) {
    preclip_tail(tail_code, rectangle, segment, out, colors, out_color);
}
void KD_Preclip_Tail(short tail_code, const KT_Int_Rectangle& rectangle, const KT_Point_D* segment,
                     KT_DCI_Point* out, const KT_RGB32* colors, KT_RGB32* out_color) {
    preclip_tail(tail_code, rectangle, segment, out, colors, out_color);
}
bool KD_Preclip_Ends(const short* codes, const KT_Int_Rectangle& rectangle, const KT_Point* segment,
                     KT_DCI_Point* out, const KT_RGB32* colors, KT_RGB32* out_colors) {
    return preclip_ends(codes, rectangle, segment, out, colors, out_colors);
}
bool KD_Preclip_Ends(const short* codes, const KT_Int_Rectangle& rectangle,
                     const KT_Point_D* segment, KT_DCI_Point* out, const KT_RGB32* colors,
                     KT_RGB32* out_colors) {
    return preclip_ends(codes, rectangle, segment, out, colors, out_colors);
}

bool KD_Preclip_2D_Triangle(const KT_Renderer_Data*, const KT_Rendition*,
                            const KT_Int_Rectangle& rectangle, const KT_Point* points,
                            int& out_count, KT_DCI_Point* out_points, const KT_RGB32* colors,
                            KT_RGB32* out_colors, const KT_Parameter* parameters, int width,
                            KT_Parameter* out_parameters, const float* w, float* out_w,
                            const KT_Vector* normals, KT_Vector* out_normals) {
    return preclip_triangle(rectangle, points, out_count, out_points, colors, out_colors,
                            parameters, width, out_parameters, w, out_w, normals, out_normals);
}
bool KD_Preclip_2D_Triangle(const KT_Renderer_Data*, const KT_Rendition*,
                            const KT_Int_Rectangle& rectangle, const KT_Point_D* points,
                            int& out_count, KT_DCI_Point* out_points, const KT_RGB32* colors,
                            KT_RGB32* out_colors, const KT_Parameter* parameters, int width,
                            KT_Parameter* out_parameters, const float* w, float* out_w,
                            const KT_Vector* normals, KT_Vector* out_normals) {
    return preclip_triangle(rectangle, points, out_count, out_points, colors, out_colors,
                            parameters, width, out_parameters, w, out_w, normals, out_normals);
}

void KD_Draw_Clipped_2D_Triangle(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                 const KT_Point* p0, const KT_Point* p1, const KT_Point* p2,
                                 const KT_RGB32* c0, const KT_RGB32* c1, const KT_RGB32* c2,
                                 const KT_Parameter* t0, const KT_Parameter* t1,
                                 const KT_Parameter* t2, int width, float w0, float w1, float w2,
                                 const KT_Vector* n0, const KT_Vector* n1, const KT_Vector* n2) {
    if (!rendition || rendition->empty() || !p0 || !p1 || !p2) return;
    const float w[3] = {w0, w1, w2};
    const Triangle_Sources t(c0, c1, c2, t0, t1, t2, width, w, n0, n1, n2);
    const KT_Point* const v[3] = {p0, p1, p2};
    const KT_Int_Rectangle r = fill_region(rendition->transform().hard_clip);
    Clip_Polygon polygon(KD_Clip_Layout_For(t.source[0], t.width), KD_Preclip_Capacity);
    if (!clip_to_rectangle(polygon, r, v, t.source)) return;
    draw_polygon_strip<KT_Family::DC>(rendition, polygon, t.shading, t.flat_color,
                                      point_within<KT_Family::DC>(r));
}

void KD_Draw_Clipped_2D_Line(const KT_Renderer_Data*, const KT_Rendition* rendition,
                             const KT_Point* p0, const KT_Point* p1, const KT_RGB32* c0,
                             const KT_RGB32* c1, bool keep_direction) {
    if (!rendition || rendition->empty() || !p0 || !p1) return;
    if (!finite_point(*p0) || !finite_point(*p1)) return;
    const KT_Transform_Data& transform = rendition->transform();
    const KT_Int_Rectangle& r = transform.hard_clip;
    KT_Point ends[2] = {*p0, *p1};
    const KT_RGB32* colors[2] = {c0, c1};
    short codes[2];
    KD_Clip(r, 2, ends, codes);
    if (codes[0] & codes[1]) return;
    float dx = ends[1].x - ends[0].x;
    float dy = ends[1].y - ends[0].y;
    Line_End head = line_end(codes[0], true, r, ends[0], dx, dy);
    // Clipping from the far end keeps the precision of a head that would
    // otherwise lie next to the tail.
    if (head.t > 0.99 && !keep_direction) {
        std::swap(ends[0], ends[1]);
        std::swap(colors[0], colors[1]);
        std::swap(codes[0], codes[1]);
        dx = -dx;
        dy = -dy;
        head = line_end(codes[0], true, r, ends[0], dx, dy);
    }
    const Line_End tail = line_end(codes[1], false, r, ends[0], dx, dy);
    if (!(tail.t > head.t)) return;
    const bool depth = transform.depth_buffer;
    const KT_Point points[2] = {line_point(r, ends[0], ends[1], head, depth),
                                line_point(r, ends[0], ends[1], tail, depth)};
    if (colors[0] && colors[1]) {
        const KT_RGB32 clipped[2] = {line_color(*colors[0], *colors[1], std::max(head.t, 0.0)),
                                     line_color(*colors[0], *colors[1], tail.t)};
        KD_Next_Action<KT_Slot_Draw_DC_Gouraud_Polyline>(rendition, 2, points, clipped);
        return;
    }
    KD_Next_Action<KT_Slot_Draw_DC_Polyline>(rendition, 2, points);
}

void KD_Draw_Clipped_2D_Line(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                             const KT_DCI_Point* p0, const KT_DCI_Point* p1, const KT_RGB32* c0,
                             const KT_RGB32* c1, bool keep_direction) {
    if (!p0 || !p1) return;
    const KT_Point a{float(p0->x), float(p0->y), float(p0->z)};
    const KT_Point b{float(p1->x), float(p1->y), float(p1->z)};
    KD_Draw_Clipped_2D_Line(renderer, rendition, &a, &b, c0, c1, keep_direction);
}

void KD_Cut_2DW_Polyline(const KT_Renderer_Data*, const KT_Rendition* rendition,
                         const KT_Cutting_Plane_Set* planes, int count, const KT_Point* points,
                         const KT_RGB32* colors, bool single_color, const KT_Parameter* parameters,
                         int width, const float* w, const KT_Vector* normals) {
    cut_polyline(rendition, planes, count, points, colors, single_color, parameters, width, w,
                 normals);
}
void KD_Cut_2DW_Polyline(const KT_Renderer_Data*, const KT_Rendition* rendition,
                         const KT_Cutting_Plane_Set* planes, int count, const KT_Point_D* points,
                         const KT_RGB32* colors, bool single_color, const KT_Parameter* parameters,
                         int width, const float* w, const KT_Vector* normals) {
    cut_polyline(rendition, planes, count, points, colors, single_color, parameters, width, w,
                 normals);
}

namespace {

template <class P>
void cut_triangle_entry(const KT_Rendition* rendition, const KT_Cutting_Plane_Set* planes,
                        const P* p0, const P* p1, const P* p2, float w0, float w1, float w2,
                        const KT_RGB32* c0, const KT_RGB32* c1, const KT_RGB32* c2,
                        const KT_Parameter* t0, const KT_Parameter* t1, const KT_Parameter* t2,
                        int width, const KT_Vector* n0, const KT_Vector* n1, const KT_Vector* n2,
                        bool near_split) {
    if (!rendition || rendition->empty() || !p0 || !p1 || !p2) return;
    const float w[3] = {w0, w1, w2};
    const Triangle_Sources t(c0, c1, c2, t0, t1, t2, width, w, n0, n1, n2);
    const P* const v[3] = {p0, p1, p2};
    if (near_split)
        clip_near_triangle(rendition, planes, v, w, t);
    else
        cut_triangle(rendition, planes, v, w, t);
}

} // namespace

void KD_Cut_2DW_Triangle(const KT_Renderer_Data*, const KT_Rendition* rendition,
                         const KT_Cutting_Plane_Set* planes, const KT_Point* p0, const KT_Point* p1,
                         const KT_Point* p2, float w0, float w1, float w2, const KT_RGB32* c0,
                         const KT_RGB32* c1, const KT_RGB32* c2, const KT_Parameter* t0,
                         const KT_Parameter* t1, const KT_Parameter* t2, int width,
                         const KT_Vector* n0, const KT_Vector* n1, const KT_Vector* n2) {
    cut_triangle_entry(rendition, planes, p0, p1, p2, w0, w1, w2, c0, c1, c2, t0, t1, t2, width, n0,
                       n1, n2, false);
}
void KD_Cut_2DW_Triangle(const KT_Renderer_Data*, const KT_Rendition* rendition,
                         const KT_Cutting_Plane_Set* planes, const KT_Point_D* p0,
                         const KT_Point_D* p1, const KT_Point_D* p2, float w0, float w1, float w2,
                         const KT_RGB32* c0, const KT_RGB32* c1, const KT_RGB32* c2,
                         const KT_Parameter* t0, const KT_Parameter* t1, const KT_Parameter* t2,
                         int width, const KT_Vector* n0, const KT_Vector* n1, const KT_Vector* n2) {
    cut_triangle_entry(rendition, planes, p0, p1, p2, w0, w1, w2, c0, c1, c2, t0, t1, t2, width, n0,
                       n1, n2, false);
}

void KD_Draw_Clipped_2DW_Triangle(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                  const KT_Cutting_Plane_Set* planes, const KT_Point* p0,
                                  const KT_Point* p1, const KT_Point* p2, float w0, float w1,
                                  float w2, const KT_RGB32* c0, const KT_RGB32* c1,
                                  const KT_RGB32* c2, const KT_Parameter* t0,
                                  const KT_Parameter* t1, const KT_Parameter* t2, int width,
                                  const KT_Vector* n0, const KT_Vector* n1, const KT_Vector* n2) {
    cut_triangle_entry(rendition, planes, p0, p1, p2, w0, w1, w2, c0, c1, c2, t0, t1, t2, width, n0,
                       n1, n2, true);
}
void KD_Draw_Clipped_2DW_Triangle(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                  const KT_Cutting_Plane_Set* planes, const KT_Point_D* p0,
                                  const KT_Point_D* p1, const KT_Point_D* p2, float w0, float w1,
                                  float w2, const KT_RGB32* c0, const KT_RGB32* c1,
                                  const KT_RGB32* c2, const KT_Parameter* t0,
                                  const KT_Parameter* t1, const KT_Parameter* t2, int width,
                                  const KT_Vector* n0, const KT_Vector* n1, const KT_Vector* n2) {
    cut_triangle_entry(rendition, planes, p0, p1, p2, w0, w1, w2, c0, c1, c2, t0, t1, t2, width, n0,
                       n1, n2, true);
}
