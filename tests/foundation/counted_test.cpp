#include "foundation/counted.h"

#include <gtest/gtest.h>

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
