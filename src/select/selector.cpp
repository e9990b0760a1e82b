#include "select/selector.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "foundation/heap.h"

// ---------------------------------------------------------------------------
// Items

KT_Selector_Item::KT_Selector_Item(int count, const void* const* source, int index_value,
                                   float z_value)
    : index(index_value), z(z_value) {
    copy_keys(count, source);
}

KT_Selector_Item::KT_Selector_Item(const KT_Selector_Item& other) : index(other.index), z(other.z) {
    copy_keys(other.key_count, other.keys);
}

KT_Selector_Item& KT_Selector_Item::operator=(const KT_Selector_Item& other) {
    if (this == &other) return *this;
    if (key_count != other.key_count) {
        KD_ReleaseMemory(keys);
        keys = nullptr;
        copy_keys(other.key_count, other.keys);
    } else if (key_count > 0) {
        std::memcpy(keys, other.keys, sizeof(const void*) * static_cast<std::size_t>(key_count));
    }
    index = other.index;
    z = other.z;
    return *this;
}

KT_Selector_Item::~KT_Selector_Item() {
    KD_ReleaseMemory(keys);
}

void* KT_Selector_Item::operator new(std::size_t size) {
    void* p = KD_AllocateMemory(size);
    if (!p) throw std::bad_alloc();
    return p;
}

void KT_Selector_Item::operator delete(void* p) {
    KD_ReleaseMemory(p);
}

void KT_Selector_Item::copy_keys(int count, const void* const* source) {
    key_count = 0;
    if (count < 1 || !source) return;
    keys = KD_Allocate_Elements<const void*>(static_cast<std::size_t>(count));
    if (!keys) return;
    std::memcpy(keys, source, sizeof(const void*) * static_cast<std::size_t>(count));
    key_count = count;
}

// ---------------------------------------------------------------------------
// Wrapped slots

namespace {

KT_Selector_Data* selector_of(const KT_Renderer_Data* owner) {
    return const_cast<KT_Selector_Data*>(static_cast<const KT_Selector_Data*>(owner));
}

// Every outermost wrapped action is one primitive; whatever it calls below
// (a 3D polyline's 2D and DC polylines, say) belongs to it.
template <int Slot, class Routine = typename KT_Action_Type<Slot>::Routine> struct Counting;
template <int Slot, class... A> struct Counting<Slot, void (*)(const KT_Renderer_Data*, A...)> {
    static void routine(const KT_Renderer_Data* owner, A... arguments) {
        KT_Selector_Data* selector = selector_of(owner);
        selector->enter_action();
        auto standard =
            reinterpret_cast<typename KT_Action_Type<Slot>::Routine>(KD_Standard_Action(Slot));
        standard(owner, arguments...);
        selector->leave_action();
    }
};

// Colour does not matter for picking: a shaded variant goes to the plain
// slot of its family with the leading rendition, count and points.
template <int Slot, int Target, class Routine = typename KT_Action_Type<Slot>::Routine>
struct Forwarding;
template <int Slot, int Target, class P, class... Rest>
struct Forwarding<Slot, Target,
                  void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, P, Rest...)> {
    static void routine(const KT_Renderer_Data* owner, const KT_Rendition* rendition, int count,
                        P points, Rest...) {
        const KT_Action& target = owner->actions[Target];
        reinterpret_cast<typename KT_Action_Type<Target>::Routine>(target.routine)(
            target.owner, rendition, count, points);
    }
};

template <int... Slots> void count(KT_Selector_Data& selector) {
    (selector.set_action<Slots>(&Counting<Slots>::routine), ...);
}

template <int Target, int... Slots> void forward(KT_Selector_Data& selector) {
    (selector.set_action<Slots>(&Forwarding<Slots, Target>::routine), ...);
}

template <int... Slots> void drop(KT_Selector_Data& selector) {
    (selector.set_action<Slots>(KD_Nothing<Slots>), ...);
}

#define KAVRI_SHADED_POLYTRIANGLES(F)                                                              \
    KT_Slot_Draw_##F##_Colorized_Polytriangle, KT_Slot_Draw_##F##_Gouraud_Polytriangle,            \
        KT_Slot_Draw_##F##_Phong_Polytriangle, KT_Slot_Draw_##F##_Textured_Polytriangle
