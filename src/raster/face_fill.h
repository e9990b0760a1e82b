// The fill pattern a face pattern number selects for the raster engine.
#pragma once

#include "foundation/export.h"
#include "raster/span.h"

class KT_Rendition;

// The bitmap of the rendition's face pattern number: false (and bits
// untouched) for the solid pattern and for numbers that are not bitmaps,
// true with bits filled in otherwise.
KAVRI_API bool KD_Face_Fill_Bits(const KT_Rendition& rendition, KT_Fill_Bits& bits);

// Span data of a flat primitive: the rendition's front and contrast colour
// and the fill pattern its face pattern selects (bits must outlive it).
KAVRI_API KT_Span_Data KD_Flat_Span_Data(const KT_Rendition& rendition, KT_Fill_Bits& bits);
