#include "contour/planar_sweep.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>

#include "contour/active_line.h"
#include "contour/exact_predicates.h"
#include "contour/sweep_buffers.h"

namespace kavri_contour {

namespace {

bool below(const Point& a, const Point& b) {
    return a.v < b.v || (a.v == b.v && a.u < b.u);
}

} // namespace

bool Region_Rule::keep(bool in_a, bool in_b) const {
    if (!has_b) return in_a;
    switch (operation) {
    case KT_Contour_Intersection:
        return in_a && in_b;
    case KT_Contour_Union:
        return in_a || in_b;
    case KT_Contour_A_Minus_B:
        return in_a && !in_b;
    case KT_Contour_B_Minus_A:
        return in_b && !in_a;
    default:
        return false;
    }
}

Sweep_Workspace::~Sweep_Workspace() {
    delete buffers_;
}

Sweep_Workspace::Sweep_Buffers& Sweep_Workspace::buffers() {
    if (!buffers_) buffers_ = new Sweep_Buffers;
    return *buffers_;
}

void Sweep_Workspace::begin() {
    // The last arrangement is set aside until build() sees what is loaded.
    kept_.valid = built_;
    built_ = false;
    if (kept_.valid) {
        kept_.points.swap(points);
        kept_.edges.swap(edges);
        kept_.segments.swap(segments);
    }
    axes[0] = 0;
    axes[1] = 1;
    single_precision = false;
    contours_only = false;
    points.clear();
    edges.clear();
    segments.clear();
    boundary.clear();
    lines.clear();
}

std::int32_t Sweep_Workspace::add_point(double u, double v, const KT_Point_D& p,
                                        std::int32_t source) {
    points.push_back(Point{u, v, p, source});
    return static_cast<std::int32_t>(points.size() - 1);
}

void Sweep_Workspace::add_edge(std::int32_t a, std::int32_t b, int operand) {
    if (a != b) edges.push_back(Edge{a, b, operand});
}

namespace {

bool same_bits(double x, double y) {
    return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
}

bool same_points(const Vector<Point>& x, const Vector<Point>& y) {
    return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](const Point& p, const Point& q) {
        return same_bits(p.u, q.u) && same_bits(p.v, q.v) && same_bits(p.p.x, q.p.x) &&
               same_bits(p.p.y, q.p.y) && same_bits(p.p.z, q.p.z) && p.source == q.source;
    });
}

bool same_edges(const Vector<Edge>& x, const Vector<Edge>& y) {
    return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](const Edge& e, const Edge& f) {
        return e.a == f.a && e.b == f.b && e.operand == f.operand && e.weight == f.weight;
    });
}

} // namespace

bool Sweep_Workspace::Kept_Arrangement::built_from(const Sweep_Workspace& w, bool find_crossings,
                                                   Crossing_Search search) const {
    return valid && find_crossings == crossings_searched && search == this->search &&
           w.axes[0] == axes[0] && w.axes[1] == axes[1] && w.single_precision == single_precision &&
           w.contours_only == contours_only && same_points(w.points, input_points) &&
           same_edges(w.edges, input_edges);
}

void Sweep_Workspace::build(bool find_crossings, Crossing_Search search) {
    // Both differences of one pair, or a set combined again, load the same
    // input: the arrangement it gave is taken back instead of built again.
    if (kept_.built_from(*this, find_crossings, search)) {
        kept_.points.swap(points);
        kept_.edges.swap(edges);
        kept_.segments.swap(segments);
        crossings_found_ = kept_.crossings_found;
        kept_.valid = false;
        built_ = true;
        return;
    }
    kept_.valid = false;
    kept_.input_points = points;
    kept_.input_edges = edges;
    kept_.axes[0] = axes[0];
    kept_.axes[1] = axes[1];
    kept_.single_precision = single_precision;
    kept_.contours_only = contours_only;
    kept_.crossings_searched = find_crossings;
    kept_.search = search;
    build_arrangement(find_crossings, search);
    kept_.crossings_found = crossings_found_;
    built_ = true;
}

