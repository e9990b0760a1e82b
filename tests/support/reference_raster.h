// A plain reference for the scan conversion of device triangles: what the
// capturing device should hold after a DCI polytriangle is drawn. It
// evaluates the half-open coverage rule pixel by pixel from closed forms of
// the edge positions, and runs the integer depth stepper from its
// definition, so it shares no code with the fast path it checks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "capturing_device.h"

namespace reference {

// How a covered pixel gets its colour.
enum class Shading {
    Flat,         // one colour for the triangle
    Gouraud,      // 16.16 channels along edges and across rows
    Float_Colour, // 16.16 along edges, floats across rows (per-pixel shading
                  // with a shader that returns its base colour)
};

struct Vertex {
    KT_DCI_Point point;
    KT_RGB32 colour;
};

// Triangles are drawn only when every coordinate fits in this magnitude,
// so that differences and 16.16 words stay within 32 bits.
constexpr std::int32_t coordinate_limit = 16383;

// An edge position in 16.16 at k rows past its start.
inline std::int64_t fixed_at(std::int64_t from, std::int64_t to, std::int64_t rows,
                             std::int64_t k) {
    const std::int64_t step = (to - from) * 65536 / rows;
    return from * 65536 + 0x8000 + k * step;
}

// The integer depth stepper: the depth after k of n rows from z0 to z1.
inline std::int64_t stepped_depth(std::int64_t z0, std::int64_t z1, std::int64_t n,
                                  std::int64_t k) {
    const std::int64_t dz = z1 - z0;
    const std::int64_t q = dz / n;
    const std::int64_t r = std::llabs(dz % n);
    const std::int64_t extra = dz < 0 ? q - 1 : q + 1;
    std::int64_t z = z0;
    std::int64_t error = 2 * r - n;
    for (std::int64_t i = 0; i < k; ++i) {
        if (error < 0) {
            z += q;
            error += 2 * r;
        } else {
            z += extra;
            error += 2 * r - 2 * n;
        }
    }
    return z;
}

// One edge's values at a given row.
struct Edge_At {
    std::int64_t x16;
    std::int64_t depth;
    int channel[4]; // red, green, blue, alpha integer parts
};

inline Edge_At edge_at(const Vertex& s, const Vertex& e, std::int64_t z_s, std::int64_t z_e,
                       std::int64_t y) {
    const std::int64_t rows = std::int64_t(e.point.y) - s.point.y;
    const std::int64_t k = y - s.point.y;
    Edge_At at{};
    at.x16 = fixed_at(s.point.x, e.point.x, rows, k);
    at.depth = stepped_depth(z_s, z_e, rows, k);
    const int from[4] = {s.colour.r, s.colour.g, s.colour.b, s.colour.a};
    const int to[4] = {e.colour.r, e.colour.g, e.colour.b, e.colour.a};
    for (int c = 0; c < 4; ++c)
        at.channel[c] = int(fixed_at(from[c], to[c], rows, k) >> 16);
    return at;
}

inline std::uint8_t float_byte(float v) {
    v = v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
    return std::uint8_t(v * 255.99f);
}

// The colours of one row of n pixels between two edges, asked for pixel by
// pixel from left to right.
class Row_Colours {
public:
    Row_Colours(Shading shading, const KT_RGB32& flat, const Edge_At& left, const Edge_At& right,
                std::int64_t n)
        : shading_(shading), flat_(flat), left_(left), right_(right), n_(n) {
        for (int c = 0; c < 4; ++c) {
            const float a = float(left.channel[c]) * (1.0f / 255.0f);
            const float b = float(right.channel[c]) * (1.0f / 255.0f);
            value_[c] = a;
            step_[c] = (b - a) / float(n);
        }
    }

