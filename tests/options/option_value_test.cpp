#include "options/option_value.h"

#include <gtest/gtest.h>

#include <new>

#include "contour/contour_set.h"
#include "foundation/string.h"
#include "image/palette.h"
#include "options/option_table.h"

#include "../foundation/refusing_heap.h"

namespace {

using E = KT_Option_Enum;

template <class T>
void expect_elements(const KT_Option_Value& v, E::Type type, std::initializer_list<T> expected) {
    ASSERT_EQ(v.type(), type);
    ASSERT_EQ(v.count(), static_cast<int>(expected.size()));
    const T* e = v.elements<T>();
    ASSERT_NE(e, nullptr);
    int i = 0;
    for (const T& x : expected)
        EXPECT_EQ(e[i++], x) << "element " << i - 1;
}

TEST(OptionValue, EveryConstructorFormStoresItsArgumentsInOrder) {
    expect_elements(KT_Option_Value(true), E::Bool, {true});
    expect_elements(KT_Option_Value(7), E::Int, {7});
    expect_elements(KT_Option_Value(1, 2), E::Int, {1, 2});
    expect_elements(KT_Option_Value(1, 2, 3), E::Int, {1, 2, 3});
    expect_elements(KT_Option_Value(1, 2, 3, 4), E::Int, {1, 2, 3, 4});
    expect_elements(KT_Option_Value(1, 2, 3, 4, 5, 6), E::Int, {1, 2, 3, 4, 5, 6});
    expect_elements(KT_Option_Value(KT_Long(-9)), E::Long, {KT_Long(-9)});
    expect_elements(KT_Option_Value(0.5f), E::Float, {0.5f});
    expect_elements(KT_Option_Value(0.5f, 1.5f), E::Float, {0.5f, 1.5f});
    expect_elements(KT_Option_Value(1.f, 2.f, 3.f), E::Float, {1.f, 2.f, 3.f});
    expect_elements(KT_Option_Value(1.f, 2.f, 3.f, 4.f), E::Float, {1.f, 2.f, 3.f, 4.f});
    expect_elements(KT_Option_Value(1.f, 2.f, 3.f, 4.f, 5.f, 6.f), E::Float,
                    {1.f, 2.f, 3.f, 4.f, 5.f, 6.f});
    expect_elements(KT_Option_Value(0.25, -8.0), E::Double, {0.25, -8.0});
    expect_elements(KT_Option_Value(std::int64_t{1} << 40), E::Int64, {std::int64_t{1} << 40});
    expect_elements(KT_Option_Value(L"abc"), E::String, {KT_String(L"abc")});

    int a, b, c, d;
    using P = const void*;
    expect_elements(KT_Option_Value(nullptr), E::Pointer, {P(nullptr)});
    expect_elements(KT_Option_Value(P(&a), P(&b), P(&c)), E::Pointer, {P(&a), P(&b), P(&c)});
    expect_elements(KT_Option_Value(P(&a), P(&b), P(&c), P(&d)), E::Pointer,
                    {P(&a), P(&b), P(&c), P(&d)});
}

TEST(OptionValue, TypedCountFormBuildsDefaultElementsAndRejectsBadForms) {
    KT_Option_Value strings(E::String, 3);
    ASSERT_EQ(strings.count(), 3);
    EXPECT_TRUE(strings.elements<KT_String>()[2].is_null());
    EXPECT_EQ(KT_Option_Value(E::Double, 4).element<double>(3), 0.0);
    EXPECT_TRUE(KT_Option_Value(E::Contour_Set, 3).elements<KT_Contour_Set>()[2].empty());

    KT_Option_Value groups(E::Aggregate, 2);
    const KT_Aggregate_Option* g = groups.elements<KT_Aggregate_Option>();
    ASSERT_NE(g[0].table(), nullptr);
    EXPECT_NE(g[0].table(), g[1].table()) << "each element gets its own new table";

    KT_Option_Value palettes(E::Palette, 2);
    const KT_Palette* p = palettes.elements<KT_Palette>();
    EXPECT_FALSE(p[0].empty());
    EXPECT_FALSE(p[0].shares_body_with(p[1]));
    EXPECT_EQ(p[1].use_count(0), 0u);
    {
        // Value body, element block and the first palette; the second fails.
        Refusing_Heap refusing(3);
        EXPECT_THROW(KT_Option_Value(E::Palette, 2), std::bad_alloc) << "and nothing leaks";
    }

    EXPECT_EQ(KT_Option_Value(E::None, 5).count(), 0);
    EXPECT_EQ(KT_Option_Value(E::None, 5).body()->data(), nullptr);
    KT_Option_Value negative(E::Int, -3);
    EXPECT_EQ(negative.type(), E::Int);
    EXPECT_EQ(negative.count(), 0);
    EXPECT_EQ(KT_Option_Value(static_cast<E::Type>(42), 2).type(), E::None);
    EXPECT_EQ(KT_Option_Value(static_cast<E::Type>(-1), 2).type(), E::None);
}

TEST(OptionValue, ReadsOfTheWrongTypeOrIndexGiveDefaults) {
    KT_Option_Value v(3, 4);
    EXPECT_EQ(v.elements<float>(), nullptr);
    EXPECT_EQ(v.elements<KT_Long>(), nullptr) << "long and int are distinct value types";
    EXPECT_EQ(v.element<int>(2), 0);
    EXPECT_EQ(v.element<int>(-1), 0);
    EXPECT_FALSE(v.set_element(2, 9));
    EXPECT_FALSE(v.set_element(0, 1.0f));
    EXPECT_EQ(v.element<int>(0), 3);
}

TEST(OptionValue, SetElementCopiesASharedBodyOnly) {
    KT_Option_Value first(1, 2);
    KT_Option_Value second = first;
    ASSERT_TRUE(second.set_element(1, 20));
    EXPECT_FALSE(second.shares_body_with(first));
    EXPECT_EQ(first.element<int>(1), 2);
    EXPECT_EQ(second.element<int>(0), 1);
    EXPECT_EQ(second.element<int>(1), 20);

    KT_Option_Value_Data* body = second.body();
    const std::uint32_t serial = body->change_serial();
    ASSERT_TRUE(second.set_element(0, 10));
    EXPECT_EQ(second.body(), body);
    EXPECT_NE(body->change_serial(), serial);
}

// Strings are duplicated by a copy; palettes, contour sets and aggregates
// are handles whose bodies the copy shares.
TEST(OptionValue, CopiesDuplicateStringsAndShareHandleBodies) {
    KT_Option_Value strings(L"name");
    KT_Option_Value strings_copy = strings;
    ASSERT_TRUE(strings_copy.set_element(0, KT_String(L"other")));
    EXPECT_EQ(strings.element<KT_String>(0), KT_String(L"name"));
    EXPECT_EQ(strings_copy.element<KT_String>(0), KT_String(L"other"));

    KT_Palette palette;
    KT_Option_Value pv(palette);
    ASSERT_EQ(pv.type(), E::Palette);
    KT_Option_Value pv_copy = pv;
    ASSERT_TRUE(pv_copy.set_element(0, KT_Palette()));
    EXPECT_TRUE(pv.elements<KT_Palette>()[0].shares_body_with(palette));
    EXPECT_EQ(palette.body()->reference_count(), 2u);

    const KT_Point square[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    KT_Contour_Set region(4, square, true);
    KT_Option_Value cv(region);
    ASSERT_EQ(cv.type(), E::Contour_Set);
    KT_Option_Value cv_copy = cv;
    ASSERT_TRUE(cv_copy.set_element(0, KT_Contour_Set()));
    EXPECT_TRUE(cv.element<KT_Contour_Set>(0).shares_body_with(region));
    EXPECT_EQ(region.body()->reference_count(), 2u);

    KT_Aggregate_Option group;
    KT_Option_Value groups(group);
    ASSERT_EQ(groups.type(), E::Aggregate);
    auto* duplicate = static_cast<KT_Option_Value_Data*>(groups.body()->copy());
    KT_Option_Value held;
    held.attach(duplicate);
    EXPECT_TRUE(held.element<KT_Aggregate_Option>(0).shares_body_with(group));
    EXPECT_EQ(group.body()->reference_count(), 3u) << "group, groups and the copy";
}

} // namespace
