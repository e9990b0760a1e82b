// The working record of the triangle clippers: a convex polygon whose
// vertices each carry a run of doubles (x, y, z first, then whatever the
// primitive interpolates), cut one half-space at a time. Every quantity is
// linear over the triangle, so interpolating along the cut edges gives the
// same values as the triangle's attribute planes would.
#pragma once

#include <cmath>
#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/heap.h"
#include "math/vector.h"

namespace detail {

// Where each quantity sits within a vertex; -1 when the primitive has none.
struct Clip_Layout {
    int w = -1;
    int color = -1;           // blue, green, red, alpha
    int normal = -1;          // x, y, z
    int position = -1;        // x, y, z
    int phong_parameter = -1; // one value
    int parameters = -1;      // width rows of u, v, w
    int vector = -1;          // x, y, z
    int width = 0;
    int stride = 3;

    int add(int channels) {
        const int at = stride;
        stride += channels;
        return at;
    }
};

// A vertex's data as pointers into the caller's arrays; null when absent.
struct Clip_Vertex_Source {
    const KT_RGB32* color = nullptr;
    const KT_Vector* normal = nullptr;
    const KT_Point* position = nullptr;
    const float* phong_parameter = nullptr;
    const KT_Parameter* parameters = nullptr;
    const float* w = nullptr;
    const KT_Vector* vector = nullptr;
};

// The layout of a triangle whose first vertex has the given data (every
// vertex has the same kinds).
Clip_Layout KD_Clip_Layout_For(const Clip_Vertex_Source& first, int width);

// Where a clipped polygon keeps its vertices: room for capacity vertices
// twice over (the polygon and the next cut), on the stack for small strides.
class Clip_Polygon {
public:
    Clip_Polygon(const Clip_Layout& layout, int capacity);
    Clip_Polygon(const Clip_Polygon&) = delete;
    Clip_Polygon& operator=(const Clip_Polygon&) = delete;

    bool valid() const { return static_cast<bool>(storage_); }
    const Clip_Layout& layout() const { return layout_; }
    int count() const { return count_; }
    double* vertex(int i) const { return current_ + static_cast<std::size_t>(i) * stride_; }

    // Appends a vertex from double coordinates and its sources.
    void add(double x, double y, double z, const Clip_Vertex_Source& source);
    // Appends a vertex taken from raw channels (stride values).
    void add_raw(const double* channels);

    // Keeps the part where distance(vertex) <= 0 (< 0 when strict). A cut
    // edge whose distances differ by no more than tolerance counts as
    // parallel and gets no new vertex. A new vertex's channel snap_channel
    // (when >= 0) is set to snap_value exactly, so that points cut at a
    // bound lie on it.
    template <class Distance>
    void cut(Distance&& distance, bool strict, double tolerance, int snap_channel,
             double snap_value);

    // The cut against one side of a rectangle: channel (0 for x, 1 for y)
    // must be >= bound when lower, else <= bound.
    void cut_at_bound(int channel, double bound, bool lower) {
        const double sign = lower ? -1.0 : 1.0;
        cut([=](const double* v) { return sign * (v[channel] - bound); }, false, 0.0, channel,
            bound);
    }

private:
    Clip_Layout layout_;
    int stride_;
    int capacity_;
    KT_Stack_Scratch<double, 512> storage_;
    double* current_;
    double* spare_;
    int count_ = 0;
};

template <class Distance>
void Clip_Polygon::cut(Distance&& distance, bool strict, double tolerance, int snap_channel,
                       double snap_value) {
    const auto keeps = [strict](double d) { return strict ? d < 0.0 : d <= 0.0; };
    int kept = 0;
    for (int i = 0; i < count_; ++i) {
        const double* a = vertex(i);
        const double* b = vertex(i + 1 == count_ ? 0 : i + 1);
        const double da = distance(a);
        const double db = distance(b);
        const bool a_kept = keeps(da);
        if (a_kept && kept < capacity_) {
            double* out = spare_ + static_cast<std::size_t>(kept++) * stride_;
            for (int k = 0; k < stride_; ++k)
                out[k] = a[k];
        }
        if (a_kept == keeps(db) || kept >= capacity_) continue;
        const double denominator = da - db;
        if (std::fabs(denominator) <= tolerance) continue;
        // Stepping from the kept end keeps the crossing exact when the other
        // end lies enormously far out, and gives an edge shared by two
        // triangles the same crossing whichever way each walks it.
        const double* from = a_kept ? a : b;
        const double* to = a_kept ? b : a;
        const double t = a_kept ? da / denominator : -db / denominator;
        double* out = spare_ + static_cast<std::size_t>(kept++) * stride_;
        for (int k = 0; k < stride_; ++k)
            out[k] = from[k] + t * (to[k] - from[k]);
        if (snap_channel >= 0) out[snap_channel] = snap_value;
    }
    double* previous = current_;
    current_ = spare_;
    spare_ = previous;
    count_ = kept;
}

// Rounds v to a device integer with the given bias for negative values,
// saturating at the 32-bit limits (NaN becomes 0).
inline std::int32_t KD_Round_Saturated(double v, double negative_bias) {
    constexpr double largest = 2147483647.0;
    constexpr double smallest = -2147483648.0;
    if (!(v == v)) return 0;
    const double r = v >= 0.0 ? std::trunc(v + 0.5) : std::trunc(v - negative_bias);
    if (r >= largest) return INT32_MAX;
    if (r <= smallest) return INT32_MIN;
    return static_cast<std::int32_t>(r);
}

// The negative-side biases of device rounding: doubles in the segment
// routines, the single-precision constant in the triangle routines.
inline constexpr double KD_Segment_Round_Bias = 0.49999999999;
inline constexpr double KD_Triangle_Round_Bias = 0.499999;

// A colour channel from an interpolated value, rounded into 0 .. 255.
inline std::uint8_t KD_Color_Channel(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return static_cast<std::uint8_t>(v + 0.5);
}

// Reads the vertex's data back out of its channels.
void KD_Read_Clip_Vertex(const Clip_Layout& layout, const double* v, KT_RGB32* color,
                         KT_Vector* normal, KT_Point* position, float* phong_parameter,
                         KT_Parameter* parameters, float* w, KT_Vector* vector);

} // namespace detail
