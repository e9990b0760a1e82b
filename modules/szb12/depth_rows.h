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

    // A row of count pixels from first_z to last_z (clamped into the buffer's
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

// Pixels whose depth is less than or equal to the stored one replace it and
// their colour. Depth runs in 32-bit 16.16 words: every value on the row
// lies in [0, 2^32), so wrapping additions give the exact 64-bit result, and
// the select form lets the compiler vectorise the loop.
inline void write_row(const KT_RGB32* source, KT_RGB32* colour, Depth* depth, int count,
                      Row_Depth z) {
    std::uint32_t acc = static_cast<std::uint32_t>(z.start); // 16.16 depth of pixel i
    const std::uint32_t step = static_cast<std::uint32_t>(z.step);
    auto* target = reinterpret_cast<std::uint32_t*>(colour);
    const auto* from = reinterpret_cast<const std::uint32_t*>(source);
    for (int i = 0; i < count; ++i, acc += step) {
        const std::uint32_t d = acc >> 16;
        const std::uint32_t stored = depth[i];
        const std::uint32_t drawn = target[i];
        const std::uint32_t incoming = from[i];
        const std::uint32_t keep = 0u - static_cast<std::uint32_t>(d > stored); // all ones: fails
        depth[i] = static_cast<Depth>((stored & keep) | (d & ~keep));
        target[i] = (drawn & keep) | (incoming & ~keep);
    }
}

// Two byte channels at a time, in the 16-bit halves of a word: each half
// holds s * a + d * (255 - a) + 128 < 2^16, so the halves never carry into
// each other and the result equals blend_byte channel by channel.
inline std::uint32_t blend_pair(std::uint32_t s, std::uint32_t d, std::uint32_t a) {
    constexpr std::uint32_t lanes = 0x00FF00FF;
    std::uint32_t t = s * a + d * (255 - a) + 0x00800080;
    t += (t >> 8) & lanes;
    return (t >> 8) & lanes;
}

// Source over destination on whole words: blue and red in one pair, green
// and alpha (with 255 as the source alpha's own value) in the other.
inline std::uint32_t blend_word(std::uint32_t s, std::uint32_t d) {
    constexpr std::uint32_t lanes = 0x00FF00FF;
    const std::uint32_t a = s >> 24;
    const std::uint32_t blue_red = blend_pair(s & lanes, d & lanes, a);
    const std::uint32_t green_alpha =
        blend_pair(((s >> 8) & 0xFF) | 0x00FF0000, (d >> 8) & lanes, a);
    return blue_red | (green_alpha << 8);
}

// As write_row, blending the passing pixels by their alpha.
inline void blend_row(const KT_RGB32* source, KT_RGB32* colour, Depth* depth, int count,
                      Row_Depth z) {
    std::uint32_t acc = static_cast<std::uint32_t>(z.start); // 16.16 depth of pixel i
    const std::uint32_t step = static_cast<std::uint32_t>(z.step);
    auto* target = reinterpret_cast<std::uint32_t*>(colour);
    const auto* from = reinterpret_cast<const std::uint32_t*>(source);
    for (int i = 0; i < count; ++i, acc += step) {
        const std::uint32_t d = acc >> 16;
        const std::uint32_t stored = depth[i];
        const std::uint32_t drawn = target[i];
        const std::uint32_t mixed = blend_word(from[i], drawn);
        const std::uint32_t keep = 0u - static_cast<std::uint32_t>(d > stored); // all ones: fails
        depth[i] = static_cast<Depth>((stored & keep) | (d & ~keep));
        target[i] = (drawn & keep) | (mixed & ~keep);
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
