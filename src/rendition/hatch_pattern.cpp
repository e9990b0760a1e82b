#include "rendition/hatch_pattern.h"

#include <cstring>
#include <new>

#include "foundation/heap.h"

KT_Parallel_Line_Set::KT_Parallel_Line_Set(float origin_x, float origin_y, float angle,
                                           float offset_along, float offset_across, int dash_count,
                                           const float* dashes)
    : origin_x(origin_x), origin_y(origin_y), angle(angle), offset_along(offset_along),
      offset_across(offset_across) {
    assign_dashes(dash_count, dashes);
}

KT_Parallel_Line_Set::KT_Parallel_Line_Set(const KT_Parallel_Line_Set& other)
    : origin_x(other.origin_x), origin_y(other.origin_y), angle(other.angle),
      offset_along(other.offset_along), offset_across(other.offset_across) {
    assign_dashes(other.dash_count, other.dashes);
}

KT_Parallel_Line_Set& KT_Parallel_Line_Set::operator=(const KT_Parallel_Line_Set& other) {
    if (this == &other) return *this;
    origin_x = other.origin_x;
    origin_y = other.origin_y;
    angle = other.angle;
    offset_along = other.offset_along;
    offset_across = other.offset_across;
    assign_dashes(other.dash_count, other.dashes);
    return *this;
}

KT_Parallel_Line_Set::~KT_Parallel_Line_Set() {
    KD_ReleaseMemory(dashes);
}

void KT_Parallel_Line_Set::assign_dashes(int count, const float* values) {
    KD_ReleaseMemory(dashes);
    dashes = nullptr;
    dash_count = 0;
    dash_length = 1.0f;
    if (count <= 0 || !values) return;
    dashes = static_cast<float*>(KD_AllocateMemory(static_cast<std::uint64_t>(count) * 4));
    if (!dashes) return;
    std::memcpy(dashes, values, static_cast<std::size_t>(count) * sizeof(float));
    dash_count = count;
    float sum = 0.0f;
    for (int i = 0; i < count; ++i)
        sum += values[i];
    dash_length = sum;
}

KT_Hatch_Pattern_Data::KT_Hatch_Pattern_Data(int count, const KT_Parallel_Line_Set* source,
                                             bool copy)
    : count(count > 0 && source ? count : 0), sets(source), owned(copy && this->count > 0) {
    if (this->count == 0) sets = nullptr;
    if (owned) take_copy(source);
}

KT_Hatch_Pattern_Data::KT_Hatch_Pattern_Data(const KT_Hatch_Pattern_Data& other)
    : KT_Counted(other), count(other.count), sets(other.sets), owned(other.owned) {
    if (owned) take_copy(other.sets);
}

// Owned sets live in one block with their 64-bit count in front, so the
// block alone says how many destructors to run.
void KT_Hatch_Pattern_Data::take_copy(const KT_Parallel_Line_Set* source) {
    const std::uint64_t n = static_cast<std::uint64_t>(count);
    void* block = KD_AllocateMemory(sizeof(std::uint64_t) + n * sizeof(KT_Parallel_Line_Set));
    if (!block) {
        count = 0;
        sets = nullptr;
        owned = false;
        return;
    }
    *static_cast<std::uint64_t*>(block) = n;
    auto* own = reinterpret_cast<KT_Parallel_Line_Set*>(static_cast<std::uint64_t*>(block) + 1);
    for (std::uint64_t i = 0; i < n; ++i)
        new (own + i) KT_Parallel_Line_Set(source[i]);
    sets = own;
}

KT_Hatch_Pattern_Data::~KT_Hatch_Pattern_Data() {
    if (!owned) return;
    auto* block = reinterpret_cast<std::uint64_t*>(const_cast<KT_Parallel_Line_Set*>(sets)) - 1;
    const std::uint64_t n = *block;
    for (std::uint64_t i = 0; i < n; ++i)
        sets[i].~KT_Parallel_Line_Set();
    KD_ReleaseMemory(block);
}
