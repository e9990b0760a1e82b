// A block of n gray palette entries from black to white.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/export.h"

class KAVRI_API KT_Gray_Ramp {
public:
    KT_Gray_Ramp() = default;
    // The count is kept within 1 to 256 and the base within 0 to 255; a gamma that is not a
    // positive number counts as 1.
    KT_Gray_Ramp(std::int32_t count, float gamma, std::int32_t base);

    // Recomputes n - 1.
    void validate();

    std::int32_t base() const { return base_; }
    std::int32_t size() const { return count_; }
    float gamma() const { return gamma_; }
    bool contains(int index) const { return index >= base_ && index - base_ < count_; }

    // By luminance, rounded to the nearest step.
    std::int32_t closest_match(KT_RGB32 colour) const;
    // The gray of index (alpha 255); all bytes 0 outside the block.
    KT_RGB32 color(int index) const;

    bool operator==(const KT_Gray_Ramp&) const = default;

private:
    std::int32_t base_ = 0;
    std::int32_t count_ = 2;
    float gamma_ = 1.0f;
    std::int32_t last_ = 1;
};
