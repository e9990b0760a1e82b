// Polylines that are not thin solid lines: dashed thin lines and wide
// lines with their ends and joins. Every family's polyline action hands
// such a polyline here, as double points.
#pragma once

#include "foundation/basic_types.h"
#include "foundation/export.h"

class KT_Rendition;

// Which slots the pieces go to: points that may lie outside the hard clip
// go through the clipping 2D slots, points inside it through the DC slots.
enum class KT_Piece_Route { Clipping, Inside };

// Per-piece colours: none (the front colour), one per segment, or one for
// the whole polyline.
struct KAVRI_API KT_Line_Colors {
    const KT_RGB32* colours = nullptr;
    bool single = false;

    const KT_RGB32* of_segment(int segment) const {
        if (!colours) return nullptr;
        return single ? colours : colours + segment;
    }
};

// The width in pixels that the rendition's line weight asks for: the
// renderer's "Line Thickness" option times the weight.
KAVRI_API double KD_Line_Thickness(const KT_Rendition& rendition);

// Whether a polyline drawn with this rendition needs the dashed or wide
// drawer rather than a thin solid line.
KAVRI_API bool KD_Needs_Patterned_Line(const KT_Rendition& rendition);

// Draws count points as dashed thin pieces or as wide line pieces with
// ends and joins, through the top renderer's slots. Bad input (fewer than
// two points, NaN, unusable dash tables) draws nothing.
KAVRI_API void KD_Draw_Patterned_Polyline(const KT_Rendition& rendition, int count,
                                          const KT_Point_D* points, KT_Line_Colors colours,
                                          KT_Piece_Route route);
