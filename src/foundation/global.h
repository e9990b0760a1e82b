// KAVRI: the library's mutable, library-wide state, built when the library
// loads (after SHARED) and destroyed when it unloads.
#pragma once

#include <cstdint>

#include "foundation/export.h"
#include "foundation/system_info.h"
#include "platform/lock.h"

class KAVRI_API Kavri_Global {
public:
    static constexpr int dither_level_count = 65;

    // Builds everything from static storage: the heap functions may not be
    // usable yet, so construction allocates nothing.
    Kavri_Global();
    // Destroys the loaded-module record if one was created.
    ~Kavri_Global();
    Kavri_Global(const Kavri_Global&) = delete;
    Kavri_Global& operator=(const Kavri_Global&) = delete;

    // Two locks for hosts and modules; the library itself never enters them.
    kdiCriticalSection first_lock;
    kdiCriticalSection second_lock;
    std::int32_t counter;
    // Level k: bit j of row i (1 << j) set when 65536 - 1024 k exceeds the
    // ordered-dither threshold (i, j). Level 0 is all set, level 64 empty.
    std::uint8_t dither_masks[dither_level_count][8];
    // KD_LINE_PATTERN_COUNT built-in dash patterns (foundation/line_patterns.h).
    const std::int16_t* const* line_pattern_table;
    // Entry k points at dither mask k.
    const std::uint8_t* const* dither_level_table;
    // Created by the first module load.
    System_Info* loaded_modules;
    std::int32_t configuration;
    // Density thresholds of the stipple patterns 190 to 194.
    const float* const* density_table;

private:
    static std::int32_t establish_configuration() { return 0; }
};

extern KAVRI_API Kavri_Global KAVRI;

// The 32 x 32 bitmap that stipple pattern (190 to 194) shows at density
// percent: all clear below the first threshold, all set from the last one
// on, else the series bitmap of the band density falls in. Other pattern
// numbers give null.
KAVRI_API const std::uint8_t* KD_Stipple_Bitmap(int pattern, float density);