    KT_RGB32 at(std::int64_t i) {
        int channel[4];
        switch (shading_) {
        case Shading::Flat:
            return flat_;
        case Shading::Gouraud:
            for (int c = 0; c < 4; ++c)
                channel[c] = int(fixed_at(left_.channel[c], right_.channel[c], n_, i) >> 16);
            return {std::uint8_t(channel[2]), std::uint8_t(channel[1]), std::uint8_t(channel[0]),
                    std::uint8_t(channel[3])};
        case Shading::Float_Colour:
            // Stepped by repeated addition, as per-pixel shading defines it.
            for (; stepped_ < i; ++stepped_)
                for (int c = 0; c < 4; ++c)
                    value_[c] += step_[c];
            return {float_byte(value_[2]), float_byte(value_[1]), float_byte(value_[0]),
                    float_byte(value_[3])};
        }
        return flat_;
    }

private:
    Shading shading_;
    KT_RGB32 flat_;
    Edge_At left_;
    Edge_At right_;
    std::int64_t n_;
    float value_[4];
    float step_[4];
    std::int64_t stepped_ = 0;
};

// Draws one triangle into picture as the DCI scan converter should.
inline void draw_triangle(capture::Picture& picture, const Vertex& a, const Vertex& b,
                          const Vertex& c, Shading shading, KT_RGB32 flat,
                          std::int32_t depth_offset) {
    for (const Vertex* v : {&a, &b, &c})
        if (std::llabs(v->point.x) > coordinate_limit || std::llabs(v->point.y) > coordinate_limit)
            return;
    // Stable: on equal rows the earlier vertex stays lower.
    std::vector<const Vertex*> order = {&a, &b, &c};
    std::stable_sort(order.begin(), order.end(),
                     [](const Vertex* p, const Vertex* q) { return p->point.y < q->point.y; });
    const Vertex& bottom = *order[0];
    const Vertex& middle = *order[1];
    const Vertex& top = *order[2];
    if (top.point.y == bottom.point.y) return;
    const auto depth = [&](const Vertex& v) { return std::int64_t(v.point.z) + depth_offset; };

    // Rows and columns outside the picture are never evaluated.
    const std::int64_t first_row = std::max<std::int64_t>(bottom.point.y, 0);
    const std::int64_t end_row = std::min<std::int64_t>(top.point.y, picture.height());
    for (std::int64_t y = first_row; y < end_row; ++y) {
        const Edge_At along_long = edge_at(bottom, top, depth(bottom), depth(top), y);
        const Edge_At along_short = y < middle.point.y
                                        ? edge_at(bottom, middle, depth(bottom), depth(middle), y)
                                        : edge_at(middle, top, depth(middle), depth(top), y);
        const bool long_is_left = (along_long.x16 >> 16) < (along_short.x16 >> 16);
        const Edge_At& left = long_is_left ? along_long : along_short;
        const Edge_At& right = long_is_left ? along_short : along_long;
        const std::int64_t first = left.x16 >> 16;
        const std::int64_t n = (right.x16 >> 16) - first;
        Row_Colours colours(shading, flat, left, right, n);
        const std::int64_t from = std::max<std::int64_t>(first, 0);
        const std::int64_t to = std::min<std::int64_t>(first + n, picture.width());
        for (std::int64_t x = from; x < to; ++x) {
            const std::int64_t i = x - first;
            const std::uint32_t z =
                capture::row_depth(std::uint32_t(left.depth), std::uint32_t(right.depth), n, i);
            picture.put(x, y, {colours.at(i), -1, z, 0});
        }
    }
}

// A strip: triangle i has points i, i + 1, i + 2. flat_colours holds one
// colour per triangle, or one for the whole strip.
inline void draw_strip(capture::Picture& picture, const std::vector<Vertex>& points,
                       Shading shading, const std::vector<KT_RGB32>& flat_colours,
                       std::int32_t depth_offset) {
    for (std::size_t i = 0; i + 2 < points.size(); ++i) {
        const KT_RGB32 flat = flat_colours.empty() ? KT_RGB32{0, 0, 0, 255}
                                                   : flat_colours[flat_colours.size() == 1 ? 0 : i];
        draw_triangle(picture, points[i], points[i + 1], points[i + 2], shading, flat,
                      depth_offset);
    }
}

} // namespace reference
