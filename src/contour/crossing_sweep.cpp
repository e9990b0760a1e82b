// The crossing search of build(): one sweep over the edges as they stand at
// the start of a pass, exchanging two edges on the active line where they
// cross, so that every crossing costs a logarithmic step instead of a test
// of every overlapping pair.
//
// The active line holds slots rather than edges: a crossing swaps the edges
// of two neighbouring slots, so the tree itself never needs reordering. Each
// slot keeps the part of its edge above the last point it passed through,
// which is all the line's comparisons look at.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <queue>
#include <unordered_set>

#include "contour/active_line.h"
#include "contour/crossing_order.h"
#include "contour/planar_sweep.h"

namespace kavri_contour {

namespace {

// Two edges that cross inside both, the left one on the left below the
// crossing, with the exact place where they cross.
struct Crossing {
    Place place;
    std::int32_t left;
    std::int32_t right;
};

struct Later {
    bool operator()(const Crossing& x, const Crossing& y) const {
        return compare_places(x.place, y.place) > 0;
    }
};

} // namespace

struct Sweep_Workspace::Crossing_Sweep {
    using iterator = Active_Line::iterator;

    explicit Crossing_Sweep(Sweep_Workspace& workspace)
        : w(workspace), n(static_cast<std::int32_t>(w.edges.size())), spans(n), edge_in(n),
          slot_of(n), where(n), line(Span_Order(&w, spans.data())) {}

    void run();
    void pass_point(std::int32_t p);
    void take_through_edges(std::int32_t p);
    void exchange(const Crossing& c);
    void meet(iterator x, iterator y);
    void test_once(std::int32_t e, std::int32_t f);
    bool crosses_ahead(std::int32_t e, std::int32_t f) const;
    Crossing where_crossing(std::int32_t left, std::int32_t right) const;

