// The library's table arc cosine: fast, about 1e-5 accurate inside [-1, 1],
// and total outside it.
#pragma once

#include "foundation/export.h"

// Radians. Above 1 gives 0; just below -1 (down to -1.0001, what rounding
// leaves of a reversed unit direction) gives pi; further below gives 0.
KAVRI_API float KD_ACos(float x);
