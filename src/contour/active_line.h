// The spans cut by the sweep line, in left-to-right order. Spans never
// cross, so two of them compare by where the newer one starts against the
// older; a point compares against a span by the side it lies on.
#pragma once

#include <cstdint>
#include <set>

#include "contour/planar_sweep.h"

namespace kavri_contour {

struct Span {
    std::int32_t lo;
    std::int32_t hi;
};

struct Point_Key {
    std::int32_t point;
};

class Span_Order {
public:
    using is_transparent = void;
    Span_Order(const Sweep_Workspace* w, const Span* spans) : w_(w), spans_(spans) {}

    bool operator()(std::int32_t a, std::int32_t b) const {
        if (a == b) return false;
        const Span& s = spans_[a];
        const Span& t = spans_[b];
        if (s.lo == t.lo) return w_->orient(s.lo, s.hi, t.hi) < 0;
        if (s.lo > t.lo) {
            int o = w_->orient(t.lo, t.hi, s.lo);
            if (o == 0) o = w_->orient(t.lo, t.hi, s.hi);
            return o > 0;
        }
        int o = w_->orient(s.lo, s.hi, t.lo);
        if (o == 0) o = w_->orient(s.lo, s.hi, t.hi);
        return o < 0;
    }
    // A span is before a point lying to its right.
    bool operator()(std::int32_t a, Point_Key p) const {
        return w_->orient(spans_[a].lo, spans_[a].hi, p.point) < 0;
    }
    bool operator()(Point_Key p, std::int32_t a) const {
        return w_->orient(spans_[a].lo, spans_[a].hi, p.point) > 0;
    }

private:
    const Sweep_Workspace* w_;
    const Span* spans_;
};

// A multiset: spans that compare equal (overlapping ones not yet split)
// still get a node each, so erasing by iterator stays safe on any input.
using Active_Line = std::multiset<std::int32_t, Span_Order, Pool_Allocator<std::int32_t>>;

inline Active_Line make_active_line(const Sweep_Workspace* w, const Span* spans) {
    return Active_Line(Span_Order(w, spans), Pool_Allocator<std::int32_t>(&w->node_pool()));
}

// Spans grouped by the point where they start and where they end, each
// group sorted left to right.
struct Span_Events {
    Vector<std::int32_t> start_first, start_list;
    Vector<std::int32_t> end_first, end_list;
    Vector<std::int32_t> fill; // scratch of build()

    void build(const Sweep_Workspace& w, const Span* spans, std::int32_t span_count,
               std::int32_t point_count);
    std::int32_t start_count(std::int32_t p) const { return start_first[p + 1] - start_first[p]; }
    std::int32_t end_count(std::int32_t p) const { return end_first[p + 1] - end_first[p]; }
    const std::int32_t* starts(std::int32_t p) const { return start_list.data() + start_first[p]; }
    const std::int32_t* ends(std::int32_t p) const { return end_list.data() + end_first[p]; }
};

} // namespace kavri_contour