    Sweep_Workspace& w;
    std::int32_t n;
    Vector<Span> spans;
    Vector<std::int32_t> edge_in;
    Vector<std::int32_t> slot_of;
    Vector<iterator> where;
    Active_Line line;
    Span_Events events;
    std::priority_queue<Crossing, Vector<Crossing>, Later> crossings;
    std::unordered_set<std::uint64_t, std::hash<std::uint64_t>, std::equal_to<std::uint64_t>,
                       Heap_Allocator<std::uint64_t>>
        tested;
    // Slots to be placed at the current point: edges starting there and
    // edges passing through it.
    Vector<std::int32_t> arriving;
    std::int32_t through_first = 0;
};

void Sweep_Workspace::sweep_crossings() {
    Crossing_Sweep sweep(*this);
    sweep.run();
}

void Sweep_Workspace::Crossing_Sweep::run() {
    for (std::int32_t e = 0; e < n; ++e) {
        spans[e] = Span{std::min(w.edges[e].a, w.edges[e].b), std::max(w.edges[e].a, w.edges[e].b)};
        edge_in[e] = e;
        slot_of[e] = e;
    }
    // Crossing points are appended as they are found; only the points that
    // were there at the start are events.
    const auto point_count = static_cast<std::int32_t>(w.points.size());
    events.build(w, spans.data(), n, point_count);
    for (std::int32_t p = 0; p < point_count; ++p) {
        if (events.start_count(p) == 0 && events.end_count(p) == 0) continue;
        // A copy: crossings found below add points and may move the array.
        const Place at{{w.points[p].u, w.points[p].v}, {}, {}, {}, false};
        while (!crossings.empty() && compare_places(crossings.top().place, at) <= 0) {
            const Crossing c = crossings.top();
            crossings.pop();
            exchange(c);
        }
        pass_point(p);
    }
}

void Sweep_Workspace::Crossing_Sweep::pass_point(std::int32_t p) {
    for (std::int32_t k = 0; k < events.end_count(p); ++k) {
        const iterator next = line.erase(where[slot_of[events.ends(p)[k]]]);
        if (next != line.begin()) meet(std::prev(next), next);
    }
    arriving.clear();
    for (std::int32_t k = 0; k < events.start_count(p); ++k)
        arriving.push_back(slot_of[events.starts(p)[k]]);
    take_through_edges(p);
    const iterator next = line.lower_bound(Point_Key{p});
    if (arriving.empty()) {
        if (next != line.begin()) meet(std::prev(next), next);
        return;
    }
    // Leftmost first, as the edges leave p upwards.
    std::sort(arriving.begin(), arriving.end(), [&](std::int32_t x, std::int32_t y) {
        return w.orient(p, spans[x].hi, spans[y].hi) < 0;
    });
    for (const std::int32_t s : arriving)
        where[s] = line.emplace_hint(next, s);
    const iterator first = where[arriving.front()];
    if (first != line.begin()) meet(std::prev(first), first);
    for (std::size_t k = 0; k + 1 < arriving.size(); ++k)
        meet(where[arriving[k]], where[arriving[k + 1]]);
    meet(where[arriving.back()], next);
}

// Edges running through p are cut there and placed again with those that
// start at p, in the order they leave it. Edges through p that are not on
// one line cross at p, and each such pair counts as a crossing.
void Sweep_Workspace::Crossing_Sweep::take_through_edges(std::int32_t p) {
    const auto [from, to] = line.equal_range(Point_Key{p});
    through_first = static_cast<std::int32_t>(arriving.size());
    for (iterator it = from; it != to;) {
        const std::int32_t s = *it;
        w.splits_.push_back(Split{edge_in[s], p, 0.0});
        spans[s].lo = p;
        arriving.push_back(s);
        it = line.erase(it);
    }
    for (std::size_t i = through_first; i < arriving.size(); ++i)
        for (std::size_t j = i + 1; j < arriving.size(); ++j)
            if (w.orient(p, spans[arriving[i]].hi, spans[arriving[j]].hi) != 0)
                test_once(edge_in[arriving[i]], edge_in[arriving[j]]);
}

// A crossing whose edges are no longer neighbours in that order was
// overtaken (several edges crossing at one place); it is found again when
// they next meet.
void Sweep_Workspace::Crossing_Sweep::exchange(const Crossing& c) {
    const std::int32_t sl = slot_of[c.left], sr = slot_of[c.right];
    if (std::next(where[sl]) != where[sr]) return;
    std::swap(edge_in[sl], edge_in[sr]);
    std::swap(spans[sl], spans[sr]);
    slot_of[c.left] = sr;
    slot_of[c.right] = sl;
    if (where[sl] != line.begin()) meet(std::prev(where[sl]), where[sl]);
    meet(where[sr], std::next(where[sr]));
}

void Sweep_Workspace::Crossing_Sweep::meet(iterator x, iterator y) {
    if (x == line.end() || y == line.end()) return;
    const std::int32_t e = edge_in[*x], f = edge_in[*y];
    test_once(e, f);
    if (crosses_ahead(e, f)) crossings.push(where_crossing(e, f));
}

void Sweep_Workspace::Crossing_Sweep::test_once(std::int32_t e, std::int32_t f) {
    const auto key = (static_cast<std::uint64_t>(std::min(e, f)) << 32) |
                     static_cast<std::uint32_t>(std::max(e, f));
    if (tested.insert(key).second) w.test_pair(e, f);
}

// e left of f crosses it ahead when both cross inside and f starts on e's
// right: below the crossing they are in the order they stand.
bool Sweep_Workspace::Crossing_Sweep::crosses_ahead(std::int32_t e, std::int32_t f) const {
    const Edge& x = w.edges[e];
    const Edge& y = w.edges[f];
    if (w.orient(x.a, x.b, y.a) * w.orient(x.a, x.b, y.b) >= 0) return false;
    if (w.orient(y.a, y.b, x.a) * w.orient(y.a, y.b, x.b) >= 0) return false;
    const std::int32_t x_lo = std::min(x.a, x.b), x_hi = std::max(x.a, x.b);
    return w.orient(x_lo, x_hi, std::min(y.a, y.b)) < 0;
}

Crossing Sweep_Workspace::Crossing_Sweep::where_crossing(std::int32_t left,
                                                         std::int32_t right) const {
    auto at = [this](std::int32_t p) { return XY{w.points[p].u, w.points[p].v}; };
    const Edge& x = w.edges[left];
    const Edge& y = w.edges[right];
    return Crossing{Place{at(x.a), at(x.b), at(y.a), at(y.b), true}, left, right};
}

} // namespace kavri_contour
