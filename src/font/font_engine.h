// The font engine: what every engine shares (the renderer it draws with, its
// options, the directory and font lists, placing 3D text), with the drawing
// itself left to the concrete engine a font-engine module supplies.
#pragma once

#include <cstdint>

#include "font/font.h"
#include "foundation/counted.h"
#include "foundation/directory.h"
#include "foundation/export.h"
#include "options/option_table.h"
#include "renderer/renderer_data.h"

class KT_Rendition;

// A singly linked list of owned directories, appended at the tail.
struct KAVRI_API KT_Font_Directory_Node : KT_Object {
    KT_Directory* directory = nullptr;
    KT_Font_Directory_Node* next = nullptr;
};
struct KAVRI_API KT_Font_Directory_List {
    KT_Font_Directory_List() = default;
    KT_Font_Directory_List(const KT_Font_Directory_List&) = delete;
    KT_Font_Directory_List& operator=(const KT_Font_Directory_List&) = delete;
    ~KT_Font_Directory_List();

    // The first link: iteration starts here, so the list itself acts as the
    // node before the head.
    KT_Font_Directory_Node* head = nullptr;
    KT_Font_Directory_Node* tail = nullptr;
};

// A singly linked list of fonts, appended at the tail, with the empty font
// that iteration returns at its end.
struct KAVRI_API KT_Font_Node : KT_Object {
    KT_Font font;
    KT_Font_Node* next = nullptr;
};
struct KAVRI_API KT_Font_List {
    KT_Font_List() = default;
    KT_Font_List(const KT_Font_List&) = delete;
    KT_Font_List& operator=(const KT_Font_List&) = delete;
    ~KT_Font_List();

    KT_Font_Node* head = nullptr;
    KT_Font_Node* tail = nullptr;
    KT_Font empty;
};

// Where a string lands, in device pixels from its drawing point (y up).
struct KAVRI_API KT_Text_Extent {
    float advance = 0.0f; // pen movement along the baseline
    float left = 0.0f;    // ink bounding box; all zero for a string without ink
    float right = 0.0f;
    float bottom = 0.0f;
    float top = 0.0f;
};

class KAVRI_API KT_Font_Engine_Data : public KT_Counted {
public:
    explicit KT_Font_Engine_Data(const KT_Renderer& renderer);
    ~KT_Font_Engine_Data() override;
    KT_Font_Engine_Data(const KT_Font_Engine_Data&) = delete;
    KT_Font_Engine_Data& operator=(const KT_Font_Engine_Data&) = delete;

    // Engines hold lists and module state that are never shared by copy.
    KT_Counted* copy() const override { return nullptr; }

    // Calls establish_configuration and returns what it returns.
    int establish() { return establish_configuration(); }

    // The concrete engine reads its options and finds its fonts; 0 is success.
    virtual int establish_configuration() { return 0; }

    virtual void add_dir(wchar_t* path);
    // Directory iteration: iterator is an opaque position in the list.
    virtual KT_Directory* first_dir(void*& iterator) const;
    virtual KT_Directory* next_dir(void*& iterator) const;
    virtual KT_Directory* dir(void* iterator) const;

    // Appends font (one more reference) and returns its position.
    virtual void* add_font(const KT_Font& font);
    // Font iteration; the empty font marks the end.
    virtual const KT_Font& first_font(void*& iterator) const;
    virtual const KT_Font& next_font(void*& iterator) const;
    virtual const KT_Font& font(void* iterator) const;

    // Releases the renderer; the engine then has none.
    virtual void set_renderer(void* none);
    virtual void set_renderer(const KT_Renderer& renderer);

    // The font that a request (name, weight, italic; any field may be
    // unset) resolves to; never empty.
    virtual KT_Font find_font(const KT_Font& request) = 0;
    // The font this engine draws when the rendition names none it knows.
    virtual KT_Font default_font() = 0;
    // Where text drawn with the rendition's text attributes lands, measured
    // from its drawing point; false when nothing would be drawn.
    virtual bool text_extent(const KT_Rendition& rendition, const wchar_t* text, int length,
                             KT_Text_Extent& extent) = 0;
    virtual bool text_extent(const KT_Rendition& rendition, const char* text, int length,
                             KT_Text_Extent& extent) = 0;
    // Drops every cached glyph.
    virtual void flush_cache() = 0;

    virtual KT_Font_Directory_List& directory_list() = 0;
    virtual const KT_Font_Directory_List& directory_list() const = 0;
    virtual KT_Font_List& font_list() = 0;
    virtual const KT_Font_List& font_list() const = 0;

    // Places text at a 3D point: transformed through the rendition, rounded
    // to device integers and drawn unless it lies behind the near limit.
    virtual void draw_3d_text(const KT_Rendition& rendition, const KT_Point& position,
                              const wchar_t* text, int length);
    virtual void draw_3d_text(const KT_Rendition& rendition, const KT_Point& position,
                              const char* text, int length);

    // Text at an integer device point with the rendition's text attributes:
    // wide text as UTF-32, narrow text as UTF-8.
    virtual void draw_text(const KT_Rendition& rendition, const KT_DCI_Point& position,
                           const wchar_t* text, int length) = 0;
    virtual void draw_text(const KT_Rendition& rendition, const KT_DCI_Point& position,
                           const char* text, int length) = 0;

    KT_Renderer renderer;
    KT_Pointer<KT_Counted> cached; // the engine's cached state
    KT_Option_Table options;
    std::int32_t reserved_word = 1;

private:
    // The device point text at position is drawn at; false behind the eye.
    static bool place(const KT_Rendition& rendition, const KT_Point& position, KT_DCI_Point& at);
};

class KAVRI_API KT_Font_Engine : public KT_Pointer<KT_Font_Engine_Data> {
public:
    KT_Font_Engine() = default;
    explicit KT_Font_Engine(KT_Font_Engine_Data* body) : KT_Pointer(body) {}
};
