// The z-buffer's row kernels: one row of pixels against one row of depth
// words. They are the innermost loops of every picture, so the steppers'
// setup does all the arithmetic and the loops only add, compare and store.
//
// Depth along a row of n pixels whose ends carry first and last is
// first + trunc((last - first) * i / (n - 1)) at pixel i: the rule the
// capturing test device and the reference rasterizer use too.
#pragma once

#include <algorithm>
#include <cstdint>

#include "foundation/basic_types.h"

namespace szb {

using Depth = std::uint16_t;
constexpr int depth_bits = 16;
constexpr std::uint32_t far_depth = (1u << depth_bits) - 1;
// Rows up to this many steps take the fixed-point stepper (exact while the
// step count squared stays below 2^32); wider ones the error-term stepper.
constexpr std::int64_t fixed_point_steps = 65535;

inline std::int64_t clamped_depth(std::int32_t z) {
    return std::clamp<std::int64_t>(z, 0, far_depth);
}

// The rule itself, pixel by pixel.
inline std::uint32_t depth_at(std::int32_t first_z, std::int32_t last_z, std::int64_t count,
                              std::int64_t i) {
    const std::int64_t first = clamped_depth(first_z);
    if (count <= 1) return static_cast<std::uint32_t>(first);
    return static_cast<std::uint32_t>(first + (clamped_depth(last_z) - first) * i / (count - 1));
}

// Rows of up to fixed_point_steps steps: the distance from the first
// pixel's depth in 32.32, with the step rounded up so that truncation gives
// exactly the rule's quotient.
struct Fixed_Point_Depth {
    std::uint64_t distance; // 32.32 distance from first at the current pixel
    std::uint64_t step;     // 32.32 per pixel, rounded up
    std::uint32_t first;    // depth of the row's first pixel
    std::uint32_t negate;   // all ones when depth falls along the row

    static Fixed_Point_Depth of(std::int32_t first_z, std::int32_t last_z, std::int64_t count,
                                std::int64_t index) {
        const std::int64_t first = clamped_depth(first_z);
        const std::int64_t difference = clamped_depth(last_z) - first;
        const std::uint64_t span =
            static_cast<std::uint64_t>(difference < 0 ? -difference : difference);
        const std::uint64_t steps =
            static_cast<std::uint64_t>(std::max<std::int64_t>(count - 1, 1));
        const std::uint64_t step = ((span << 32) + steps - 1) / steps;
        return {step * static_cast<std::uint64_t>(index), step, static_cast<std::uint32_t>(first),
                difference < 0 ? ~0u : 0u};
    }
    std::uint32_t next() {
        const std::uint32_t offset = static_cast<std::uint32_t>(distance >> 32);
        distance += step;
        return first + ((offset ^ negate) - negate);
    }
};

// Rows of any width: quotient and remainder of the depth step, with an error
// term carrying the remainder.
struct Error_Term_Depth {
    std::int64_t value;    // depth of the current pixel
    std::int64_t quotient; // whole depth per step, signed
    std::int64_t direction;
    std::int64_t remainder; // of |difference| by steps
    std::int64_t steps;
    std::int64_t error; // accumulated remainder, below steps

    static Error_Term_Depth of(std::int32_t first_z, std::int32_t last_z, std::int64_t count,
                               std::int64_t index) {
        const std::int64_t first = clamped_depth(first_z);
        const std::int64_t difference = clamped_depth(last_z) - first;
        const std::int64_t span = difference < 0 ? -difference : difference;
        const std::int64_t steps = std::max<std::int64_t>(count - 1, 1);
        const std::int64_t direction = difference < 0 ? -1 : 1;
        const std::int64_t reached = span * index; // below 2^48
        return {first + direction * (reached / steps),
                direction * (span / steps),
                direction,
                span % steps,
                steps,
                reached % steps};
    }
    std::uint32_t next() {
        const std::uint32_t d = static_cast<std::uint32_t>(value);
        value += quotient;
        error += remainder;
        if (error >= steps) {
            error -= steps;
            value += direction;
        }
        return d;
    }
};

// Which pixels of a row a complex clip keeps: all of them, or those whose
// bit in a frame-buffer mask row is clear (bit 7 of a byte is its leftmost
// pixel; a set bit lies outside the clip).
struct No_Mask {
    std::uint32_t at(int) const { return 0; }
    No_Mask advanced(int) const { return {}; }
};
struct Mask_Row {
    const std::uint8_t* bits; // the window's mask row
    int column;               // window column of the row's first pixel
    std::uint32_t at(int i) const {
        const int bit = column + i;
        return 0u - ((bits[bit >> 3] >> (7 - (bit & 7))) & 1u);
    }
    Mask_Row advanced(int pixels) const { return {bits, column + pixels}; }
};

// Pixels whose depth is less than or equal to the stored one replace it and
// their colour, unless the mask keeps them out. The select form lets the
// compiler vectorise the loop.
template <class Stepper, class Mask = No_Mask>
void write_row(const KT_RGB32* source, KT_RGB32* colour, Depth* depth, int count, Stepper z,
               Mask mask = {}) {
    auto* target = reinterpret_cast<std::uint32_t*>(colour);
    const auto* from = reinterpret_cast<const std::uint32_t*>(source);
    for (int i = 0; i < count; ++i) {
        const std::uint32_t d = z.next();
        const std::uint32_t stored = depth[i];
        const std::uint32_t drawn = target[i];
        const std::uint32_t incoming = from[i];
        const std::uint32_t keep = (0u - static_cast<std::uint32_t>(d > stored)) | mask.at(i);
        depth[i] = static_cast<Depth>((stored & keep) | (d & ~keep));
        target[i] = (drawn & keep) | (incoming & ~keep);
    }
}

// Two byte channels at a time, in the 16-bit halves of a word: each half
// holds s * a + d * (255 - a) + 128 < 2^16, so the halves never carry into
// each other, and each becomes the rounded s * a / 255 + d * (255 - a) / 255.
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

// True when every pixel's alpha is 255.
inline bool opaque(const KT_RGB32* pixels, int count) {
    const auto* words = reinterpret_cast<const std::uint32_t*>(pixels);
    std::uint32_t all = ~0u;
    for (int i = 0; i < count; ++i)
        all &= words[i];
    return (all >> 24) == 0xFF;
}

// As write_row, blending the passing pixels by their alpha.
template <class Stepper, class Mask = No_Mask>
void blend_row(const KT_RGB32* source, KT_RGB32* colour, Depth* depth, int count, Stepper z,
               Mask mask = {}) {
    auto* target = reinterpret_cast<std::uint32_t*>(colour);
    const auto* from = reinterpret_cast<const std::uint32_t*>(source);
    for (int i = 0; i < count; ++i) {
        const std::uint32_t d = z.next();
        const std::uint32_t stored = depth[i];
        const std::uint32_t drawn = target[i];
        const std::uint32_t mixed = blend_word(from[i], drawn);
        const std::uint32_t keep = (0u - static_cast<std::uint32_t>(d > stored)) | mask.at(i);
        depth[i] = static_cast<Depth>((stored & keep) | (d & ~keep));
        target[i] = (drawn & keep) | (mixed & ~keep);
    }
}

// The depth test alone, for picking: true when some pixel passed.
template <class Stepper> bool test_row(Depth* depth, int count, Stepper z) {
    std::uint32_t passed = 0;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t d = z.next();
        const std::uint32_t stored = depth[i];
        const std::uint32_t pass = d <= stored;
        depth[i] = static_cast<Depth>(pass ? d : stored);
        passed |= pass;
    }
    return passed != 0;
}

} // namespace szb
