// Vector fills: polygons filled with lines, for devices that cannot fill
// areas, and the inward shrink that keeps wide fill lines inside the area.
#pragma once

#include "foundation/basic_types.h"
#include "foundation/export.h"

class KT_Renderer_Data;
class KT_Rendition;

// Moves every edge of the polygon inward by distance, in place. Degenerate
// polygons and a distance of 0 are left as they are.
KAVRI_API void KD_Shrink_DC_Polygon(int count, KT_Point* points, float distance);

// Fills the polygon with lines of the rendition's face pattern through the
// 2DI polyline slot: solid areas with horizontal (or vertical) lines width
// apart and the outline, hatches at width * spacing. With shrink and width
// of 2 or more the polygon is first shrunk by width / 2.
KAVRI_API void KD_Fill_2DI_Polygon(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                   int count, const KT_DCI_Point* points, int width, int spacing,
                                   bool horizontal, bool shrink);
KAVRI_API void KD_Fill_2D_Polygon(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                  int count, const KT_Point* points, int width, int spacing,
                                  bool horizontal, bool shrink);
// Each triangle of the strip as KD_Fill_2DI_Polygon without shrinking.
KAVRI_API void KD_Fill_2DI_Polytriangle(const KT_Renderer_Data* renderer,
                                        const KT_Rendition* rendition, int count,
                                        const KT_DCI_Point* points, int width, int spacing,
                                        bool horizontal);
KAVRI_API void KD_Fill_2D_Polytriangle(const KT_Renderer_Data* renderer,
                                       const KT_Rendition* rendition, int count,
                                       const KT_Point* points, int width, int spacing,
                                       bool horizontal);

// The area enclosed by a closed polyline filled solid with lines width
// apart (horizontal or vertical), without its outline.
KAVRI_API void KD_Vector_Fill_2DI_Polyline(const KT_Renderer_Data* renderer,
                                           const KT_Rendition* rendition, int count,
                                           const KT_DCI_Point* points, int width, bool horizontal);
KAVRI_API void KD_Vector_Fill_2D_Polyline(const KT_Renderer_Data* renderer,
                                          const KT_Rendition* rendition, int count,
                                          const KT_Point* points, int width, bool horizontal);
