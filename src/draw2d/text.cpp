// The standard text actions: 2D text is rounded to a device point, and text
// at a device point goes to the engine of the rendition's font, drawing with
// the renderer that called.
#include "font/font_engine.h"
#include "renderer/actions.h"
#include "renderer/next_action.h"
#include "rendition/rendition.h"

namespace {

KT_DCI_Point rounded(const KT_Point& p) {
    return {KD_Round(p.x), KD_Round(p.y), KD_Round(p.z)};
}

bool finite(const KT_Point& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Lends the engine the calling renderer for one string, then gives the
// engine's own renderer back.
template <class Char>
void draw_with_font(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                    const KT_DCI_Point* point, const Char* text, int count) {
    if (!rendition || !*rendition || !point || !text || count == 0) return;
    const KT_Font& font = rendition->text_attribute().font;
    if (font.empty() || !font->engine) return;
    KT_Font_Engine engine(font->engine);
    const KT_Renderer kept = engine->renderer;
    engine->set_renderer(KT_Renderer(const_cast<KT_Renderer_Data*>(renderer)));
    engine->draw_text(*rendition, *point, text, count);
    engine->set_renderer(kept);
}

template <int Slot, class Char>
void round_and_draw(const KT_Rendition* rendition, const KT_Point* point, const Char* text,
                    int count) {
    if (!point || !finite(*point)) return;
    const KT_DCI_Point at = rounded(*point);
    KD_Next_Action<Slot>(rendition, &at, text, count);
}

} // namespace

extern "C" void KD_Standard_Draw_2D_Text(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                         const KT_Point* point, const char* text, int count) {
    round_and_draw<KT_Slot_Draw_2DI_Text>(rendition, point, text, count);
}

extern "C" void KD_Standard_Draw_2D_Text_Wide(const KT_Renderer_Data*,
                                              const KT_Rendition* rendition, const KT_Point* point,
                                              const wchar_t* text, int count) {
    round_and_draw<KT_Slot_Draw_2DI_Text_Wide>(rendition, point, text, count);
}

extern "C" void KD_Standard_Draw_2DI_Text(const KT_Renderer_Data* renderer,
                                          const KT_Rendition* rendition, const KT_DCI_Point* point,
                                          const char* text, int count) {
    draw_with_font(renderer, rendition, point, text, count);
}

extern "C" void KD_Standard_Draw_2DI_Text_Wide(const KT_Renderer_Data* renderer,
                                               const KT_Rendition* rendition,
                                               const KT_DCI_Point* point, const wchar_t* text,
                                               int count) {
    draw_with_font(renderer, rendition, point, text, count);
}