void Sweep_Workspace::build_arrangement(bool find_crossings, Crossing_Search search) {
    merge_equal_points();
    if (all_collinear()) edges.clear(); // encloses nothing; spares the pair tests
    // Snapping created points to nearby ones makes the passes settle (two to
    // four on every input seen); the bound only guarantees an end on hostile
    // input, which may then keep a crossing rather than hang.
    constexpr int max_passes = 64;
    new_point_budget_ = INT64_MAX;
    crossings_found_ = false;
    for (int pass = 0; find_crossings && pass < max_passes; ++pass) {
        crossing_split_ = false;
        if (search == Crossing_Search::sweep) {
            // After the first pass only edges near where splits moved them
            // can cross anew; the rest were checked against each other.
            const bool restricted = pass > 0;
            if (restricted) park_edges_away_from_moved_points();
            splits_.clear();
            forced_snap_ = false;
            if (!edges.empty()) sweep_crossings();
            if (restricted) unpark_edges();
        } else {
            splits_.clear();
            test_all_overlapping_pairs();
        }
        if (splits_.empty()) break;
        apply_splits();
        if (crossing_split_) {
            merge_equal_points();
        } else { // no point was added, so none can merge
            remap_.resize(points.size());
            std::iota(remap_.begin(), remap_.end(), 0);
        }
        join_coincident_edges();
        if (contours_only) merge_straight_runs();
        // Splits at points lying exactly on their edges leave pieces that
        // touch only where their edges did, which this pass has seen.
        if (!crossing_split_) break;
        // Later passes only settle what rounding moved. Nearly concurrent
        // crossings may create many points there that merge again, but
        // however hostile the input, the points they create stay a fixed
        // multiple of those the first pass left.
        constexpr std::int64_t later_points_per_point = 8;
        if (pass == 0)
            new_point_budget_ = later_points_per_point * static_cast<std::int64_t>(points.size());
    }
    make_segments();
}

// Every split bends an edge through its point, by at most the rounding of
// a crossing (and of snapping it to a point nearby).
void Sweep_Workspace::note_moved_points() {
    moved_.clear();
    for (const Split& s : splits_)
        moved_.push_back(remap_[s.point]);
    // Ids follow sweep order, so sorted ids are sorted by v.
    std::sort(moved_.begin(), moved_.end());
    moved_.erase(std::unique(moved_.begin(), moved_.end()), moved_.end());
}

// A piece that rounding bent crosses only edges passing within that
// rounding of the point it was bent through.
bool Sweep_Workspace::near_moved_point(const Edge& e) const {
    const Point& a = points[e.a];
    const Point& b = points[e.b];
    const double lo_u = std::min(a.u, b.u), hi_u = std::max(a.u, b.u);
    const double lo_v = std::min(a.v, b.v), hi_v = std::max(a.v, b.v);
    constexpr double bends = 4; // the crossing's rounding, snapping, and margin
    const double reach = bends * rounding_reach(std::max(std::fabs(lo_u), std::fabs(hi_u)),
                                                std::max(std::fabs(lo_v), std::fabs(hi_v)));
    auto first = std::lower_bound(moved_.begin(), moved_.end(), lo_v - reach,
                                  [this](std::int32_t p, double v) { return points[p].v < v; });
    for (auto it = first; it != moved_.end() && points[*it].v <= hi_v + reach; ++it)
        if (points[*it].u >= lo_u - reach && points[*it].u <= hi_u + reach) return true;
    return false;
}

// The grid's finer test when it can answer; the box test when the grid is
// crowded or a crossing was forced onto an end point, which may bend an
// edge further than rounding does.
void Sweep_Workspace::park_edges_away_from_moved_points() {
    const bool fine = !forced_snap_ && select_edges_near_points(selected_);
    if (!fine) note_moved_points();
    parked_.clear();
    std::size_t kept = 0;
    for (std::size_t k = 0; k < edges.size(); ++k) {
        const Edge e = edges[k];
        if (fine ? selected_[k] != 0 : near_moved_point(e))
            edges[kept++] = e;
        else
            parked_.push_back(e);
    }
    edges.resize(kept);
}

void Sweep_Workspace::unpark_edges() {
    edges.insert(edges.end(), parked_.begin(), parked_.end());
}

bool Sweep_Workspace::build_if_simple() {
    kept_.valid = false;
    const std::size_t loaded = points.size();
    merge_equal_points();
    if (points.size() != loaded || all_collinear()) return false;
    splits_.clear();
    stop_at_first_split_ = true;
    sweep_crossings();
    stop_at_first_split_ = false;
    if (!splits_.empty()) return false;
    make_segments();
    return true;
}

bool Sweep_Workspace::all_collinear() const {
    const auto n = static_cast<std::int32_t>(points.size());
    for (std::int32_t i = 1; i + 1 < n; ++i)
        if (orient(0, n - 1, i) != 0) return false;
    return true;
}

double Sweep_Workspace::rounding_reach(double u, double v) const {
    return (single_precision ? 0x1p-21 : 0x1p-49) *
           std::max({std::fabs(u), std::fabs(v), 0x1p-960});
}

// A point already kept within rounding of the created point p, looked for
// among the last few kept (they are in sweep order, so near ones are close
// by): crossings of three edges through one place become one point.
std::int32_t Sweep_Workspace::nearby(const Vector<Point>& kept, const Point& p) const {
    const double reach = rounding_reach(p.u, p.v);
    const auto n = static_cast<std::int32_t>(kept.size());
    for (std::int32_t k = n - 1; k >= 0 && k >= n - 16; --k) {
        if (p.v - kept[k].v > reach) break;
        if (std::fabs(p.u - kept[k].u) <= reach) return k;
    }
    return -1;
}

