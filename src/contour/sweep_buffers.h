// Storage the sweeps over an active line keep in their workspace, so that
// later passes and later calls reuse it instead of growing new arrays.
#pragma once

#include <cstdint>

#include "contour/active_line.h"
#include "contour/crossing_order.h"
#include "contour/planar_sweep.h"

namespace kavri_contour {

// Two edges that cross inside both, the left one on the left below the
// crossing, with the exact place where they cross.
struct Crossing {
    Place_Key place;
    std::int32_t left;
    std::int32_t right;
};

struct Sweep_Workspace::Sweep_Buffers : KT_Object {
    // Both sweeps: one span per edge or segment, grouped into events.
    Vector<Span> spans;
    Span_Events events;
    Vector<Active_Line::iterator> where;
    // The crossing search.
    Vector<std::int32_t> edge_in;
    Vector<std::int32_t> slot_of;
    Vector<Crossing> crossings;
    Vector<std::int32_t> arriving;
    Vector<char> through_mark;
    Vector<std::int32_t> through;
    // Classification.
    Vector<std::int32_t> left_winding;
    Vector<Span> slot_span;
    Vector<std::int32_t> slot_segment;
};

// The vector emptied and given n default values, keeping its storage.
template <class V> V& sized(V& v, std::size_t n) {
    v.assign(n, typename V::value_type{});
    return v;
}

} // namespace kavri_contour
