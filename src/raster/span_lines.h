// Thin lines and filled rectangles drawn straight into spans. Each line
// drawer takes the segment's two end points (and two of each per-vertex
// value); a line with a pattern or a weight of 2 or more goes to the
// matching polyline action instead.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/export.h"
#include "math/vector.h"

class KT_Renderer_Data;
class KT_Rendition;

// Lines are drawn only while both ends have coordinates of at most this
// magnitude; longer ones are bad input for a thin-line drawer.
inline constexpr std::int32_t KD_SPAN_LINE_LIMIT = 16383;

KAVRI_API void KD_Span_DCI_Line(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                const KT_DCI_Point* points);
KAVRI_API void KD_Span_DC_Line(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                               const KT_Point* points);
KAVRI_API void KD_Span_DCI_Colorized_Line(const KT_Renderer_Data* renderer,
                                          const KT_Rendition* rendition, const KT_DCI_Point* points,
                                          KT_RGB32 colour);
KAVRI_API void KD_Span_DC_Colorized_Line(const KT_Renderer_Data* renderer,
                                         const KT_Rendition* rendition, const KT_Point* points,
                                         KT_RGB32 colour);
KAVRI_API void KD_Span_DCI_Gouraud_Line(const KT_Renderer_Data* renderer,
                                        const KT_Rendition* rendition, const KT_DCI_Point* points,
                                        const KT_RGB32* colours);
KAVRI_API void KD_Span_DC_Gouraud_Line(const KT_Renderer_Data* renderer,
                                       const KT_Rendition* rendition, const KT_Point* points,
                                       const KT_RGB32* colours);
KAVRI_API void KD_Span_DCI_Phong_Line(const KT_Renderer_Data* renderer,
                                      const KT_Rendition* rendition, const KT_DCI_Point* points,
                                      const KT_Vector* normals, const KT_RGB32* colours,
                                      const KT_Point* positions, const float* parameters);
KAVRI_API void KD_Span_DC_Phong_Line(const KT_Renderer_Data* renderer,
                                     const KT_Rendition* rendition, const KT_Point* points,
                                     const KT_Vector* normals, const KT_RGB32* colours,
                                     const KT_Point* positions, const float* parameters);

// Fills columns [left, right) of rows bottom through top, cut to the hard
// clip, in the front colour and face pattern at the deepest depth.
KAVRI_API void KD_Span_DC_Rectangle(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                    std::int32_t left, std::int32_t right, std::int32_t bottom,
                                    std::int32_t top);
