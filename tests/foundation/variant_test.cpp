#include "foundation/variant.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
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

// Cached data that counts, in a counter the test owns, how often it is
// destroyed.
class Watched_Data : public KT_Cached_Data {
public:
    explicit Watched_Data(int& destroyed) : destroyed_(destroyed) {}
    ~Watched_Data() override { ++destroyed_; }

private:
    int& destroyed_;
};

TEST(VariantReaders, AsBooleanIsTrueOnlyForTrueAndNonZeroInts) {
    EXPECT_TRUE(KT_Variant(5).as_boolean()) << "int 5";
    EXPECT_TRUE(KT_Variant(true).as_boolean()) << "bool true";
    EXPECT_FALSE(KT_Variant(0).as_boolean()) << "int 0";
    EXPECT_FALSE(KT_Variant(2.5f).as_boolean()) << "a float is not converted";
    EXPECT_FALSE(KT_Variant().as_boolean()) << "empty";
}

TEST(VariantReaders, AsIntReadsOnlyInts) {
    EXPECT_EQ(KT_Variant(5).as_int(), 5);
    EXPECT_EQ(KT_Variant(true).as_int(), 0) << "bool";
    EXPECT_EQ(KT_Variant(L"x").as_int(), 0) << "string";
}

TEST(VariantReaders, AsFloatReadsOnlyFloats) {
    EXPECT_EQ(KT_Variant(2.5f).as_float(), 2.5f);
    EXPECT_EQ(KT_Variant(5).as_float(), 0.0f) << "an int is not converted";
}

TEST(VariantReaders, PointerReadersGiveNullForOtherKinds) {
    const KT_Variant five(5);
    EXPECT_EQ(five.as_rgb(), nullptr);
    EXPECT_EQ(five.as_char(), nullptr);
    EXPECT_EQ(KT_Variant().as_char(), nullptr);
    EXPECT_EQ(five.get_elem_count(), 0);
}

TEST(VariantReaders, StringsAndColoursReadBack) {
    const KT_RGB orange = {1.0f, 0.5f, 0.0f};
    EXPECT_STREQ(KT_Variant(L"name").as_char(), L"name");
    const KT_Variant colour(orange);
    ASSERT_NE(colour.as_rgb(), nullptr);
    EXPECT_EQ(colour.as_rgb()->green, orange.green);
}

