#include "contour/ear_clip.h"

#include <algorithm>
#include <cmath>

#include "contour/exact_predicates.h"

namespace kavri_contour {

void Ear_Clipper::begin() {
    vertices_.clear();
    succ_.clear();
    pred_.clear();
    contour_of_.clear();
    contour_end_.clear();
}

void Ear_Clipper::add_point(double u, double v, std::int32_t id) {
    vertices_.push_back(Vertex{u, v, id});
}

void Ear_Clipper::end_contour() {
    const auto first = contour_end_.empty() ? 0 : contour_end_.back();
    const auto end = static_cast<std::int32_t>(vertices_.size());
    const auto contour = static_cast<std::int32_t>(contour_end_.size());
    for (std::int32_t k = first; k < end; ++k) {
        succ_.push_back(k + 1 < end ? k + 1 : first);
        pred_.push_back(k > first ? k - 1 : end - 1);
        contour_of_.push_back(contour);
    }
    contour_end_.push_back(end);
}

inline int Ear_Clipper::turn(std::int32_t a, std::int32_t b, std::int32_t c) const {
    const Vertex &p = vertices_[a], &q = vertices_[b], &r = vertices_[c];
    return orient(p.u, p.v, q.u, q.v, r.u, r.v);
}

inline int Ear_Clipper::node_turn(std::int32_t a, std::int32_t b, std::int32_t c) const {
    const Node &p = nodes_[a], &q = nodes_[b], &r = nodes_[c];
    return orient(p.u, p.v, q.u, q.v, r.u, r.v);
}

inline bool Ear_Clipper::same_place(std::int32_t a, std::int32_t b) const {
    return nodes_[a].u == nodes_[b].u && nodes_[a].v == nodes_[b].v;
}

// Edge e runs from vertex e to its successor; its ends in sweep order
// are kept beside it on the active line.
inline Ear_Clipper::Active_Edge Ear_Clipper::active_edge(std::int32_t e) const {
    const std::int32_t f = succ_[e];
    return rank_[e] < rank_[f] ? Active_Edge{e, e, f} : Active_Edge{e, f, e};
}

// Whether two edges cross, touch or overlap anywhere but at the one corner
// that neighbouring edges share.
bool Ear_Clipper::edges_meet(std::int32_t e, std::int32_t f) const {
    const std::int32_t a = e, b = succ_[e], c = f, d = succ_[f];
    if (b == c || d == a) {
        const std::int32_t shared = b == c ? b : a;
        const std::int32_t x = b == c ? a : b, y = b == c ? d : c;
        if (turn(x, shared, y) != 0) return false;
        // Collinear: they overlap when both leave the corner the same way.
        const Vertex &s = vertices_[shared], &p = vertices_[x], &q = vertices_[y];
        return (p.u - s.u) * (q.u - s.u) + (p.v - s.v) * (q.v - s.v) > 0;
    }
    const int o1 = turn(a, b, c), o2 = turn(a, b, d);
    const int o3 = turn(c, d, a), o4 = turn(c, d, b);
    if (o1 * o2 > 0 || o3 * o4 > 0) return false;
    if (o1 != 0 || o2 != 0) return true;
    // All four on one line: they meet when their sweep-order ranges do.
    return std::max(rank_[a], rank_[b]) >= std::min(rank_[c], rank_[d]) &&
           std::max(rank_[c], rank_[d]) >= std::min(rank_[a], rank_[b]);
}

// One vertex of the simplicity sweep: the edges ending there leave the
// active line, the edges starting there join it, and each new pair of
// neighbours is tested. False as soon as anything meets.
bool Ear_Clipper::sweep_event(std::int32_t p) {
    const auto left_of_p = [&](const Active_Edge& e) { return turn(e.low, e.high, p) < 0; };
    const auto first = std::partition_point(active_.begin(), active_.end(), left_of_p);
    auto last = first;
    for (; last != active_.end() && turn(last->low, last->high, p) == 0; ++last)
        if (last->high != p) return false; // p lies on an edge
    const int ending = (rank_[pred_[p]] < rank_[p]) + (rank_[succ_[p]] < rank_[p]);
    if (last - first != ending) return false;
    const auto pos = first - active_.begin();
    active_.erase(first, last);

    Active_Edge starting[2];
    int count = 0;
    if (rank_[succ_[p]] > rank_[p]) starting[count++] = active_edge(p);
    if (rank_[pred_[p]] > rank_[p]) starting[count++] = active_edge(pred_[p]);
    const std::int32_t contour = contour_of_[p];
    if (lowest_[contour] < 0) {
        // The lowest corner of a contour is strictly convex; its turn is the
        // contour's, and the edges left of it count the contours around it.
        const int o = turn(pred_[p], p, succ_[p]);
        if (o == 0) return false;
        lowest_[contour] = p;
        counter_clockwise_[contour] = o > 0;
        depth_odd_[contour] = pos % 2;
    }
    if (count == 2) {
        const int o = turn(p, succ_[p], pred_[p]);
        if (o == 0) return false; // both edges leave along one line
        // Left to right: the edge in from pred lies left when pred does.
        if (o > 0) std::swap(starting[0], starting[1]);
    }
    active_.insert(active_.begin() + pos, starting, starting + count);
    const auto size = static_cast<std::ptrdiff_t>(active_.size());
    const auto meet = [&](std::ptrdiff_t left) {
        return edges_meet(active_[left].edge, active_[left + 1].edge);
    };
    if (count > 0) {
        if (pos > 0 && meet(pos - 1)) return false;
        if (pos + count < size && meet(pos + count - 1)) return false;
    } else if (pos > 0 && pos < size && meet(pos - 1)) {
        return false;
    }
    return true;
}

// Sweeps the edges once in (v, u) order, looking for a repeated point or
// two edges that meet, and learns each contour's turn and nesting parity
// on the way.
bool Ear_Clipper::simple(Hole_Turn holes) {
    const auto n = static_cast<std::int32_t>(vertices_.size());
    const auto contours = static_cast<std::int32_t>(contour_end_.size());
    // Sorting the keys themselves keeps the comparisons in cache.
    order_.resize(n);
    rank_.resize(n);
    for (std::int32_t i = 0; i < n; ++i)
        order_[i] = Vertex{vertices_[i].u, vertices_[i].v, i};
    std::sort(order_.begin(), order_.end(),
              [](const Vertex& p, const Vertex& q) { return p.v != q.v ? p.v < q.v : p.u < q.u; });
    for (std::int32_t r = 0; r < n; ++r) {
        rank_[order_[r].id] = r;
        if (r > 0 && order_[r].u == order_[r - 1].u && order_[r].v == order_[r - 1].v) return false;
    }
    lowest_.assign(contours, -1);
    depth_odd_.assign(contours, 0);
    counter_clockwise_.assign(contours, 0);
    active_.clear();
    for (std::int32_t r = 0; r < n; ++r)
        if (!sweep_event(order_[r].id)) return false;
    // The outline encloses every hole and no hole another: depth 0 for the
    // outline and 1 for each hole is the only way to get those parities.
    if (depth_odd_[0]) return false;
    for (std::int32_t c = 1; c < contours; ++c) {
        if (!depth_odd_[c]) return false;
        if (holes == Hole_Turn::opposite && counter_clockwise_[c] == counter_clockwise_[0])
            return false;
    }
    return true;
}

// The outline runs counter-clockwise and the holes clockwise, so that the
// region lies left of every edge.
void Ear_Clipper::link_rings() {
    const auto n = static_cast<std::int32_t>(vertices_.size());
    nodes_.resize(n);
    for (std::int32_t k = 0; k < n; ++k) {
        const std::int32_t c = contour_of_[k];
        const bool keep = (c == 0) == bool(counter_clockwise_[c]);
        nodes_[k] = Node{vertices_[k].u,
                         vertices_[k].v,
                         k,
                         keep ? pred_[k] : succ_[k],
                         keep ? succ_[k] : pred_[k],
                         false};
    }
}

// The outline point a bridge from hole point m should reach: the nearest
// edge met by a ray from m towards +u, then the reflex corner nearest the
// ray in the triangle between m, the hit and that edge's far end. Only a
// guess: bridge_clear() decides exactly.
std::int32_t Ear_Clipper::bridge_target(std::int32_t m) const {
    const Node& mp = nodes_[m];
    double hit_u = INFINITY;
    std::int32_t target = -1;
    std::int32_t a = 0;
    do {
        const std::int32_t b = nodes_[a].next;
        const Node &pa = nodes_[a], &pb = nodes_[b];
        // The region lies left of every edge: the ray leaves it through an
        // edge going up.
        if (pa.v <= mp.v && mp.v <= pb.v && pa.v < pb.v) {
            const double u = mp.v == pa.v   ? pa.u
                             : mp.v == pb.v ? pb.u
                                            : pa.u + (mp.v - pa.v) * (pb.u - pa.u) / (pb.v - pa.v);
            if (u > mp.u && u < hit_u) {
                hit_u = u;
                target = mp.v == pa.v ? a : mp.v == pb.v ? b : pa.u > pb.u ? a : b;
            }
        }
        a = b;
    } while (a != 0);
    if (target < 0 || (nodes_[target].u == hit_u && nodes_[target].v == mp.v)) return target;
    // Reflex corners inside the triangle may hide the far end from m.
    const Node& tp = nodes_[target];
    const double hit_v = mp.v;
    const double hi_u = std::max(hit_u, tp.u);
    const double lo_v = std::min(hit_v, tp.v), hi_v = std::max(hit_v, tp.v);
    std::int32_t best = target;
    double best_du = 0, best_dv = 0;
    a = 0;
    do {
        const Node& q = nodes_[a];
        const bool in_box = q.u > mp.u && q.u <= hi_u && q.v >= lo_v && q.v <= hi_v;
        if (a != target && in_box && node_turn(q.prev, a, q.next) <= 0) {
            const int o1 = orient(mp.u, mp.v, hit_u, hit_v, q.u, q.v);
            const int o2 = orient(hit_u, hit_v, tp.u, tp.v, q.u, q.v);
            const int o3 = orient(tp.u, tp.v, mp.u, mp.v, q.u, q.v);
            const bool inside = (o1 >= 0 && o2 >= 0 && o3 >= 0) || (o1 <= 0 && o2 <= 0 && o3 <= 0);
            const double du = q.u - mp.u, dv = std::fabs(q.v - mp.v);
            // The smallest angle to the ray wins, then the nearest.
            if (inside && (best == target || dv * best_du < best_dv * du ||
                           (dv * best_du == best_dv * du && du < best_du))) {
                best = a;
                best_du = du;
                best_dv = dv;
            }
        }
        a = q.next;
    } while (a != 0);
    return best;
}

// Whether the segment from hole point m to ring point p touches no ring
// edge except at p itself.
bool Ear_Clipper::bridge_clear(std::int32_t m, std::int32_t p) const {
    const Node &pm = nodes_[m], &pp = nodes_[p];
    const double lo_u = std::min(pm.u, pp.u), hi_u = std::max(pm.u, pp.u);
    const double lo_v = std::min(pm.v, pp.v), hi_v = std::max(pm.v, pp.v);
    std::int32_t a = 0;
    do {
        const std::int32_t b = nodes_[a].next;
        const Node &pa = nodes_[a], &pb = nodes_[b];
        const bool apart = std::max(pa.u, pb.u) < lo_u || std::min(pa.u, pb.u) > hi_u ||
                           std::max(pa.v, pb.v) < lo_v || std::min(pa.v, pb.v) > hi_v;
        if (!apart && !same_place(a, p) && !same_place(b, p)) {
            const int o1 = orient(pm.u, pm.v, pp.u, pp.v, pa.u, pa.v);
            const int o2 = orient(pm.u, pm.v, pp.u, pp.v, pb.u, pb.v);
            const int o3 = orient(pa.u, pa.v, pb.u, pb.v, pm.u, pm.v);
            const int o4 = orient(pa.u, pa.v, pb.u, pb.v, pp.u, pp.v);
            if (o1 * o2 > 0 || o3 * o4 > 0) {
                a = b;
                continue;
            }
            if (o1 != 0 || o2 != 0) return false;
            // On one line: they meet when their extents along it do.
            const bool along_u = pm.u != pp.u;
            const auto lo_hi = [along_u](const Node& x, const Node& y, double& lo, double& hi) {
                lo = along_u ? std::fmin(x.u, y.u) : std::fmin(x.v, y.v);
                hi = along_u ? std::fmax(x.u, y.u) : std::fmax(x.v, y.v);
            };
            double bridge_lo, bridge_hi, edge_lo, edge_hi;
            lo_hi(pm, pp, bridge_lo, bridge_hi);
            lo_hi(pa, pb, edge_lo, edge_hi);
            if (edge_lo <= bridge_hi && bridge_lo <= edge_hi) return false;
        }
        a = b;
    } while (a != 0);
    return true;
}

// Whether q lies strictly inside the region's corner at node.
bool Ear_Clipper::inside_corner(std::int32_t node, std::int32_t q) const {
    const Node& c = nodes_[node];
    const int before = node_turn(c.prev, node, q), after = node_turn(node, c.next, q);
    if (node_turn(c.prev, node, c.next) > 0) return before > 0 && after > 0;
    return (before > 0 || after > 0) && before != 0 && after != 0;
}

// Joins a hole, given by its rightmost point, to the ring by a pair of
// opposite edges, so that one ring bounds the region.
bool Ear_Clipper::bridge_hole(std::int32_t m) {
    const std::int32_t target = bridge_target(m);
    if (target < 0 || !(nodes_[target].u > nodes_[m].u) || !bridge_clear(m, target)) return false;
    // Earlier bridges leave several nodes at one place; the bridge leaves
    // from the one whose corner it enters.
    std::int32_t p = -1;
    std::int32_t a = 0;
    do {
        if (same_place(a, target) && inside_corner(a, m)) p = a;
        a = nodes_[a].next;
    } while (a != 0 && p < 0);
    if (p < 0) return false;
    const auto p2 = static_cast<std::int32_t>(nodes_.size());
    const std::int32_t m2 = p2 + 1;
    const std::int32_t after_p = nodes_[p].next, before_m = nodes_[m].prev;
    nodes_.push_back(Node{nodes_[p].u, nodes_[p].v, nodes_[p].vertex, m2, after_p, false});
    nodes_.push_back(Node{nodes_[m].u, nodes_[m].v, nodes_[m].vertex, before_m, p2, false});
    nodes_[p].next = m;
    nodes_[m].prev = p;
    nodes_[before_m].next = m2;
    nodes_[after_p].prev = p2;
    return true;
}

inline void Ear_Clipper::grid_cell(double u, double v, int& cu, int& cv) const {
    cu = std::min(grid_w_ - 1, static_cast<int>((u - grid_u_) * cell_scale_u_));
    cv = std::min(grid_h_ - 1, static_cast<int>((v - grid_v_) * cell_scale_v_));
}

// Only reflex corners can lie in a would-be ear; they go into a grid of
// about two per cell so that an ear looks at its neighbourhood only.
void Ear_Clipper::build_reflex_grid() {
    double lo_u = INFINITY, lo_v = INFINITY, hi_u = -INFINITY, hi_v = -INFINITY;
    int reflex = 0;
    std::int32_t a = 0;
    do {
        Node& q = nodes_[a];
        q.reflex = node_turn(q.prev, a, q.next) <= 0;
        reflex += q.reflex;
        lo_u = std::fmin(lo_u, q.u), hi_u = std::fmax(hi_u, q.u);
        lo_v = std::fmin(lo_v, q.v), hi_v = std::fmax(hi_v, q.v);
        a = q.next;
    } while (a != 0);
    const int side = std::max(1, static_cast<int>(std::sqrt(reflex / 2.0)));
    grid_w_ = grid_h_ = side;
    grid_u_ = lo_u;
    grid_v_ = lo_v;
    cell_scale_u_ = hi_u > lo_u ? side / (hi_u - lo_u) : 0;
    cell_scale_v_ = hi_v > lo_v ? side / (hi_v - lo_v) : 0;
    const int cells = side * side;
    cell_start_.assign(cells + 1, 0);
    cell_items_.resize(reflex);
    int cu, cv;
    a = 0;
    do {
        if (nodes_[a].reflex) {
            grid_cell(nodes_[a].u, nodes_[a].v, cu, cv);
            ++cell_start_[cv * side + cu];
        }
        a = nodes_[a].next;
    } while (a != 0);
    // Each cell's end; filling from the ends down leaves each its start.
    for (int c = 1; c < cells; ++c)
        cell_start_[c] += cell_start_[c - 1];
    cell_start_[cells] = reflex;
    slot_.resize(nodes_.size());
    a = 0;
    do {
        if (nodes_[a].reflex) {
            grid_cell(nodes_[a].u, nodes_[a].v, cu, cv);
            slot_[a] = --cell_start_[cv * side + cu];
            cell_items_[slot_[a]] = a;
        }
        a = nodes_[a].next;
    } while (a != 0);
    cell_end_.assign(cell_start_.begin() + 1, cell_start_.end());
}

// A corner that turned convex can no longer block an ear; its cell's last
// item takes its slot.
void Ear_Clipper::leave_grid(std::int32_t node) {
    int cu, cv;
    grid_cell(nodes_[node].u, nodes_[node].v, cu, cv);
    const std::int32_t last = --cell_end_[cv * grid_w_ + cu];
    const std::int32_t moved = cell_items_[last];
    cell_items_[slot_[node]] = moved;
    slot_[moved] = slot_[node];
}

// Whether the corner at e is strictly convex and no reflex corner lies in
// its triangle. Nodes at a corner's place (the other end of a bridge) are
// passed over: their edges cannot enter the triangle without a reflex
// corner inside it.
bool Ear_Clipper::is_ear(std::int32_t e) const {
    const std::int32_t a = nodes_[e].prev, b = nodes_[e].next;
    if (node_turn(a, e, b) <= 0) return false;
    const Node &pa = nodes_[a], &pe = nodes_[e], &pb = nodes_[b];
    const double lo_u = std::min({pa.u, pe.u, pb.u}), hi_u = std::max({pa.u, pe.u, pb.u});
    const double lo_v = std::min({pa.v, pe.v, pb.v}), hi_v = std::max({pa.v, pe.v, pb.v});
    int u0, v0, u1, v1;
    grid_cell(lo_u, lo_v, u0, v0);
    grid_cell(hi_u, hi_v, u1, v1);
    for (int cv = v0; cv <= v1; ++cv)
        for (int cu = u0; cu <= u1; ++cu) {
            const int cell = cv * grid_w_ + cu;
            for (std::int32_t k = cell_start_[cell]; k < cell_end_[cell]; ++k) {
                const std::int32_t x = cell_items_[k];
                const Node& q = nodes_[x];
                if (q.u < lo_u || q.u > hi_u || q.v < lo_v || q.v > hi_v) continue;
                if (same_place(x, a) || same_place(x, e) || same_place(x, b)) continue;
                if (node_turn(a, e, x) >= 0 && node_turn(e, b, x) >= 0 && node_turn(b, a, x) >= 0)
                    return false;
            }
        }
    return true;
}

// Walks the ring cutting ears; false when a whole round finds none.
bool Ear_Clipper::clip_ears() {
    triangles_.clear();
    std::int32_t remaining = 0;
    std::int32_t a = 0;
    do {
        ++remaining;
        a = nodes_[a].next;
    } while (a != 0);
    std::int32_t ear = 0, stop = 0;
    while (remaining > 3) {
        Node& e = nodes_[ear];
        const std::int32_t prev = e.prev, next = e.next;
        if (!is_ear(ear)) {
            ear = next;
            if (ear == stop) return false;
            continue;
        }
        triangles_.push_back(nodes_[prev].vertex);
        triangles_.push_back(e.vertex);
        triangles_.push_back(nodes_[next].vertex);
        nodes_[prev].next = next;
        nodes_[next].prev = prev;
        --remaining;
        // Corners only ever sharpen as ears go: a reflex neighbour may turn
        // convex, never the reverse.
        for (const std::int32_t q : {prev, next}) {
            if (!nodes_[q].reflex || node_turn(nodes_[q].prev, q, nodes_[q].next) <= 0) continue;
            nodes_[q].reflex = false;
            leave_grid(q);
        }
        // Moving on past the next corner keeps the fan from one point
        // short, which avoids slivers.
        ear = stop = nodes_[next].next;
    }
    const std::int32_t prev = nodes_[ear].prev, next = nodes_[ear].next;
    if (node_turn(prev, ear, next) <= 0) return false;
    triangles_.push_back(nodes_[prev].vertex);
    triangles_.push_back(nodes_[ear].vertex);
    triangles_.push_back(nodes_[next].vertex);
    return true;
}

bool Ear_Clipper::triangulate(Hole_Turn holes, Triangle_Sink sink, void* user) {
    const auto contours = static_cast<std::int32_t>(contour_end_.size());
    if (contours == 0 || contours - 1 > max_holes) return false;
    if (static_cast<std::int32_t>(vertices_.size()) > max_points) return false;
    for (std::int32_t c = 0; c < contours; ++c)
        if (contour_end_[c] - (c > 0 ? contour_end_[c - 1] : 0) < 3) return false;
    if (!simple(holes)) return false;
    link_rings();
    // Holes join rightmost first: every hole still waiting then lies left
    // of each bridge, which cannot cross it.
    holes_.clear();
    for (std::int32_t c = 1; c < contours; ++c) {
        std::int32_t right = contour_end_[c - 1];
        for (std::int32_t k = right + 1; k < contour_end_[c]; ++k)
            if (vertices_[k].u > vertices_[right].u) right = k;
        holes_.push_back(right);
    }
    std::sort(holes_.begin(), holes_.end(),
              [&](std::int32_t a, std::int32_t b) { return vertices_[a].u > vertices_[b].u; });
    for (const std::int32_t m : holes_)
        if (!bridge_hole(m)) return false;
    build_reflex_grid();
    if (!clip_ears()) return false;
    for (std::size_t t = 0; t < triangles_.size(); t += 3)
        sink(vertices_[triangles_[t]].id, vertices_[triangles_[t + 1]].id,
             vertices_[triangles_[t + 2]].id, user);
    return true;
}

} // namespace kavri_contour
