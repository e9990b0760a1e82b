// Transform and clip: the routines between the 3D actions and the 2D and
// device-coordinate actions. They carry vertices to device space, classify
// them against the hard clip and the near w limit, clip segments and
// triangles against the hard clip (interpolating their vertex data), cut
// primitives with the user cutting planes and split triangles at the near
// limit. Drivers use them to write their own actions.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/export.h"
#include "math/vector.h"

class KT_Renderer_Data;
class KT_Rendition;
class KT_Cutting_Plane_Set;

// Outcode bits of a vertex: which side of the hard clip it lies on. A
// vertex behind the near limit gets KT_Outcode_Behind and no other bit.
enum KT_Outcode : short {
    KT_Outcode_Inside = 0,
    KT_Outcode_Left = 1,
    KT_Outcode_Top = 2,
    KT_Outcode_Right = 4,
    KT_Outcode_Bottom = 8,
    KT_Outcode_Behind = 16,
};

// The most vertices a triangle clipped to a rectangle can have: its own
// three plus the four corners.
inline constexpr int KD_Preclip_Capacity = 7;

// Transforms count points to device space with the rendition's
// object-to-device matrix, writing w for each. With codes, classifies them
// and returns count when all lie inside, 0 when all share one outside side
// (or the count is below 1), otherwise the number inside or -1 when none is.
// Without codes returns -1: the caller must clip. or_codes (may be null)
// receives the OR of all codes.
KAVRI_API int KD_Transform_And_Clip(const KT_Rendition* rendition, int count, const KT_Point* in,
                                    KT_Point* out, float* w, short* codes, short* or_codes);
KAVRI_API int KD_Transform_And_Clip(const KT_Rendition* rendition, int count, const KT_Point_D* in,
                                    KT_Point_D* out, float* w, short* codes, short* or_codes);
KAVRI_API int KD_Transform_And_Clip(const KT_Rendition* rendition, int count, const KT_Point_D* in,
                                    KT_Point* out, float* w, short* codes, short* or_codes);

// Classifies device points against rectangle, returning as
// KD_Transform_And_Clip does.
KAVRI_API int KD_Clip(const KT_Int_Rectangle& rectangle, int count, const KT_Point* points,
                      short* codes);
KAVRI_API int KD_Clip(const KT_Int_Rectangle& rectangle, int count, const KT_Point_D* points,
                      short* codes);
KAVRI_API int KD_Clip(const KT_Int_Rectangle& rectangle, int count, const KT_DCI_Point* points,
                      short* codes);

// Segment preclips: segment holds the two ends, colors the two end colours
// (may be null; out_color's alpha is left as the caller set it). Head writes
// the point where the segment enters rectangle, Tail where it leaves.
KAVRI_API void KD_Preclip_Head(short head_code, const KT_Int_Rectangle& rectangle,
                               const KT_Point* segment, KT_DCI_Point* out, const KT_RGB32* colors,
                               KT_RGB32* out_color);
KAVRI_API void KD_Preclip_Head(short head_code, const KT_Int_Rectangle& rectangle,
                               const KT_Point_D* segment, KT_DCI_Point* out, const KT_RGB32* colors,
                               KT_RGB32* out_color);
KAVRI_API void KD_Preclip_Tail(short tail_code, const KT_Int_Rectangle& rectangle,
                               const KT_Point* segment, KT_DCI_Point* out, const KT_RGB32* colors,
                               KT_RGB32* out_color);
KAVRI_API void KD_Preclip_Tail(short tail_code, const KT_Int_Rectangle& rectangle,
                               const KT_Point_D* segment, KT_DCI_Point* out, const KT_RGB32* colors,
                               KT_RGB32* out_color);
// Both ends (codes holds two outcodes, out and out_colors two entries);
// false when no part of the segment lies inside.
KAVRI_API bool KD_Preclip_Ends(const short* codes, const KT_Int_Rectangle& rectangle,
                               const KT_Point* segment, KT_DCI_Point* out, const KT_RGB32* colors,
                               KT_RGB32* out_colors);
KAVRI_API bool KD_Preclip_Ends(const short* codes, const KT_Int_Rectangle& rectangle,
                               const KT_Point_D* segment, KT_DCI_Point* out, const KT_RGB32* colors,
                               KT_RGB32* out_colors);

// Clips the triangle points[0..2] to rectangle and rounds the resulting
// polygon to device integers. Every attribute input may be null; the
// outputs of those given must hold KD_Preclip_Capacity vertices (parameters:
// that many rows of width). Colours are three, one per vertex. False when
// nothing remains.
KAVRI_API bool KD_Preclip_2D_Triangle(const KT_Renderer_Data* renderer,
                                      const KT_Rendition* rendition,
                                      const KT_Int_Rectangle& rectangle, const KT_Point* points,
                                      int& out_count, KT_DCI_Point* out_points,
                                      const KT_RGB32* colors, KT_RGB32* out_colors,
                                      const KT_Parameter* parameters, int width,
                                      KT_Parameter* out_parameters, const float* w, float* out_w,
                                      const KT_Vector* normals, KT_Vector* out_normals);