#define KAVRI_SHADED_POLYLINES(F)                                                                  \
    KT_Slot_Draw_##F##_Colorized_Polyline, KT_Slot_Draw_##F##_Gouraud_Polyline,                    \
        KT_Slot_Draw_##F##_Phong_Polyline, KT_Slot_Draw_##F##_Textured_Polyline
#define KAVRI_SHADED_POLYMARKERS(F)                                                                \
    KT_Slot_Draw_##F##_Colorized_Polymarker, KT_Slot_Reserved_##F##_Polymarker
#define KAVRI_FAMILY_SLOTS(F)                                                                      \
    KT_Slot_Draw_##F##_Polygon, KT_Slot_Draw_##F##_Ellipse, KT_Slot_Draw_##F##_Elliptical_Arc,     \
        KT_Slot_Draw_##F##_Dot, KT_Slot_Draw_##F##_Image

void set_family_forwarding(KT_Selector_Data& s) {
    forward<KT_Slot_Draw_2D_Polytriangle, KAVRI_SHADED_POLYTRIANGLES(2D)>(s);
    forward<KT_Slot_Draw_DC_Polytriangle, KAVRI_SHADED_POLYTRIANGLES(DC)>(s);
    forward<KT_Slot_Draw_2DI_Polytriangle, KAVRI_SHADED_POLYTRIANGLES(2DI)>(s);
    forward<KT_Slot_Draw_DCI_Polytriangle, KAVRI_SHADED_POLYTRIANGLES(DCI)>(s);
    forward<KT_Slot_Draw_2D_Polyline, KAVRI_SHADED_POLYLINES(2D)>(s);
    forward<KT_Slot_Draw_DC_Polyline, KAVRI_SHADED_POLYLINES(DC)>(s);
    forward<KT_Slot_Draw_2DI_Polyline, KAVRI_SHADED_POLYLINES(2DI)>(s);
    forward<KT_Slot_Draw_DCI_Polyline, KAVRI_SHADED_POLYLINES(DCI)>(s);
    forward<KT_Slot_Draw_2D_Polymarker, KAVRI_SHADED_POLYMARKERS(2D)>(s);
    forward<KT_Slot_Draw_DC_Polymarker, KAVRI_SHADED_POLYMARKERS(DC)>(s);
    forward<KT_Slot_Draw_2DI_Polymarker, KAVRI_SHADED_POLYMARKERS(2DI)>(s);
    forward<KT_Slot_Draw_DCI_Polymarker, KAVRI_SHADED_POLYMARKERS(DCI)>(s);
}

void set_counting(KT_Selector_Data& s) {
    count<KT_Slot_Draw_3D_Tristrip, KT_Slot_Draw_3D_Linestrip, KT_Slot_Draw_3D_Markerstrip,
          KT_Slot_Draw_3D_Polytriangle, KT_Slot_Draw_3D_Polyline, KT_Slot_Draw_3D_Polymarker,
          KT_Slot_Draw_3D_Polygon>(s);
    count<KT_Slot_Draw_2D_Polytriangle, KT_Slot_Draw_DC_Polytriangle, KT_Slot_Draw_2DI_Polytriangle,
          KT_Slot_Draw_DCI_Polytriangle>(s);
    count<KT_Slot_Draw_2D_Polyline, KT_Slot_Draw_DC_Polyline, KT_Slot_Draw_2DI_Polyline,
          KT_Slot_Draw_DCI_Polyline>(s);
    count<KT_Slot_Draw_2D_Polymarker, KT_Slot_Draw_DC_Polymarker, KT_Slot_Draw_2DI_Polymarker,
          KT_Slot_Draw_DCI_Polymarker>(s);
    count<KAVRI_FAMILY_SLOTS(2D), KAVRI_FAMILY_SLOTS(DC), KAVRI_FAMILY_SLOTS(2DI),
          KAVRI_FAMILY_SLOTS(DCI)>(s);
    count<KT_Slot_Draw_2D_Text, KT_Slot_Draw_2D_Text_Wide, KT_Slot_Draw_2DI_Text,
          KT_Slot_Draw_2DI_Text_Wide>(s);
    count<KT_Slot_Draw_DC_RGB32_Image, KT_Slot_Draw_DCI_RGB32_Image, KT_Slot_Draw_DC_Index8_Image,
          KT_Slot_Draw_DCI_Index8_Image, KT_Slot_Draw_DC_Bitonal_Image,
          KT_Slot_Draw_DCI_Bitonal_Image>(s);
}

