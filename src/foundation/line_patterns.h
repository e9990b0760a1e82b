// The built-in dash patterns that line pattern numbers select. Each entry
// is laid out like a dash-pattern body: [0] pattern length, [1] count,
// then count dash lengths (drawn and skipped in turn, in pixels before
// scaling), then the terminator 0xFFFF.
//
// Numbers 1 to 21 select entries 0 to 20, in families of three lengths
// (short, medium, long):
//    1- 3 dashed            4- 6 dotted             7- 9 dash-dot
//   10-12 dash-dot-dot     13-15 long dash         16-18 centre (long-short)
//   19-21 phantom (long-short-short)
// 0 is the solid line, 34 and 35 are the line record's own pattern and
// shape; no other number has a built-in pattern.
#pragma once

#include <cstdint>

#include "foundation/export.h"

inline constexpr int KD_LINE_PATTERN_COUNT = 21;

// The table KAVRI points at: KD_LINE_PATTERN_COUNT entries.
extern KAVRI_API const std::int16_t* const KD_Line_Pattern_Table[KD_LINE_PATTERN_COUNT];

// The built-in pattern of a line pattern number, or null when the number
// has none.
KAVRI_API const std::int16_t* KD_Builtin_Line_Pattern(int number);
