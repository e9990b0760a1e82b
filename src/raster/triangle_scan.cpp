#include "raster/triangle_scan.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "raster/fixed_point.h"
#include "rendition/rendition.h"

namespace {

void start_floats(KT_Float_Interpolant* out, const float* from, const float* to, int count,
                  float inverse_rows) {
    for (int k = 0; k < count; ++k)
        out[k] = {from[k], (to[k] - from[k]) * inverse_rows};
}

void step_floats(KT_Float_Interpolant* values, int count) {
    for (int k = 0; k < count; ++k)
        values[k].value += values[k].step;
}

// Walks one edge up the rows, carrying what Part asks for.
template <KT_Span_Edge_Part Part> class Edge_Walker {
public:
    void start(const KT_Scan_Vertex& s, const KT_Scan_Vertex& e) {
        const KT_Exact_Divider rows(e.y - s.y);
        edge_.x = {KD_Fixed_16_Start(s.x), KD_Fixed_16_Step(s.x, e.x, rows)};
        depth_ = KT_Depth_Stepper(s.depth, e.depth, rows);
        edge_.depth = static_cast<std::uint32_t>(depth_.value());
        if constexpr (Part != KT_Span_Edge_Part::Position_Depth) {
            const int from[4] = {s.colour.r, s.colour.g, s.colour.b, s.colour.a};
            const int to[4] = {e.colour.r, e.colour.g, e.colour.b, e.colour.a};
            for (int c = 0; c < KT_Span_Channel_Count; ++c)
                edge_.colour[c] = {KD_Fixed_16_Start(from[c]),
                                   KD_Fixed_16_Step(from[c], to[c], rows)};
        }
        if constexpr (Part == KT_Span_Edge_Part::Everything) {
            const float inverse_rows = 1.0f / static_cast<float>(rows.divisor());
            start_floats(edge_.parameter, s.parameter, e.parameter, 3, inverse_rows);
            start_floats(edge_.position, s.position, e.position, 3, inverse_rows);
            start_floats(edge_.normal, s.normal, e.normal, 3, inverse_rows);
            start_floats(edge_.multiplier, s.multiplier, e.multiplier, 3, inverse_rows);
            start_floats(edge_.addend, s.addend, e.addend, 3, inverse_rows);
            start_floats(&edge_.w, &s.w, &e.w, 1, inverse_rows);
        }
    }

    std::int32_t column() const { return edge_.x.value >> 16; }

    // Values field by field: a block copy would reload words step() has
    // just stored, stalling on store forwarding.
    void copy_to(KT_Span_Edge& out) const {
        out.x.value = edge_.x.value;
        out.depth = edge_.depth;
        if constexpr (Part != KT_Span_Edge_Part::Position_Depth)
            for (int c = 0; c < KT_Span_Channel_Count; ++c)
                out.colour[c].value = edge_.colour[c].value;
        if constexpr (Part == KT_Span_Edge_Part::Everything)
            std::memcpy(&out.parameter, &edge_.parameter,
                        sizeof(KT_Span_Edge) - offsetof(KT_Span_Edge, parameter));
    }

    void step() {
        edge_.x.value += edge_.x.step;
        depth_.step();
        edge_.depth = static_cast<std::uint32_t>(depth_.value());
        if constexpr (Part != KT_Span_Edge_Part::Position_Depth)
            for (KT_Fixed_Interpolant& c : edge_.colour)
                c.value += c.step;
        if constexpr (Part == KT_Span_Edge_Part::Everything)
            // The float blocks lie back to back from parameter to w.
            step_floats(edge_.parameter,
                        (sizeof(KT_Span_Edge) - offsetof(KT_Span_Edge, parameter)) /
                            sizeof(KT_Float_Interpolant));
    }

private:
    KT_Span_Edge edge_;
    KT_Depth_Stepper depth_;
};

bool in_range(const KT_Scan_Vertex& v) {
    return std::llabs(v.x) <= KD_SCAN_COORDINATE_LIMIT &&
           std::llabs(v.y) <= KD_SCAN_COORDINATE_LIMIT;
}

template <KT_Span_Edge_Part Part>
void scan(const KT_Scan_Target& target, const KT_Scan_Vertex* bottom, const KT_Scan_Vertex* middle,
          const KT_Scan_Vertex* top) {
    Edge_Walker<Part> long_edge;
    Edge_Walker<Part> short_edge;
    long_edge.start(*bottom, *top);
    // A flat bottom starts on the upper short edge (restarted at the first row).
    if (middle->y > bottom->y)
        short_edge.start(*bottom, *middle);
    else
        short_edge.start(*middle, *top);

    // Only rows inside the hard clip go on: the image action would clip the
    // others away, and a triangle reaching far past the window would cost
    // its whole area. The edges still step through the rows skipped below,
    // so the visible spans are exactly those of the whole triangle.
    const KT_Int_Rectangle& clip = target.rendition->transform().hard_clip;
    const std::int32_t first_row = std::max(bottom->y, std::min(clip.bottom, clip.top));
    const std::int32_t end_row = std::min(top->y, std::max(clip.bottom, clip.top) + 1);
    if (first_row >= end_row) return;
    std::int32_t y = bottom->y;
    for (; y < first_row; ++y) {
        if (y == middle->y) short_edge.start(*middle, *top);
        long_edge.step();
        short_edge.step();
    }

    KT_Span batch[KD_SPAN_BATCH];
    int count = 0;
    std::int32_t batch_first_y = first_row;
    const auto flush = [&] {
        target.rasterizer(target.renderer, target.rendition, target.data, batch, count,
                          batch_first_y);
        count = 0;
    };
    for (; y < end_row; ++y) {
        if (y == middle->y) short_edge.start(*middle, *top);
        KT_Span& span = batch[count++];
        if (long_edge.column() < short_edge.column()) {
            long_edge.copy_to(span.left);
            short_edge.copy_to(span.right);
        } else {
            short_edge.copy_to(span.left);
            long_edge.copy_to(span.right);
        }
        long_edge.step();
        short_edge.step();
        if (count == KD_SPAN_BATCH) {
            flush();
            batch_first_y = y + 1;
        }
    }
    if (count > 0) flush();
}

} // namespace

void KD_Scan_Triangle(const KT_Scan_Target& target, const KT_Scan_Vertex& a,
                      const KT_Scan_Vertex& b, const KT_Scan_Vertex& c) {
    if (!in_range(a) || !in_range(b) || !in_range(c)) return;
    // Insertion order with strict comparisons: on equal rows the earlier
    // vertex stays lower.
    const KT_Scan_Vertex* bottom = &a;
    const KT_Scan_Vertex* middle = &b;
    const KT_Scan_Vertex* top = &c;
    if (middle->y < bottom->y) std::swap(bottom, middle);
    if (top->y < middle->y) {
        std::swap(middle, top);
        if (middle->y < bottom->y) std::swap(bottom, middle);
    }
    if (top->y == bottom->y) return;
    switch (target.part) {
    case KT_Span_Edge_Part::Position_Depth:
        scan<KT_Span_Edge_Part::Position_Depth>(target, bottom, middle, top);
        break;
    case KT_Span_Edge_Part::Colour:
        scan<KT_Span_Edge_Part::Colour>(target, bottom, middle, top);
        break;
    case KT_Span_Edge_Part::Everything:
        scan<KT_Span_Edge_Part::Everything>(target, bottom, middle, top);
        break;
    }
}
