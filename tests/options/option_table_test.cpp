#include "options/option_table.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using E = KT_Option_Enum;

// The names of a table in order, joined by commas.
std::wstring names(const KT_Option_Table& t) {
    std::wstring out;
    for (KT_Option* o = t.first(); o; o = t.next())
        out += (out.empty() ? L"" : L",") + std::wstring(o->name().text());
    return out;
}

int int_at(const KT_Option_Table& t, const wchar_t* path) {
    return t.find(path)->value.element<int>(0);
}

// A table with twin names, an aggregate Group (holding Size = 3 and an
// aggregate Inner holding Leaf = 7), a name that starts with a separator and
// two long names that differ only in their last character.
class OptionFind : public ::testing::Test {
protected:
    void SetUp() override {
        KT_Aggregate_Option group, inner;
        inner.table()->add(KT_Option(L"Leaf", E::Local, leaf_value));
        group.table()->add(KT_Option(L"Size", E::Global, size_value));
        group.table()->add(KT_Option(L"Inner", E::Global, inner));
        table.add(KT_Option(L"Palette", E::Global, first_palette));
        table.add(KT_Option(L"Group", E::Global, group));
        table.add(KT_Option(L"Palette", E::Global, second_palette));
        table.add(KT_Option(L"/Lead", E::Global, lead_value));
        long_a.back() = L'a';
        long_b.back() = L'b';
        table.add(KT_Option(KT_String(long_a.c_str()), E::Global, long_a_value));
        table.add(KT_Option(KT_String(long_b.c_str()), E::Global, long_b_value));
    }

    // The int held by the option found at path; fails the test when none is.
    int found_int(const std::wstring& path) const {
        KT_Option* o = table.find(KT_String(path.c_str()));
        if (!o) {
            ADD_FAILURE() << "nothing found at " << std::string(path.begin(), path.end());
            return 0;
        }
        return o->value.element<int>(0);
    }
    bool finds_nothing(const std::wstring& path) const {
        return table.find(KT_String(path.c_str())) == nullptr;
    }

    static constexpr int first_palette = 1, second_palette = 2, size_value = 3, lead_value = 4,
                         long_a_value = 5, long_b_value = 6, leaf_value = 7;
    // Longer than the 256 characters find keeps on the stack.
    std::wstring long_a = std::wstring(300, L'x'), long_b = long_a;
    KT_Option_Table table;
};

TEST_F(OptionFind, MatchesWholeNamesWithCase) {
    EXPECT_EQ(found_int(L"Palette"), first_palette) << "the first of twins wins";
    EXPECT_TRUE(finds_nothing(L"palette")) << "case matters";
    EXPECT_TRUE(finds_nothing(L"Palett")) << "a prefix is not a match";
    EXPECT_TRUE(finds_nothing(L"Palettes")) << "nor a longer name";
}

TEST_F(OptionFind, EmptyAndNullNamesFindNothing) {
    EXPECT_TRUE(finds_nothing(L""));
    EXPECT_EQ(table.find(KT_String()), nullptr);
}

TEST_F(OptionFind, DescendsAggregatesThroughEitherSeparator) {
    EXPECT_EQ(found_int(L"Group/Size"), size_value);
    EXPECT_EQ(found_int(L"Group\\Size"), size_value);
    EXPECT_EQ(found_int(L"Group/Inner\\Leaf"), leaf_value);
}

TEST_F(OptionFind, AnAggregateNameWithoutRemainderFindsNothing) {
    EXPECT_TRUE(finds_nothing(L"Group")) << "the search goes on with an empty remainder";
    EXPECT_TRUE(finds_nothing(L"Group/")) << "a separator alone leaves no remainder either";
    EXPECT_TRUE(finds_nothing(L"Group/Inner"));
}

TEST_F(OptionFind, MissingOrEmptyComponentsFindNothing) {
    EXPECT_TRUE(finds_nothing(L"Group/Missing"));
    EXPECT_TRUE(finds_nothing(L"Group//Size")) << "the empty name between two separators";
    EXPECT_TRUE(finds_nothing(L"Group/" + std::wstring(400, L'x')));
}

TEST_F(OptionFind, APlainOptionEndsThePath) {
    EXPECT_EQ(found_int(L"Palette/anything/at all"), first_palette);
}

TEST_F(OptionFind, ALeadingSeparatorBelongsToTheName) {
    EXPECT_EQ(found_int(L"/Lead"), lead_value);
}

TEST_F(OptionFind, LongNamesCompareEveryCharacter) {
    EXPECT_EQ(found_int(long_a), long_a_value);
    EXPECT_EQ(found_int(long_b), long_b_value);
}