// Renumbers points in sweep order, one id per position; an input point wins
// over a created one at the same place.
void Sweep_Workspace::merge_equal_points() {
    const auto n = static_cast<std::int32_t>(points.size());
    order_.resize(n);
    for (std::int32_t i = 0; i < n; ++i)
        order_[i] = i;
    std::stable_sort(order_.begin(), order_.end(), [this](std::int32_t a, std::int32_t b) {
        return below(points[a], points[b]);
    });
    remap_.resize(n);
    Vector<Point>& merged = merged_;
    merged.clear();
    merged.reserve(n);
    for (std::int32_t k = 0; k < n; ++k) {
        const Point& p = points[order_[k]];
        if (!merged.empty() && !below(merged.back(), p)) {
            if (merged.back().source < 0 && p.source >= 0) {
                merged.back().source = p.source;
                merged.back().p = p.p;
            }
        } else if (const std::int32_t near = p.source < 0 ? nearby(merged, p) : -1; near >= 0) {
            remap_[order_[k]] = near;
            continue;
        } else {
            merged.push_back(p);
        }
        remap_[order_[k]] = static_cast<std::int32_t>(merged.size() - 1);
    }
    points.swap(merged);
    std::size_t kept = 0;
    for (const Edge& e : edges) {
        const Edge r{remap_[e.a], remap_[e.b], e.operand, e.weight};
        if (r.a != r.b) edges[kept++] = r;
    }
    edges.resize(kept);
}

// Tests every pair of edges whose boxes overlap, found by a sweep over the
// edges' u ranges; records where each edge must be split. Quadratic where
// edges pile up, but plain enough to check the crossing sweep against.
void Sweep_Workspace::test_all_overlapping_pairs() {
    const auto n = static_cast<std::int32_t>(edges.size());
    order_.resize(n);
    for (std::int32_t i = 0; i < n; ++i)
        order_[i] = i;
    auto min_u = [this](std::int32_t e) {
        return std::min(points[edges[e].a].u, points[edges[e].b].u);
    };
    auto max_u = [this](std::int32_t e) {
        return std::max(points[edges[e].a].u, points[edges[e].b].u);
    };
    std::sort(order_.begin(), order_.end(),
              [&](std::int32_t a, std::int32_t b) { return min_u(a) < min_u(b); });
    Vector<std::int32_t> active;
    for (std::int32_t k = 0; k < n; ++k) {
        const std::int32_t e = order_[k];
        const double start = min_u(e);
        const Point& ea = points[edges[e].a];
        const Point& eb = points[edges[e].b];
        const double v0 = std::min(ea.v, eb.v), v1 = std::max(ea.v, eb.v);
        std::size_t kept = 0;
        for (std::size_t i = 0; i < active.size(); ++i) {
            const std::int32_t f = active[i];
            if (max_u(f) < start) continue;
            active[kept++] = f;
            const Point& fa = points[edges[f].a];
            const Point& fb = points[edges[f].b];
            if (std::max(fa.v, fb.v) < v0 || std::min(fa.v, fb.v) > v1) continue;
            test_pair(e, f);
        }
        active.resize(kept);
        active.push_back(e);
    }
}

void Sweep_Workspace::test_pair(std::int32_t e, std::int32_t f) {
    test_pair(e, f, orient(edges[e].a, edges[e].b, edges[f].a),
              orient(edges[e].a, edges[e].b, edges[f].b));
}

void Sweep_Workspace::test_pair(std::int32_t e, std::int32_t f, int o1, int o2) {
    const std::int32_t a = edges[e].a, b = edges[e].b;
    const std::int32_t c = edges[f].a, d = edges[f].b;
    // Point ids follow sweep order, so on a common line "between" is a
    // comparison of ids.
    auto between = [](std::int32_t p, std::int32_t x, std::int32_t y) {
        return p > std::min(x, y) && p < std::max(x, y);
    };
    auto split = [this](std::int32_t edge, std::int32_t point) {
        splits_.push_back(Split{edge, point, 0.0});
    };
    if (o1 == 0 && o2 == 0) {
        if (between(c, a, b)) split(e, c);
        if (between(d, a, b)) split(e, d);
        if (between(a, c, d)) split(f, a);
        if (between(b, c, d)) split(f, b);
        return;
    }
    if (a == c || a == d || b == c || b == d) return;
    const int o3 = orient(c, d, a), o4 = orient(c, d, b);
    if (o1 * o2 < 0 && o3 * o4 < 0) {
        split_at_crossing(e, f);
        return;
    }
    if (o1 == 0 && between(c, a, b) && o3 * o4 <= 0) split(e, c);
    if (o2 == 0 && between(d, a, b) && o3 * o4 <= 0) split(e, d);
    if (o3 == 0 && between(a, c, d) && o1 * o2 <= 0) split(f, a);
    if (o4 == 0 && between(b, c, d) && o1 * o2 <= 0) split(f, b);
}

