#include "foundation/variant.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "refusing_heap.h"

namespace {

std::vector<std::wstring> element_names(const KT_Variant& v) {
    std::vector<std::wstring> names;
    wchar_t* name = nullptr;
    KT_Variant* value = nullptr;
    for (int i = 0; v.get_elem_at(i, name, value); ++i)
        names.emplace_back(name);
    return names;
}

// Readers give neutral values for other kinds; null values leave it empty.
TEST(Variant, ReadersGiveNeutralValuesForOtherKindsAndNullsEmpty) {
    KT_Variant five(5), colour(KT_RGB{0.25f, 0.5f, 1.0f});
    EXPECT_EQ(std::tuple(KT_Variant().as_boolean(), KT_Variant(0).as_boolean(),
                         KT_Variant(2.5f).as_boolean(), five.as_boolean()),
              std::tuple(false, false, false, true));
    EXPECT_EQ(std::tuple(five.as_int(), KT_Variant(true).as_int(), KT_Variant(L"x").as_int()),
              std::tuple(5, 0, 0));
    EXPECT_EQ(std::tuple(five.as_float(), KT_Variant(2.5f).as_float()), std::tuple(0.0f, 2.5f));
    EXPECT_EQ(std::tuple(five.as_rgb(), KT_Variant().as_char(), five.get_elem_count()),
              std::tuple(nullptr, nullptr, 0));
    EXPECT_STREQ(KT_Variant(L"name").as_char(), L"name");
    EXPECT_EQ(colour.as_rgb()->green, 0.5f);
    colour.set_value(static_cast<const KT_RGB*>(nullptr));
    five.set_value(static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(std::pair(colour.kind(), five.kind()),
              std::pair(KT_Variant_Data::Empty, KT_Variant_Data::Empty));
}

// The element (object and name) is built before the list it joins.
TEST(Variant, AFailedSetElemLeavesTheValueAndLeaksNothing) {
    KT_Variant v(7), size(2);
    {
        Refusing_Heap refusing(2);
        EXPECT_THROW(v.set_elem(L"Size", size), std::bad_alloc);
    }
    EXPECT_EQ(v.as_int(), 7);
    v.set_elem(L"Size", size);
    {
        Refusing_Heap refusing(1);
        EXPECT_THROW(v.set_elem(L"Depth", size), std::bad_alloc) << "the name cannot be copied";
    }
    EXPECT_EQ(element_names(v), std::vector<std::wstring>{L"Size"});
}

// Names compare without case; setting one again moves it to the end, and
// the value may come from the element it replaces.
TEST(Variant, ElementListFindsMovesAndRefusesIndicesOutside) {
    KT_Variant a(1), b(2), list(L"text");
    wchar_t* name = nullptr;
    KT_Variant* value = nullptr;
    EXPECT_FALSE(list.get_elem_at(0, name, value));
    EXPECT_FALSE(list.get_elem(L"Color", value));
    list.set_elem(L"Color", a);
    EXPECT_EQ(list.kind(), KT_Variant_Data::Elements) << "an element replaces the scalar";
    EXPECT_EQ(list.as_char(), nullptr);
    list.set_elem(L"Size", a);
    list.set_elem(L"COLOR", b);
    EXPECT_EQ(element_names(list), (std::vector<std::wstring>{L"Size", L"COLOR"}));
    ASSERT_TRUE(list.get_elem(L"color", value));
    EXPECT_TRUE(value->shares_body_with(b));
    EXPECT_EQ(b->reference_count(), 2u);
    EXPECT_FALSE(list.get_elem(L"missing", value));
    EXPECT_FALSE(list.get_elem_at(2, name, value));
    EXPECT_FALSE(list.get_elem_at(-1, name, value));

    ASSERT_TRUE(list.get_elem_at(0, name, value));
    list.set_elem(name, *value);
    EXPECT_EQ(element_names(list), (std::vector<std::wstring>{L"COLOR", L"Size"}));
    ASSERT_TRUE(list.get_elem(L"size", value));
    EXPECT_EQ(value->as_int(), 1);
}

TEST(Variant, CopiesKeepStringsColoursAndListsApartButShareElementBodies) {
    KT_Variant text(L"kept");
    KT_Variant shared_text = text;
    shared_text.reset();
    EXPECT_STREQ(text.as_char(), L"kept");
    KT_Variant colour(KT_RGB{1, 0, 0});
    KT_Variant other = colour;
    other.set_value(L"replaced");
    ASSERT_NE(colour.as_rgb(), nullptr);
    EXPECT_EQ(colour.as_rgb()->red, 1.0f);
    KT_Variant twin;
    twin.attach(static_cast<KT_Variant_Data*>(colour->copy()));
    EXPECT_NE(twin.as_rgb(), colour.as_rgb());
    EXPECT_GT(twin->change_serial(), colour->change_serial());

    // Cached data stays with its body: a reset keeps it, invalidating drops it.
    static int destroyed = 0;
    struct Watched : KT_Cached_Data {
        ~Watched() override { ++destroyed; }
    };
    KT_Variant inner(9), list;
    list.set_elem(L"a", inner);
    list.set_cached_data(new Watched);
    KT_Variant copy = list;
    copy.set_elem(L"c", KT_Variant(3));
    EXPECT_EQ(list.get_elem_count(), 1);
    KT_Variant* a = nullptr;
    ASSERT_TRUE(copy.get_elem(L"A", a));
    EXPECT_TRUE(a->shares_body_with(inner));
    EXPECT_EQ(inner->reference_count(), 3u);
    EXPECT_EQ(copy->cached_data(), nullptr);
    list.reset();
    EXPECT_NE(list->cached_data(), nullptr);
    list.invalidate_cached_data();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(list->cached_data(), nullptr);
    list.set_cached_data(new Watched);
    list = KT_Variant();
    EXPECT_EQ(destroyed, 2);
}

TEST(Variant, StoringAVariantIntoItselfMakesNoCycle) {
    KT_Variant v(1), w;
    KT_Variant* inner = nullptr;
    v.set_elem(L"self", v);
    ASSERT_TRUE(v.get_elem(L"self", inner));
    EXPECT_FALSE(inner->shares_body_with(v));
    EXPECT_EQ(inner->as_int(), 1);
    w.set_elem(L"self", w, true);
    ASSERT_TRUE(w.get_elem(L"self", inner));
    EXPECT_FALSE(inner->shares_body_with(w));
}

} // namespace
