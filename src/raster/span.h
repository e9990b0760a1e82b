// Spans: one pixel row of a primitive, known by its two ends, and the span
// rasterizers that turn batches of them into finished one-row images for
// the device's DCI image actions.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/export.h"
#include "math/vector.h"
#include "rendition/driver_color.h"

class KT_Renderer_Data;
class KT_Rendition;

// A 16.16 quantity with its per-row step.
struct KAVRI_API KT_Fixed_Interpolant {
    std::int32_t value;
    std::int32_t step;
};

struct KAVRI_API KT_Float_Interpolant {
    float value;
    float step;
};

// Channels of KT_Span_Edge::colour.
enum KT_Span_Channel : int {
    KT_Span_Red,
    KT_Span_Green,
    KT_Span_Blue,
    KT_Span_Alpha,
    KT_Span_Channel_Count
};

// One end of a span. Scan converters walk edges up the rows by adding the
// steps; rasterizers read only the values, and only those of the part they
// use (see KT_Span_Edge_Part).
struct KAVRI_API KT_Span_Edge {
    KT_Fixed_Interpolant x; // integer part: the pixel column
    std::uint32_t depth;
    std::int32_t depth_pad; // keeps the colour block aligned
    KT_Fixed_Interpolant colour[KT_Span_Channel_Count];
    KT_Float_Interpolant parameter[3]; // u, v, w
    KT_Float_Interpolant position[3];
    KT_Float_Interpolant normal[3];
    KT_Float_Interpolant multiplier[3]; // red, green, blue
    KT_Float_Interpolant addend[3];
    KT_Float_Interpolant w;
};

struct KAVRI_API KT_Span {
    KT_Span_Edge left;
    KT_Span_Edge right;
};

// How much of an edge a rasterizer reads.
enum class KT_Span_Edge_Part { Position_Depth, Colour, Everything };

// A one-bit pattern: pixel column c of row r is bit 1 << (c mod 8) of
// bits[r * row_bytes + c / 8].
struct KAVRI_API KT_Fill_Bits {
    const std::uint8_t* bits;
    std::int32_t width;
    std::int32_t height;
    std::int32_t row_bytes;
};

// What stays constant over one primitive.
struct KAVRI_API KT_Span_Data {
    KT_Driver_Color colour;
    KT_Driver_Color contrast_colour; // set pattern bits in opaque mode
    const KT_Fill_Bits* fill_pattern;
    KT_Vector vector; // handed to shading unchanged
    std::int32_t parameter_width;
};

// Span i of spans is row first_y + i; rows go bottom to top.
using KT_Span_Rasterizer = void (*)(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                    const KT_Span_Data* data, const KT_Span* spans, int count,
                                    std::int32_t first_y);

// Palette index of the colour.
KAVRI_API void KD_Rasterize_DC_Spans_C08_U(const KT_Renderer_Data*, const KT_Rendition*,
                                           const KT_Span_Data*, const KT_Span*, int, std::int32_t);
// The colour's RGB32 value.
KAVRI_API void KD_Rasterize_DC_Spans_C24_C(const KT_Renderer_Data*, const KT_Rendition*,
                                           const KT_Span_Data*, const KT_Span*, int, std::int32_t);
// Red, green, blue and alpha in 16.16 across the row.
KAVRI_API void KD_Rasterize_DC_Spans_C24_G(const KT_Renderer_Data*, const KT_Rendition*,
                                           const KT_Span_Data*, const KT_Span*, int, std::int32_t);
// The front material shades every pixel from colour, position and normal.
KAVRI_API void KD_Rasterize_DC_Spans_C24_R(const KT_Renderer_Data*, const KT_Rendition*,
                                           const KT_Span_Data*, const KT_Span*, int, std::int32_t);
// Textured: the shader's result alone (T), times a flat (TF) or Gouraud
// (TG) multiplier plus addend, or with per-pixel normals (TR).
KAVRI_API void KD_Rasterize_DC_Spans_C24_T(const KT_Renderer_Data*, const KT_Rendition*,
                                           const KT_Span_Data*, const KT_Span*, int, std::int32_t);
KAVRI_API void KD_Rasterize_DC_Spans_C24_TF(const KT_Renderer_Data*, const KT_Rendition*,
                                            const KT_Span_Data*, const KT_Span*, int, std::int32_t);
KAVRI_API void KD_Rasterize_DC_Spans_C24_TG(const KT_Renderer_Data*, const KT_Rendition*,
                                            const KT_Span_Data*, const KT_Span*, int, std::int32_t);
KAVRI_API void KD_Rasterize_DC_Spans_C24_TR(const KT_Renderer_Data*, const KT_Rendition*,
                                            const KT_Span_Data*, const KT_Span*, int, std::int32_t);

// Bits of KT_Misc_Data::perspective_flags that the rasterizers read.
enum KT_Perspective_Flag : std::int32_t {
    KT_Perspective_Parameters = 1,
    KT_Perspective_Positions = 4,
};

// Spans are handed to a rasterizer this many rows at a time.
inline constexpr int KD_SPAN_BATCH = 64;
// Rows up to this many pixels are built on the stack.
inline constexpr int KD_STACK_ROW_PIXELS = 4096;
