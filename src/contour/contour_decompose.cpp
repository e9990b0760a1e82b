// triangulate() and polygonize(): the cheap paths first (one convex
// contour, one small simple outline with holes cut into ears, resolved
// contours one by one), then the general sweep.
#include <cmath>
#include <utility>

#include "contour/contour_set.h"
#include "contour/convex_merge.h"
#include "contour/ear_clip.h"
#include "contour/polygon_rank.h"
#include "contour/set_sweep.h"

namespace {

using namespace kavri_contour;

constexpr int unlimited_points = 65535;

// Turns a point index of the set being decomposed into the index the caller
// sees: contours decomposed one at a time are offset, and a resolved form
// maps back to the set it was resolved from.
struct Source_Map {
    const std::int32_t* map = nullptr;
    int offset = 0;
    KT_Contour_Point_Source operator()(int i) const {
        const int k = offset + i;
        return KT_Contour_Point_Source{map ? map[k] : k};
    }
};

template <class P> struct Output {
    using Triangle = void (*)(const P*, const P*, const P*, const KT_Contour_Point_Source*,
                              const KT_Contour_Point_Source*, const KT_Contour_Point_Source*,
                              void*);
    using Polygon = void (*)(int, const P*, const KT_Contour_Point_Source*, void*);
    Triangle triangle = nullptr;
    Polygon polygon = nullptr;
    void* user = nullptr;
    Source_Map sources;
};

// Decomposing a set's resolved form: its points name the set's own.
template <class P>
Output<P> through_resolved(const Output<P>& out, const KT_Contour_Set_Data& resolved) {
    Output<P> mapped = out;
    mapped.sources = Source_Map{resolved.source_map, 0};
    return mapped;
}

template <class P>
void deliver_triangle(const Output<P>& out, const P& a, const P& b, const P& c,
                      KT_Contour_Point_Source sa, KT_Contour_Point_Source sb,
                      KT_Contour_Point_Source sc) {
    if (out.triangle) {
        out.triangle(&a, &b, &c, &sa, &sb, &sc, out.user);
        return;
    }
    const P corners[3] = {a, b, c};
    const KT_Contour_Point_Source sources[3] = {sa, sb, sc};
    out.polygon(3, corners, sources, out.user);
}

template <class P> bool has_points(const KT_Contour_Set_Data& set) {
    return set.contour_count > 0 && set.total_points > 0 && points_of<P>(set) != nullptr;
}

template <class P> const std::int32_t* projection(const KT_Contour_Set_Data& set) {
    KT_Contour_Processing_Info& info = set.info();
    if (!info.projection_chosen()) newell_axes(points_of<P>(set), set.total_points, info.axes);
    return info.axes;
}

// The rank lets spikes (an edge folding straight back) pass as convex; the
// strip would then cover parts twice. This asks for every turn one way, no
// fold-back, and the outline going around exactly once.
template <class P> bool turns_once(const P* p, int n, const std::int32_t* axes) {
    auto edge = [&](int i, double& du, double& dv) {
        const P& a = p[(i + n - 1) % n];
        const P& b = p[i];
        du = coordinate(b, axes[0]) - coordinate(a, axes[0]);
        dv = coordinate(b, axes[1]) - coordinate(a, axes[1]);
        return du != 0 || dv != 0;
    };
    double pu = 0, pv = 0;
    int last = n - 1;
    while (last >= 0 && !edge(last, pu, pv))
        --last;
    int turn = 0, v_sign = pv > 0 ? 1 : pv < 0 ? -1 : 0, v_changes = 0;
    for (int i = 0; i < n; ++i) {
        double du, dv;
        if (!edge(i, du, dv)) continue;
        const double cross = pu * dv - pv * du;
        if (cross == 0 && pu * du + pv * dv < 0) return false;
        const int s = cross > 0 ? 1 : cross < 0 ? -1 : 0;
        if (s != 0 && turn != 0 && s != turn) return false;
        if (s != 0) turn = s;
        const int vs = dv > 0 ? 1 : dv < 0 ? -1 : 0;
        if (vs != 0 && v_sign != 0 && vs != v_sign) ++v_changes;
        if (vs != 0) v_sign = vs;
        pu = du;
        pv = dv;
    }
    return turn != 0 && v_changes <= 2;
}

template <class P> bool single_convex_contour(const KT_Contour_Set_Data& set, int max_points) {
    const int n = set.counts[0];
    const P* p = points_of<P>(set);
    return set.contour_count == 1 && n >= 3 && n <= max_points && encloses_area(p, n) &&
           KD_Rank_Polygon(n, p) == Convex && turns_once(p, n, projection<P>(set));
}

// Whether the contours may cross: a contour of a resolved set never crosses
// itself, so alone it needs no crossing passes.
enum class Crossings { possible, none };

// Loads the set into its workspace, noting the run's rule, callback and
// user data on the processing info; null when a coordinate is not finite.
template <class P>
Sweep_Workspace* load_region(const KT_Contour_Set_Data& set, const Output<P>& out) {
    KT_Contour_Processing_Info& info = set.info();
    info.fill_rule = set.fill_rule;
    info.callback =
        out.triangle ? reinterpret_cast<void*>(out.triangle) : reinterpret_cast<void*>(out.polygon);
    info.user = out.user;
    Sweep_Workspace& w = info.workspace();
    w.begin();
    if (!load_contours(w, set, points_of<P>(set), projection<P>(set), 0)) return nullptr;
    return &w;
}

// Keeps the boundary of the set's region in a built workspace.
void keep_region(Sweep_Workspace& w, const KT_Contour_Set_Data& set) {
    Region_Rule rule;
    rule.fill_rule[0] = sweep_rule(set.fill_rule);
    w.classify(rule);
}

template <class P>
Sweep_Workspace* sweep_region(const KT_Contour_Set_Data& set, const Output<P>& out,
                              Crossings crossings = Crossings::possible) {
    Sweep_Workspace* w = load_region(set, out);
    if (!w) return nullptr;
    w->build(crossings == Crossings::possible);
    keep_region(*w, set);
    return w;
}

// Twice the signed area of one contour in the projection.
template <class P> double projected_area(const P* p, int n, const std::int32_t* axes) {
    double area = 0;
    for (int i = 0; i < n; ++i) {
        const P& a = p[i];
        const P& b = p[(i + 1) % n];
        area += coordinate(a, axes[0]) * coordinate(b, axes[1]) -
                coordinate(b, axes[0]) * coordinate(a, axes[1]);
    }
    return area;
}

// The sweep's triangles turn counter-clockwise; those of a set of one
// contour turn as the contour does, like its strip, so that contours
// triangulated one by one all come out alike.
template <class P> struct Sweep_Triangles {
    const Sweep_Workspace* w;
    const Output<P>* out;
    bool reverse;
    static void sink(std::int32_t a, std::int32_t b, std::int32_t c, void* user) {
        const auto& self = *static_cast<const Sweep_Triangles*>(user);
        if (self.reverse) std::swap(b, c);
        const Vector<Point>& p = self.w->points;
        auto source = [&](std::int32_t i) {
            return p[i].source < 0 ? KT_Contour_Point_Source{-1} : self.out->sources(p[i].source);
        };
        deliver_triangle(*self.out, to_point<P>(p[a].p), to_point<P>(p[b].p), to_point<P>(p[c].p),
                         source(a), source(b), source(c));
    }
};

// Whether triangulate_set() may try the small-polygon path: skipped only to
// reach the general path it must agree with.
enum class Small_Path { allowed, skipped };

template <class P>
void triangulate_set(const KT_Contour_Set_Data& set, const Output<P>& out,
                     Crossings crossings = Crossings::possible,
                     Small_Path small = Small_Path::allowed);

// Whether a point of every later contour lies inside the first one, by the
// parity of crossings of a ray towards -u. Contours that neither cross nor
// touch then lie wholly inside it; a point on its edge means they touch,
// which the sweep finds anyway.
template <class P> bool others_inside_first(const KT_Contour_Set_Data& set) {
    const P* p = points_of<P>(set);
    const std::int32_t* axes = projection<P>(set);
    const int n = set.counts[0];
    auto u = [&](int i) { return double(coordinate(p[i], axes[0])); };
    auto v = [&](int i) { return double(coordinate(p[i], axes[1])); };
    int start = n > 0 ? n : 0;
    for (int c = 1; c < set.contour_count; ++c) {
        const int count = set.counts[c] > 0 ? set.counts[c] : 0;
        if (count == 0) continue;
        const double qu = u(start), qv = v(start);
        bool inside = false;
        for (int i = 0, j = n - 1; i < n; j = i++) {
            if ((v(i) > qv) == (v(j) > qv)) continue;
            const double cross_u = u(j) + (qv - v(j)) * (u(i) - u(j)) / (v(i) - v(j));
            if (cross_u < qu) inside = !inside;
        }
        if (!inside) return false;
        start += count;
    }
    return true;
}

// Whether every contour of three or more points turns the same way.
template <class P> bool contours_turn_alike(const KT_Contour_Set_Data& set) {
    const P* p = points_of<P>(set);
    const std::int32_t* axes = projection<P>(set);
    double first_area = 0;
    bool have_first = false;
    int start = 0;
    for (int c = 0; c < set.contour_count; ++c) {
        const int n = set.counts[c] > 0 ? set.counts[c] : 0;
        if (n >= 3) {
            const double area = projected_area(p + start, n, axes);
            if (!have_first) first_area = area, have_first = true;
            if (area * first_area <= 0) return false;
        }
        start += n;
    }
    return true;
}

// Resolved contours that all turn the same way are separate polygons.
template <class P>
bool triangulate_separately(const KT_Contour_Set_Data& set, const Output<P>& out,
                            Small_Path small) {
    if (!contours_turn_alike<P>(set)) return false;
    const P* p = points_of<P>(set);
    const std::int32_t* axes = projection<P>(set);
    int start = 0;
    for (int c = 0; c < set.contour_count; ++c) {
        const int n = set.counts[c] > 0 ? set.counts[c] : 0;
        if (n >= 3) {
            KT_Contour_Set_Data one(n, p + start, false);
            one.info().axes[0] = axes[0];
            one.info().axes[1] = axes[1];
            Output<P> part = out;
            part.sources.offset += start;
            triangulate_set(one, part, Crossings::none, small);
        }
        start += n;
    }
    return true;
}

// Contours that repeat no point and neither cross nor touch are their own
// resolved form: one sweep triangulates them, with the triangles the resolved
// form would give (counter-clockwise, as resolved outlines run). That
// holds for a non-convex first contour with every other contour inside it;
// anything else may resolve into separate or convex pieces, which the
// resolved form triangulates one by one. False, with nothing delivered, for
// any other set.
template <class P> bool triangulate_simple(const KT_Contour_Set_Data& set, const Output<P>& out) {
    if (KD_Rank_Polygon(set.counts[0], points_of<P>(set)) == Convex) return false;
    if (!others_inside_first<P>(set)) return false;
    Sweep_Workspace* w = load_region(set, out);
    if (!w || !w->build_if_simple()) return false;
    keep_region(*w, set);
    Sweep_Triangles<P> sink{w, &out, false};
    w->triangulate(Sweep_Triangles<P>::sink, &sink);
    return true;
}

// Ear-clipped triangles go out as the sweep's would: counter-clockwise, or
// turning as the contour does for an odd-even set of one contour.
template <class P> struct Ear_Triangles {
    const P* p;
    const Output<P>* out;
    bool reverse;
    static void sink(std::int32_t a, std::int32_t b, std::int32_t c, void* user) {
        const auto& self = *static_cast<const Ear_Triangles*>(user);
        if (self.reverse) std::swap(b, c);
        const Source_Map& s = self.out->sources;
        deliver_triangle(*self.out, self.p[a], self.p[b], self.p[c], s(a), s(b), s(c));
    }
};

// One outline with holes inside it, none touching: ears instead of the
// arrangement. False, with nothing delivered, for anything else.
template <class P> bool triangulate_small(const KT_Contour_Set_Data& set, const Output<P>& out) {
    if (set.total_points > Ear_Clipper::max_points) return false;
    const P* p = points_of<P>(set);
    const std::int32_t* axes = projection<P>(set);
    Ear_Clipper& clipper = set.info().ear_clipper();
    clipper.begin();
    int start = 0;
    for (int c = 0; c < set.contour_count; ++c) {
        const int n = set.counts[c] > 0 ? set.counts[c] : 0;
        for (int i = start; i < start + n; ++i) {
            const double u = coordinate(p[i], axes[0]), v = coordinate(p[i], axes[1]);
            if (!std::isfinite(u) || !std::isfinite(v)) return false;
            clipper.add_point(u, v, i);
        }
        if (n > 0) clipper.end_contour();
        start += n;
    }
    const bool odd_even = set.fill_rule == KT_Fill_Odd_Even;
    const bool reverse =
        odd_even && set.contour_count == 1 && projected_area(p, set.counts[0], axes) < 0;
    Ear_Triangles<P> sink{p, &out, reverse};
    return clipper.triangulate(odd_even ? Hole_Turn::either : Hole_Turn::opposite,
                               Ear_Triangles<P>::sink, &sink);
}

template <class P>
void triangulate_set(const KT_Contour_Set_Data& set, const Output<P>& out, Crossings crossings,
                     Small_Path small) {
    if (!has_points<P>(set)) return;
    const P* p = points_of<P>(set);
    if (single_convex_contour<P>(set, set.counts[0])) {
        KD_Convex_Strip(set.counts[0], [&](int a, int b, int c) {
            deliver_triangle(out, p[a], p[b], p[c], out.sources(a), out.sources(b), out.sources(c));
        });
        return;
    }
    if (small == Small_Path::allowed && triangulate_small(set, out)) return;
    if (set.fill_rule == KT_Fill_Non_Zero) {
        if (set.resolved.empty() && triangulate_simple(set, out)) return;
        if (const KT_Contour_Set_Data* resolved = set.resolved_form())
            triangulate_set(*resolved, through_resolved(out, *resolved), Crossings::possible,
                            small);
        return;
    }
    if (set.fill_rule == KT_Fill_Resolved && triangulate_separately(set, out, small)) return;
    Sweep_Workspace* w = sweep_region<P>(set, out, crossings);
    if (!w) return;
    const bool reverse = set.contour_count == 1 &&
                         projected_area(points_of<P>(set), set.counts[0], projection<P>(set)) < 0;
    Sweep_Triangles<P> sink{w, &out, reverse};
    w->triangulate(Sweep_Triangles<P>::sink, &sink);
}

template <class P> KT_Growable_Array<P>& point_buffer(KT_Contour_Processing_Info& info);
template <> KT_Growable_Array<KT_Point>& point_buffer<KT_Point>(KT_Contour_Processing_Info& info) {
    return static_cast<KT_Contour_Processing_Info_S&>(info).points;
}
template <>
KT_Growable_Array<KT_Point_D>& point_buffer<KT_Point_D>(KT_Contour_Processing_Info& info) {
    return static_cast<KT_Contour_Processing_Info_D&>(info).points;
}

// The delivery buffers grow in steps of 1024 points.
template <class T> T* reserve(KT_Growable_Array<T>& a, int n) {
    if (a.capacity() < n) a.resize((n + 1023) / 1024 * 1024, false, false);
    return a.data();
}

template <class P>
void polygonize_set(const KT_Contour_Set_Data& set, const Output<P>& out, int max_points) {
    if (!has_points<P>(set)) return;
    if (max_points < 3) max_points = unlimited_points;
    const P* p = points_of<P>(set);
    KT_Contour_Processing_Info& info = set.info();
    if (single_convex_contour<P>(set, max_points)) {
        const int n = set.counts[0];
        KT_Contour_Point_Source* sources = reserve(info.sources, n);
        for (int i = 0; i < n; ++i)
            sources[i] = out.sources(i);
        out.polygon(n, p, sources, out.user);
        return;
    }
    if (max_points == 3) {
        Output<P> as_triangles = out;
        as_triangles.triangle = nullptr;
        triangulate_set(set, as_triangles);
        return;
    }
    if (set.fill_rule == KT_Fill_Non_Zero) {
        if (const KT_Contour_Set_Data* resolved = set.resolved_form())
            polygonize_set(*resolved, through_resolved(out, *resolved), max_points);
        return;
    }
    Sweep_Workspace* w = sweep_region<P>(set, out);
    if (!w) return;
    Convex_Merger merger(*w);
    w->triangulate([](std::int32_t a, std::int32_t b, std::int32_t c,
                      void* m) { static_cast<Convex_Merger*>(m)->add_triangle(a, b, c); },
                   &merger);
    merger.merge(max_points);
    merger.for_each_polygon([&](int n, const std::int32_t* ids) {
        P* corners = reserve(point_buffer<P>(info), n);
        KT_Contour_Point_Source* sources = reserve(info.sources, n);
        for (int i = 0; i < n; ++i) {
            const Point& q = w->points[ids[i]];
            corners[i] = to_point<P>(q.p);
            sources[i] = q.source < 0 ? KT_Contour_Point_Source{-1} : out.sources(q.source);
        }
        out.polygon(n, corners, sources, out.user);
    });
}

// The forms without sources wrap the ones with them.
template <class P> struct Plain {
    void (*triangle)(const P*, const P*, const P*, void*) = nullptr;
    void (*polygon)(int, const P*, void*) = nullptr;
    void* user = nullptr;
    static void on_triangle(const P* a, const P* b, const P* c, const KT_Contour_Point_Source*,
                            const KT_Contour_Point_Source*, const KT_Contour_Point_Source*,
                            void* self) {
        const auto& plain = *static_cast<const Plain*>(self);
        plain.triangle(a, b, c, plain.user);
    }
    static void on_polygon(int n, const P* points, const KT_Contour_Point_Source*, void* self) {
        const auto& plain = *static_cast<const Plain*>(self);
        plain.polygon(n, points, plain.user);
    }
};

template <class P> Output<P> triangles_to(typename Output<P>::Triangle callback, void* user) {
    Output<P> out;
    out.triangle = callback;
    out.user = user;
    return out;
}

template <class P>
void start_triangulate(const KT_Contour_Set_Data& set, typename Output<P>::Triangle callback,
                       void* user) {
    if (callback) triangulate_set(set, triangles_to<P>(callback, user));
}

template <class P>
void start_polygonize(const KT_Contour_Set_Data& set, typename Output<P>::Polygon callback,
                      void* user, int max_points) {
    if (!callback) return;
    Output<P> out;
    out.polygon = callback;
    out.user = user;
    polygonize_set(set, out, max_points);
}

} // namespace