void Sweep_Workspace::split_at_crossing(std::int32_t e, std::int32_t f) {
    crossings_found_ = true;
    crossing_split_ = true;
    // Computed the same way round whatever the edges' directions and order,
    // coincident edges crossing a third get bit-identical crossing points,
    // and whichever search finds the pair snaps it to the same end point.
    auto lo = [this](std::int32_t x) { return std::min(edges[x].a, edges[x].b); };
    auto hi = [this](std::int32_t x) { return std::max(edges[x].a, edges[x].b); };
    const bool swap = lo(f) < lo(e) || (lo(f) == lo(e) && hi(f) < hi(e));
    const std::int32_t first = swap ? f : e, second = swap ? e : f;
    const Point& a = points[lo(first)];
    const Point& b = points[hi(first)];
    const Point& c = points[lo(second)];
    const Point& d = points[hi(second)];
    const double ru = b.u - a.u, rv = b.v - a.v;
    const double su = d.u - c.u, sv = d.v - c.v;
    const double denom = ru * sv - rv * su;
    double t = ((c.u - a.u) * sv - (c.v - a.v) * su) / denom;
    if (!(t > 0)) t = 0;
    if (t > 1) t = 1;
    double u = a.u + t * ru, v = a.v + t * rv;
    // Keep the rounded point inside both boxes so it cannot wander off.
    u = std::clamp(u, std::max(std::min(a.u, b.u), std::min(c.u, d.u)),
                   std::min(std::max(a.u, b.u), std::max(c.u, d.u)));
    v = std::clamp(v, std::max(std::min(a.v, b.v), std::min(c.v, d.v)),
                   std::min(std::max(a.v, b.v), std::max(c.v, d.v)));
    double p[3] = {a.p.x + t * (b.p.x - a.p.x), a.p.y + t * (b.p.y - a.p.y),
                   a.p.z + t * (b.p.z - a.p.z)};
    if (single_precision) {
        u = static_cast<float>(u);
        v = static_cast<float>(v);
        for (double& c : p)
            c = static_cast<float>(c);
    }
    // A crossing within rounding of an end point is that end point, and so
    // is one where an end point lies within rounding of the other line: new
    // points a hair off nearly parallel lines would only make new crossings
    // pass after pass.
    const double reach = rounding_reach(u, v);
    const std::int32_t ends[4] = {lo(first), hi(first), lo(second), hi(second)};
    int snap = -1;
    double snap_distance = 0;
    for (int k = 0; k < 4; ++k) {
        const Point& q = points[ends[k]];
        const double distance = std::max(std::fabs(q.u - u), std::fabs(q.v - v));
        const std::int32_t other = k < 2 ? second : first;
        if (distance > reach && !within_reach_of_edge(ends[k], other, reach)) continue;
        if (snap >= 0 && distance >= snap_distance) continue;
        snap = k;
        snap_distance = distance;
    }
    if (snap < 0 && new_point_budget_ <= 0) {
        snap = nearest_end(ends, u, v);
        forced_snap_ = true;
    }
    if (snap >= 0) {
        splits_.push_back(Split{snap < 2 ? second : first, ends[snap], 0.0});
        return;
    }
    --new_point_budget_;
    p[axes[0]] = u;
    p[axes[1]] = v;
    const std::int32_t id = add_point(u, v, KT_Point_D{p[0], p[1], p[2]}, -1);
    splits_.push_back(Split{e, id, 0.0});
    splits_.push_back(Split{f, id, 0.0});
}

int Sweep_Workspace::nearest_end(const std::int32_t ends[4], double u, double v) const {
    int best = 0;
    double best_distance = INFINITY;
    for (int k = 0; k < 4; ++k) {
        const Point& q = points[ends[k]];
        const double distance = std::max(std::fabs(q.u - u), std::fabs(q.v - v));
        if (distance < best_distance) best = k, best_distance = distance;
    }
    return best;
}

// Whether point q lies within reach of edge e's line, strictly between its
// ends.
bool Sweep_Workspace::within_reach_of_edge(std::int32_t q, std::int32_t e, double reach) const {
    const Point& a = points[edges[e].a];
    const Point& b = points[edges[e].b];
    const Point& p = points[q];
    const double du = b.u - a.u, dv = b.v - a.v;
    const double along = (p.u - a.u) * du + (p.v - a.v) * dv;
    const double length_squared = du * du + dv * dv;
    if (!(along > 0 && along < length_squared)) return false;
    const double off = std::fabs(du * (p.v - a.v) - dv * (p.u - a.u));
    return off <= reach * std::sqrt(length_squared);
}

