// SHARED: the library's read-only tables, built once when the library loads
// (before KAVRI, whose dither masks are derived from them).
#pragma once

#include <cstdint>

#include "foundation/export.h"

class KAVRI_API Kavri_Shared {
public:
    Kavri_Shared();

    // Ordered-dither matrix: the entry of rank k is 512 * (2k + 1), a
    // fraction of 1.0 in 16.16.
    std::uint16_t dither_thresholds[8][8];
    // Entry i: number of set bits of i.
    std::int32_t bit_counts[64];
    // Entry i: i with its 8 bits in reverse order.
    std::uint8_t bit_reversal[256];
    // Entry i: acos(1 - i / 250), read by KD_ACos with linear interpolation.
    float arc_cosines[501];
};

extern KAVRI_API const Kavri_Shared SHARED;
