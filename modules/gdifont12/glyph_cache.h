// Glyphs of one face at one pixel size, each prepared once: the outline as
// triangles for the polygon actions, or FreeType's coverage for image rows.
//
// Coordinates are device pixels relative to the glyph's origin on the
// baseline, y growing upward as in device space.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "foundation/basic_types.h"

namespace gdifont {

struct Glyph_Metrics {
    float advance = 0.0f;
    float left = 0.0f; // ink box; all zero for a glyph without ink
    float right = 0.0f;
    float bottom = 0.0f;
    float top = 0.0f;
};

struct Outline_Glyph {
    Glyph_Metrics metrics;
    std::vector<KT_Point> triangles; // three corners a triangle
};

struct Coverage_Glyph {
    Glyph_Metrics metrics;
    int left = 0; // column of the first coverage column from the origin
    int top = 0;  // row above the baseline of the first coverage row
    int width = 0;
    int rows = 0;
    std::vector<std::uint8_t> coverage; // rows top to bottom, 0 none ... 255 full
};

class Glyph_Cache {
public:
    // face stays owned by the caller and outlives the cache.
    Glyph_Cache(FT_Face face, int pixel_size) : face_(face), pixel_size_(pixel_size) {}

    // Null when the face cannot load the glyph.
    const Outline_Glyph* outline(unsigned glyph_index);
    const Coverage_Glyph* coverage(unsigned glyph_index);
    // Horizontal kerning between two glyphs, in pixels.
    float kerning(unsigned left, unsigned right);

    int pixel_size() const { return pixel_size_; }
    std::size_t size() const { return outlines_.size() + coverages_.size(); }

private:
    bool load(unsigned glyph_index, FT_Int32 flags);

    FT_Face face_;
    int pixel_size_;
    std::unordered_map<unsigned, Outline_Glyph> outlines_;
    std::unordered_map<unsigned, Coverage_Glyph> coverages_;
};

// The flags the outline path loads glyphs with: hinted for monochrome, so
// stems and extremes sit on whole pixels, where the integer device points
// the polygons end in can hold them exactly.
inline constexpr FT_Int32 outline_load_flags = FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO;

} // namespace gdifont
