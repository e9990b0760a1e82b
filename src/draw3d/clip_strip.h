// The triangle clips that the polytriangle routing shares with the
// exported clip routines: one triangle of a strip, with all its variant's
// data, cut to a rectangle and handed on as a strip of the next family.
#pragma once

#include "draw2d/polytriangle_routing.h"
#include "draw3d/clip_polygon.h"

namespace detail {

// The sources of vertex j of a strip for the clipper (colorized strips
// keep their colour out of it: one colour serves the whole piece).
Clip_Vertex_Source KD_Strip_Vertex_Source(const KT_Strip_Data& data, int j);

// Clips triangle (a, b, c) of the strip, triangle number `triangle`, to
// rectangle; what remains goes rounded to integers to the 2DI slot of the
// data's variant.
void KD_Preclip_Strip_Triangle(const KT_Rendition* rendition, const KT_Int_Rectangle& rectangle,
                               const KT_Point* points, int a, int b, int c, int triangle,
                               const KT_Strip_Data& data);
void KD_Preclip_Strip_Triangle(const KT_Rendition* rendition, const KT_Int_Rectangle& rectangle,
                               const KT_Point_D* points, int a, int b, int c, int triangle,
                               const KT_Strip_Data& data);

// The same against the hard clip, for integer strips: what remains goes in
// floats to the DC slot of the data's variant.
void KD_Draw_Clipped_Strip_Triangle(const KT_Rendition* rendition, const KT_DCI_Point* points,
                                    int a, int b, int c, int triangle, const KT_Strip_Data& data);

// The positions 0, 1, n-1, 2, n-2, ... that make a convex polygon of n
// corners one strip.
inline int KD_Strip_Position(int n, int i) {
    if (i == 0) return 0;
    return (i % 2 == 1) ? (i + 1) / 2 : n - i / 2;
}

} // namespace detail
