// The selector: a device that finds what lies under a pick region instead
// of drawing. The client tags what it draws with selection keys and reads
// back the items hit, nearest first.
//
// The selector counts primitives and keeps the sorted item list; whether a
// primitive touched the pick region, whether that touch was hidden and at
// which depth is written into hit, hit_hidden and hit_z by the rasterizing
// layer above it, which sees the local option "Is Selector".
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/array.h"
#include "foundation/export.h"
#include "renderer/device_data.h"

// One recorded hit: the key path at the moment of the hit, the ordinal of
// the primitive under that path (1 for the first) and its depth (smaller is
// nearer).
class KAVRI_API KT_Selector_Item {
public:
    KT_Selector_Item() = default;
    // Copies count keys (none when count < 1).
    KT_Selector_Item(int count, const void* const* keys, int index, float z);
    KT_Selector_Item(const KT_Selector_Item& other);
    // Replaces the keys (re-allocated when the counts differ), index and z;
    // the link stays.
    KT_Selector_Item& operator=(const KT_Selector_Item& other);
    ~KT_Selector_Item();

    // Items live on the library heap like every library object.
    static void* operator new(std::size_t size);
    static void operator delete(void* p);

    const void** keys = nullptr;
    std::int32_t key_count = 0;
    std::int32_t index = 0;
    float z = 0.0f;
    KT_Selector_Item* next = nullptr; // in the selector's list

private:
    void copy_keys(int count, const void* const* source);
};

class KAVRI_API KT_Selector_Data : public KT_Device_Data {
public:
    KT_Selector_Data();
    ~KT_Selector_Data() override;

    // Puts the counting wrappers, forwarding slots and do-nothing slots in
    // place; each is set by the selector itself.
    void set_selector_actions();

    // Sets the key at level; deeper keys set earlier stay in the path. A
    // negative level is ignored.
    void set_selection_key(const void* key, int level);
    // Moves the nearest item into out and frees it; false when the list is
    // empty (out is then untouched).
    bool show_next_selection_item(KT_Selector_Item* out);
    // Records the current hit, if any, in the sorted list.
    void add_selection_item();

    // Bracket one wrapped action; only the outermost one counts.
    void enter_action();
    void leave_action();

    // Empties the list and the key path.
    void begin_picture(KT_Document_Info* info) override;
    void end_picture() override {}
    int establish_driver() override { return 0; }
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}
    using KT_Renderer_Data::update;

    const KT_Selector_Item* first_item() const { return items; }

    KT_Growable_Array<const void*> key_array{16};
    std::int32_t key_depth = 0;
    std::int32_t primitive_index = 0;
    std::int32_t item_count = 0;
    std::uint32_t nesting_depth = 0;
    bool unique_keys = false;
    bool accept_hidden_hits = true;
    std::int32_t reserved_word = 1; // kept for layout; the selector never reads it
    KT_Selector_Item* items = nullptr;
    // Written by the rasterizing layer during one outermost primitive.
    float hit_z = 0.0f;
    bool hit = false;
    bool hit_hidden = false;

protected:
    // The item's path is the current one, level by level.
    bool keys_match(const KT_Selector_Item& item) const;

private:
    void free_items();
    // Unlinks and frees the first item after start whose keys match.
    void drop_later_match(KT_Selector_Item* start);
};

// The name of the option that tells the layer above it draws for a
// selector.
constexpr const wchar_t* KD_Is_Selector_Option = L"Is Selector";

// The selector at the bottom of renderer's stack, or null when there is
// none.
KAVRI_API KT_Selector_Data* KD_Find_Selector(const KT_Renderer_Data* renderer);
