// Scan conversion of device-integer triangles into batches of spans. The
// DCI polytriangle actions gather each triangle's vertices into
// KT_Scan_Vertex records and hand them here with the rasterizer to use.
#pragma once

#include <cstdint>

#include "foundation/export.h"
#include "raster/span.h"

// One vertex with everything a span edge may carry. depth already holds
// the face's depth offset.
struct KAVRI_API KT_Scan_Vertex {
    std::int32_t x;
    std::int32_t y;
    std::int64_t depth;
    KT_RGB32 colour;
    float parameter[3];
    float position[3];
    float normal[3];
    float multiplier[3];
    float addend[3];
    float w;
};

// Triangles are drawn only while every coordinate has at most this
// magnitude, so that 16.16 edge words and their differences fit 32 bits.
inline constexpr std::int32_t KD_SCAN_COORDINATE_LIMIT = 16383;

struct KAVRI_API KT_Scan_Target {
    const KT_Renderer_Data* renderer;
    const KT_Rendition* rendition;
    const KT_Span_Data* data;
    KT_Span_Rasterizer rasterizer;
    KT_Span_Edge_Part part; // what the rasterizer reads of an edge
};

// Scan-converts triangle a, b, c: rows bottom.y up to top.y - 1, each
// covering columns [left, right) of its two edges' integer parts.
KAVRI_API void KD_Scan_Triangle(const KT_Scan_Target& target, const KT_Scan_Vertex& a,
                                const KT_Scan_Vertex& b, const KT_Scan_Vertex& c);
