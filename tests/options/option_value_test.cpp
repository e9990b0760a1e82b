#include "options/option_value.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <new>

#include "contour/contour_set.h"
#include "foundation/string.h"
#include "image/palette.h"
#include "options/option_table.h"

#include "../foundation/refusing_heap.h"

namespace {

using E = KT_Option_Enum;

// Checks type, count and every element of a value built by one constructor
// form, naming the form in any failure.
template <class T>
void expect_elements(const char* form, const KT_Option_Value& value, E::Type type,
                     std::initializer_list<T> expected) {
    SCOPED_TRACE(form);
    EXPECT_EQ(value.type(), type);
    ASSERT_EQ(value.count(), static_cast<int>(expected.size()));
    int index = 0;
    for (const T& element : expected) {
        EXPECT_EQ(value.element<T>(index), element) << "element " << index;
        ++index;
    }
}

// Values that no truncation or single-digit reading could mistake for one
// another.
TEST(OptionValue, IntFormsStoreEveryArgumentInOrder) {
    expect_elements<int>("one int", KT_Option_Value(-17), E::Int, {-17});
    expect_elements<int>("two ints", KT_Option_Value(640, 480), E::Int, {640, 480});
    expect_elements<int>("three ints", KT_Option_Value(10, 20, 30), E::Int, {10, 20, 30});
    expect_elements<int>("four ints", KT_Option_Value(1, 22, 333, 4444), E::Int,
                         {1, 22, 333, 4444});
    expect_elements<int>("six ints", KT_Option_Value(6, 5, 4, 3, 2, -1), E::Int,
                         {6, 5, 4, 3, 2, -1});
}

TEST(OptionValue, FloatFormsStoreEveryArgumentInOrder) {
    expect_elements<float>("one float", KT_Option_Value(1.9f), E::Float, {1.9f});
    expect_elements<float>("two floats", KT_Option_Value(0.25f, 10.5f), E::Float, {0.25f, 10.5f});
    expect_elements<float>("three floats", KT_Option_Value(1.5f, -2.5f, 3.75f), E::Float,
                           {1.5f, -2.5f, 3.75f});
    expect_elements<float>("four floats", KT_Option_Value(0.1f, 0.2f, 0.3f, 0.4f), E::Float,
                           {0.1f, 0.2f, 0.3f, 0.4f});
    expect_elements<float>("six floats", KT_Option_Value(11.f, 12.f, 13.f, 14.f, 15.f, 16.f),
                           E::Float, {11.f, 12.f, 13.f, 14.f, 15.f, 16.f});
}

TEST(OptionValue, DoubleFormsStoreEveryArgumentInOrder) {
    expect_elements<double>("one double", KT_Option_Value(1e-300), E::Double, {1e-300});
    expect_elements<double>("two doubles", KT_Option_Value(2.5, 1e20), E::Double, {2.5, 1e20});
}

TEST(OptionValue, ScalarFormsOfOtherTypesKeepTheirValue) {
    const std::int64_t beyond_32_bits = std::int64_t{1} << 40;
    expect_elements<bool>("bool", KT_Option_Value(true), E::Bool, {true});
    expect_elements<KT_Long>("long", KT_Option_Value(KT_Long(-9)), E::Long, {KT_Long(-9)});
    expect_elements<std::int64_t>("int64", KT_Option_Value(beyond_32_bits), E::Int64,
                                  {beyond_32_bits});
    expect_elements<KT_String>("string", KT_Option_Value(L"abc"), E::String, {KT_String(L"abc")});
}

TEST(OptionValue, PointerFormsStoreEveryPointerInOrder) {
    int first, second, third, fourth;
    using P = const void*;
    expect_elements<P>("null pointer", KT_Option_Value(nullptr), E::Pointer, {nullptr});
    expect_elements<P>("two pointers", KT_Option_Value(P(&first), P(&second)), E::Pointer,
                       {&first, &second});
    expect_elements<P>("three pointers", KT_Option_Value(P(&first), P(&second), P(&third)),
                       E::Pointer, {&first, &second, &third});
    expect_elements<P>("four pointers",
                       KT_Option_Value(P(&first), P(&second), P(&third), P(&fourth)), E::Pointer,
                       {&first, &second, &third, &fourth});
}

TEST(OptionValue, TypedCountFormBuildsNullStringsAndEmptyContourSets) {
    const int count = 3;
    EXPECT_TRUE(KT_Option_Value(E::String, count).elements<KT_String>()[count - 1].is_null());
    EXPECT_TRUE(
        KT_Option_Value(E::Contour_Set, count).elements<KT_Contour_Set>()[count - 1].empty());
}

TEST(OptionValue, TypedCountFormGivesEachAggregateItsOwnTable) {
    KT_Option_Value groups(E::Aggregate, 2);
    const KT_Aggregate_Option* g = groups.elements<KT_Aggregate_Option>();
    ASSERT_NE(g[0].table(), nullptr);
    EXPECT_NE(g[0].table(), g[1].table());
}

TEST(OptionValue, TypedCountFormGivesEachPaletteItsOwnBody) {
    KT_Option_Value palettes(E::Palette, 2);
    const KT_Palette* p = palettes.elements<KT_Palette>();
    EXPECT_FALSE(p[0].empty());
    EXPECT_FALSE(p[0].shares_body_with(p[1]));
}

// Value body, element block and the first palette succeed; the second
// palette fails, and what was built must be released.
TEST(OptionValue, AnElementThatCannotBeBuiltThrowsAndLeaksNothing) {
    const int allowed_allocations = 3;
    Refusing_Heap refusing(allowed_allocations);
    EXPECT_THROW(KT_Option_Value(E::Palette, 2), std::bad_alloc);
    EXPECT_EQ(Refusing_Heap::releases, Refusing_Heap::allocations);
}

TEST(OptionValue, BadTypedCountFormsGiveEmptyValues) {
    EXPECT_EQ(KT_Option_Value(E::None, 5).body()->data(), nullptr) << "type none";
    EXPECT_EQ(KT_Option_Value(E::Int, -3).count(), 0) << "a negative count";
    EXPECT_EQ(KT_Option_Value(static_cast<E::Type>(42), 2).type(), E::None) << "type 42";
    EXPECT_EQ(KT_Option_Value(static_cast<E::Type>(-1), 2).type(), E::None) << "type -1";
}

TEST(OptionValue, ReadingAnotherTypeOrOutsideTheCountGivesNothing) {
    KT_Option_Value two_ints(3, 4);
    EXPECT_EQ(two_ints.elements<KT_Long>(), nullptr) << "long and int are distinct types";
    EXPECT_EQ(two_ints.element<int>(2), 0) << "past the count";
    EXPECT_EQ(two_ints.element<int>(-1), 0) << "a negative index";
}

TEST(OptionValue, WritingAnotherTypeOrOutsideTheCountIsRefused) {
    KT_Option_Value two_ints(3, 4);
    EXPECT_FALSE(two_ints.set_element(2, 9)) << "past the count";
    EXPECT_FALSE(two_ints.set_element(0, 1.0f)) << "a float into an int value";
    EXPECT_EQ(two_ints.element<int>(0), 3);
}

TEST(OptionValueCopies, DuplicateStrings) {
    KT_Option_Value names(L"name");
    KT_Option_Value copy = names;
    ASSERT_TRUE(copy.set_element(0, KT_String(L"other")));
    EXPECT_EQ(names.element<KT_String>(0), KT_String(L"name"));
    EXPECT_EQ(copy.element<KT_String>(0), KT_String(L"other"));
}

TEST(OptionValueCopies, ASoleHolderWritesInPlaceUnderANewSerial) {
    KT_Option_Value names(L"name");
    KT_Option_Value_Data* body = names.body();
    const std::uint32_t serial = body->change_serial();
    ASSERT_TRUE(names.set_element(0, KT_String(L"again")));
    EXPECT_EQ(names.body(), body);
    EXPECT_NE(body->change_serial(), serial);
}

TEST(OptionValueCopies, SharePaletteBodies) {
    KT_Palette palette;
    KT_Option_Value value(palette);
    KT_Option_Value copy = value;
    ASSERT_TRUE(copy.set_element(0, KT_Palette()));
    EXPECT_TRUE(value.elements<KT_Palette>()[0].shares_body_with(palette));
    EXPECT_EQ(palette.body()->reference_count(), 2u) << "the palette and the original value";
}

TEST(OptionValueCopies, ShareContourSetBodies) {
    const KT_Point square[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    KT_Contour_Set region(4, square, true);
    KT_Option_Value value(region);
    KT_Option_Value copy = value;
    ASSERT_TRUE(copy.set_element(0, KT_Contour_Set()));
    EXPECT_TRUE(value.element<KT_Contour_Set>(0).shares_body_with(region));
    EXPECT_EQ(region.body()->reference_count(), 2u) << "the region and the original value";
}

TEST(OptionValueCopies, ShareAggregateBodies) {
    KT_Aggregate_Option group;
    KT_Option_Value groups(group);
    KT_Option_Value held;
    held.attach(static_cast<KT_Option_Value_Data*>(groups.body()->copy()));
    EXPECT_TRUE(held.element<KT_Aggregate_Option>(0).shares_body_with(group));
    EXPECT_EQ(group.body()->reference_count(), 3u) << "group, groups and the copy";
}

} // namespace
