// The shape engine: the base of every engine that draws lines, markers and
// areas with patterns it knows by index. The base knows no pattern: it
// reduces float points to device points, triangulates polygons and draws
// every primitive plainly through the top renderer's 2DI slots, with the
// shape switched off in a private rendition so that the renderer does not
// hand the primitive back. Engines that know shapes override the drawing
// operations and may fall back on these.
#pragma once

#include <cstdint>

#include "font/shape.h"
#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"

class KT_Renderer_Data;
class KT_Rendition;
struct KT_Vector;

// Which colour slot a drawing operation given colours uses.
enum KT_Shape_Color_Choice : std::int32_t {
    // The colorized slot, one colour for each piece (its flag false).
    KT_Shape_Color_Per_Piece = 1,
    // The Gouraud slot, one colour per vertex.
    KT_Shape_Color_Interpolated = 2,
    // Any other value: the colorized slot with one colour for everything.
    KT_Shape_Color_Uniform = -1,
};

struct KAVRI_API KT_Shape_Color {
    constexpr explicit KT_Shape_Color(std::int32_t v) : value(v) {}
    std::int32_t value;
};

class KAVRI_API KT_Shape_Engine_Data : public KT_Counted {
public:
    KT_Shape_Engine_Data() = default;
    KT_Counted* copy() const override { return new KT_Shape_Engine_Data(*this); }

    virtual KT_Line_Shape line_shape(int index) const;
    virtual KT_Marker_Shape marker_shape(int index) const;
    virtual KT_Fill_Shape fill_shape(int index) const;

    // Polygons of fewer than 3 points draw nothing; 3 points are one
    // triangle; more are triangulated.
    virtual void draw_2d_polygon(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                 int count, const KT_DCI_Point* points,
                                 const KT_RGB32* colours) const;
    virtual void draw_2d_polygon(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                 int count, const KT_Point* points, const KT_RGB32* colours) const;
    // Colours, parameters, w values and normals may each be null.
    virtual void draw_2d_polytriangle(const KT_Renderer_Data* renderer,
                                      const KT_Rendition* rendition, int count,
                                      const KT_DCI_Point* points, const KT_RGB32* colours,
                                      const KT_Shape_Color& choice, const KT_Parameter* parameters,
                                      int parameter_width, const float* w,
                                      const KT_Vector* normals) const;
    virtual void draw_2d_polytriangle(const KT_Renderer_Data* renderer,
                                      const KT_Rendition* rendition, int count,
                                      const KT_Point* points, const KT_RGB32* colours,
                                      const KT_Shape_Color& choice, const KT_Parameter* parameters,
                                      int parameter_width, const float* w,
                                      const KT_Vector* normals) const;
    virtual void draw_2d_polyline(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                  int count, const KT_DCI_Point* points, const KT_RGB32* colours,
                                  const KT_Shape_Color& choice, const KT_Parameter* parameters,
                                  int parameter_width, const float* w,
                                  const KT_Vector* normals) const;
    virtual void draw_2d_polyline(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                  int count, const KT_Point* points, const KT_RGB32* colours,
                                  const KT_Shape_Color& choice, const KT_Parameter* parameters,
                                  int parameter_width, const float* w,
                                  const KT_Vector* normals) const;
    // Normals are not used by the base.
    virtual void draw_2d_polymarker(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                    int count, const KT_DCI_Point* points, const KT_RGB32* colours,
                                    const KT_Shape_Color& choice, const KT_Parameter* parameters,
                                    int parameter_width, const KT_Vector* normals) const;
    virtual void draw_2d_polymarker(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                    int count, const KT_Point* points, const KT_RGB32* colours,
                                    const KT_Shape_Color& choice, const KT_Parameter* parameters,
                                    int parameter_width, const KT_Vector* normals) const;
};

// The engine of a shape record, or the base engine when the record has
// none, so that a shaped primitive is always drawn at least plainly.
KAVRI_API const KT_Shape_Engine_Data& KD_Shape_Engine_Of(const KT_Shape_Data* shape);
