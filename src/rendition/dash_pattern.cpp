#include "rendition/dash_pattern.h"

#include <cstring>

#include "foundation/heap.h"

namespace {

constexpr std::int16_t terminator = static_cast<std::int16_t>(0xFFFF);

std::int16_t* allocate_values(int count) {
    return static_cast<std::int16_t*>(
        KD_AllocateMemory(static_cast<std::uint64_t>(count + 3) * sizeof(std::int16_t)));
}

} // namespace

KT_Dash_Pattern_Data::KT_Dash_Pattern_Data(int count, const short* dashes, short length) {
    if (count < 0 || !dashes) count = 0;
    // The count is stored in 16 bits; longer patterns are cut there.
    if (count > 0x7FFF) count = 0x7FFF;
    values = allocate_values(count);
    std::int16_t sum = 0;
    for (int i = 0; i < count; ++i) {
        values[2 + i] = dashes[i];
        sum = static_cast<std::int16_t>(sum + dashes[i]);
    }
    values[0] = length > 0 ? length : sum;
    values[1] = static_cast<std::int16_t>(count);
    values[2 + count] = terminator;
}

KT_Dash_Pattern_Data::KT_Dash_Pattern_Data(const KT_Dash_Pattern_Data& other)
    : KT_Counted(other), values(allocate_values(other.count())) {
    std::memcpy(values, other.values, static_cast<std::size_t>(other.count() + 3) * 2);
}

KT_Dash_Pattern_Data::~KT_Dash_Pattern_Data() {
    KD_ReleaseMemory(values);
}
