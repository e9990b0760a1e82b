#include "foundation/counted.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "child_process.h"
#include "platform/diagnostics.h"
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
    EXPECT_EQ(box.value(), 4) << "the shared body keeps its value";
    EXPECT_EQ(second.value(), 9) << "the copy takes the new one";
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

// A body whose constructor argument is itself a handle to a new body: the
// inner allocation happens between the outer one and its constructor.
class Holder_Data : public KT_Counted {
public:
    explicit Holder_Data(const Box& held) : held(held) {}
    KT_Counted* copy() const override { return new Holder_Data(*this); }
    Box held;
};

TEST(Object, AnObjectWhoseArgumentsAllocateRecordsItsOwnSize) {
    auto* holder = new Holder_Data(Box(7));
    EXPECT_EQ(holder->allocation_size(), sizeof(Holder_Data));
    EXPECT_EQ(holder->held.body()->allocation_size(), sizeof(Box_Data));
    delete holder;
}

// Bodies such as renderers are never copied on write: copy() gives null.
class Uncopyable_Data : public KT_Counted {
public:
    KT_Counted* copy() const override { return nullptr; }
    int value = 0;
};

class Uncopyable : public KT_Pointer<Uncopyable_Data> {
public:
    Uncopyable() : KT_Pointer<Uncopyable_Data>(new Uncopyable_Data) {}
    Uncopyable_Data* write() { return modify(); }
};

std::vector<std::wstring> reports;

class FailedCopy : public ::testing::Test {
protected:
    void SetUp() override {
        reports.clear();
        kdiSetDebugOutputSink([](const wchar_t* text) { reports.emplace_back(text); });
        kdiSetDialogCallback(
            [](const wchar_t*, const wchar_t*, std::uint32_t) { return KDI_IDOK; });
    }
    void TearDown() override {
        kdiSetDebugOutputSink(nullptr);
        kdiSetDialogCallback(nullptr);
    }
};

TEST_F(FailedCopy, KeepsTheSharedBodySoTheHandleStaysUsable) {
    Uncopyable first;
    Uncopyable second = first;
    Uncopyable_Data* shared = first.body();
    Uncopyable_Data* written = second.write();
    ASSERT_EQ(written, shared) << "the handle must not be left empty";
    written->value = 3;
    EXPECT_TRUE(second.shares_body_with(first));
    EXPECT_EQ(shared->reference_count(), 2u);
    EXPECT_EQ(first.body()->value, 3) << "the change lands in the body every holder sees";
}

TEST_F(FailedCopy, RenewsTheSerialSoCachesSeeTheChange) {
    Uncopyable first;
    Uncopyable second = first;
    const std::uint32_t before = first.body()->change_serial();
    second.write();
    EXPECT_GT(first.body()->change_serial(), before);
}

TEST_F(FailedCopy, IsReportedAsAFailedCheck) {
    Uncopyable first;
    Uncopyable second = first;
    second.write();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find(L"copy"), std::wstring::npos) << "the report names the copy";
}

TEST_F(FailedCopy, IsNotReportedForASoleHolder) {
    Uncopyable only;
    EXPECT_EQ(only.write(), only.body());
    EXPECT_TRUE(reports.empty());
}

// Reading through a constant handle must not open a way around copy on
// write.
template <class Handle>
constexpr bool const_handle_gives_const_body =
    std::is_const_v<std::remove_pointer_t<decltype(std::declval<const Handle&>().operator->())>>&&
        std::is_const_v<std::remove_reference_t<decltype(*std::declval<const Handle&>())>>;
template <class Handle>
constexpr bool mutable_handle_gives_mutable_body =
    !std::is_const_v<std::remove_pointer_t<decltype(std::declval<Handle&>().operator->())>>;

static_assert(const_handle_gives_const_body<Box>, "a const handle hands out a const body");
static_assert(mutable_handle_gives_mutable_body<Box>, "a handle of its own still writes");

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
