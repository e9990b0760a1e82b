#include "contour/polygon_rank.h"

#include <cmath>

#include "contour/ear_clip.h"
#include "contour/planar_sweep.h"

namespace {

struct Vec3 {
    double x, y, z;
};

int sign(double v) {
    return (v > 0) - (v < 0);
}

// Walks the edges once, counting sign changes of the edge components
// (more than six means the outline winds around more than once) and
// comparing the turn of each corner with the previous one.
template <class Corner> KT_Polygon_Rank rank(int n, Corner corner) {
    if (n <= 3) return Convex;
    auto edge = [&](int i) {
        const Vec3 a = corner((i + n - 1) % n), b = corner(i);
        return Vec3{b.x - a.x, b.y - a.y, b.z - a.z};
    };
    auto zero = [](const Vec3& e) { return e.x == 0 && e.y == 0 && e.z == 0; };
    int last = n - 1;
    while (last >= 0 && zero(edge(last)))
        --last;
    if (last < 0) return Convex;
    Vec3 previous = edge(last);
    int signs[3] = {sign(previous.x), sign(previous.y), sign(previous.z)};
    Vec3 previous_turn{0, 0, 0};
    int changes = 0;
    bool concave = false;
    for (int i = 0; i < n; ++i) {
        const Vec3 e = edge(i);
        if (zero(e)) continue;
        const double c[3] = {e.x, e.y, e.z};
        for (int k = 0; k < 3; ++k) {
            const int s = sign(c[k]) != 0 ? sign(c[k]) : signs[k];
            if (s != signs[k]) ++changes;
            signs[k] = s;
        }
        if (changes > 6) return Complex;
        const Vec3 turn{previous.y * e.z - previous.z * e.y, previous.z * e.x - previous.x * e.z,
                        previous.x * e.y - previous.y * e.x};
        if (zero(turn)) {
            // Straight on: keep the older edge; a fold back starts afresh.
            if (previous.x * e.x + previous.y * e.y + previous.z * e.z <= 0) previous = e;
            continue;
        }
        if (turn.x * previous_turn.x + turn.y * previous_turn.y + turn.z * previous_turn.z < 0)
            concave = true;
        previous_turn = turn;
        previous = e;
    }
    return concave ? Concave : Convex;
}

template <class P> Vec3 as_vec(const P& p) {
    return Vec3{p.x, p.y, p.z};
}

// Axis to drop: the normal's largest component, or else the smallest
// extent of the face's points.
int dropped_axis(const KT_Point* points, const KT_Point* normal, const int* face,
                 const int* face_end) {
    if (normal && (normal->x != 0 || normal->y != 0 || normal->z != 0)) {
        const double x = std::fabs(normal->x), y = std::fabs(normal->y), z = std::fabs(normal->z);
        if (x > y && x >= z) return 0;
        return z > y ? 2 : 1;
    }
    double lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (const int* f = face; f < face_end;) {
        const int n = std::abs(*f++);
        for (int k = 0; k < n && f < face_end; ++k, ++f) {
            const double c[3] = {points[*f].x, points[*f].y, points[*f].z};
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::fmin(lo[a], c[a]);
                hi[a] = std::fmax(hi[a], c[a]);
            }
        }
    }
    const double dx = hi[0] - lo[0], dy = hi[1] - lo[1], dz = hi[2] - lo[2];
    if (dx >= dy) return dz < dy ? 2 : 1;
    return dz < dx ? 2 : 0;
}

struct Face_Delivery {
    const kavri_contour::Sweep_Workspace* w;
    KT_Face_Triangle_Callback callback;
    void* user;
    bool reverse;
};

void deliver_face_triangle(std::int32_t a, std::int32_t b, std::int32_t c, void* user) {
    const Face_Delivery& d = *static_cast<const Face_Delivery*>(user);
    const std::int32_t i = d.w->points[a].source, j = d.w->points[b].source,
                       k = d.w->points[c].source;
    // A crossing of a self-intersecting face has no vertex index to give.
    if (i < 0 || j < 0 || k < 0) return;
    if (d.reverse)
        d.callback(d.user, 0, i, k, j);
    else
        d.callback(d.user, 0, i, j, k);
}

// Projects the face's loops into the workspace; false when a coordinate is
// not finite. outline_area receives twice the outline's signed area.
bool load_face(kavri_contour::Sweep_Workspace& w, const KT_Point* points, int drop, const int* face,
               const int* face_end, double& outline_area) {
    auto project = [drop](const KT_Point& p, double& u, double& v) {
        const double c[3] = {p.x, p.y, p.z};
        u = c[(drop + 1) % 3];
        v = c[(drop + 2) % 3];
    };
    w.begin();
    w.axes[0] = (drop + 1) % 3;
    w.axes[1] = (drop + 2) % 3;
    outline_area = 0;
    bool outline = true;
    for (const int* f = face; f < face_end;) {
        const int n = std::abs(*f++);
        const std::int32_t first = static_cast<std::int32_t>(w.points.size());
        int added = 0;
        for (; added < n && f < face_end; ++added, ++f) {
            double u, v;
            project(points[*f], u, v);
            if (!std::isfinite(u) || !std::isfinite(v)) return false;
            const KT_Point& p = points[*f];
            w.add_point(u, v, KT_Point_D{p.x, p.y, p.z}, *f);
        }
        for (int k = 0; k < added; ++k) {
            const std::int32_t a = first + k, b = first + (k + 1) % added;
            w.add_edge(a, b, 0);
            if (outline)
                outline_area += w.points[a].u * w.points[b].v - w.points[b].u * w.points[a].v;
        }
        outline = false;
    }
    return true;
}

