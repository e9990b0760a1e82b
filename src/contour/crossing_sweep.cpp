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

#include "contour/active_line.h"
#include "contour/crossing_order.h"
#include "contour/planar_sweep.h"
#include "contour/sweep_buffers.h"

namespace kavri_contour {

namespace {

struct Later {
    bool operator()(const Crossing& x, const Crossing& y) const {
        // The same pair met twice is common and needs no arithmetic.
        if (x.left == y.left && x.right == y.right) return false;
        return compare_places(x.place, y.place) > 0;
    }
};

// Pending crossings with the earliest on top, over storage the workspace
// keeps.
class Crossing_Queue {
public:
    explicit Crossing_Queue(Vector<Crossing>& storage) : heap(storage) { heap.clear(); }
    bool empty() const { return heap.empty(); }
    const Crossing& top() const { return heap.front(); }
    void push(const Crossing& c) {
        heap.push_back(c);
        std::push_heap(heap.begin(), heap.end(), Later{});
    }
    void pop() {
        std::pop_heap(heap.begin(), heap.end(), Later{});
        heap.pop_back();
    }

private:
    Vector<Crossing>& heap;
};

template <class V> V& emptied(V& v) {
    v.clear();
    return v;
}

} // namespace

struct Sweep_Workspace::Crossing_Sweep {
    using iterator = Active_Line::iterator;

    Crossing_Sweep(Sweep_Workspace& workspace, Sweep_Buffers& b)
        : w(workspace), n(static_cast<std::int32_t>(w.edges.size())), spans(sized(b.spans, n)),
          edge_in(sized(b.edge_in, n)), slot_of(sized(b.slot_of, n)), where(sized(b.where, n)),
          line(make_active_line(&w, spans.data())), events(b.events), crossings(b.crossings),
          arriving(emptied(b.arriving)), through_mark(b.through_mark), through(emptied(b.through)) {
    }

    void run();
    void take_crossings_up_to(std::int32_t p);
    void pass_point(std::int32_t p);
    iterator take_through_edges(std::int32_t p, bool ended, iterator gap);
    void cross_through_edges(std::int32_t p);
    void exchange(const Crossing& c);
    void meet(iterator x, iterator y);
    Crossing where_crossing(std::int32_t left, std::int32_t right) const;

    Sweep_Workspace& w;
    std::int32_t n;
    Vector<Span>& spans;
    Vector<std::int32_t>& edge_in;
    Vector<std::int32_t>& slot_of;
    Vector<iterator>& where;
    Active_Line line;
    Span_Events& events;
    Crossing_Queue crossings;
    // Slots to be placed at the current point: edges starting there and
    // edges passing through it.
    Vector<std::int32_t>& arriving;
    std::int32_t through_first = 0;
    Vector<char>& through_mark;
    Vector<std::int32_t>& through;
};

void Sweep_Workspace::sweep_crossings() {
    Crossing_Sweep sweep(*this, buffers());
    sweep.run();
}

void Sweep_Workspace::Crossing_Sweep::run() {
    through_mark.assign(n, 0);
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
        if (!crossings.empty()) take_crossings_up_to(p);
        pass_point(p);
        if (w.stop_at_first_split_ && !w.splits_.empty()) return;
    }
}

// Crossings exactly at p are edges through p, which pass_point takes apart
// there.
void Sweep_Workspace::Crossing_Sweep::take_crossings_up_to(std::int32_t p) {
    // A copy: crossings add points and may move the array.
    const Place_Key at = make_place_key(Place{{w.points[p].u, w.points[p].v}, {}, {}, {}, false});
    while (!crossings.empty()) {
        const int order = compare_places(crossings.top().place, at);
        if (order > 0) break;
        const Crossing c = crossings.top();
        crossings.pop();
        if (order < 0) exchange(c);
    }
}

