#include "raster/span_lines.h"

#include <cstdlib>
#include <utility>

#include "draw2d/device_point.h"
#include "raster/face_fill.h"
#include "raster/fixed_point.h"
#include "raster/span.h"
#include "renderer/next_action.h"

namespace {

bool drawable(const KT_Rendition* rendition, const void* points) {
    return rendition && *rendition && rendition->renderer() && points;
}

// A pattern or a weight of 2 or more needs the polyline actions.
bool is_thin(const KT_Rendition& rendition) {
    const KT_Line_Data& line = rendition.line();
    return line.line_pattern == KT_Line_Solid && line.line_weight < 2;
}

bool in_range(const KT_DCI_Point& p) {
    return std::llabs(p.x) <= KD_SPAN_LINE_LIMIT && std::llabs(p.y) <= KD_SPAN_LINE_LIMIT;
}

// Collects spans and hands them on 64 at a time, each batch bottom to top:
// a line walked downward fills its batch from the end.
class Span_Batch {
public:
    Span_Batch(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
               const KT_Span_Data* data, KT_Span_Rasterizer rasterizer, bool downward)
        : renderer_(renderer), rendition_(rendition), data_(data), rasterizer_(rasterizer),
          downward_(downward) {}
    ~Span_Batch() { flush(); }
    Span_Batch(const Span_Batch&) = delete;
    Span_Batch& operator=(const Span_Batch&) = delete;

    // The span of the next row; commit() once it is filled.
    KT_Span& slot(std::int32_t row) {
        if (count_ == 0 || downward_) edge_row_ = row;
        return spans_[downward_ ? KD_SPAN_BATCH - 1 - count_ : count_];
    }
    void commit() {
        if (++count_ == KD_SPAN_BATCH) flush();
    }

private:
    void flush() {
        if (count_ == 0) return;
        const KT_Span* first = downward_ ? spans_ + KD_SPAN_BATCH - count_ : spans_;
        rasterizer_(renderer_, rendition_, data_, first, count_, edge_row_);
        count_ = 0;
    }

    const KT_Renderer_Data* renderer_;
    const KT_Rendition* rendition_;
    const KT_Span_Data* data_;
    KT_Span_Rasterizer rasterizer_;
    bool downward_;
    int count_ = 0;
    std::int32_t edge_row_ = 0; // lowest row of the batch
    KT_Span spans_[KD_SPAN_BATCH];
};

// The segment walked one step of its major axis at a time, always towards
// growing major coordinate, so a segment and its reverse give the same
// pixels. Steps are numbered 0 to length from the walk's first end.
class Line_Walk {
public:
    Line_Walk(const KT_DCI_Point& a, const KT_DCI_Point& b) {
        const std::int64_t dx = std::int64_t(b.x) - a.x;
        const std::int64_t dy = std::int64_t(b.y) - a.y;
        x_major_ = std::llabs(dx) >= std::llabs(dy);
        swapped_ = x_major_ ? dx < 0 : dy < 0;
        const KT_DCI_Point& s = swapped_ ? b : a;
        const KT_DCI_Point& e = swapped_ ? a : b;
        major_ = x_major_ ? s.x : s.y;
        const std::int32_t minor = x_major_ ? s.y : s.x;
        length_ = x_major_ ? e.x - s.x : e.y - s.y;
        const std::int32_t minor_end = x_major_ ? e.y : e.x;
        step_ = length_ > 0 ? KD_Fixed_16_Step(minor, minor_end, length_) : 0;
        // Rising minor rounds down and falling minor up, mirror images of
        // each other, both half a step in.
        const std::int32_t base =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(minor) << 16);
        start_ = step_ >= 0 ? base + (step_ + 1) / 2 : (base | 0xFFFF) + step_ / 2;
        downward_ = x_major_ && minor_end < minor;
    }

    bool swapped() const { return swapped_; }
    bool downward() const { return downward_; }
    std::int32_t length() const { return length_; }

