// The font engine: turns text into drawing for a renderer. The library
// holds what every engine shares (the renderer it draws with and its
// options); a font-engine module supplies the concrete engine.
//
// This is the part the render stack needs to create, configure and attach
// an engine. The directory and font lists, their iteration and 3D text
// placement are still to come with the text pipeline.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "options/option_table.h"
#include "renderer/renderer_data.h"

class KT_Rendition;

class KT_Font_Engine_Data : public KT_Counted {
public:
    explicit KT_Font_Engine_Data(const KT_Renderer& renderer) : renderer(renderer) {}
    ~KT_Font_Engine_Data() override = default;
    KT_Font_Engine_Data(const KT_Font_Engine_Data&) = delete;
    KT_Font_Engine_Data& operator=(const KT_Font_Engine_Data&) = delete;

    // Engines are shared, never copied.
    KT_Counted* copy() const override { return nullptr; }

    // Brings the engine up to date with its options; 0 on success.
    virtual int establish_configuration() { return 0; }
    // Detaches the engine from its renderer (the argument is not read).
    virtual void set_renderer(void*) { renderer.reset(); }
    virtual void set_renderer(const KT_Renderer& r) { renderer = r; }

    // Draw text at an integer device point with the rendition's text
    // attributes.
    virtual void draw_text(const KT_Rendition& rendition, const KT_DCI_Point& point,
                           const wchar_t* text, int length) = 0;
    virtual void draw_text(const KT_Rendition& rendition, const KT_DCI_Point& point,
                           const char* text, int length) = 0;

    int establish() { return establish_configuration(); }

    KT_Renderer renderer;
    KT_Pointer<KT_Counted> cached; // the engine's cached state
    KT_Option_Table options;
    std::int32_t reserved_word = 1;
};

class KT_Font_Engine : public KT_Pointer<KT_Font_Engine_Data> {
public:
    KT_Font_Engine() = default;
    explicit KT_Font_Engine(KT_Font_Engine_Data* body) : KT_Pointer(body) {}
};
