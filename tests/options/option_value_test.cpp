#include "options/option_value.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <utility>

#include "contour/contour_set.h"
#include "foundation/string.h"
#include "image/palette.h"
#include "options/option_table.h"

#include "../foundation/refusing_heap.h"

namespace {

using E = KT_Option_Enum;

// Int, float or double elements after the type's letter.
std::string listed(const KT_Option_Value& v) {
    std::string out = v.type() == E::Int ? "i" : v.type() == E::Float ? "f" : "d";
    for (int i = 0; i < v.count(); ++i)
        out += std::to_string(v.type() == E::Int     ? v.element<int>(i)
                              : v.type() == E::Float ? v.element<float>(i)
                                                     : v.element<double>(i))
                   .substr(0, 1);
    return out + ";";
}

TEST(OptionValue, EveryConstructorFormStoresItsArgumentsInOrder) {
    std::string forms;
    for (const KT_Option_Value& v :
         {KT_Option_Value(1), KT_Option_Value(1, 2), KT_Option_Value(1, 2, 3),
          KT_Option_Value(1, 2, 3, 4), KT_Option_Value(1, 2, 3, 4, 5, 6), KT_Option_Value(1.f),
          KT_Option_Value(1.f, 2.f), KT_Option_Value(1.f, 2.f, 3.f),
          KT_Option_Value(1.f, 2.f, 3.f, 4.f), KT_Option_Value(1.f, 2.f, 3.f, 4.f, 5.f, 6.f),
          KT_Option_Value(1.0, 2.0)})
        forms += listed(v);
    EXPECT_EQ(forms, "i1;i12;i123;i1234;i123456;f1;f12;f123;f1234;f123456;d12;");
    EXPECT_TRUE(KT_Option_Value(true).element<bool>(0));
    EXPECT_EQ(KT_Option_Value(KT_Long(-9)).element<KT_Long>(0), -9);
    EXPECT_EQ(KT_Option_Value(std::int64_t{1} << 40).element<std::int64_t>(0),
              std::int64_t{1} << 40);
    EXPECT_EQ(KT_Option_Value(L"abc").element<KT_String>(0), KT_String(L"abc"));
    int a, b, c, d;
    using P = const void*;
    EXPECT_EQ(KT_Option_Value(nullptr).type(), E::Pointer);
    EXPECT_EQ(KT_Option_Value(P(&a), P(&b), P(&c), P(&d)).element<P>(3), &d);
    EXPECT_EQ(KT_Option_Value(P(&a), P(&b), P(&c)).element<P>(1), &b);
}

TEST(OptionValue, TypedCountFormBuildsDefaultElementsAndRejectsBadForms) {
    EXPECT_TRUE(KT_Option_Value(E::String, 3).elements<KT_String>()[2].is_null());
    EXPECT_TRUE(KT_Option_Value(E::Contour_Set, 3).elements<KT_Contour_Set>()[2].empty());
    KT_Option_Value groups(E::Aggregate, 2);
    const KT_Aggregate_Option* g = groups.elements<KT_Aggregate_Option>();
    ASSERT_NE(g[0].table(), nullptr);
    EXPECT_NE(g[0].table(), g[1].table()) << "each element gets its own new table";
    KT_Option_Value palettes(E::Palette, 2);
    const KT_Palette* p = palettes.elements<KT_Palette>();
    EXPECT_FALSE(p[0].empty());
    EXPECT_FALSE(p[0].shares_body_with(p[1]));
    {
        // Value body, element block and the first palette; the second fails.
        Refusing_Heap refusing(3);
        EXPECT_THROW(KT_Option_Value(E::Palette, 2), std::bad_alloc) << "and nothing leaks";
    }
    EXPECT_EQ(KT_Option_Value(E::None, 5).body()->data(), nullptr);
    EXPECT_EQ(KT_Option_Value(E::Int, -3).count(), 0);
    EXPECT_EQ(KT_Option_Value(static_cast<E::Type>(42), 2).type(), E::None);
    EXPECT_EQ(KT_Option_Value(static_cast<E::Type>(-1), 2).type(), E::None);

    KT_Option_Value v(3, 4);
    EXPECT_EQ(v.elements<KT_Long>(), nullptr) << "long and int are distinct value types";
    EXPECT_EQ(std::pair(v.element<int>(2), v.element<int>(-1)), std::pair(0, 0));
    EXPECT_FALSE(v.set_element(2, 9));
    EXPECT_FALSE(v.set_element(0, 1.0f));
    EXPECT_EQ(v.element<int>(0), 3);
}

// Strings are duplicated by a copy; palettes, contour sets and aggregates
// are handles whose bodies the copy shares. A sole holder writes in place.
TEST(OptionValue, CopiesDuplicateStringsAndShareHandleBodies) {
    KT_Option_Value strings(L"name");
    KT_Option_Value strings_copy = strings;
    ASSERT_TRUE(strings_copy.set_element(0, KT_String(L"other")));
    EXPECT_EQ(strings.element<KT_String>(0), KT_String(L"name"));
    EXPECT_EQ(strings_copy.element<KT_String>(0), KT_String(L"other"));
    KT_Option_Value_Data* body = strings_copy.body();
    const std::uint32_t serial = body->change_serial();
    ASSERT_TRUE(strings_copy.set_element(0, KT_String(L"again")));
    EXPECT_EQ(strings_copy.body(), body);
    EXPECT_NE(body->change_serial(), serial);

    KT_Palette palette;
    KT_Option_Value pv(palette);
    KT_Option_Value pv_copy = pv;
    ASSERT_TRUE(pv_copy.set_element(0, KT_Palette()));
    EXPECT_TRUE(pv.elements<KT_Palette>()[0].shares_body_with(palette));
    EXPECT_EQ(palette.body()->reference_count(), 2u);

    const KT_Point square[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    KT_Contour_Set region(4, square, true);
    KT_Option_Value cv(region);
    KT_Option_Value cv_copy = cv;
    ASSERT_TRUE(cv_copy.set_element(0, KT_Contour_Set()));
    EXPECT_TRUE(cv.element<KT_Contour_Set>(0).shares_body_with(region));
    EXPECT_EQ(region.body()->reference_count(), 2u);

    KT_Aggregate_Option group;
    KT_Option_Value groups(group);
    KT_Option_Value held;
    held.attach(static_cast<KT_Option_Value_Data*>(groups.body()->copy()));
    EXPECT_TRUE(held.element<KT_Aggregate_Option>(0).shares_body_with(group));
    EXPECT_EQ(group.body()->reference_count(), 3u) << "group, groups and the copy";
}

} // namespace
