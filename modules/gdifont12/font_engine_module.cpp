// The default font engine module. For now it defines the engine's options
// and draws no text: text drawn through a stack that uses it is dropped.
// Glyph outlines and native rasterization arrive with the font work.
#include "font/font_engine.h"
#include "renderer/module_contract.h"

KAVRI_MODULE_VERSION(12, 0);

namespace {

class Silent_Font_Engine : public KT_Font_Engine_Data {
public:
    explicit Silent_Font_Engine(const KT_Renderer& renderer) : KT_Font_Engine_Data(renderer) {
        options.add(KT_Option(L"Native Rasterization", KT_Option_Enum::Global, false));
    }

    void draw_text(const KT_Rendition&, const KT_DCI_Point&, const wchar_t*, int) override {}
    void draw_text(const KT_Rendition&, const KT_DCI_Point&, const char*, int) override {}
};

} // namespace

KAVRI_MODULE_ENTRY KT_Font_Engine_Data* KD_Font_Engine(KT_Renderer* renderer) {
    return new Silent_Font_Engine(renderer ? *renderer : KT_Renderer());
}