    // run(row, first column, last column, first step, last step) for every
    // row the segment touches, in walking order.
    template <class Run> void for_each_row(Run&& run) const {
        std::int32_t minor = start_;
        if (!x_major_) {
            for (std::int32_t k = 0; k <= length_; ++k, minor += step_)
                run(major_ + k, minor >> 16, minor >> 16, k, k);
            return;
        }
        std::int32_t row = minor >> 16;
        std::int32_t run_start = 0;
        for (std::int32_t k = 1; k <= length_; ++k) {
            minor += step_;
            if ((minor >> 16) == row) continue;
            run(row, major_ + run_start, major_ + k - 1, run_start, k - 1);
            row = minor >> 16;
            run_start = k;
        }
        run(row, major_ + run_start, major_ + length_, run_start, length_);
    }

private:
    bool x_major_;
    bool swapped_;
    bool downward_;
    std::int32_t major_;
    std::int32_t length_;
    std::int32_t start_; // minor coordinate, 16.16
    std::int32_t step_;  // per major step
};

// A 16.16 or 17.15 interpolant along the walk, read at any step.
struct Walk_Value {
    std::int32_t start;
    std::int32_t step;
    std::int32_t at(std::int32_t k) const { return start + k * step; }
};

Walk_Value fixed_16(std::int32_t a, std::int32_t b, std::int32_t length) {
    return {KD_Fixed_16_Start(a), length > 0 ? KD_Fixed_16_Step(a, b, length) : 0};
}

Walk_Value fixed_15(std::int32_t a, std::int32_t b, std::int32_t length) {
    return {KD_Fixed_15_Start(std::uint32_t(a)),
            length > 0 ? KD_Fixed_15_Step(std::uint32_t(a), std::uint32_t(b), length) : 0};
}

// The two ends of a segment in walking order with what each carries.
struct Line_Ends {
    KT_DCI_Point point[2];
    KT_RGB32 colour[2];
    KT_Vector normal[2];
    KT_Point position[2];
};

// Fills the x and depth of a span for the run of columns c0..c1.
void set_columns(KT_Span& span, std::int32_t c0, std::int32_t c1, const Walk_Value& depth,
                 std::int32_t k0, std::int32_t k1) {
    span.left.x.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(c0) << 16);
    span.right.x.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(c1 + 1) << 16);
    span.left.depth = KD_Fixed_15_Value(depth.at(k0));
    span.right.depth = KD_Fixed_15_Value(depth.at(k1));
}

enum class Line_Shading { Flat, Gouraud, Phong };

template <Line_Shading Shading>
void walk_spans(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                const KT_Span_Data& data, KT_Span_Rasterizer rasterizer, Line_Ends ends) {
    if (!in_range(ends.point[0]) || !in_range(ends.point[1])) return;
    const Line_Walk walk(ends.point[0], ends.point[1]);
    if (walk.swapped()) {
        std::swap(ends.point[0], ends.point[1]);
        std::swap(ends.colour[0], ends.colour[1]);
        std::swap(ends.normal[0], ends.normal[1]);
        std::swap(ends.position[0], ends.position[1]);
    }
    const std::int32_t n = walk.length();
    const Walk_Value depth = fixed_15(ends.point[0].z, ends.point[1].z, n);
    const KT_RGB32* c = ends.colour;
    const Walk_Value colour[4] = {fixed_16(c[0].r, c[1].r, n), fixed_16(c[0].g, c[1].g, n),
                                  fixed_16(c[0].b, c[1].b, n), fixed_16(c[0].a, c[1].a, n)};
    const float inverse_n = n > 0 ? 1.0f / static_cast<float>(n) : 0.0f;
    const auto floats_at = [&](KT_Float_Interpolant(&out)[3], const float* a, const float* b,
                               std::int32_t k) {
        for (int i = 0; i < 3; ++i)
            out[i].value = a[i] + (b[i] - a[i]) * inverse_n * static_cast<float>(k);
    };
    Span_Batch batch(renderer, rendition, &data, rasterizer, walk.downward());
    walk.for_each_row(
        [&](std::int32_t row, std::int32_t c0, std::int32_t c1, std::int32_t k0, std::int32_t k1) {
            KT_Span& span = batch.slot(row);
            set_columns(span, c0, c1, depth, k0, k1);
            if constexpr (Shading != Line_Shading::Flat) {
                // The right end lies one step past the run, as a row of n pixels
                // stops one step short of its right value.
                for (int i = 0; i < KT_Span_Channel_Count; ++i) {
                    span.left.colour[i].value = colour[i].at(k0);
                    span.right.colour[i].value = colour[i].at(k1 + 1);
                }
            }
            if constexpr (Shading == Line_Shading::Phong) {
                floats_at(span.left.normal, &ends.normal[0].x, &ends.normal[1].x, k0);
                floats_at(span.right.normal, &ends.normal[0].x, &ends.normal[1].x, k1 + 1);
                floats_at(span.left.position, &ends.position[0].x, &ends.position[1].x, k0);
                floats_at(span.right.position, &ends.position[0].x, &ends.position[1].x, k1 + 1);
                span.left.w.value = 1.0f;
                span.right.w.value = 1.0f;
            }
            batch.commit();
        });
}