namespace kavri_contour::detail {

void triangulate_general(const KT_Contour_Set_Data& set, KT_Contour_Triangle_Callback callback,
                         void* user) {
    if (callback)
        triangulate_set(set, triangles_to<KT_Point>(callback, user), Crossings::possible,
                        Small_Path::skipped);
}

void triangulate_general(const KT_Contour_Set_Data& set, KT_Contour_Triangle_Callback_D callback,
                         void* user) {
    if (callback)
        triangulate_set(set, triangles_to<KT_Point_D>(callback, user), Crossings::possible,
                        Small_Path::skipped);
}

bool triangulate_small(const KT_Contour_Set_Data& set, KT_Contour_Triangle_Callback callback,
                       void* user) {
    return callback && has_points<KT_Point>(set) &&
           ::triangulate_small(set, triangles_to<KT_Point>(callback, user));
}

bool triangulate_small(const KT_Contour_Set_Data& set, KT_Contour_Triangle_Callback_D callback,
                       void* user) {
    return callback && has_points<KT_Point_D>(set) &&
           ::triangulate_small(set, triangles_to<KT_Point_D>(callback, user));
}

} // namespace kavri_contour::detail

void KT_Contour_Set_Data::triangulate(KT_Contour_Triangle_Callback callback, void* user) const {
    start_triangulate<KT_Point>(*this, callback, user);
}