// Edges of one operand between the same two points become one, weighted:
// piles of coincident edges (a path run back and forth) then cost one edge,
// and every search sees each place on a line once.
void Sweep_Workspace::join_coincident_edges() {
    for (Edge& e : edges) {
        if (e.a < e.b) continue;
        std::swap(e.a, e.b);
        e.weight = -e.weight;
    }
    sort_by_id(
        edges, scratch_edges_, run_first_, static_cast<std::int32_t>(points.size()),
        [](const Edge& e) { return e.a; },
        [](const Edge& x, const Edge& y) {
            if (x.b != y.b) return x.b < y.b;
            return x.operand < y.operand;
        });
    std::size_t kept = 0;
    for (const Edge& e : edges) {
        if (kept > 0 && edges[kept - 1].a == e.a && edges[kept - 1].b == e.b &&
            edges[kept - 1].operand == e.operand) {
            edges[kept - 1].weight += e.weight;
            continue;
        }
        edges[kept++] = e;
    }
    edges.resize(kept);
}

namespace {

constexpr std::int32_t no_end = -1;
constexpr std::int32_t several_ends = -2;

} // namespace

// Collinear edges that overlap were split at every end of one another, so
// the pieces run from each point of the line to the next. A split point
// that no other edge meets and across which every operand's weight runs on
// unchanged cuts nothing: the pieces either side join again, and an overlap
// costs a piece per interval of constant weight, not one per vertex inside
// it. Points with a source stay, since the contours keep every one they
// pass, and so do points the passes did not split at: nothing overlaps
// there.
// Needs the edges as join_coincident_edges() leaves them: one per operand
// and pair of points, lower end first.
void Sweep_Workspace::merge_straight_runs() {
    const auto point_count = static_cast<std::int32_t>(points.size());
    const Line_Side empty{no_end, {0, 0}, 0};
    below_.assign(point_count, empty);
    above_.assign(point_count, empty);
    auto note = [](Line_Side& side, std::int32_t far, const Edge& e) {
        const auto bit = static_cast<std::uint8_t>(1u << e.operand);
        if (side.end == no_end) side.end = far;
        if (side.end != far || (side.operands & bit) != 0) side.end = several_ends;
        side.operands |= bit;
        side.weight[e.operand] = e.weight;
    };
    for (const Edge& e : edges) {
        note(below_[e.b], e.a, e);
        note(above_[e.a], e.b, e);
    }
    straight_.assign(point_count, 0);
    bool any = false;
    for (const Split& s : splits_) {
        const std::int32_t p = remap_[s.point];
        const Line_Side& low = below_[p];
        const Line_Side& high = above_[p];
        if (straight_[p] || points[p].source >= 0 || low.end < 0 || high.end < 0 ||
            low.operands != high.operands || low.weight[0] != high.weight[0] ||
            low.weight[1] != high.weight[1])
            continue;
        // Ids follow sweep order, so a collinear p lies between the ends.
        if (orient(low.end, p, high.end) != 0) continue;
        straight_[p] = 1;
        any = true;
    }
    if (!any) return;
    // Each run starts at an edge whose lower end stays and takes in the
    // pieces above it, which at a joining point all end at one far point.
    std::size_t kept = 0;
    for (const Edge& e : edges) {
        if (straight_[e.a]) continue;
        Edge run = e;
        while (straight_[run.b])
            run.b = above_[run.b].end;
        edges[kept++] = run;
    }
    edges.resize(kept);
}

// Replaces every split edge by the chain through its split points.
void Sweep_Workspace::apply_splits() {
    for (Split& s : splits_) {
        const Point& a = points[edges[s.edge].a];
        const Point& b = points[edges[s.edge].b];
        const Point& p = points[s.point];
        s.along = (p.u - a.u) * (b.u - a.u) + (p.v - a.v) * (b.v - a.v);
    }
    // Splits whose distances along the edge round alike are ordered by
    // position, so the chain does not depend on the order they were found in.
    sort_by_id(
        splits_, scratch_splits_, run_first_, static_cast<std::int32_t>(edges.size()),
        [](const Split& s) { return s.edge; },
        [this](const Split& x, const Split& y) {
            if (x.along != y.along) return x.along < y.along;
            return below(points[x.point], points[y.point]);
        });
    scratch_edges_.clear();
    scratch_edges_.reserve(edges.size() + splits_.size());
    std::size_t k = 0;
    for (std::int32_t e = 0; e < static_cast<std::int32_t>(edges.size()); ++e) {
        const Edge edge = edges[e];
        std::int32_t from = edge.a;
        for (; k < splits_.size() && splits_[k].edge == e; ++k) {
            const std::int32_t p = splits_[k].point;
            if (p == from || p == edge.b) continue;
            scratch_edges_.push_back(Edge{from, p, edge.operand, edge.weight});
            from = p;
        }
        scratch_edges_.push_back(Edge{from, edge.b, edge.operand, edge.weight});
    }
    edges.swap(scratch_edges_);
}

