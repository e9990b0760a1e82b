// Dash patterns for lines: dash lengths in pixels before scaling, drawn and
// skipped in turn, starting with a drawn one.
#pragma once

#include <cstdint>

#include "foundation/counted.h"
#include "foundation/export.h"

class KAVRI_API KT_Dash_Pattern_Data : public KT_Counted {
public:
    // The array holds count + 3 values: [0] pattern length, [1] count, the
    // count dashes, then the terminator 0xFFFF. A length of 0 or below is
    // the sum of the dashes (kept in 16 bits). A count of 0 or below keeps
    // no dashes.
    KT_Dash_Pattern_Data(int count, const short* dashes, short length);
    KT_Dash_Pattern_Data(const KT_Dash_Pattern_Data& other);
    KT_Dash_Pattern_Data& operator=(const KT_Dash_Pattern_Data&) = delete;
    ~KT_Dash_Pattern_Data() override;

    KT_Counted* copy() const override { return new KT_Dash_Pattern_Data(*this); }

    std::int16_t length() const { return values[0]; }
    std::int16_t count() const { return values[1]; }
    const std::int16_t* dashes() const { return values + 2; }

    // Laid out like the entries of the built-in line pattern table, so that
    // line drawing reads both the same way.
    std::int16_t* values;
};

class KAVRI_API KT_Dash_Pattern : public KT_Pointer<KT_Dash_Pattern_Data> {
public:
    KT_Dash_Pattern() = default;
    explicit KT_Dash_Pattern(KT_Dash_Pattern_Data* body) : KT_Pointer(body) {}
    KT_Dash_Pattern(int count, const short* dashes, short length)
        : KT_Pointer(new KT_Dash_Pattern_Data(count, dashes, length)) {}
};
