#include "foundation/global.h"

#include "foundation/fill_bitmaps.h"
#include "foundation/line_patterns.h"
#include "foundation/load_order.h"
#include "foundation/shared.h"

namespace {

const std::uint8_t* dither_levels[Kavri_Global::dither_level_count];

void compute_dither_masks(std::uint8_t (*masks)[8]) {
    for (int level = 0; level < Kavri_Global::dither_level_count; ++level) {
        const std::int32_t limit = 65536 - 1024 * level;
        for (int row = 0; row < 8; ++row) {
            std::uint8_t bits = 0;
            for (int column = 0; column < 8; ++column)
                if (limit > SHARED.dither_thresholds[row][column])
                    bits |= std::uint8_t(1u << column);
            masks[level][row] = bits;
        }
    }
}

} // namespace

Kavri_Global::Kavri_Global() : counter(0), loaded_modules(nullptr), configuration(0) {
    kdiInitializeCriticalSection(&first_lock);
    kdiInitializeCriticalSection(&second_lock);
    compute_dither_masks(dither_masks);
    line_pattern_table = KD_Line_Pattern_Table;
    // The pointer tables are library-wide, so they refer to the library's own
    // object even when another one is built.
    for (int level = 0; level < dither_level_count; ++level)
        dither_levels[level] = KAVRI.dither_masks[level];
    dither_level_table = dither_levels;
    KD_Build_Fill_Bitmaps(KAVRI.dither_masks);
    density_table = KD_Stipple_Densities;
    configuration = establish_configuration();
}

Kavri_Global::~Kavri_Global() {
    delete loaded_modules;
    loaded_modules = nullptr;
    kdiDeleteCriticalSection(&second_lock);
    kdiDeleteCriticalSection(&first_lock);
}

__attribute__((init_priority(KAVRI_LOAD_ORDER_GLOBAL))) Kavri_Global KAVRI;

const std::uint8_t* KD_Stipple_Bitmap(int pattern, float density) {
    if (pattern < KD_STIPPLE_FIRST || pattern >= KD_STIPPLE_FIRST + KD_STIPPLE_COUNT)
        return nullptr;
    const int series = pattern - KD_STIPPLE_FIRST;
    const float* thresholds = KAVRI.density_table[series];
    if (!(density >= thresholds[0])) return KD_Fill_32x32_Clear;
    int n = 1;
    while (thresholds[n] != 101.0f && density >= thresholds[n])
        ++n;
    if (thresholds[n] == 101.0f) return KD_Fill_32x32_Set;
    return KD_Stipple_Table[series][n - 1];
}
