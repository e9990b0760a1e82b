// The built-in marker glyphs: marker symbols 0 to 37 as small byte
// programs, and a reader that walks a program operation by operation.
//
// A program starts with a five-byte header: format (1), origin x, origin y,
// x divisor, y divisor. A glyph coordinate g is drawn at
// (g - origin) * marker size / divisor + marker position. Every byte is
// signed.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/export.h"

inline constexpr int KD_MARKER_GLYPH_COUNT = 38;
// The symbol whose markers the marker record's shape draws.
inline constexpr int KD_MARKER_SHAPE_SYMBOL = 40;

// The program of symbol, or null for symbols without a glyph.
KAVRI_API const std::int8_t* KD_Marker_Glyph(int symbol);

enum class KT_Glyph_Operation : std::int8_t {
    End = 0,      // a non-empty collection is filled
    Dot = 1,      // one (x, y) pair
    Polyline = 2, // count (x, y) pairs
    Begin_Area = -1,
    Fill_Area = -2, // fills a collection of more than 2 points, then empties it
    End_Area = -3,  // stops collecting, then as Fill_Area
    Ellipse = -4,   // box x0, y0, x1, y1; filled while collecting
    Arc = -5,       // three (x, y) pairs on a circular arc
    Contrast_Color = -6,
    Marker_Color = -7,
};

struct KAVRI_API KT_Glyph_Step {
    KT_Glyph_Operation operation;
    // Number of (x, y) pairs in operands (the ellipse box counts as two).
    int pair_count;
    const std::int8_t* operands;
};

class KAVRI_API KT_Marker_Glyph_Reader {
public:
    explicit KT_Marker_Glyph_Reader(const std::int8_t* program) : program_(program) {
        if (program_) at_ = program_ + 5;
    }

    bool valid() const { return program_ && program_[0] == 1; }
    int origin_x() const { return program_[1]; }
    int origin_y() const { return program_[2]; }
    int divisor_x() const { return program_[3]; }
    int divisor_y() const { return program_[4]; }

    // The next operation; End (and stays there) at the end of the program
    // or at a code the format does not know.
    KT_Glyph_Step next();

    // Where glyph coordinates (gx, gy) land for a marker of size at position.
    KT_Point map(int gx, int gy, float size, const KT_Point& position) const {
        return {static_cast<float>(gx - origin_x()) * size / static_cast<float>(divisor_x()) +
                    position.x,
                static_cast<float>(gy - origin_y()) * size / static_cast<float>(divisor_y()) +
                    position.y,
                position.z};
    }

private:
    const std::int8_t* program_;
    const std::int8_t* at_ = nullptr;
};