#undef KAVRI_SHADED_POLYTRIANGLES
#undef KAVRI_SHADED_POLYLINES
#undef KAVRI_SHADED_POLYMARKERS
#undef KAVRI_FAMILY_SLOTS

} // namespace

// ---------------------------------------------------------------------------
// The selector

KT_Selector_Data::KT_Selector_Data() {
    native_renderer_options.set_color_system(KT_Color_System::True_Color);
    native_renderer_options.set_packing_order(KT_Packing());
    native_renderer_options.set_color_resolution(256);
    KT_Option is_selector(KD_Is_Selector_Option, KT_Option_Enum::Local, true);
    options.add(is_selector)->set_flag = true;
    native_options.add(is_selector)->set_flag = true;
    key_array.store(0, nullptr);
    set_selector_actions();
}

KT_Selector_Data::~KT_Selector_Data() {
    free_items();
}

void KT_Selector_Data::set_selector_actions() {
    set_counting(*this);
    set_family_forwarding(*this);
    drop<KT_Slot_Draw_DC_Depth16_Image, KT_Slot_Draw_DCI_Depth16_Image,
         KT_Slot_Draw_DC_Depth32_Image, KT_Slot_Draw_DCI_Depth32_Image,
         KT_Slot_Clear_Drawing_Buffer, KT_Slot_Clear_Z_Buffer>(*this);
}

void KT_Selector_Data::set_selection_key(const void* key, int level) {
    if (level < 0 || !key_array.store(level, key)) return;
    key_depth = std::max(key_depth, level);
    primitive_index = 0;
}

void KT_Selector_Data::begin_picture(KT_Document_Info*) {
    free_items();
    key_array.store(0, nullptr);
    key_depth = 0;
    primitive_index = 0;
    item_count = 0;
}

bool KT_Selector_Data::show_next_selection_item(KT_Selector_Item* out) {
    KT_Selector_Item* head = items;
    if (!head) return false;
    if (out) *out = *head;
    items = head->next;
    delete head;
    return true;
}

void KT_Selector_Data::enter_action() {
    if (nesting_depth++ != 0) return;
    ++primitive_index;
    hit = false;
    hit_hidden = false;
}

void KT_Selector_Data::leave_action() {
    if (--nesting_depth == 0) add_selection_item();
}

bool KT_Selector_Data::keys_match(const KT_Selector_Item& item) const {
    if (item.key_count != key_depth + 1) return false;
    for (int level = key_depth; level >= 0; --level)
        if (item.keys[level] != key_array[level]) return false;
    return true;
}

void KT_Selector_Data::add_selection_item() {
    if (!hit) return;
    if (!accept_hidden_hits && hit_hidden) return;
    // Find the first item not nearer than the hit; a nearer or equally near
    // item of the same path wins over the hit when keys are unique.
    KT_Selector_Item** link = &items;
    for (KT_Selector_Item* item = items; item; item = item->next) {
        if (unique_keys && hit_z >= item->z && keys_match(*item)) return;
        if (item->z >= hit_z) break;
        link = &item->next;
    }
    auto* fresh = new KT_Selector_Item(key_depth + 1, key_array.data(), primitive_index, hit_z);
    fresh->next = *link;
    *link = fresh;
    ++item_count;
    if (unique_keys) drop_later_match(fresh);
}

void KT_Selector_Data::drop_later_match(KT_Selector_Item* start) {
    for (KT_Selector_Item** link = &start->next; *link; link = &(*link)->next) {
        KT_Selector_Item* item = *link;
        if (!keys_match(*item)) continue;
        *link = item->next;
        delete item;
        --item_count;
        return;
    }
}

void KT_Selector_Data::free_items() {
    while (KT_Selector_Item* item = items) {
        items = item->next;
        delete item;
    }
}

KT_Selector_Data* KD_Find_Selector(const KT_Renderer_Data* renderer) {
    if (!renderer || !renderer->device) return nullptr;
    return dynamic_cast<KT_Selector_Data*>(renderer->device);
}