void KT_Contour_Set_Data::triangulate(KT_Contour_Triangle_Callback_D callback, void* user) const {
    start_triangulate<KT_Point_D>(*this, callback, user);
}

void KT_Contour_Set_Data::triangulate(KT_Contour_Plain_Triangle_Callback callback,
                                      void* user) const {
    Plain<KT_Point> plain{callback, nullptr, user};
    if (callback) start_triangulate<KT_Point>(*this, Plain<KT_Point>::on_triangle, &plain);
}

void KT_Contour_Set_Data::triangulate(KT_Contour_Plain_Triangle_Callback_D callback,
                                      void* user) const {
    Plain<KT_Point_D> plain{callback, nullptr, user};
    if (callback) start_triangulate<KT_Point_D>(*this, Plain<KT_Point_D>::on_triangle, &plain);
}

void KT_Contour_Set_Data::polygonize(KT_Contour_Polygon_Callback callback, void* user,
                                     int max_points) const {
    start_polygonize<KT_Point>(*this, callback, user, max_points);
}

void KT_Contour_Set_Data::polygonize(KT_Contour_Polygon_Callback_D callback, void* user,
                                     int max_points) const {
    start_polygonize<KT_Point_D>(*this, callback, user, max_points);
}

void KT_Contour_Set_Data::polygonize(KT_Contour_Plain_Polygon_Callback callback, void* user,
                                     int max_points) const {
    Plain<KT_Point> plain{nullptr, callback, user};
    if (callback)
        start_polygonize<KT_Point>(*this, Plain<KT_Point>::on_polygon, &plain, max_points);
}

void KT_Contour_Set_Data::polygonize(KT_Contour_Plain_Polygon_Callback_D callback, void* user,
                                     int max_points) const {
    Plain<KT_Point_D> plain{nullptr, callback, user};
    if (callback)
        start_polygonize<KT_Point_D>(*this, Plain<KT_Point_D>::on_polygon, &plain, max_points);
}
