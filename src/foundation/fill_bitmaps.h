// The built-in one-bit fill bitmaps that face pattern numbers select.
//
// Rows follow one another; pixel x of a row is bit 1 << (x mod 8) of byte
// x / 8 (least significant bit leftmost). A clear bit is drawn in the front
// colour; a set bit shows the contrast colour, or what lies beneath when the
// pattern is transparent.
//
// Numbers:
//    0- 64  8 x 8, the dither mask of that level: n / 64 of the pixels drawn
//           (64, solid, draws every pixel)
//   65- 73  8 x 8 hatches: 65 doubled grid (wide), 66 grid, 67 crosshatch,
//           68 horizontal, 69 rising diagonal, 70 falling diagonal,
//           71 doubled grid (narrow), 72 vertical, 73 bricks
//   74- 76  not bitmaps (user pattern, hatch, shape); their entries are
//           solid so that a reader never meets null
//   77-189  32 x 32 designs, families of sizes growing with the number:
//           eight each of 77 horizontal, 85 vertical, 93 rising and
//           101 falling lines, 109 grids, 117 crosshatches (spacing 4, 8,
//           16, 32, then the same twice as thick), 125 dots and
//           133 staggered dots; four each of 141 bricks, 150 zigzags,
//           154 waves, 158 rings, 162 diamonds, 166 scales, 170 weave,
//           174 triangles, 178 plus signs, 182 columns, 186 speckle
//           (10 to 75 percent drawn); five checkerboards 145-149 (cells 1
//           to 16)
//  190-194  32 x 32 stipple series chosen by density (KD_Stipple_Bitmap)
#pragma once

#include <cstdint>

#include "foundation/export.h"

inline constexpr int KD_FILL_8X8_COUNT = 77;
inline constexpr int KD_FILL_32X32_FIRST = 77;
inline constexpr int KD_FILL_32X32_COUNT = 113;
inline constexpr int KD_STIPPLE_FIRST = 190;
inline constexpr int KD_STIPPLE_COUNT = 5;
inline constexpr int KD_STIPPLE_SERIES_MAX = 18;
inline constexpr int KD_FILL_8X8_BYTES = 8;
inline constexpr int KD_FILL_32X32_BYTES = 128;

// Pointer tables, filled when KAVRI is built. Index by number for the 8 x 8
// table and by number - KD_FILL_32X32_FIRST for the 32 x 32 table.
extern KAVRI_API const std::uint8_t* KD_Fill_8x8_Table[KD_FILL_8X8_COUNT];
extern KAVRI_API const std::uint8_t* KD_Fill_32x32_Table[KD_FILL_32X32_COUNT];
// Series of pattern 190 + p, lightest first; KD_Stipple_Series_Length[p]
// entries each.
extern KAVRI_API const std::uint8_t* KD_Stipple_Table[KD_STIPPLE_COUNT][KD_STIPPLE_SERIES_MAX];
extern KAVRI_API const int KD_Stipple_Series_Length[KD_STIPPLE_COUNT];
// Density thresholds (percent) of each stipple series, rising, ended by
// 101.0: below entry 0 nothing is set, from entry n - 1 up to entry n
// bitmap n - 1 of the series applies, beyond the last real entry all is set.
extern KAVRI_API const float* const KD_Stipple_Densities[KD_STIPPLE_COUNT];
extern KAVRI_API const std::uint8_t KD_Fill_32x32_Clear[KD_FILL_32X32_BYTES];
extern KAVRI_API const std::uint8_t KD_Fill_32x32_Set[KD_FILL_32X32_BYTES];

// The bitmap of a face pattern number below 190: 8 x 8 below 77, 32 x 32
// from 77 to 189; null for other numbers.
KAVRI_API const std::uint8_t* KD_Builtin_Fill_Bitmap(int number);

// Designs every bitmap and fills the pointer tables; entries 0 to 64 of
// the 8 x 8 table point at the given dither masks. Allocates nothing.
KAVRI_API void KD_Build_Fill_Bitmaps(const std::uint8_t (*dither_masks)[KD_FILL_8X8_BYTES]);
