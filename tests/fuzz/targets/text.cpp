// Strings of any bytes, narrow and wide, with any font name, size,
// alignment and spacing, measured and drawn through the font engine of a
// render stack, with native rasterization on and off.
//
// Checked: an extent the engine reports is finite, and drawing never
// writes outside the stack's image (the sanitizers watch the image).
#include <cmath>
#include <cstdint>
#include <limits>

#include "configured_stack.h"
#include "font/font_engine.h"
#include "fuzz_input.h"
#include "renderer/actions.h"
#include "rendition/rendition.h"

namespace {

constexpr int window_width = 96;
constexpr int window_height = 64;
// Longer strings only repeat glyphs already drawn, more slowly.
constexpr int longest_text = 64;
// Sizes beyond this make glyph bitmaps of hundreds of megabytes: a real
// request, not a fault, but the fuzzer's memory limit would stop on it.
constexpr float largest_size = 2000.0f;

const wchar_t* const font_names[] = {L"",
                                     L"DejaVu Sans",
                                     L"DejaVu Serif",
                                     L"Sans",
                                     L"Monospace",
                                     L"No Such Family Anywhere",
                                     L"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                     L"/etc/passwd",
                                     L"/nonexistent.ttf"};

szb_render_stack& stack() {
    return configured_stack(window_width, window_height);
}

float take_size(Fuzz_Input& in) {
    switch (in.take_int(0, 3)) {
    case 0:
        return float(in.take_int(-4, 48));
    case 1:
        return in.take_coordinate<float>();
    default:
        return in.take<std::uint8_t>() / 4.0f;
    }
}

KT_Font take_font(Fuzz_Input& in, KT_Font_Engine& engine) {
    KT_Font request;
    request.create_empty_data();
    const int which = in.take_int(0, int(std::size(font_names)));
    if (which < int(std::size(font_names)))
        request.set_name(font_names[which]);
    else {
        wchar_t name[16] = {};
        for (int i = 0; i < 15; ++i)
            name[i] = wchar_t(in.take<std::uint8_t>());
        request.set_name(name);
    }
    if (in.take_bool()) {
        request->weight = in.take<std::uint8_t>();
        request->italic = in.take<std::uint8_t>();
        request->set_mask |= KT_Font_Weight_Set | KT_Font_Italic_Set;
    }
    return engine->find_font(request);
}

void take_attributes(Fuzz_Input& in, KT_Rendition& rendition, KT_Font_Engine& engine) {
    KT_Text_Attribute_Data& text = rendition.modify_text_attribute();
    text.font = take_font(in, engine);
    text.text_size = take_size(in);
    if (!(std::fabs(text.text_size) <= largest_size)) text.text_size = largest_size;
    text.horizontal_alignment = in.take_bool() ? in.take_int(-1, 4) : in.take_any_int();
    text.vertical_alignment = in.take_bool() ? in.take_int(-1, 4) : in.take_any_int();
    text.text_path = in.take_int(-1, 4);
    text.text_flags = in.take_any_int();
    text.width_scale = in.take_bool() ? 1.0f : in.take_coordinate<float>();
    text.line_spacing = in.take_bool() ? 1.0f : in.take_coordinate<float>();
}

KT_DCI_Point take_point(Fuzz_Input& in) {
    if (in.take_bool())
        return {in.take_int(-20, window_width + 20), in.take_int(-20, window_height + 20),
                in.take_int(-10, 1000)};
    return {in.take_any_int(), in.take_any_int(), in.take_any_int()};
}

void check_extent(bool drawn, const KT_Text_Extent& extent) {
    if (!drawn) return;
    FUZZ_CHECK(std::isfinite(extent.advance) && std::isfinite(extent.left) &&
               std::isfinite(extent.right) && std::isfinite(extent.bottom) &&
               std::isfinite(extent.top));
}

// A count of -1 means up to the terminator; otherwise at most the length.
int take_count(Fuzz_Input& in, int length) {
    return in.take_bool() ? -1 : in.take_int(-2, length);
}

void draw_narrow(Fuzz_Input& in, KT_Rendition& rendition, KT_Font_Engine& engine) {
    char text[longest_text + 1] = {};
    const int length = in.take_int(0, longest_text);
    for (int i = 0; i < length; ++i)
        text[i] = char(in.take<std::uint8_t>());
    const int count = take_count(in, length);
    KT_Text_Extent extent;
    check_extent(engine->text_extent(rendition, text, count, extent), extent);
    const KT_DCI_Point at = take_point(in);
    KD_Action_Draw_2DI_Text(stack().renderer().body(), &rendition, &at, text, count);
}

void draw_wide(Fuzz_Input& in, KT_Rendition& rendition, KT_Font_Engine& engine) {
    wchar_t text[longest_text + 1] = {};
    const int length = in.take_int(0, longest_text);
    for (int i = 0; i < length; ++i)
        text[i] = in.take_bool() ? wchar_t(in.take<std::uint16_t>()) : in.take<wchar_t>();
    const int count = take_count(in, length);
    KT_Text_Extent extent;
    check_extent(engine->text_extent(rendition, text, count, extent), extent);
    const KT_DCI_Point at = take_point(in);
    KD_Action_Draw_2DI_Text_Wide(stack().renderer().body(), &rendition, &at, text, count);
}

void set_native_rasterization(KT_Font_Engine& engine, bool on) {
    KT_Option* option = engine->options.find(L"Native Rasterization");
    if (option) option->set(KT_Option_Value(on));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Input in(data, size);
    KT_Font_Engine& engine = stack().font_engine();
    KT_Rendition rendition(stack().renderer());
    const int strings = in.take_int(1, 4);
    for (int i = 0; i < strings && !in.exhausted(); ++i) {
        set_native_rasterization(engine, in.take_bool());
        take_attributes(in, rendition, engine);
        if (in.take_bool())
            draw_wide(in, rendition, engine);
        else
            draw_narrow(in, rendition, engine);
    }
    if (in.take_bool()) engine->flush_cache();
    return 0;
}
