#include <gtest/gtest.h>

#include <vector>

#include "renderer/renderer_data.h"
#include "rendition/rendition.h"
#include "select/selector.h"

namespace {

const int part = 1, wheel = 2, bolt = 3, nut = 4; // keys: their addresses are the keys

// A selector in a handle, as a client holds one.
struct Selector {
    KT_Selector_Data* body = new KT_Selector_Data;
    KT_Renderer handle{body};
    KT_Selector_Data* operator->() const { return body; }
};

// One outermost primitive that the rasterizing layer reports as a hit at
// depth z (hidden when said so).
void hit(KT_Selector_Data& selector, float z, bool hidden = false) {
    selector.enter_action();
    selector.hit = true;
    selector.hit_hidden = hidden;
    selector.hit_z = z;
    selector.leave_action();
}

std::vector<KT_Selector_Item> drained(KT_Selector_Data& selector) {
    std::vector<KT_Selector_Item> items;
    KT_Selector_Item item;
    while (selector.show_next_selection_item(&item))
        items.push_back(item);
    return items;
}

std::vector<float> drained_depths(KT_Selector_Data& selector) {
    std::vector<float> depths;
    for (const KT_Selector_Item& item : drained(selector))
        depths.push_back(item.z);
    return depths;
}

TEST(SelectorItemTest, CopiesItsKeysAndValues) {
    const void* keys[] = {&part, &wheel};
    KT_Selector_Item item(2, keys, 7, 0.25f);
    keys[1] = &bolt;
    ASSERT_EQ(item.key_count, 2);
    EXPECT_EQ(item.keys[1], &wheel) << "the item holds its own copy";
    EXPECT_EQ(item.index, 7);
    EXPECT_EQ(item.z, 0.25f);
}

TEST(SelectorItemTest, AssignmentReplacesKeysOfAnotherCount) {
    const void* three[] = {&part, &wheel, &bolt};
    const void* one[] = {&nut};
    KT_Selector_Item target(3, three, 1, 0.5f);
    target = KT_Selector_Item(1, one, 2, 0.75f);
    ASSERT_EQ(target.key_count, 1);
    EXPECT_EQ(target.keys[0], &nut);
    EXPECT_EQ(target.index, 2);
    EXPECT_EQ(target.z, 0.75f);
}

TEST(SelectorItemTest, NoKeysForACountBelowOne) {
    const void* keys[] = {&part};
    KT_Selector_Item item(0, keys, 1, 0.0f);
    EXPECT_EQ(item.key_count, 0);
    EXPECT_EQ(item.keys, nullptr);
}

TEST(SelectorListTest, WithoutUniqueKeysTwoHitsOfOnePathGiveTwoItems) {
    Selector selector;
    selector->set_selection_key(&part, 0);
    hit(*selector.body, 0.5f);
    hit(*selector.body, 0.2f);
    EXPECT_EQ(selector->item_count, 2);
    EXPECT_EQ(drained_depths(*selector.body), (std::vector<float>{0.2f, 0.5f}));
}

TEST(SelectorListTest, WithUniqueKeysOnlyTheNearestHitOfAPathStays) {
    for (bool nearer_first : {false, true}) {
        SCOPED_TRACE(nearer_first ? "nearer hit first" : "farther hit first");
        Selector selector;
        selector->unique_keys = true;
        selector->set_selection_key(&part, 0);
        hit(*selector.body, nearer_first ? 0.2f : 0.5f);
        hit(*selector.body, nearer_first ? 0.5f : 0.2f);
        EXPECT_EQ(selector->item_count, 1);
        EXPECT_EQ(drained_depths(*selector.body), (std::vector<float>{0.2f}));
    }
}

TEST(SelectorListTest, UniqueKeysKeepOneItemPerPath) {
    Selector selector;
    selector->unique_keys = true;
    selector->set_selection_key(&part, 0);
    hit(*selector.body, 0.4f);
    selector->set_selection_key(&wheel, 0);
    hit(*selector.body, 0.6f);
    hit(*selector.body, 0.3f);
    KT_Selector_Item item;
    ASSERT_TRUE(selector->show_next_selection_item(&item));
    EXPECT_EQ(item.keys[0], &wheel);
    ASSERT_TRUE(selector->show_next_selection_item(&item));
    EXPECT_EQ(item.keys[0], &part);
    EXPECT_FALSE(selector->show_next_selection_item(&item));
}

TEST(SelectorListTest, EquallyNearHitGoesBeforeTheOlderOne) {
    Selector selector;
    selector->set_selection_key(&part, 0);
    hit(*selector.body, 0.5f);
    selector->set_selection_key(&wheel, 0);
    hit(*selector.body, 0.5f);
    KT_Selector_Item item;
    ASSERT_TRUE(selector->show_next_selection_item(&item));
    EXPECT_EQ(item.keys[0], &wheel);
}

TEST(SelectorListTest, HiddenHitsAreDroppedWhenNotAccepted) {
    Selector selector;
    selector->accept_hidden_hits = false;
    hit(*selector.body, 0.3f, true);
    hit(*selector.body, 0.6f, false);
    EXPECT_EQ(drained_depths(*selector.body), (std::vector<float>{0.6f}));
}

TEST(SelectorListTest, HiddenHitsAreKeptByDefault) {
    Selector selector;
    hit(*selector.body, 0.3f, true);
    EXPECT_EQ(selector->item_count, 1);
}

TEST(SelectorListTest, EmptyListLeavesTheItemUntouched) {
    Selector selector;
    const void* keys[] = {&bolt};
    KT_Selector_Item item(1, keys, 9, 0.125f);
    EXPECT_FALSE(selector->show_next_selection_item(&item));
    EXPECT_EQ(item.index, 9);
    EXPECT_EQ(item.keys[0], &bolt);
}

TEST(SelectorListTest, BeginPictureEmptiesListAndKeyPath) {
    Selector selector;
    selector->set_selection_key(&bolt, 2);
    hit(*selector.body, 0.1f);
    selector->begin_picture(nullptr);
    EXPECT_EQ(selector->first_item(), nullptr);
    EXPECT_EQ(selector->key_depth, 0);
    EXPECT_EQ(selector->item_count, 0);
    EXPECT_EQ(selector->key_array[0], nullptr);
}

TEST(SelectorKeyTest, ShallowerKeyKeepsTheDeeperPath) {
    Selector selector;
    selector->set_selection_key(&part, 0);
    selector->set_selection_key(&bolt, 3);
    selector->set_selection_key(&wheel, 1);
    hit(*selector.body, 0.5f);
    const std::vector<KT_Selector_Item> items = drained(*selector.body);
    ASSERT_EQ(items.size(), 1u);
    ASSERT_EQ(items[0].key_count, 4);
    EXPECT_EQ(items[0].keys[0], &part);
    EXPECT_EQ(items[0].keys[1], &wheel);
    EXPECT_EQ(items[0].keys[3], &bolt);
}

TEST(SelectorKeyTest, KeysBeyondTheFirstSixteenLevelsGrowThePath) {
    Selector selector;
    selector->set_selection_key(&nut, 40);
    hit(*selector.body, 0.5f);
    const std::vector<KT_Selector_Item> items = drained(*selector.body);
    ASSERT_EQ(items.size(), 1u);
    ASSERT_EQ(items[0].key_count, 41);
    EXPECT_EQ(items[0].keys[40], &nut);
}

TEST(SelectorKeyTest, PrimitivesAreNumberedFromOneUnderEachKey) {
    Selector selector;
    selector->set_selection_key(&part, 0);
    hit(*selector.body, 0.5f);
    hit(*selector.body, 0.4f);
    selector->set_selection_key(&wheel, 0);
    hit(*selector.body, 0.3f);
    std::vector<int> indices;
    for (const KT_Selector_Item& item : drained(*selector.body))
        indices.push_back(item.index);
    EXPECT_EQ(indices, (std::vector<int>{1, 2, 1}));
}

TEST(SelectorNestingTest, OnlyTheOutermostActionRecords) {
    Selector selector;
    selector->enter_action();
    selector->enter_action();
    selector->hit = true;
    selector->hit_z = 0.5f;
    selector->leave_action();
    EXPECT_EQ(selector->item_count, 0) << "the inner action ends inside the primitive";
    selector->leave_action();
    EXPECT_EQ(selector->item_count, 1);
    EXPECT_EQ(selector->primitive_index, 1);
}

TEST(SelectorNestingTest, PrimitiveWithoutHitRecordsNothingButCounts) {
    Selector selector;
    selector->enter_action();
    selector->leave_action();
    EXPECT_EQ(selector->item_count, 0);
    EXPECT_EQ(selector->primitive_index, 1);
}

TEST(SelectorSlotTest, WrappedSlotClearsAStaleHitAndCountsOnePrimitive) {
    Selector selector;
    selector->hit = true; // left over from before: must not be recorded
    KT_Rendition rendition(selector.handle);
    const KT_DCI_Point points[3] = {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}};
    KD_Action_Draw_DCI_Polytriangle(selector.body, &rendition, 3, points);
    EXPECT_EQ(selector->item_count, 0);
    EXPECT_EQ(selector->primitive_index, 1);
    EXPECT_EQ(selector->nesting_depth, 0u);
}