KT_Span_Data line_span_data(const KT_Rendition& rendition, KT_RGB32 colour) {
    KT_Span_Data data{};
    data.colour.set_rgb(colour, rendition.renderer());
    data.contrast_colour = rendition.color().contrast;
    data.fill_pattern = nullptr;
    return data;
}

Line_Ends ends_of(const KT_DCI_Point* points) {
    Line_Ends ends{};
    ends.point[0] = points[0];
    ends.point[1] = points[1];
    return ends;
}

// The DC forms: rounded ends to the DCI form, or the DC polyline slot for
// lines that are not thin.
template <class Thin, class Wide>
void from_dc(const KT_Rendition* rendition, const KT_Point* points, Thin&& thin, Wide&& wide) {
    if (!drawable(rendition, points)) return;
    if (!KD_Is_Finite_Point(points[0]) || !KD_Is_Finite_Point(points[1])) return;
    if (!is_thin(*rendition)) {
        wide();
        return;
    }
    const KT_DCI_Point device[2] = {KD_To_DCI_Point(points[0]), KD_To_DCI_Point(points[1])};
    thin(device);
}

} // namespace

void KD_Span_DCI_Colorized_Line(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                const KT_DCI_Point* points, KT_RGB32 colour) {
    if (!drawable(rendition, points)) return;
    if (!is_thin(*rendition)) {
        KT_Rendition coloured(*rendition);
        coloured.set_front_color(colour, false);
        KD_Next_Action<KT_Slot_Draw_DCI_Polyline>(&coloured, 2, points);
        return;
    }
    const KT_Span_Data data = line_span_data(*rendition, colour);
    walk_spans<Line_Shading::Flat>(renderer, rendition, data, &KD_Rasterize_DC_Spans_C24_C,
                                   ends_of(points));
}

void KD_Span_DCI_Line(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                      const KT_DCI_Point* points) {
    if (!drawable(rendition, points)) return;
    KD_Span_DCI_Colorized_Line(renderer, rendition, points, rendition->color().front.rgb);
}

void KD_Span_DCI_Gouraud_Line(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                              const KT_DCI_Point* points, const KT_RGB32* colours) {
    if (!drawable(rendition, points)) return;
    if (!is_thin(*rendition)) {
        KD_Next_Action<KT_Slot_Draw_DCI_Gouraud_Polyline>(rendition, 2, points, colours);
        return;
    }
    if (!colours) {
        KD_Span_DCI_Line(renderer, rendition, points);
        return;
    }
    const KT_Span_Data data = line_span_data(*rendition, colours[0]);
    Line_Ends ends = ends_of(points);
    ends.colour[0] = colours[0];
    ends.colour[1] = colours[1];
    walk_spans<Line_Shading::Gouraud>(renderer, rendition, data, &KD_Rasterize_DC_Spans_C24_G,
                                      ends);
}