TEST_F(OptionFind, MovesTheCursorThatNextFollows) {
    ASSERT_NE(table.find(L"Palette"), nullptr);
    KT_Option* after_palette = table.next();
    ASSERT_NE(after_palette, nullptr);
    EXPECT_EQ(after_palette->name(), L"Group");
    table.find(KT_String(long_b.c_str()));
    EXPECT_EQ(table.next(), nullptr) << "the last option was found";
    EXPECT_EQ(table.next(), nullptr) << "and next stays at the end";
}

TEST(OptionTable, IteratesInOrderOfAddition) {
    KT_Option_Table table;
    table.add(KT_Option(L"Palette", E::Global, 1));
    table.add(KT_Option(L"Group", E::Global, KT_Aggregate_Option()));
    table.add(KT_Option(L"Palette", E::Global, 2));
    EXPECT_EQ(names(table), L"Palette,Group,Palette");
    EXPECT_EQ(KT_Option_Table().first(), nullptr);
}

// A layer beneath with its current options and a layer above.
class OptionTableMerge : public ::testing::Test {
protected:
    void SetUp() override {
        beneath.add(KT_Option(L"Window ID", E::Local, static_cast<const void*>(&beneath)));
        beneath.add(KT_Option(L"Buffer Depth", E::Global, 16));
        beneath.add(KT_Option(L"Line Thickness", E::Global, 2.0f));
        above.add(KT_Option(L"Buffer Depth", E::Global, 0));
    }
    KT_Option_Table beneath;
    KT_Option_Table above;
};

TEST_F(OptionTableMerge, InheritUnsetAndSetInterplay) {
    KT_Option* d = above.find(L"Buffer Depth");
    d->set(KT_Option_Value(24));
    above.inherit(beneath);
    EXPECT_EQ(int_at(above, L"Buffer Depth"), 24) << "explicit values are kept";
    EXPECT_EQ(names(above), L"Buffer Depth,Line Thickness") << "locals stay below";
    EXPECT_FALSE(above.find(L"Line Thickness")->set_flag);
    EXPECT_EQ(above.find(L"Line Thickness")->value.element<float>(0), 2.0f);

    above.unset();
    EXPECT_FALSE(d->set_flag);
    EXPECT_EQ(int_at(above, L"Buffer Depth"), 24) << "unset keeps the value";
    above.inherit(beneath);
    EXPECT_EQ(int_at(above, L"Buffer Depth"), 16);
    d->set(KT_Option_Value(8));
    d->set(KT_Option_Value());
    EXPECT_FALSE(d->set_flag) << "a none value unsets";

    KT_Option_Table requested;
    requested.add(KT_Option(L"Buffer Depth", E::Global, 32))->set_flag = true;
    requested.add(KT_Option(L"Pattern_Scale", E::Global, 10.0f))->set_flag = true;
    requested.add(KT_Option(L"Ignored", E::Global, 1));
    above.set(requested);
    EXPECT_EQ(int_at(above, L"Buffer Depth"), 32);
    EXPECT_TRUE(d->set_flag);
    EXPECT_TRUE(d->value.shares_body_with(requested.find(L"Buffer Depth")->value));
    ASSERT_NE(above.find(L"Pattern_Scale"), nullptr) << "a set option missing here is added";
    EXPECT_TRUE(above.find(L"Pattern_Scale")->set_flag);
    EXPECT_EQ(above.find(L"Ignored"), nullptr) << "options not set are not carried";
}

TEST_F(OptionTableMerge, CopiesShareValuesAndATableMergesIntoItself) {
    beneath.find(L"Buffer Depth")->set_flag = true;
    KT_Option_Table copy(beneath);
    EXPECT_EQ(names(copy), names(beneath));
    EXPECT_TRUE(copy.find(L"Buffer Depth")->set_flag);
    EXPECT_FALSE(copy.find(L"Line Thickness")->set_flag);
    KT_Option* mine = copy.find(L"Buffer Depth");
    ASSERT_TRUE(mine->value.shares_body_with(beneath.find(L"Buffer Depth")->value));
    ASSERT_TRUE(mine->value.set_element(0, 99));
    EXPECT_EQ(int_at(beneath, L"Buffer Depth"), 16);

    // A name that find cannot resolve (it reads as a path) is added on every
    // merge; merging a table into itself must still end.
    beneath.add(KT_Option(L"Group/Size", E::Global, 3))->set_flag = true;
    beneath.set(beneath);
    EXPECT_EQ(beneath.count(), 5);
    beneath.inherit(beneath);
    EXPECT_EQ(beneath.count(), 7);
    EXPECT_EQ(int_at(beneath, L"Buffer Depth"), 16);
}

} // namespace
