#include "foundation/counted.h"

#include <gtest/gtest.h>

#include <new>
#include <utility>

#include "child_process.h"
#include "refusing_heap.h"

namespace {

// A body with one value, to watch copy on write from the outside.
class Box_Data : public KT_Counted {
public:
    explicit Box_Data(int v) : value(v) {}
    ~Box_Data() override { ++destroyed; }
    KT_Counted* copy() const override { return new Box_Data(*this); }
    int value;
    static inline int destroyed = 0;
};

class Box : public KT_Pointer<Box_Data> {
public:
    explicit Box(int v) : KT_Pointer<Box_Data>(new Box_Data(v)) {}
    int value() const { return body()->value; }
    void set(int v, bool in_place = false) { modify(in_place)->value = v; }
};

// A sole holder writes in place under a new serial; a shared one writes to
// its own copy, which takes a later serial, unless it asks for an in-place
// write.
TEST(Counted, ModifyCopiesOnlyASharedBody) {
    Box box(1);
    Box_Data* before = box.body();
    std::uint32_t serial = before->change_serial();
    box.set(5);
    EXPECT_EQ(box.body(), before);
    EXPECT_GT(box.body()->change_serial(), serial);

    Box second = box;
    second.set(4, true);
    EXPECT_TRUE(second.shares_body_with(box));
    EXPECT_EQ(box.value(), 4);
    serial = box.body()->change_serial();
    second.set(9);
    EXPECT_FALSE(second.shares_body_with(box));
    EXPECT_GT(second.body()->change_serial(), serial);
    EXPECT_EQ(box.body()->change_serial(), serial);
    EXPECT_EQ(std::pair(box.value(), second.value()), std::pair(4, 9));
    EXPECT_EQ(box.body()->reference_count(), 1u);

    KT_Pointer<Box_Data> empty;
    EXPECT_EQ(empty.modify(), nullptr);
    EXPECT_EQ(empty.modify(true), nullptr);
}

TEST(Counted, SelfAssignmentMovesAndTheLastReleaseKeepOneOwner) {
    const int destroyed = Box_Data::destroyed;
    {
        Box box(3);
        Box_Data* body = box.body();
        Box& alias = box;
        box = alias;
        EXPECT_EQ(box.body(), body);
        Box moved(std::move(box));
        EXPECT_TRUE(box.empty());
        Box other(1);
        other = std::move(moved);
        EXPECT_EQ(Box_Data::destroyed, destroyed + 1) << "the body other held";
        EXPECT_EQ(other.body(), body);
        EXPECT_EQ(body->reference_count(), 1u);
        Box last = other;
        other.reset();
        EXPECT_EQ(Box_Data::destroyed, destroyed + 1);
    }
    EXPECT_EQ(Box_Data::destroyed, destroyed + 2);
}

TEST(Object, HeapObjectsRecordTheirSizeAndAnExhaustedHeapThrows) {
    Box_Data* heap = new Box_Data(1);
    EXPECT_EQ(heap->allocation_size(), sizeof(Box_Data));
    delete heap;
    EXPECT_EQ(Box_Data(2).allocation_size(), 0u);
    Refusing_Heap refusing;
    EXPECT_THROW(new Box_Data(1), std::bad_alloc) << "instead of building at null";
}

// In a fresh process, the first body built after the library loads takes
// serial 1.
int first_serial_is_one() {
    return Box_Data(1).change_serial() == 1 ? 0 : 1;
}
KAVRI_CHILD_ROLE(first_serial_role, "first_serial", first_serial_is_one);

TEST(Counted, FirstBodyAfterLoadingHasSerialOne) {
    EXPECT_EQ(run_child("first_serial", {}), 0);
}

} // namespace
