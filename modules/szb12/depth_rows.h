// The z-buffer's row kernels: one row of pixels against one row of depth
// words. They are the innermost loops of every picture, so setup (in
// Row_Depth) does all the arithmetic and the loops only add, compare and
// store.
#pragma once

#include <algorithm>
#include <cstdint>

#include "foundation/basic_types.h"

namespace szb {

using Depth = std::uint16_t;
constexpr int depth_bits = 16;
constexpr std::uint32_t far_depth = (1u << depth_bits) - 1;

// Depth along a row in 16.16, from the first pixel's depth to the last
// one's: the value at pixel i is (start + i * step) >> 16.
struct Row_Depth {
    std::int64_t start; // depth of the first drawn pixel, 16.16
    std::int64_t step;  // per pixel, 16.16

    // A row of count pixels from near_z to far_z (clamped into the buffer's
    // range), entered skip pixels from its first one.
    static Row_Depth of(std::int32_t first_z, std::int32_t last_z, std::int64_t count,
                        std::int64_t skip) {
        const std::int64_t a = std::clamp<std::int64_t>(first_z, 0, far_depth);
        const std::int64_t b = std::clamp<std::int64_t>(last_z, 0, far_depth);
        const std::int64_t step = count > 1 ? ((b - a) * 65536) / (count - 1) : 0;
        return {(a * 65536 | 0x8000) + skip * step, step};
    }
    std::uint32_t at(std::int64_t i) const {
        return static_cast<std::uint32_t>((start + i * step) >> 16);
    }
};

// Rounded s * a / 255 + d * (255 - a) / 255, exact for bytes.
inline std::uint8_t blend_byte(std::uint32_t s, std::uint32_t d, std::uint32_t a) {
    const std::uint32_t t = s * a + d * (255 - a) + 128;
    return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
}

// Source over destination by the source's alpha; opaque sources replace.
inline KT_RGB32 blend(KT_RGB32 s, KT_RGB32 d) {
    return {blend_byte(s.b, d.b, s.a), blend_byte(s.g, d.g, s.a), blend_byte(s.r, d.r, s.a),
            blend_byte(255, d.a, s.a)};
}

// Pixels whose depth is less than or equal to the stored one replace it and
// their colour.
inline void write_row(const KT_RGB32* source, KT_RGB32* colour, Depth* depth, int count,
                      Row_Depth z) {
    std::int64_t acc = z.start; // 16.16 depth of pixel i
    const std::int64_t step = z.step;
    for (int i = 0; i < count; ++i, acc += step) {
        const std::uint32_t d = static_cast<std::uint32_t>(acc >> 16);
        if (d <= depth[i]) {
            depth[i] = static_cast<Depth>(d);
            colour[i] = source[i];
        }
    }
}

// As write_row, blending the passing pixels by their alpha.
inline void blend_row(const KT_RGB32* source, KT_RGB32* colour, Depth* depth, int count,
                      Row_Depth z) {
    std::int64_t acc = z.start; // 16.16 depth of pixel i
    const std::int64_t step = z.step;
    for (int i = 0; i < count; ++i, acc += step) {
        const std::uint32_t d = static_cast<std::uint32_t>(acc >> 16);
        if (d <= depth[i]) {
            depth[i] = static_cast<Depth>(d);
            colour[i] = blend(source[i], colour[i]);
        }
    }
}

// The depth test alone, for picking: true when some pixel passed.
inline bool test_row(Depth* depth, int count, Row_Depth z) {
    std::int64_t acc = z.start; // 16.16 depth of pixel i
    const std::int64_t step = z.step;
    bool passed = false;
    for (int i = 0; i < count; ++i, acc += step) {
        const std::uint32_t d = static_cast<std::uint32_t>(acc >> 16);
        if (d <= depth[i]) {
            depth[i] = static_cast<Depth>(d);
            passed = true;
        }
    }
    return passed;
}

} // namespace szb