void Sweep_Workspace::Crossing_Sweep::pass_point(std::int32_t p) {
    iterator gap = line.end();
    for (std::int32_t k = 0; k < events.end_count(p); ++k) {
        gap = line.erase(where[slot_of[events.ends(p)[k]]]);
        if (gap != line.begin()) meet(std::prev(gap), gap);
    }
    arriving.clear();
    for (std::int32_t k = 0; k < events.start_count(p); ++k)
        arriving.push_back(slot_of[events.starts(p)[k]]);
    const iterator next = take_through_edges(p, events.end_count(p) > 0, gap);
    // With nothing to place, the edges either side of p have met already.
    if (arriving.empty()) return;
    // Leftmost first, as the edges leave p upwards.
    std::sort(arriving.begin(), arriving.end(), [&](std::int32_t x, std::int32_t y) {
        return w.orient(p, spans[x].hi, spans[y].hi) < 0;
    });
    for (const std::int32_t s : arriving)
        where[s] = line.emplace_hint(next, s);
    cross_through_edges(p);
    const iterator first = where[arriving.front()];
    if (first != line.begin()) meet(std::prev(first), first);
    for (std::size_t k = 0; k + 1 < arriving.size(); ++k)
        meet(where[arriving[k]], where[arriving[k + 1]]);
    meet(where[arriving.back()], next);
}

// Edges running through p are cut there and placed again with those that
// start at p, in the order they leave it.
Active_Line::iterator
Sweep_Workspace::Crossing_Sweep::take_through_edges(std::int32_t p, bool ended, iterator gap) {
    // Edges through p lie around the gap that edges ending at p left, which
    // spares a search.
    iterator it = gap;
    if (!ended)
        it = line.lower_bound(Point_Key{p});
    else
        while (it != line.begin() &&
               w.orient(spans[*std::prev(it)].lo, spans[*std::prev(it)].hi, p) == 0)
            --it;
    through_first = static_cast<std::int32_t>(arriving.size());
    while (it != line.end() && w.orient(spans[*it].lo, spans[*it].hi, p) == 0) {
        const std::int32_t s = *it;
        w.splits_.push_back(Split{edge_in[s], p, 0.0});
        spans[s].lo = p;
        through_mark[s] = 1;
        arriving.push_back(s);
        it = line.erase(it);
    }
    return it;
}

// Through edges in the order they leave p fall into runs along one line;
// every pair from different runs crosses at p.
void Sweep_Workspace::Crossing_Sweep::cross_through_edges(std::int32_t p) {
    if (arriving.size() - through_first < 2) {
        for (std::size_t k = through_first; k < arriving.size(); ++k)
            through_mark[arriving[k]] = 0;
        return;
    }
    through.clear();
    for (const std::int32_t s : arriving) {
        if (!through_mark[s]) continue;
        through_mark[s] = 0;
        through.push_back(s);
    }
    std::size_t run = 0;
    for (std::size_t k = 1; k < through.size(); ++k) {
        if (w.orient(p, spans[through[k - 1]].hi, spans[through[k]].hi) != 0) run = k;
        for (std::size_t i = 0; i < run; ++i)
            w.split_at_crossing(edge_in[through[i]], edge_in[through[k]]);
    }
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
    w.split_at_crossing(c.left, c.right);
    if (where[sl] != line.begin()) meet(std::prev(where[sl]), where[sl]);
    meet(where[sr], std::next(where[sr]));
}

// A pair that crosses is split once, when the sweep exchanges it; any other
// contact is split at once.
void Sweep_Workspace::Crossing_Sweep::meet(iterator x, iterator y) {
    if (x == line.end() || y == line.end()) return;
    const std::int32_t e = edge_in[*x], f = edge_in[*y];
    const Edge& a = w.edges[e];
    const Edge& b = w.edges[f];
    const int o1 = w.orient(a.a, a.b, b.a), o2 = w.orient(a.a, a.b, b.b);
    if (o1 * o2 > 0) return; // f wholly on one side: no contact
    if (o1 * o2 == 0 || w.orient(b.a, b.b, a.a) * w.orient(b.a, b.b, a.b) >= 0) {
        w.test_pair(e, f, o1, o2);
        return;
    }
    // Below the crossing f starts on e's right unless they have crossed.
    if (w.orient(std::min(a.a, a.b), std::max(a.a, a.b), std::min(b.a, b.b)) < 0)
        crossings.push(where_crossing(e, f));
}

Crossing Sweep_Workspace::Crossing_Sweep::where_crossing(std::int32_t left,
                                                         std::int32_t right) const {
    auto at = [this](std::int32_t p) { return XY{w.points[p].u, w.points[p].v}; };
    const Edge& x = w.edges[left];
    const Edge& y = w.edges[right];
    return Crossing{make_place_key(Place{at(x.a), at(x.b), at(y.a), at(y.b), true}), left, right};
}

} // namespace kavri_contour