// Coincident edges become one segment whose winding sums theirs, so a
// shared edge counts for both operands but appears once.
void Sweep_Workspace::make_segments() {
    segments.clear();
    segments.reserve(edges.size());
    for (const Edge& e : edges) {
        Segment s{std::min(e.a, e.b), std::max(e.a, e.b), {0, 0}};
        s.winding[e.operand] = e.a < e.b ? e.weight : -e.weight;
        segments.push_back(s);
    }
    sort_by_id(
        segments, scratch_segments_, run_first_, static_cast<std::int32_t>(points.size()),
        [](const Segment& s) { return s.lo; },
        [](const Segment& x, const Segment& y) { return x.hi < y.hi; });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (kept > 0 && segments[kept - 1].lo == segments[i].lo &&
            segments[kept - 1].hi == segments[i].hi) {
            segments[kept - 1].winding[0] += segments[i].winding[0];
            segments[kept - 1].winding[1] += segments[i].winding[1];
            continue;
        }
        segments[kept++] = segments[i];
    }
    segments.resize(kept);
    kept = 0;
    for (const Segment& s : segments)
        if (s.winding[0] != 0 || s.winding[1] != 0) segments[kept++] = s;
    segments.resize(kept);
}

void Span_Events::build(const Sweep_Workspace& w, const Span* spans, std::int32_t span_count,
                        std::int32_t point_count) {
    auto group = [&](Vector<std::int32_t>& first, Vector<std::int32_t>& list, bool by_lo) {
        first.assign(point_count + 1, 0);
        for (std::int32_t s = 0; s < span_count; ++s)
            ++first[(by_lo ? spans[s].lo : spans[s].hi) + 1];
        for (std::int32_t p = 0; p < point_count; ++p)
            first[p + 1] += first[p];
        list.resize(span_count);
        fill.assign(first.begin(), first.end() - 1);
        for (std::int32_t s = 0; s < span_count; ++s)
            list[fill[by_lo ? spans[s].lo : spans[s].hi]++] = s;
    };
    group(start_first, start_list, true);
    group(end_first, end_list, false);
    // Spans leaving one point upwards are ordered by angle, leftmost first.
    for (std::int32_t p = 0; p < point_count; ++p) {
        std::int32_t* s = start_list.data() + start_first[p];
        std::sort(s, s + start_count(p), [&](std::int32_t x, std::int32_t y) {
            return w.orient(p, spans[x].hi, spans[y].hi) < 0;
        });
    }
}