KAVRI_API bool KD_Preclip_2D_Triangle(const KT_Renderer_Data* renderer,
                                      const KT_Rendition* rendition,
                                      const KT_Int_Rectangle& rectangle, const KT_Point_D* points,
                                      int& out_count, KT_DCI_Point* out_points,
                                      const KT_RGB32* colors, KT_RGB32* out_colors,
                                      const KT_Parameter* parameters, int width,
                                      KT_Parameter* out_parameters, const float* w, float* out_w,
                                      const KT_Vector* normals, KT_Vector* out_normals);

// Clips a device-space triangle to the hard clip's pixels (its right column
// and top row included) and draws what remains with the DC polytriangle slot matching the data
// given: textured with parameters, else Phong with normals, else Gouraud with three colours, else
// colorized with one colour (c0 alone), else plain.
KAVRI_API void
KD_Draw_Clipped_2D_Triangle(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                            const KT_Point* p0, const KT_Point* p1, const KT_Point* p2,
                            const KT_RGB32* c0, const KT_RGB32* c1, const KT_RGB32* c2,
                            const KT_Parameter* t0, const KT_Parameter* t1, const KT_Parameter* t2,
                            int width, float w0, float w1, float w2, const KT_Vector* n0,
                            const KT_Vector* n1, const KT_Vector* n2);

// Clips the segment p0-p1 to the hard clip and draws it through the DC
// polyline slot (the Gouraud one with two colours). Unless keep_direction,
// a segment entering late is clipped from its other end.
KAVRI_API void KD_Draw_Clipped_2D_Line(const KT_Renderer_Data* renderer,
                                       const KT_Rendition* rendition, const KT_Point* p0,
                                       const KT_Point* p1, const KT_RGB32* c0, const KT_RGB32* c1,
                                       bool keep_direction);
KAVRI_API void KD_Draw_Clipped_2D_Line(const KT_Renderer_Data* renderer,
                                       const KT_Rendition* rendition, const KT_DCI_Point* p0,
                                       const KT_DCI_Point* p1, const KT_RGB32* c0,
                                       const KT_RGB32* c1, bool keep_direction);

// Cuts a device-space polyline with the screen planes of planes and draws
// each kept piece through the 2D polyline slots. colors: one per vertex, or
// one for all with single_color; parameters: width per vertex; every
// attribute may be null.
KAVRI_API void KD_Cut_2DW_Polyline(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                   const KT_Cutting_Plane_Set* planes, int count,
                                   const KT_Point* points, const KT_RGB32* colors,
                                   bool single_color, const KT_Parameter* parameters, int width,
                                   const float* w, const KT_Vector* normals);
KAVRI_API void KD_Cut_2DW_Polyline(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                   const KT_Cutting_Plane_Set* planes, int count,
                                   const KT_Point_D* points, const KT_RGB32* colors,
                                   bool single_color, const KT_Parameter* parameters, int width,
                                   const float* w, const KT_Vector* normals);

// Cuts a device-space triangle with the screen planes of planes and draws
// the convex remainder through the 2D polytriangle slot matching the data
// given (as KD_Draw_Clipped_2D_Triangle chooses). Attributes may be null.
KAVRI_API void KD_Cut_2DW_Triangle(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                   const KT_Cutting_Plane_Set* planes, const KT_Point* p0,
                                   const KT_Point* p1, const KT_Point* p2, float w0, float w1,
                                   float w2, const KT_RGB32* c0, const KT_RGB32* c1,
                                   const KT_RGB32* c2, const KT_Parameter* t0,
                                   const KT_Parameter* t1, const KT_Parameter* t2, int width,
                                   const KT_Vector* n0, const KT_Vector* n1, const KT_Vector* n2);
KAVRI_API void KD_Cut_2DW_Triangle(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                   const KT_Cutting_Plane_Set* planes, const KT_Point_D* p0,
                                   const KT_Point_D* p1, const KT_Point_D* p2, float w0, float w1,
                                   float w2, const KT_RGB32* c0, const KT_RGB32* c1,
                                   const KT_RGB32* c2, const KT_Parameter* t0,
                                   const KT_Parameter* t1, const KT_Parameter* t2, int width,
                                   const KT_Vector* n0, const KT_Vector* n1, const KT_Vector* n2);

// A triangle some of whose vertices lie behind the near limit (outcode
// KT_Outcode_Behind: their points are undivided homogeneous x, y, z with w
// beside them). Splits it at the scaled w limit and hands the visible
// pieces, divided, to KD_Cut_2DW_Triangle. planes may be null.
KAVRI_API void KD_Draw_Clipped_2DW_Triangle(
    const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
    const KT_Cutting_Plane_Set* planes, const KT_Point* p0, const KT_Point* p1, const KT_Point* p2,
    float w0, float w1, float w2, const KT_RGB32* c0, const KT_RGB32* c1, const KT_RGB32* c2,
    const KT_Parameter* t0, const KT_Parameter* t1, const KT_Parameter* t2, int width,
    const KT_Vector* n0, const KT_Vector* n1, const KT_Vector* n2);
KAVRI_API void KD_Draw_Clipped_2DW_Triangle(
    const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
    const KT_Cutting_Plane_Set* planes, const KT_Point_D* p0, const KT_Point_D* p1,
    const KT_Point_D* p2, float w0, float w1, float w2, const KT_RGB32* c0, const KT_RGB32* c1,
    const KT_RGB32* c2, const KT_Parameter* t0, const KT_Parameter* t1, const KT_Parameter* t2,
    int width, const KT_Vector* n0, const KT_Vector* n1, const KT_Vector* n2);
