#include "options/renderer_options.h"

#include <algorithm>
#include <cstdint>

namespace {

using R = KT_Renderer_Options;

struct Entry {
    R::Index index;
    const wchar_t* name;
};

// The order in which the options enter the table.
constexpr Entry table_order[R::option_count] = {
    {R::Alpha_Blending, L"Alpha Blending"},
    {R::Backing_Store, L"Backing Store"},
    {R::Bitonal_Format, L"Bitonal Format"},
    {R::Buffer_Depth, L"Buffer Depth"},
    {R::Color_System, L"Color System"},
    {R::Color_Resolution, L"Color Resolution"},
    {R::Double_Buffer, L"Double Buffer"},
    {R::Line_Thickness, L"Line Thickness"},
    {R::Local_Coordinates, L"Local Coordinates"},
    {R::Palette, L"Palette"},
    {R::Pattern_Scale, L"Pattern_Scale"},
    {R::Pixel_Aspect, L"Pixel Aspect"},
    {R::Packing_Order, L"Packing Order"},
    {R::Supports_Complex_Clip, L"Supports Complex Clip"},
    {R::Window_Origin, L"Window Origin"},
    {R::Window_Size, L"Window Size"},
};

KT_Option_Value default_value(R::Index i) {
    switch (i) {
    case R::Bitonal_Format:
    case R::Buffer_Depth:
    case R::Color_System:
        return KT_Option_Value(0);
    case R::Color_Resolution:
        return KT_Option_Value(256);
    case R::Line_Thickness:
    case R::Pixel_Aspect:
        return KT_Option_Value(1.0f);
    case R::Palette:
        return KT_Option_Value(KT_Palette());
    case R::Pattern_Scale:
        return KT_Option_Value(50.0f);
    case R::Packing_Order:
        return KT_Option_Value(static_cast<int>(KT_Packing::canonical_word));
    case R::Window_Origin:
    case R::Window_Size:
        return KT_Option_Value(0, 0);
    default:
        return KT_Option_Value(false);
    }
}

// Windows near the 32-bit limits saturate instead of wrapping.
std::int32_t saturate(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

KT_Int_Rectangle extent(KT_Int_XY origin, KT_Int_XY size) {
    return {origin.x, saturate(std::int64_t{origin.x} + size.x - 1), origin.y,
            saturate(std::int64_t{origin.y} + size.y - 1)};
}

} // namespace

KT_Renderer_Options::KT_Renderer_Options(KT_Option_Table& table) {
    for (const Entry& e : table_order)
        options_[e.index] =
            table.add(KT_Option(e.name, KT_Option_Enum::Global, default_value(e.index)));
}

KT_Int_XY KT_Renderer_Options::read_pair(Index i) const {
    const KT_Option_Value& v = options_[i]->value;
    return {v.element<int>(0), v.element<int>(1)};
}

KT_Bitonal_Format KT_Renderer_Options::bitonal_format() const {
    return KT_Bitonal_Format(static_cast<std::uint32_t>(read<int>(Bitonal_Format)));
}

KT_Packing KT_Renderer_Options::packing_order() const {
    return KT_Packing(static_cast<std::uint32_t>(read<int>(Packing_Order)));
}

const KT_Palette& KT_Renderer_Options::palette() const {
    const KT_Palette* p = options_[Palette]->value.elements<KT_Palette>();
    if (p && options_[Palette]->value.count() > 0 && !p->empty()) return *p;
    // The option was cleared, given another type or an empty handle.
    static const KT_Palette fallback;
    return fallback;
}

void KT_Renderer_Options::set_bitonal_format(KT_Bitonal_Format v) {
    write(Bitonal_Format, KT_Option_Value(static_cast<int>(v.value())));
}

void KT_Renderer_Options::set_color_system(KT_Color_System v) {
    write(Color_System, KT_Option_Value(static_cast<int>(v)));
}

void KT_Renderer_Options::set_packing_order(KT_Packing v) {
    write(Packing_Order, KT_Option_Value(static_cast<int>(v.word())));
}

KT_Int_Rectangle KT_Renderer_Options::window_extent() const {
    return extent(window_origin(), window_size());
}

KT_Int_Rectangle KT_Renderer_Options::local_extent() const {
    return extent({0, 0}, window_size());
}

void KT_Renderer_Options::set_window_extent(const KT_Int_Rectangle& r) {
    set_window_origin({r.left, r.bottom});
    set_window_size({saturate(std::int64_t{r.right} - r.left + 1),
                     saturate(std::int64_t{r.top} - r.bottom + 1)});
}

bool KT_Renderer_Options::checkit(KT_Renderer_Options& beneath) {
    for (const KT_Renderer_Options* view : {this, &beneath})
        if (!view->options_[Window_Origin]->set_flag || !view->options_[Window_Size]->set_flag)
            return false;
    const KT_Int_Rectangle e = window_extent();
    const KT_Int_Rectangle b = beneath.window_extent();
    // std::clamp would be undefined for an empty window beneath.
    auto fit = [](std::int32_t v, std::int32_t low, std::int32_t high) {
        return std::min(std::max(v, low), high);
    };
    set_window_extent({fit(e.left, b.left, b.right), fit(e.right, b.left, b.right),
                       fit(e.bottom, b.bottom, b.top), fit(e.top, b.bottom, b.top)});
    return true;
}

bool KT_Renderer_Options::optimize(KT_Renderer_Options& other) {
    if (!other.options_[Palette]->set_flag) return false;
    KT_Palette p = palette();
    if (!p.install(other.palette())) return false;
    other.set_palette(p);
    other.options_[Palette]->set_flag = false;
    set_palette(p);
    return true;
}
