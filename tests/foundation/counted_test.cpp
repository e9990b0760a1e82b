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
    KT_Counted* copy() const override { return new Box_Data(*this); }
    int value;
};

class Box : public KT_Pointer<Box_Data> {
public:
    explicit Box(int v) : KT_Pointer<Box_Data>(new Box_Data(v)) {}
    int value() const { return body()->value; }
    void set(int v, bool in_place = false) { modify(in_place)->value = v; }
};

TEST(Counted, SerialsRiseAndCopiesTakeNewOnes) {
    Box_Data a(1);
    Box_Data b(2);
    EXPECT_GT(b.change_serial(), a.change_serial());
    Box_Data* c = static_cast<Box_Data*>(a.copy());
    EXPECT_GT(c->change_serial(), b.change_serial());
    EXPECT_EQ(c->reference_count(), 0u);
    EXPECT_EQ(c->value, 1);
    delete c;
}

TEST(Counted, SoleHolderWritesInPlaceWithNewSerial) {
    Box box(1);
    Box_Data* before = box.body();
    std::uint32_t serial = before->change_serial();
    box.set(5);
    EXPECT_EQ(box.body(), before);
    EXPECT_NE(box.body()->change_serial(), serial);
    EXPECT_EQ(box.value(), 5);
}

TEST(Counted, SharedHolderGetsCopyAndOtherKeepsOldValue) {
    Box first(1);
    Box second = first;
    EXPECT_EQ(first.body()->reference_count(), 2u);
    std::uint32_t serial = first.body()->change_serial();
    second.set(9);
    EXPECT_FALSE(second.shares_body_with(first));
    EXPECT_EQ(first.value(), 1);
    EXPECT_EQ(first.body()->change_serial(), serial);
    EXPECT_EQ(second.value(), 9);
    EXPECT_EQ(first.body()->reference_count(), 1u);
    EXPECT_EQ(second.body()->reference_count(), 1u);
}

TEST(Counted, InPlaceWriteIsSeenByEveryHolder) {
    Box first(1);
    Box second = first;
    second.set(4, true);
    EXPECT_TRUE(second.shares_body_with(first));
    EXPECT_EQ(first.value(), 4);
}

TEST(Counted, SelfAssignmentKeepsBodyAndCount) {
    Box box(3);
    Box_Data* body = box.body();
    Box& alias = box;
    box = alias;
    EXPECT_EQ(box.body(), body);
    EXPECT_EQ(body->reference_count(), 1u);
    EXPECT_EQ(box.value(), 3);
}

TEST(Counted, ReleasingLastHandleDestroysBody) {
    static int destroyed = 0;
    struct Watched : Box_Data {
        Watched() : Box_Data(0) {}
        ~Watched() override { ++destroyed; }
    };
    {
        KT_Pointer<Box_Data> a(new Watched);
        KT_Pointer<Box_Data> b = a;
        a.reset();
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(Object, HeapObjectsRecordTheirSize) {
    Box_Data* heap = new Box_Data(1);
    EXPECT_EQ(heap->allocation_size(), sizeof(Box_Data));
    delete heap;
    Box_Data local(2);
    EXPECT_EQ(local.allocation_size(), 0u);
}

} // namespace

namespace {

// In a fresh process, the first body built after the library loads takes
// serial 1.
int first_serial_is_one() {
    Box_Data first(1);
    if (first.change_serial() != 1) return 1;
    Box_Data* twin = static_cast<Box_Data*>(first.copy());
    const bool larger = twin->change_serial() > first.change_serial();
    delete twin;
    return larger ? 0 : 2;
}
KAVRI_CHILD_ROLE(first_serial_role, "first_serial", first_serial_is_one);

TEST(Counted, FirstBodyAfterLoadingHasSerialOne) {
    EXPECT_EQ(run_child("first_serial", {}), 0);
}

TEST(Counted, MovingAHandleTransfersItsReference) {
    Box box(6);
    Box_Data* body = box.body();
    Box moved(std::move(box));
    EXPECT_TRUE(box.empty());
    EXPECT_EQ(moved.body(), body);
    EXPECT_EQ(body->reference_count(), 1u);

    Box other(1);
    other = std::move(moved);
    EXPECT_EQ(other.body(), body);
    EXPECT_EQ(body->reference_count(), 1u);
}

TEST(Counted, AnEmptyHandleHasNothingToModify) {
    KT_Pointer<Box_Data> empty;
    EXPECT_EQ(empty.modify(), nullptr);
    EXPECT_EQ(empty.modify(true), nullptr);
    empty.reset();
    EXPECT_TRUE(empty.empty());
}

TEST(Object, ExhaustedHeapThrowsInsteadOfBuildingAtNull) {
    Refusing_Heap refusing;
    EXPECT_THROW(new Box_Data(1), std::bad_alloc);
}

} // namespace
