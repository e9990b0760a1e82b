#include "foundation/shared.h"

#include <cmath>

#include "foundation/load_order.h"

namespace {

// Rank of each cell of the 8x8 ordered-dither matrix.
constexpr std::uint8_t dither_ranks[8][8] = {
    {63, 15, 51, 3, 60, 12, 48, 0},  {31, 47, 19, 35, 28, 44, 16, 32},
    {55, 7, 59, 11, 52, 4, 56, 8},   {23, 39, 27, 43, 20, 36, 24, 40},
    {61, 13, 49, 1, 62, 14, 50, 2},  {29, 45, 17, 33, 30, 46, 18, 34},
    {53, 5, 57, 9, 54, 6, 58, 10},   {21, 37, 25, 41, 22, 38, 26, 42},
};

} // namespace

Kavri_Shared::Kavri_Shared() {
    for (int row = 0; row < 8; ++row)
        for (int column = 0; column < 8; ++column)
            dither_thresholds[row][column] =
                static_cast<std::uint16_t>(512 * (2 * dither_ranks[row][column] + 1));

    for (int i = 0; i < 64; ++i) {
        int bits = 0;
        for (int v = i; v; v &= v - 1) ++bits;
        bit_counts[i] = bits;
    }

    for (int i = 0; i < 256; ++i) {
        int reversed = 0;
        for (int bit = 0; bit < 8; ++bit)
            if (i & (1 << bit)) reversed |= 0x80 >> bit;
        bit_reversal[i] = static_cast<std::uint8_t>(reversed);
    }

    for (int i = 0; i <= 500; ++i)
        arc_cosines[i] = static_cast<float>(std::acos(1.0 - i / 250.0));
}

__attribute__((init_priority(KAVRI_LOAD_ORDER_SHARED))) const Kavri_Shared SHARED;
