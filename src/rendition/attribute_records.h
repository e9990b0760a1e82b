// The line, face, marker, text and miscellaneous records of a rendition.
// Each is shared between renditions until one of them changes it; copy()
// duplicates the values and shares every handle.
#pragma once

#include <cstdint>

#include "font/font.h"
#include "font/shape.h"
#include "foundation/counted.h"
#include "foundation/export.h"
#include "rendition/cutting_plane.h"
#include "rendition/dash_pattern.h"
#include "rendition/fill_pattern.h"
#include "rendition/hatch_pattern.h"

// Line pattern numbers with a meaning of their own; 1 to 21 select the
// built-in dash patterns.
enum KT_Line_Pattern : std::int32_t {
    KT_Line_Solid = 0,
    KT_Line_Own_Dashes = 34,
    KT_Line_By_Shape = 35,
};

// Indices into KT_Line_Data::flags.
enum KT_Line_Flag : int {
    KT_Line_Fit_Pattern = 0,
    KT_Line_Keep_Face_Pattern = 3,
    KT_Line_No_Wide_Outline = 4,
    KT_Line_Flag_Count = 5,
};

class KAVRI_API KT_Line_Data : public KT_Counted {
public:
    KT_Line_Data() = default;
    KT_Counted* copy() const override { return new KT_Line_Data(*this); }

    std::int32_t line_pattern = KT_Line_Solid;
    std::int32_t pattern_phase = 0;
    KT_Dash_Pattern dash_pattern;
    KT_Line_Shape line_shape;
    std::int32_t join_style = 0;
    std::int32_t join_options = 0;
    std::int32_t start_end_style = 0;
    std::int32_t end_end_style = 0;
    std::int32_t end_options = 0;
    // The drawn width is weight times the renderer's line thickness.
    std::int32_t line_weight = 1;
    // Joins turning by more than pi minus this are bevelled (radians).
    float mitre_angle_limit = 0.17453292f;
    float mitre_length_limit = 6.0f;
    float pattern_scale = 1.0f;
    std::uint8_t flags[KT_Line_Flag_Count] = {0, 0, 0, 0, 0};
    std::int32_t driver_word = 0;
};

// Face pattern numbers with a meaning of their own; others select the
// built-in fill bitmaps.
enum KT_Face_Pattern : std::int32_t {
    KT_Face_Solid = 64,
    KT_Face_User_Pattern = 74,
    KT_Face_Hatch = 75,
    KT_Face_By_Shape = 76,
};

class KAVRI_API KT_Face_Data : public KT_Counted {
public:
    KT_Face_Data() = default;
    KT_Counted* copy() const override { return new KT_Face_Data(*this); }

    std::int32_t face_pattern = KT_Face_Solid;
    KT_Fill_Pattern fill_pattern;
    KT_Hatch_Pattern hatch_pattern;
    KT_Fill_Shape face_shape;
    // Added to the depth of every vertex of a filled triangle.
    std::int32_t depth_offset = 0;
    float pattern_density = 1.0f;
    std::int32_t driver_word = 0;
};

class KAVRI_API KT_Marker_Data : public KT_Counted {
public:
    KT_Marker_Data() = default;
    KT_Counted* copy() const override { return new KT_Marker_Data(*this); }

    // Half the extent of a built-in glyph, in pixels.
    std::int32_t marker_size = 10;
    // A built-in glyph, or 40 for the marker shape.
    std::int32_t marker_symbol = 4;
    KT_Marker_Shape marker_shape;
};

class KAVRI_API KT_Text_Attribute_Data : public KT_Counted {
public:
    KT_Text_Attribute_Data() = default;
    KT_Counted* copy() const override { return new KT_Text_Attribute_Data(*this); }

    std::int32_t text_path = 0;
    float width_scale = 1.0f;
    float line_spacing = 1.0f;
    std::int32_t horizontal_alignment = 0;
    std::int32_t vertical_alignment = 0;
    std::int32_t text_flags = 0;
    float text_size = 10.0f;
    // The standard text actions draw with this font's engine.
    KT_Font font;
};

// Bits of the advanced options that the 3D actions read.
class KAVRI_API KT_Advanced_Options {
public:
    enum Bits : std::uint32_t {
        Cull_Front_Faces = 16,
        Ignore_Vertex_Colors = 64,
        Ignore_Face_Colors = 128,
    };

    constexpr KT_Advanced_Options() = default;
    constexpr KT_Advanced_Options(std::uint32_t bits) : bits_(bits) {} // NOLINT: a plain bit set
    constexpr operator std::uint32_t() const { return bits_; }
    constexpr bool has(std::uint32_t bit) const { return (bits_ & bit) != 0; }

private:
    std::uint32_t bits_ = 0;
};

// Values of KT_Misc_Data::lighting_interpolation; others mean Gouraud.
enum KT_Lighting_Interpolation : std::int32_t {
    KT_Lighting_Flat = 1,
    KT_Lighting_Phong = 3,
};

// Bits of KT_Misc_Data::pattern_mode.
enum KT_Pattern_Mode : std::int32_t {
    KT_Pattern_Opaque = 1, // skipped dashes and clear pattern bits in the contrast colour
    KT_Pattern_Invert = 2,
};

class KAVRI_API KT_Misc_Data : public KT_Counted {
public:
    KT_Misc_Data() = default;
    KT_Counted* copy() const override { return new KT_Misc_Data(*this); }

    // Device origin of fill patterns: x in the low, y in the high 32 bits.
    std::int64_t pattern_origin = 0;
    std::int32_t misc_word = 13;
    std::int32_t pattern_mode = 0;
    std::int32_t perspective_flags = 0;
    std::int32_t lighting_interpolation = 0;
    std::uint8_t cull_back_faces = 0;
    KT_Cutting_Plane_Set cutting_planes;
    KT_Advanced_Options advanced_options;
};
