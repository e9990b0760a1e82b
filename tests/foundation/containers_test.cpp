#include "foundation/array.h"
#include "foundation/counted.h"
#include "foundation/handle_list.h"
#include "foundation/ptr_list.h"

#include <gtest/gtest.h>

#include <climits>
#include <new>
#include <utility>
#include <vector>

#include "refusing_heap.h"

namespace {

struct Item : KT_Object {
    explicit Item(int* counter) : destroyed(counter) {}
    ~Item() override { ++*destroyed; }
    int* destroyed;
};

std::vector<int*> items_of(const KT_PtrList<int>& list) {
    std::vector<int*> out;
    for (int* p : list)
        out.push_back(p);
    return out;
}

TEST(PtrList, RemovingKeepsHeadAndTailRight) {
    int a = 1, b = 2, c = 3, d = 4, stranger = 0;
    KT_PtrList<int> list;
    for (int* p : {&a, &b, &c})
        list.append(p);
    list.remove(&stranger);
    list.remove(&c);
    ASSERT_NE(list.tail(), nullptr);
    EXPECT_EQ(list.tail()->item, &b);
    list.append(&d);
    EXPECT_EQ(items_of(list), (std::vector<int*>{&a, &b, &d}));
    list.remove(&a);
    EXPECT_EQ(items_of(list), (std::vector<int*>{&b, &d}));
    list.remove(&d);
    list.remove(&b);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.tail(), nullptr);
}

TEST(PtrList, OwningListDestroysItemsOnRemoveClearAndFailedLink) {
    int destroyed = 0;
    {
        KT_PtrList<Item> list(true);
        Item* first = new Item(&destroyed);
        list.append(first);
        list.append(new Item(&destroyed));
        list.remove(first);
        EXPECT_EQ(destroyed, 1);
        list.clear();
        EXPECT_EQ(destroyed, 2);
        list.append(new Item(&destroyed));
        Item* orphan = new Item(&destroyed);
        Refusing_Heap refusing;
        EXPECT_THROW(list.append(orphan), std::bad_alloc);
        EXPECT_EQ(destroyed, 3) << "an owning list that cannot link an item destroys it";
    }
    EXPECT_EQ(destroyed, 4);
}

class Tag_Data : public KT_Counted {
public:
    KT_Counted* copy() const override { return new Tag_Data; }
};
using Tag = KT_Pointer<Tag_Data>;

TEST(HandleList, NodesHoldOneReferenceEach) {
    Tag tag(new Tag_Data);
    {
        KT_HandleList<Tag> list;
        list.append(tag);
        auto* second = list.append(tag);
        EXPECT_EQ(tag->reference_count(), 3u);
        list.remove(list.head());
        EXPECT_EQ(list.head(), second);
        EXPECT_EQ(second->prev, nullptr);
        EXPECT_EQ(tag->reference_count(), 2u);
    }
    EXPECT_EQ(tag->reference_count(), 1u);
}

TEST(Array, GrowthRulesKeepTheContents) {
    KT_Growable_Array<int> growable(16);
    for (int i = 0; i < 16; ++i)
        growable.store(i, i * 10);
    growable.store(20, 200);
    EXPECT_EQ(growable.capacity(), 32) << "doubles";
    growable.store(100, 1000);
    EXPECT_EQ(growable.capacity(), 112) << "or reaches the index plus sixteen";
    EXPECT_TRUE(growable.store(111, 1));
    EXPECT_FALSE(growable.store(-1, 5));
    EXPECT_EQ(growable.capacity(), 112);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(growable[i], i * 10);
    EXPECT_EQ(growable[20], 200);
    EXPECT_EQ(growable[100], 1000);

    KT_Array<int> array(16);
    for (int i = 0; i < 16; ++i)
        array[i] = i + 1;
    array.resize(0, true, false);
    EXPECT_EQ(array.capacity(), 32) << "a size below one doubles";
    array.resize(4, true, true);
    EXPECT_EQ(array.capacity(), 4);
    EXPECT_EQ(array[3], 4);
}

TEST(Array, FailedGrowthKeepsTheContents) {
    KT_Array<int> array(4);
    array[3] = 13;
    int* before = array.data();
    KT_Growable_Array<int> growable(16);
    growable.store(15, 7);
    {
        Refusing_Heap refusing;
        array.resize(64, true, false);
        EXPECT_FALSE(growable.store(20, 1));
        EXPECT_FALSE(growable.store(INT_MAX, 1));
        EXPECT_EQ(growable.at(16), nullptr);
    }
    EXPECT_EQ(array.data(), before);
    EXPECT_EQ(array.capacity(), 4);
    EXPECT_EQ(array[3], 13);
    EXPECT_EQ(growable.capacity(), 16);
    EXPECT_EQ(growable[15], 7);
}

} // namespace