struct Ear_Delivery {
    KT_Face_Triangle_Callback callback;
    void* user;
    bool reverse;
};

void deliver_ear(std::int32_t a, std::int32_t b, std::int32_t c, void* user) {
    const Ear_Delivery& d = *static_cast<const Ear_Delivery*>(user);
    if (d.reverse)
        d.callback(d.user, 0, a, c, b);
    else
        d.callback(d.user, 0, a, b, c);
}

// A face whose loops neither touch nor cross, with every hole inside the
// outline, is cut into ears; false, with nothing delivered, for any other.
bool triangulate_simple_face(const KT_Point* points, int drop, const int* face, const int* face_end,
                             KT_Face_Triangle_Callback callback, void* user) {
    if (face_end - face > kavri_contour::Ear_Clipper::max_points) return false;
    kavri_contour::Ear_Clipper clipper;
    clipper.begin();
    double outline_area = 0;
    for (const int* f = face; f < face_end;) {
        const int n = std::abs(*f++);
        if (face_end - f < n) return false;
        const int* loop = f;
        for (int k = 0; k < n; ++k, ++f) {
            const double c[3] = {points[*f].x, points[*f].y, points[*f].z};
            const double u = c[(drop + 1) % 3], v = c[(drop + 2) % 3];
            if (!std::isfinite(u) || !std::isfinite(v)) return false;
            clipper.add_point(u, v, *f);
            if (loop != face + 1) continue;
            const KT_Point& next = points[loop[(k + 1) % n]];
            const double d[3] = {next.x, next.y, next.z};
            outline_area += u * d[(drop + 2) % 3] - d[(drop + 1) % 3] * v;
        }
        clipper.end_contour();
    }
    Ear_Delivery d{callback, user, outline_area < 0};
    return clipper.triangulate(kavri_contour::Hole_Turn::either, deliver_ear, &d);
}

void strip(const int* loop, int n, KT_Face_Triangle_Callback callback, void* user) {
    KD_Convex_Strip(n, [&](int a, int b, int c) { callback(user, 1, loop[a], loop[b], loop[c]); });
}

} // namespace

KT_Polygon_Rank KD_Rank_Polygon(int count, const KT_Point* points) {
    if (!points) return Convex;
    return rank(count, [points](int i) { return as_vec(points[i]); });
}

KT_Polygon_Rank KD_Rank_Polygon(int count, const KT_Point_D* points) {
    if (!points) return Convex;
    return rank(count, [points](int i) { return as_vec(points[i]); });
}

KT_Polygon_Rank KD_Rank_Polygon(const KT_Point* points, const int* face, const int* face_end) {
    if (!points || !face || face_end <= face + 1) return Convex;
    const int* loop = face + 1;
    const int n = static_cast<int>(face_end - loop);
    return rank(n, [points, loop](int i) { return as_vec(points[loop[i]]); });
}

void KD_Triangulate_Face(const KT_Point* points, const KT_Point* normal, const int* face,
                         const int* face_end, KT_Face_Triangle_Callback callback, void* user) {
    if (!points || !face || !callback || face_end <= face) return;
    const int n = face[0];
    if (n < 3 || face + 1 + n > face_end) return;
    const int* loop = face + 1;
    const bool single = face + 1 + n == face_end;
    if (single && n == 3) {
        callback(user, 0, loop[0], loop[1], loop[2]);
        return;
    }
    const KT_Polygon_Rank rank = single ? KD_Rank_Polygon(points, face, face_end) : Concave;
    if (rank == Convex) {
        strip(loop, n, callback, user);
        return;
    }
    const int drop = dropped_axis(points, normal, face, face_end);
    if (triangulate_simple_face(points, drop, face, face_end, callback, user)) return;
    kavri_contour::Sweep_Workspace w;
    double outline_area;
    if (!load_face(w, points, drop, face, face_end, outline_area)) return;
    w.build(true);
    // The rank calls many simple but wiggly loops complex; only a loop that
    // really crosses itself gets the strip.
    if (rank == Complex && w.crossings_found()) {
        strip(loop, n, callback, user);
        return;
    }
    kavri_contour::Region_Rule rule;
    rule.fill_rule[0] = KT_Fill_Odd_Even;
    w.classify(rule);
    Face_Delivery d{&w, callback, user, outline_area < 0};
    w.triangulate(deliver_face_triangle, &d);
}
