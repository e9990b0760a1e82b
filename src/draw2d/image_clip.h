// A clip region cut into the rectangles of pixels whose centres it holds,
// so that pixel rectangles can be drawn through it with plain hard clips.
#pragma once

#include "contour/contour_set.h"
#include "foundation/basic_types.h"
#include "foundation/export.h"

using KT_Clip_Rectangle_Callback = void (*)(const KT_Int_Rectangle& rectangle, void* user);

// Calls back once for each rectangle of pixels inside bounds whose centre
// (x + 0.5, y + 0.5) lies inside region by its fill rule, in no particular
// order; together the rectangles hold each such pixel once. Rows with equal
// runs are merged into one rectangle.
KAVRI_API void KD_Clip_Rectangles(const KT_Contour_Set_Data& region, const KT_Int_Rectangle& bounds,
                                  KT_Clip_Rectangle_Callback callback, void* user);
