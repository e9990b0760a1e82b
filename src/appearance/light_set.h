// The lights a rendition draws with, in the order they were added.
#pragma once

#include <cstdint>

#include "appearance/filter.h"
#include "foundation/counted.h"
#include "foundation/export.h"
#include "foundation/handle_list.h"

class KAVRI_API KT_Light_Set_Data : public KT_Counted {
public:
    explicit KT_Light_Set_Data(const KT_Filter& filter);
    KT_Light_Set_Data* copy() const override { return new KT_Light_Set_Data(*this); }

    void add(const KT_Filter& filter);
    const KT_HandleList<KT_Filter>& filters() const { return filters_; }
    std::int32_t count() const { return count_; }

private:
    KT_HandleList<KT_Filter> filters_;
    std::int32_t count_ = 0;
};

// An empty handle is a set without lights; the first add gives it a body.
class KAVRI_API KT_Light_Set : public KT_Pointer<KT_Light_Set_Data> {
public:
    KT_Light_Set() = default;
    explicit KT_Light_Set(const KT_Filter& filter);

    void add(const KT_Filter& filter);
    std::int32_t count() const { return body_ ? body_->count() : 0; }
};
