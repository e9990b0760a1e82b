#include "font/font_engine.h"

#include <cmath>

#include "draw3d/transform_clip.h"
#include "rendition/rendition.h"

namespace {

enum : short { Behind_Near_Limit = 16 };

// The iterators of both lists point at a link: the list's head pointer at
// first, then a node's next pointer.
template <class Node> Node** link_at(void* iterator) {
    return static_cast<Node**>(iterator);
}

} // namespace

KT_Font_Directory_List::~KT_Font_Directory_List() {
    while (KT_Font_Directory_Node* node = head) {
        head = node->next;
        delete node->directory;
        delete node;
    }
}

KT_Font_List::~KT_Font_List() {
    while (KT_Font_Node* node = head) {
        head = node->next;
        delete node;
    }
}

KT_Font_Engine_Data::KT_Font_Engine_Data(const KT_Renderer& renderer) : renderer(renderer) {}

KT_Font_Engine_Data::~KT_Font_Engine_Data() = default;

void KT_Font_Engine_Data::add_dir(wchar_t* path) {
    auto* node = new KT_Font_Directory_Node;
    node->directory = new KT_Directory(path);
    KT_Font_Directory_List& list = directory_list();
    if (list.tail)
        list.tail->next = node;
    else
        list.head = node;
    list.tail = node;
}

KT_Directory* KT_Font_Engine_Data::first_dir(void*& iterator) const {
    iterator = const_cast<KT_Font_Directory_Node**>(&directory_list().head);
    return dir(iterator);
}

KT_Directory* KT_Font_Engine_Data::next_dir(void*& iterator) const {
    KT_Font_Directory_Node** link = link_at<KT_Font_Directory_Node>(iterator);
    if (!link || !*link) return nullptr;
    iterator = &(*link)->next;
    return dir(iterator);
}

KT_Directory* KT_Font_Engine_Data::dir(void* iterator) const {
    KT_Font_Directory_Node** link = link_at<KT_Font_Directory_Node>(iterator);
    return link && *link ? (*link)->directory : nullptr;
}

void* KT_Font_Engine_Data::add_font(const KT_Font& font) {
    auto* node = new KT_Font_Node;
    node->font = font;
    KT_Font_List& list = font_list();
    if (list.tail)
        list.tail->next = node;
    else
        list.head = node;
    list.tail = node;
    return node;
}

const KT_Font& KT_Font_Engine_Data::first_font(void*& iterator) const {
    iterator = const_cast<KT_Font_Node**>(&font_list().head);
    return font(iterator);
}

const KT_Font& KT_Font_Engine_Data::next_font(void*& iterator) const {
    KT_Font_Node** link = link_at<KT_Font_Node>(iterator);
    if (!link || !*link) return font_list().empty;
    iterator = &(*link)->next;
    return font(iterator);
}

const KT_Font& KT_Font_Engine_Data::font(void* iterator) const {
    KT_Font_Node** link = link_at<KT_Font_Node>(iterator);
    return link && *link ? (*link)->font : font_list().empty;
}

void KT_Font_Engine_Data::set_renderer(void*) {
    renderer.reset();
}

void KT_Font_Engine_Data::set_renderer(const KT_Renderer& other) {
    renderer = other;
}

bool KT_Font_Engine_Data::place(const KT_Rendition& rendition, const KT_Point& position,
                                KT_DCI_Point& at) {
    KT_Point device;
    float w = 0.0f;
    short code = 0;
    KD_Transform_And_Clip(&rendition, 1, &position, &device, &w, &code, nullptr);
    if (code & Behind_Near_Limit) return false;
    if (!std::isfinite(device.x) || !std::isfinite(device.y) || !std::isfinite(device.z))
        return false;
    at = {KD_Round(device.x), KD_Round(device.y), KD_Round(device.z)};
    return true;
}

void KT_Font_Engine_Data::draw_3d_text(const KT_Rendition& rendition, const KT_Point& position,
                                       const wchar_t* text, int length) {
    KT_DCI_Point at;
    if (place(rendition, position, at)) draw_text(rendition, at, text, length);
}

void KT_Font_Engine_Data::draw_3d_text(const KT_Rendition& rendition, const KT_Point& position,
                                       const char* text, int length) {
    KT_DCI_Point at;
    if (place(rendition, position, at)) draw_text(rendition, at, text, length);
}