// Sweeps the segments once, carrying the winding numbers from left to right
// across the active line, and keeps the segments where the rule's region
// starts or stops.
void Sweep_Workspace::classify(const Region_Rule& rule) {
    boundary.clear();
    lines.clear();
    const auto count = static_cast<std::int32_t>(segments.size());
    Sweep_Buffers& b = buffers();
    Vector<Span>& spans = sized(b.spans, segments.size());
    for (std::int32_t s = 0; s < count; ++s)
        spans[s] = Span{segments[s].lo, segments[s].hi};
    Span_Events& events = b.events;
    events.build(*this, spans.data(), count, static_cast<std::int32_t>(points.size()));
    Vector<std::int32_t>& left_winding = sized(b.left_winding, 2 * segments.size());
    // The line holds slots: a segment starting where another ends takes
    // over its slot, so most points cost no search and no rebalancing.
    // A slot is first named after the segment that opens it.
    Vector<Span>& slot_span = b.slot_span;
    slot_span.assign(spans.begin(), spans.end());
    Vector<std::int32_t>& slot_segment = sized(b.slot_segment, segments.size());
    for (std::int32_t s = 0; s < count; ++s)
        slot_segment[s] = s;
    Active_Line line = make_active_line(this, slot_span.data());
    Vector<Active_Line::iterator>& where = sized(b.where, segments.size());
    auto ends_at = [&](Active_Line::iterator it, std::int32_t p) {
        return segments[slot_segment[*it]].hi == p;
    };

    for (std::int32_t p = 0; p < static_cast<std::int32_t>(points.size()); ++p) {
        const std::int32_t ending = events.end_count(p), starting = events.start_count(p);
        // Segments ending at p lie side by side on the line; find the run.
        Active_Line::iterator run = line.end();
        if (ending > 0) {
            run = where[events.ends(p)[0]];
            while (run != line.begin() && ends_at(std::prev(run), p))
                --run;
            std::int32_t length = 0;
            for (auto it = run; it != line.end() && ends_at(it, p); ++it)
                ++length;
            if (length != ending) { // not planar: take the ends out one by one
                for (std::int32_t k = 0; k < ending; ++k)
                    line.erase(where[events.ends(p)[k]]);
                run = line.end();
            }
        }
        if (starting == 0) {
            if (run != line.end())
                for (std::int32_t k = 0; k < ending; ++k)
                    run = line.erase(run);
            continue;
        }
        const bool reuse = run != line.end();
        Active_Line::iterator next = reuse ? run : line.lower_bound(Point_Key{p});
        std::int32_t w[2] = {0, 0};
        if (next != line.begin()) {
            const std::int32_t left = slot_segment[*std::prev(next)];
            w[0] = left_winding[2 * left] - segments[left].winding[0];
            w[1] = left_winding[2 * left + 1] - segments[left].winding[1];
        }
        std::int32_t free_slots = reuse ? ending : 0;
        for (std::int32_t k = 0; k < starting; ++k) {
            const std::int32_t s = events.starts(p)[k];
            left_winding[2 * s] = w[0];
            left_winding[2 * s + 1] = w[1];
            w[0] -= segments[s].winding[0];
            w[1] -= segments[s].winding[1];
            if (free_slots > 0) {
                --free_slots;
                slot_span[*next] = spans[s];
                slot_segment[*next] = s;
                where[s] = next++;
            } else {
                where[s] = line.emplace_hint(next, s);
            }
        }
        for (; free_slots > 0; --free_slots)
            next = line.erase(next);
    }

    const bool line_operation = rule.line_operation();
    for (std::int32_t s = 0; s < count; ++s) {
        const Segment& seg = segments[s];
        const std::int32_t l0 = left_winding[2 * s], l1 = left_winding[2 * s + 1];
        const std::int32_t r0 = l0 - seg.winding[0], r1 = l1 - seg.winding[1];
        if (line_operation) {
            if (seg.winding[1] == 0) continue;
            const bool touches_a = rule.inside(l0, 0) || rule.inside(r0, 0);
            const bool both_out = !rule.inside(l0, 0) && !rule.inside(r0, 0);
            if (rule.operation == KT_Contour_Lines_Inside ? !touches_a : !both_out) continue;
            lines.push_back(seg.winding[1] > 0 ? Boundary{seg.lo, seg.hi}
                                               : Boundary{seg.hi, seg.lo});
            continue;
        }
        const bool left_in = rule.keep(rule.inside(l0, 0), rule.inside(l1, 1));
        const bool right_in = rule.keep(rule.inside(r0, 0), rule.inside(r1, 1));
        if (left_in == right_in) continue;
        boundary.push_back(left_in ? Boundary{seg.lo, seg.hi} : Boundary{seg.hi, seg.lo});
    }
}

namespace {

// Clockwise angle in (0, 2pi] from direction (ru, rv) to (xu, xv).
double clockwise_angle(double ru, double rv, double xu, double xv) {
    double a = -std::atan2(ru * xv - rv * xu, ru * xu + rv * xv);
    if (a <= 0) a += 2 * 3.14159265358979323846;
    return a;
}

// Outgoing edges per point, as first/list arrays.
void group_by_from(const Vector<Boundary>& edges, std::size_t point_count,
                   Vector<std::int32_t>& first, Vector<std::int32_t>& list,
                   Vector<std::int32_t>& fill) {
    first.assign(point_count + 1, 0);
    for (const Boundary& b : edges)
        ++first[b.from + 1];
    for (std::size_t p = 0; p < point_count; ++p)
        first[p + 1] += first[p];
    list.resize(edges.size());
    fill.assign(first.begin(), first.end() - 1);
    for (std::int32_t e = 0; e < static_cast<std::int32_t>(edges.size()); ++e)
        list[fill[edges[e].from]++] = e;
}

} // namespace

