// Draws one marker from a glyph program (see rendition/marker_glyphs.h).
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/export.h"

class KT_Rendition;

// Draws program at position at the rendition's marker size, in colour
// (null: the front colour), through the top renderer's clipping 2D slots
// when clipping is asked and through its DC slots otherwise. A null or
// malformed program, or a size of 0 or below, draws nothing.
KAVRI_API void KD_Draw_Marker_Glyph(const KT_Rendition* rendition, const KT_Point& position,
                                    const std::int8_t* program, const KT_RGB32* colour,
                                    bool clipping);
