// Device triangles cut to the rendition's complex clip: what lies inside
// comes back as triangles whose corners know where they sit in the
// triangle they came from, so per-vertex data can follow them.
#pragma once

#include "foundation/basic_types.h"
#include "foundation/export.h"

class KT_Rendition;

struct KAVRI_API KT_Piece_Corner {
    KT_Point point;   // depth interpolated from the source triangle
    double weight[3]; // barycentric, one per source corner
};

// corners holds three; triangle is the source's index in the strip.
using KT_Piece_Callback = void (*)(int triangle, const KT_Piece_Corner* corners, void* user);

// Each triangle k, k + 1, k + 2 of the strip, intersected with the complex
// clip and triangulated. Zero-area triangles and an empty clip give nothing.
KAVRI_API void KD_Cut_Strip_To_Complex_Clip(const KT_Rendition& rendition, int count,
                                            const KT_DCI_Point* points, KT_Piece_Callback callback,
                                            void* user);
