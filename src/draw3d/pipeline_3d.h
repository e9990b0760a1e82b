// What the standard 3D actions share: per-vertex working storage, the
// private rendition that hands whole pieces on without cutting planes, and
// the shortening of segments at the near limit.
#pragma once

#include <cmath>
#include <cstdint>

#include "draw3d/transform_clip.h"
#include "foundation/heap.h"
#include "rendition/rendition.h"

namespace detail {

// Vertices up to this many live on the stack, more on the library heap.
inline constexpr std::size_t vertex_stack_capacity = 64;

// Device points, w and outcodes of n transformed vertices.
template <class P> struct Device_Vertices {
    explicit Device_Vertices(int n)
        : points(static_cast<std::size_t>(n)), w(static_cast<std::size_t>(n)),
          codes(static_cast<std::size_t>(n)) {}
    bool ok() const { return points && w && codes; }
    // Transforms and classifies n points (as many as the buffers hold);
    // returns what KD_Transform_And_Clip returns.
    template <class In> int transform(const KT_Rendition* rendition, int n, const In* in) {
        short or_codes = 0;
        return KD_Transform_And_Clip(rendition, n, in, points.get(), w.get(), codes.get(),
                                     &or_codes);
    }

    KT_Stack_Scratch<P, vertex_stack_capacity> points;
    KT_Stack_Scratch<float, vertex_stack_capacity> w;
    KT_Stack_Scratch<short, vertex_stack_capacity> codes;
};

// The cutting planes of a rendition, validated for its world-to-device
// matrix, and the rendition the lower actions draw with: a private copy
// without the set, so that nothing below cuts a second time.
class Cutting {
public:
    explicit Cutting(const KT_Rendition* rendition) : drawing_(rendition) {
        planes_ = rendition->misc().cutting_planes;
        if (planes_.count() < 1) return;
        planes_.validate_screen_planes(rendition->transform().world_to_device);
        uncut_ = *rendition;
        uncut_.modify_misc().cutting_planes = KT_Cutting_Plane_Set();
        drawing_ = &uncut_;
    }
    bool active() const { return planes_.count() > 0; }
    const KT_Cutting_Plane_Set* planes() const { return active() ? &planes_ : nullptr; }
    const KT_Rendition* drawing() const { return drawing_; }
    // Whether a device point lies on the cut side of any plane.
    bool cuts(const KT_Point& p) const { return active() && planes_.cuts(p); }

private:
    KT_Cutting_Plane_Set planes_; // held so the set outlives the private copy
    KT_Rendition uncut_;
    const KT_Rendition* drawing_;
};

inline float w_limit(const KT_Rendition* rendition) {
    return static_cast<float>(rendition->transform().scaled_wlimit);
}

// Whether every coordinate of the n points is a finite number: a NaN would
// otherwise pass every outcode test as inside.
template <class P> bool all_points_finite(int n, const P* points) {
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(points[i].x) || !std::isfinite(points[i].y) ||
            !std::isfinite(points[i].z))
            return false;
    return true;
}

inline bool behind(short code) {
    return (code & KT_Outcode_Behind) != 0;
}

// The point where the segment from a vertex behind the near limit (left
// undivided) to a visible neighbour (divided by its w) crosses w = limit,
// divided by the limit, at depth 0. s is where it lies from the neighbour
// (0) to the hidden vertex (1), for interpolating the vertex data.
template <class P>
P near_limit_point(const P& hidden, float w_hidden, const P& visible, float w_visible, float limit,
                   float& s) {
    using Real = decltype(P::x);
    s = (limit - w_visible) / (w_hidden - w_visible);
    if (!(s >= 0.0f)) s = 0.0f; // w_hidden == w_visible cannot reach here finitely
    if (s > 1.0f) s = 1.0f;
    const Real vx = visible.x * w_visible; // the neighbour back in homogeneous form
    const Real vy = visible.y * w_visible;
    const Real x = vx + s * (hidden.x - vx);
    const Real y = vy + s * (hidden.y - vy);
    return {x / limit, y / limit, Real(0)};
}

inline KT_RGB32 mixed_colour(const KT_RGB32& from, const KT_RGB32& to, float s) {
    auto mix = [s](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(a + s * (float(b) - float(a)) + 0.5f);
    };
    return {mix(from.b, to.b), mix(from.g, to.g), mix(from.r, to.r), mix(from.a, to.a)};
}

} // namespace detail