TEST(SelectorSlotTest, ShadedVariantsGoThroughThePlainWrapperOfTheirFamily) {
    Selector selector;
    KT_Rendition rendition(selector.handle);
    const KT_DCI_Point points[3] = {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}};
    const KT_RGB32 colours[3] = {};
    KD_Action_Draw_DCI_Gouraud_Polytriangle(selector.body, &rendition, 3, points, colours);
    KD_Action_Draw_DCI_Colorized_Polyline(selector.body, &rendition, 3, points, colours, true);
    EXPECT_EQ(selector->primitive_index, 2) << "each shaded call counts as one primitive";
    EXPECT_EQ(selector->nesting_depth, 0u);
}

TEST(SelectorSlotTest, ReplacedSlotsAreSetByTheSelector) {
    Selector selector;
    for (int slot : {int(KT_Slot_Draw_3D_Polyline), int(KT_Slot_Draw_DC_Gouraud_Polytriangle),
                     int(KT_Slot_Reserved_2DI_Polymarker), int(KT_Slot_Draw_2DI_Text_Wide),
                     int(KT_Slot_Clear_Z_Buffer)}) {
        SCOPED_TRACE(KD_Action_Name(slot));
        EXPECT_EQ(selector->actions[slot].owner, selector.body);
        EXPECT_EQ(selector->actions[slot].state, KT_Action_Set);
        EXPECT_NE(selector->actions[slot].routine, KD_Standard_Action(slot))
            << "the slot no longer holds the plain standard routine";
    }
}

TEST(SelectorSlotTest, DepthAndClearSlotsDoNothing) {
    Selector selector;
    for (int slot : {int(KT_Slot_Draw_DCI_Depth16_Image), int(KT_Slot_Clear_Drawing_Buffer),
                     int(KT_Slot_Clear_Z_Buffer)}) {
        SCOPED_TRACE(KD_Action_Name(slot));
        EXPECT_EQ(selector->actions[slot].routine, KD_Do_Nothing_Action(slot));
    }
}

TEST(SelectorOptionTest, AnnouncesItselfInItsOwnTablesOnly) {
    Selector selector;
    const KT_Option* requested = selector->options.find(KD_Is_Selector_Option);
    const KT_Option* native = selector->native_options.find(KD_Is_Selector_Option);
    ASSERT_NE(requested, nullptr);
    ASSERT_NE(native, nullptr);
    EXPECT_TRUE(requested->value.element<bool>(0));
    EXPECT_TRUE(native->is_local()) << "layers above must not inherit it";
}

} // namespace
