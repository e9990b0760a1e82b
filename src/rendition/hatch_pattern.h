// Hatch fills: families of parallel, optionally dashed lines.
#pragma once

#include <cstdint>

#include "foundation/counted.h"
#include "foundation/export.h"

// One family of parallel lines through an origin at an angle (radians). The
// offsets step from one line to the next in the family's own frame: along
// the lines and at right angles to them.
class KAVRI_API KT_Parallel_Line_Set {
public:
    KT_Parallel_Line_Set() = default;
    // A count of 0 or below (or no dashes) draws the lines solid.
    KT_Parallel_Line_Set(float origin_x, float origin_y, float angle, float offset_along,
                         float offset_across, int dash_count, const float* dashes);
    KT_Parallel_Line_Set(const KT_Parallel_Line_Set& other);
    KT_Parallel_Line_Set& operator=(const KT_Parallel_Line_Set& other);
    ~KT_Parallel_Line_Set();

    float origin_x = 0.0f;
    float origin_y = 0.0f;
    float angle = 0.0f;
    float offset_along = 0.0f;
    float offset_across = 0.0f;
    std::int32_t dash_count = 0;
    float* dashes = nullptr; // owned
    // The sum of the dashes, or 1 without dashes.
    float dash_length = 1.0f;

private:
    void assign_dashes(int count, const float* values);
};

class KAVRI_API KT_Hatch_Pattern_Data : public KT_Counted {
public:
    // With copy the body keeps its own copy of the sets; otherwise it refers
    // to the caller's array, which must outlive it and its copies.
    KT_Hatch_Pattern_Data(int count, const KT_Parallel_Line_Set* sets, bool copy);
    KT_Hatch_Pattern_Data(const KT_Hatch_Pattern_Data& other);
    KT_Hatch_Pattern_Data& operator=(const KT_Hatch_Pattern_Data&) = delete;
    ~KT_Hatch_Pattern_Data() override;

    KT_Counted* copy() const override { return new KT_Hatch_Pattern_Data(*this); }

    std::int32_t count;
    const KT_Parallel_Line_Set* sets;
    bool owned;

private:
    void take_copy(const KT_Parallel_Line_Set* source);
};

class KAVRI_API KT_Hatch_Pattern : public KT_Pointer<KT_Hatch_Pattern_Data> {
public:
    KT_Hatch_Pattern() = default;
    explicit KT_Hatch_Pattern(KT_Hatch_Pattern_Data* body) : KT_Pointer(body) {}
    KT_Hatch_Pattern(int count, const KT_Parallel_Line_Set* sets, bool copy)
        : KT_Pointer(new KT_Hatch_Pattern_Data(count, sets, copy)) {}
};
