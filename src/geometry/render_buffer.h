// Render buffers: a block of driver-defined values and the cached data a
// driver keeps for them. The library reads none of the values.
#pragma once

#include <cstdint>

#include "foundation/counted.h"
#include "foundation/export.h"

class KAVRI_API KT_RenderBuffer_Data : public KT_Counted {
public:
    KT_RenderBuffer_Data() = default;
    // Copies every value; the cached data belongs to the original.
    KT_RenderBuffer_Data(const KT_RenderBuffer_Data& other)
        : KT_Counted(other), words(other.words), sizes(other.sizes), extra(other.extra),
          flag(other.flag) {}
    KT_Counted* copy() const override { return new KT_RenderBuffer_Data(*this); }

    // Takes ownership; what was cached before is destroyed.
    void set_cached_data(const KT_Cached_Data* data) {
        cached.invalidate();
        cached.set(data);
    }

    struct Words {
        std::int32_t value[4] = {0, 0, 0, 0};
    } words;
    struct Sizes {
        std::int64_t value[2] = {0, 0};
    } sizes;
    struct Extra {
        std::int32_t value[2] = {0, 0};
    } extra;
    std::int32_t flag = 1;
    KT_Cached_Data_Slot cached;
};