TEST(VariantSetters, NullColourOrStringLeavesTheVariantEmpty) {
    KT_Variant colour(KT_RGB{0.25f, 0.5f, 1.0f});
    KT_Variant text(L"text");
    colour.set_value(static_cast<const KT_RGB*>(nullptr));
    text.set_value(static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(colour.kind(), KT_Variant_Data::Empty);
    EXPECT_EQ(text.kind(), KT_Variant_Data::Empty);
}

// The element (object and name) is built before the list it joins.
TEST(VariantElements, AFailedFirstElementLeavesTheValue) {
    const int value_before = 7;
    KT_Variant v(value_before), size(2);
    {
        const int element_and_name = 2; // the list itself is refused
        Refusing_Heap refusing(element_and_name);
        EXPECT_THROW(v.set_elem(L"Size", size), std::bad_alloc);
    }
    EXPECT_EQ(v.as_int(), value_before);
}

TEST(VariantElements, AnElementWhoseNameCannotBeCopiedNeverJoins) {
    KT_Variant v, depth(3);
    v.set_elem(L"Size", KT_Variant(2));
    {
        const int element_only = 1;
        Refusing_Heap refusing(element_only);
        EXPECT_THROW(v.set_elem(L"Depth", depth), std::bad_alloc);
    }
    EXPECT_EQ(element_names(v), std::vector<std::wstring>{L"Size"});
}

TEST(VariantElements, AnElementReplacesAScalar) {
    KT_Variant list(L"text");
    list.set_elem(L"Color", KT_Variant(1));
    EXPECT_EQ(list.kind(), KT_Variant_Data::Elements);
    EXPECT_EQ(list.as_char(), nullptr);
}

// Setting Color and then COLOR leaves one element, named COLOR, holding
// the second value's body, at the end.
TEST(VariantElements, NamesCompareWithoutCaseAndASetNameMovesToTheEnd) {
    KT_Variant first(1), second(2), list;
    list.set_elem(L"Color", first);
    list.set_elem(L"Size", first);
    list.set_elem(L"COLOR", second);
    EXPECT_EQ(element_names(list), (std::vector<std::wstring>{L"Size", L"COLOR"}));
    KT_Variant* value = nullptr;
    ASSERT_TRUE(list.get_elem(L"color", value));
    EXPECT_TRUE(value->shares_body_with(second));
    EXPECT_EQ(second->reference_count(), 2u) << "second and the element";
}

TEST(VariantElements, LookUpsOutsideTheListFail) {
    KT_Variant list;
    wchar_t* name = nullptr;
    KT_Variant* value = nullptr;
    EXPECT_FALSE(list.get_elem_at(0, name, value)) << "no list yet";
    list.set_elem(L"Only", KT_Variant(1));
    EXPECT_FALSE(list.get_elem(L"missing", value));
    EXPECT_FALSE(list.get_elem_at(1, name, value)) << "index equal to the count";
    EXPECT_FALSE(list.get_elem_at(-1, name, value)) << "negative index";
}

TEST(VariantElements, AnElementSetFromItsOwnNameAndValueMovesToTheEnd) {
    KT_Variant list;
    const int size_value = 1;
    list.set_elem(L"Size", KT_Variant(size_value));
    list.set_elem(L"COLOR", KT_Variant(2));
    wchar_t* name = nullptr;
    KT_Variant* value = nullptr;
    ASSERT_TRUE(list.get_elem_at(0, name, value));
    list.set_elem(name, *value);
    EXPECT_EQ(element_names(list), (std::vector<std::wstring>{L"COLOR", L"Size"}));
    ASSERT_TRUE(list.get_elem(L"size", value));
    EXPECT_EQ(value->as_int(), size_value);
}

TEST(VariantElements, StoringAVariantIntoItselfStoresACopy) {
    const int own_value = 1;
    KT_Variant v(own_value);
    v.set_elem(L"self", v);
    KT_Variant* inner = nullptr;
    ASSERT_TRUE(v.get_elem(L"self", inner));
    EXPECT_FALSE(inner->shares_body_with(v));
    EXPECT_EQ(inner->as_int(), own_value);
}

TEST(VariantElements, StoringAVariantIntoItselfInPlaceMakesNoCycle) {
    KT_Variant w;
    w.set_elem(L"self", w, true);
    KT_Variant* inner = nullptr;
    ASSERT_TRUE(w.get_elem(L"self", inner));
    EXPECT_FALSE(inner->shares_body_with(w));
}

TEST(VariantCopies, ResettingACopyKeepsTheOriginalString) {
    KT_Variant text(L"kept");
    KT_Variant shared_text = text;
    shared_text.reset();
    EXPECT_STREQ(text.as_char(), L"kept");
}

TEST(VariantCopies, ChangingACopyKeepsTheOriginalColour) {
    const KT_RGB red = {1, 0, 0};
    KT_Variant colour(red);
    KT_Variant other = colour;
    other.set_value(L"replaced");
    ASSERT_NE(colour.as_rgb(), nullptr);
    EXPECT_EQ(colour.as_rgb()->red, red.red);
}

TEST(VariantCopies, ABodyCopyOwnsItsColourUnderALaterSerial) {
    KT_Variant colour(KT_RGB{1, 0, 0});
    KT_Variant twin;
    twin.attach(static_cast<KT_Variant_Data*>(colour->copy()));
    EXPECT_NE(twin.as_rgb(), colour.as_rgb());
    EXPECT_GT(twin->change_serial(), colour->change_serial());
}

TEST(VariantCopies, AListCopySharesElementBodiesButNotTheList) {
    KT_Variant inner(9), list;
    list.set_elem(L"a", inner);
    KT_Variant copy = list;
    copy.set_elem(L"c", KT_Variant(3));
    EXPECT_EQ(list.get_elem_count(), 1) << "the original list keeps one element";
    KT_Variant* a = nullptr;
    ASSERT_TRUE(copy.get_elem(L"A", a));
    EXPECT_TRUE(a->shares_body_with(inner));
    EXPECT_EQ(inner->reference_count(), 3u) << "inner and both lists";
}

TEST(VariantCachedData, IsNotCopied) {
    int destroyed = 0;
    KT_Variant list;
    list.set_elem(L"a", KT_Variant(1));
    list.set_cached_data(new Watched_Data(destroyed));
    KT_Variant copy = list;
    copy.set_elem(L"c", KT_Variant(3));
    EXPECT_EQ(copy->cached_data(), nullptr);
    EXPECT_NE(list->cached_data(), nullptr);
}

TEST(VariantCachedData, SurvivesAResetAndGoesWhenInvalidated) {
    int destroyed = 0;
    KT_Variant v(1);
    v.set_cached_data(new Watched_Data(destroyed));
    v.reset();
    EXPECT_NE(v->cached_data(), nullptr) << "a reset keeps it";
    v.invalidate_cached_data();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(v->cached_data(), nullptr);
}

TEST(VariantCachedData, IsDestroyedWithItsBody) {
    int destroyed = 0;
    KT_Variant v(1);
    v.set_cached_data(new Watched_Data(destroyed));
    v = KT_Variant();
    EXPECT_EQ(destroyed, 1);
}

} // namespace
