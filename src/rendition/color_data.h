// The colour record of a rendition: the four drawing colours, the front and
// back materials and the lights that shade them.
#pragma once

#include <cstdint>

#include "appearance/light_set.h"
#include "appearance/material.h"
#include "foundation/counted.h"
#include "foundation/export.h"
#include "rendition/driver_color.h"

class KAVRI_API KT_Color_Data : public KT_Counted {
public:
    // Black front and back, white contrast and background, none resolved;
    // one new basic material serves front and back.
    KT_Color_Data();
    KT_Counted* copy() const override { return new KT_Color_Data(*this); }

    KT_Driver_Color front;
    KT_Driver_Color back;
    KT_Driver_Color contrast;
    KT_Driver_Color background;
    KT_Material front_material;
    KT_Material back_material;
    // Empty: nothing is lit.
    KT_Light_Set light_set;
    std::uint8_t color_flags[2] = {0, 1};
    KT_Pointer<KT_Counted> driver_handle;
};