void KD_Span_DCI_Phong_Line(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                            const KT_DCI_Point* points, const KT_Vector* normals,
                            const KT_RGB32* colours, const KT_Point* positions,
                            const float* parameters) {
    if (!drawable(rendition, points)) return;
    if (!is_thin(*rendition)) {
        KD_Next_Action<KT_Slot_Draw_DCI_Phong_Polyline>(rendition, 2, points, normals, colours,
                                                        positions, parameters);
        return;
    }
    const KT_RGB32 front = rendition->color().front.rgb;
    const KT_Span_Data data = line_span_data(*rendition, front);
    Line_Ends ends = ends_of(points);
    for (int i = 0; i < 2; ++i) {
        ends.colour[i] = colours ? colours[i] : front;
        if (normals) ends.normal[i] = normals[i];
        if (positions) ends.position[i] = positions[i];
    }
    walk_spans<Line_Shading::Phong>(renderer, rendition, data, &KD_Rasterize_DC_Spans_C24_R, ends);
}

void KD_Span_DC_Line(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                     const KT_Point* points) {
    from_dc(
        rendition, points,
        [&](const KT_DCI_Point* device) { KD_Span_DCI_Line(renderer, rendition, device); },
        [&] { KD_Next_Action<KT_Slot_Draw_DC_Polyline>(rendition, 2, points); });
}

void KD_Span_DC_Colorized_Line(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                               const KT_Point* points, KT_RGB32 colour) {
    from_dc(
        rendition, points,
        [&](const KT_DCI_Point* device) {
            KD_Span_DCI_Colorized_Line(renderer, rendition, device, colour);
        },
        [&] {
            KD_Next_Action<KT_Slot_Draw_DC_Colorized_Polyline>(rendition, 2, points, &colour, true);
        });
}

void KD_Span_DC_Gouraud_Line(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                             const KT_Point* points, const KT_RGB32* colours) {
    from_dc(
        rendition, points,
        [&](const KT_DCI_Point* device) {
            KD_Span_DCI_Gouraud_Line(renderer, rendition, device, colours);
        },
        [&] { KD_Next_Action<KT_Slot_Draw_DC_Gouraud_Polyline>(rendition, 2, points, colours); });
}

void KD_Span_DC_Phong_Line(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                           const KT_Point* points, const KT_Vector* normals,
                           const KT_RGB32* colours, const KT_Point* positions,
                           const float* parameters) {
    from_dc(
        rendition, points,
        [&](const KT_DCI_Point* device) {
            KD_Span_DCI_Phong_Line(renderer, rendition, device, normals, colours, positions,
                                   parameters);
        },
        [&] {
            KD_Next_Action<KT_Slot_Draw_DC_Phong_Polyline>(rendition, 2, points, normals, colours,
                                                           positions, parameters);
        });
}

void KD_Span_DC_Rectangle(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                          std::int32_t left, std::int32_t right, std::int32_t bottom,
                          std::int32_t top) {
    if (!drawable(rendition, rendition)) return;
    const KT_Int_Rectangle& clip = rendition->transform().hard_clip;
    const std::int32_t first_column = left > clip.left ? left : clip.left;
    const std::int32_t end_column = right < clip.right ? right : clip.right;
    const std::int32_t first_row = bottom > clip.bottom ? bottom : clip.bottom;
    const std::int32_t last_row = top < clip.top ? top : clip.top;
    if (end_column <= first_column || last_row < first_row) return;
    const KT_DCI_Point corners[2] = {{first_column, first_row, 0}, {end_column, last_row, 0}};
    if (!in_range(corners[0]) || !in_range(corners[1])) return;

    KT_Fill_Bits bits;
    const KT_Span_Data data = KD_Flat_Span_Data(*rendition, bits);
    const KT_Renderer_Data* options = renderer ? renderer : rendition->renderer();
    const int buffer_depth = options->current_renderer_options.buffer_depth();
    const int bits_of_depth = buffer_depth < 0 ? 0 : (buffer_depth > 32 ? 32 : buffer_depth);
    const auto deepest = static_cast<std::uint32_t>((std::uint64_t{1} << bits_of_depth) - 1);
    KT_Span span{};
    span.left.x.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(first_column) << 16);
    span.right.x.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(end_column) << 16);
    span.left.depth = deepest;
    span.right.depth = deepest;
    Span_Batch batch(renderer, rendition, &data, &KD_Rasterize_DC_Spans_C24_C, false);
    for (std::int32_t row = first_row; row <= last_row; ++row) {
        batch.slot(row) = span;
        batch.commit();
    }
}
