// Ellipse records: a centre, a point that fixes the major axis, and two
// parameters carried for drivers.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"

class KAVRI_API KT_Ellipse_Data : public KT_Counted {
public:
    KT_Ellipse_Data(const KT_Point& centre_point, const KT_Point& axis_point, float first,
                    float second)
        : centre(centre_point), axis(axis_point), parameters{first, second} {}
    KT_Counted* copy() const override { return new KT_Ellipse_Data(*this); }

    KT_Point centre;
    KT_Point axis;
    float parameters[2];
    std::int32_t reserved = 0;
};

class KAVRI_API KT_Ellipse : public KT_Pointer<KT_Ellipse_Data> {
public:
    KT_Ellipse() = default;
    KT_Ellipse(const KT_Point& centre, const KT_Point& axis, float first, float second)
        : KT_Pointer(new KT_Ellipse_Data(centre, axis, first, second)) {}
};