// Each walk follows the boundary of one face: at every point it takes the
// outgoing edge next clockwise from the way it came. A walk that passes a
// point twice (a hole touching its outline) is then cut there into simple
// loops, so no contour touches itself.
void Sweep_Workspace::link_contours(Vector<std::int32_t>& counts, Vector<std::int32_t>& ids) const {
    counts.clear();
    ids.clear();
    Vector<std::int32_t>&first = link_.first, &list = link_.list, &walk = link_.walk,
    &loop = link_.loop;
    group_by_from(boundary, points.size(), first, list, link_.fill);
    Vector<char>& used = link_.used;
    used.assign(boundary.size(), 0);
    Vector<std::int32_t>& position = link_.position;
    position.assign(points.size(), -1);
    // A created point where the contour runs straight on (within the
    // rounding of crossing points) is where some edge inside or outside the
    // region crossed; it is left out.
    const double tolerance = single_precision ? 1e-6 : 1e-12;
    auto straight = [&](std::int32_t a, std::int32_t b, std::int32_t c) {
        const Point &p = points[a], &q = points[b], &r = points[c];
        const double du = r.u - p.u, dv = r.v - p.v;
        const double length = std::hypot(du, dv);
        const double off = std::fabs(du * (q.v - p.v) - dv * (q.u - p.u));
        const double scale = std::fabs(q.u) + std::fabs(q.v) + length;
        return off <= tolerance * scale * length && (q.u - p.u) * du + (q.v - p.v) * dv > 0 &&
               (r.u - q.u) * du + (r.v - q.v) * dv > 0;
    };
    auto removable = [&](std::int32_t a, std::int32_t b, std::int32_t c) {
        return points[b].source < 0 && straight(a, b, c);
    };
    // Drops straight-through points as a stack does, then across the seam
    // where the loop closes, so every test sees the points that remain.
    auto emit = [&](const std::int32_t* p, std::size_t n) {
        const std::size_t before = ids.size();
        for (std::size_t i = 0; i < n; ++i) {
            while (ids.size() - before >= 2 && removable(ids[ids.size() - 2], ids.back(), p[i]))
                ids.pop_back();
            ids.push_back(p[i]);
        }
        std::size_t first = before;
        while (ids.size() - first >= 3) {
            if (removable(ids[ids.size() - 2], ids.back(), ids[first])) {
                ids.pop_back();
            } else if (removable(ids.back(), ids[first], ids[first + 1])) {
                ++first;
            } else {
                break;
            }
        }
        ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(before),
                  ids.begin() + static_cast<std::ptrdiff_t>(first));
        if (ids.size() - before >= 3)
            counts.push_back(static_cast<std::int32_t>(ids.size() - before));
        else
            ids.resize(before);
    };
    for (std::size_t start = 0; start < boundary.size(); ++start) {
        if (used[start]) continue;
        walk.clear();
        for (std::int32_t e = static_cast<std::int32_t>(start); e >= 0 && !used[e];) {
            used[e] = 1;
            walk.push_back(boundary[e].from);
            e = next_clockwise(e, first, list);
        }
        loop.clear();
        for (const std::int32_t p : walk) {
            if (position[p] < 0) {
                position[p] = static_cast<std::int32_t>(loop.size());
                loop.push_back(p);
                continue;
            }
            const std::size_t k = static_cast<std::size_t>(position[p]);
            emit(loop.data() + k, loop.size() - k);
            for (std::size_t i = k + 1; i < loop.size(); ++i)
                position[loop[i]] = -1;
            loop.resize(k + 1);
        }
        emit(loop.data(), loop.size());
        for (const std::int32_t p : loop)
            position[p] = -1;
    }
}

std::int32_t Sweep_Workspace::next_clockwise(std::int32_t e, const Vector<std::int32_t>& first,
                                             const Vector<std::int32_t>& list) const {
    const std::int32_t at = boundary[e].to;
    const Point& here = points[at];
    const Point& back = points[boundary[e].from];
    std::int32_t best = -1;
    double best_angle = 0;
    for (std::int32_t k = first[at]; k < first[at + 1]; ++k) {
        const Point& to = points[boundary[list[k]].to];
        const double angle =
            clockwise_angle(back.u - here.u, back.v - here.v, to.u - here.u, to.v - here.v);
        if (best < 0 || angle < best_angle) {
            best = list[k];
            best_angle = angle;
        }
    }
    return best;
}

void Sweep_Workspace::link_lines(Vector<std::int32_t>& counts, Vector<std::int32_t>& ids) const {
    counts.clear();
    ids.clear();
    Vector<std::int32_t>&first = link_.first, &list = link_.list;
    group_by_from(lines, points.size(), first, list, link_.fill);
    Vector<std::int32_t>& incoming = link_.incoming;
    incoming.assign(points.size(), 0);
    for (const Boundary& b : lines)
        ++incoming[b.to];
    Vector<char>& used = link_.used;
    used.assign(lines.size(), 0);
    auto trace = [&](std::int32_t e) {
        ids.push_back(lines[e].from);
        std::int32_t n = 1;
        while (e >= 0) {
            used[e] = 1;
            const std::int32_t at = lines[e].to;
            ids.push_back(at);
            ++n;
            e = -1;
            if (incoming[at] != 1) break;
            for (std::int32_t k = first[at]; k < first[at + 1]; ++k)
                if (!used[list[k]]) e = list[k];
        }
        counts.push_back(n);
    };
    // Open chains start where a line does not arrive exactly once; what is
    // left afterwards are closed loops.
    for (std::int32_t e = 0; e < static_cast<std::int32_t>(lines.size()); ++e)
        if (!used[e] && incoming[lines[e].from] != 1) trace(e);
    for (std::int32_t e = 0; e < static_cast<std::int32_t>(lines.size()); ++e)
        if (!used[e]) trace(e);
}

} // namespace kavri_contour
