// The typed view of the sixteen options every renderer carries.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/export.h"
#include "image/palette.h"
#include "image/pixel_format.h"
#include "options/option_table.h"

// How a device shows colour. Values from CMYK up all mean CMYK.
class KAVRI_API KT_Color_System {
public:
    enum Value : std::int32_t {
        Mapped = 0, // Index8 pixels into the "Palette"
        True_Color = 1,
        Bitonal = 2,
        Gray = 3,
        CMYK = 4,
    };

    constexpr KT_Color_System() = default;
    constexpr KT_Color_System(std::int32_t v) : value_(v) {} // NOLINT: used like its enum
    constexpr operator std::int32_t() const { return value_; }
    constexpr bool is_cmyk() const { return value_ >= CMYK; }

private:
    std::int32_t value_ = Mapped;
};

class KAVRI_API KT_Renderer_Options {
public:
    // In the order of the view; the table holds them in another order.
    enum Index {
        Alpha_Blending,
        Backing_Store,
        Bitonal_Format,
        Buffer_Depth,
        Color_Resolution,
        Color_System,
        Double_Buffer,
        Line_Thickness,
        Local_Coordinates,
        Palette,
        Pattern_Scale,
        Packing_Order,
        Pixel_Aspect,
        Supports_Complex_Clip,
        Window_Origin,
        Window_Size,
        option_count
    };

    // Adds the sixteen options to table with their defaults, not set. The
    // view reads and writes those records for as long as the table lives.
    explicit KT_Renderer_Options(KT_Option_Table& table);

    KT_Option* option(Index i) const { return options_[i]; }

    bool alpha_blending() const { return read<bool>(Alpha_Blending); }
    bool backing_store() const { return read<bool>(Backing_Store); }
    KT_Bitonal_Format bitonal_format() const;
    int buffer_depth() const { return read<int>(Buffer_Depth); }
    int color_resolution() const { return read<int>(Color_Resolution); }
    KT_Color_System color_system() const { return read<int>(Color_System); }
    bool double_buffer() const { return read<bool>(Double_Buffer); }
    float line_thickness() const { return read<float>(Line_Thickness); }
    bool local_coordinates() const { return read<bool>(Local_Coordinates); }
    const KT_Palette& palette() const;
    float pattern_scale() const { return read<float>(Pattern_Scale); }
    KT_Packing packing_order() const;
    float pixel_aspect() const { return read<float>(Pixel_Aspect); }
    bool supports_complex_clip() const { return read<bool>(Supports_Complex_Clip); }
    KT_Int_XY window_origin() const { return read_pair(Window_Origin); }
    KT_Int_XY window_size() const { return read_pair(Window_Size); }

    // Every writer marks its option set, even with the default value.
    void set_alpha_blending(bool v) { write(Alpha_Blending, KT_Option_Value(v)); }
    void set_backing_store(bool v) { write(Backing_Store, KT_Option_Value(v)); }
    void set_bitonal_format(KT_Bitonal_Format v);
    void set_buffer_depth(int v) { write(Buffer_Depth, KT_Option_Value(v)); }
    void set_color_resolution(int v) { write(Color_Resolution, KT_Option_Value(v)); }
    void set_color_system(KT_Color_System v);
    void set_double_buffer(bool v) { write(Double_Buffer, KT_Option_Value(v)); }
    void set_line_thickness(float v) { write(Line_Thickness, KT_Option_Value(v)); }
    void set_local_coordinates(bool v) { write(Local_Coordinates, KT_Option_Value(v)); }
    void set_palette(const KT_Palette& v) { write(Palette, KT_Option_Value(v)); }
    void set_pattern_scale(float v) { write(Pattern_Scale, KT_Option_Value(v)); }
    void set_packing_order(KT_Packing v);
    void set_pixel_aspect(float v) { write(Pixel_Aspect, KT_Option_Value(v)); }
    void set_supports_complex_clip(bool v) { write(Supports_Complex_Clip, KT_Option_Value(v)); }
    void set_window_origin(const KT_Int_XY& v) { write(Window_Origin, KT_Option_Value(v.x, v.y)); }
    void set_window_size(const KT_Int_XY& v) { write(Window_Size, KT_Option_Value(v.x, v.y)); }

    // (ox, ox + sx - 1, oy, oy + sy - 1) from the window origin and size.
    KT_Int_Rectangle window_extent() const;
    // The same with the origin at (0, 0).
    KT_Int_Rectangle local_extent() const;
    // Sets origin and size (both marked set) from the rectangle.
    void set_window_extent(const KT_Int_Rectangle& r);

    // Clamps this window into the window of the layer beneath, when all
    // four window options were set explicitly. Returns whether it clamped.
    bool checkit(KT_Renderer_Options& beneath);
    // Merges other's explicitly set palette into this view's palette and
    // hands the merged palette down to other; true when it changed.
    bool optimize(KT_Renderer_Options& other);

private:
    template <class T> T read(Index i) const { return options_[i]->value.element<T>(0); }
    KT_Int_XY read_pair(Index i) const;
    void write(Index i, const KT_Option_Value& v) { options_[i]->set(v); }

    KT_Option* options_[option_count];
};
