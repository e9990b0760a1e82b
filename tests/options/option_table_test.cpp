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

TEST(OptionTable, FindMatchesNamesExactlyDescendsPathsAndMovesTheCursor) {
    KT_Option_Table table;
    KT_Aggregate_Option group, inner;
    inner.table()->add(KT_Option(L"Leaf", E::Local, 7));
    group.table()->add(KT_Option(L"Size", E::Global, 3));
    group.table()->add(KT_Option(L"Inner", E::Global, inner));
    table.add(KT_Option(L"Palette", E::Global, 1));
    table.add(KT_Option(L"Group", E::Global, group));
    table.add(KT_Option(L"Palette", E::Global, 2));
    table.add(KT_Option(L"/Lead", E::Global, 4));
    std::wstring a(300, L'a'), b = a;
    b.back() = L'b';
    table.add(KT_Option(KT_String(a.c_str()), E::Global, 5));
    table.add(KT_Option(KT_String(b.c_str()), E::Global, 6));
    const std::wstring deep = L"Group/" + std::wstring(400, L'x');

    // The int found per path, or 0 for no option. The first of twins wins, a
    // leading separator is part of the name and a plain option ends the path.
    std::wstring found;
    for (const wchar_t* path :
         {L"Palette", L"palette", L"Palett", L"Palettes", L"", L"Group/Size", L"Group\\Size",
          L"Group/", L"Group/Inner\\Leaf", L"Group//Size", L"Group/Missing", L"/Lead",
          L"Palette/anything/at all", b.c_str(), deep.c_str()}) {
        KT_Option* o = table.find(path);
        found += std::to_wstring(o ? o->value.element<int>(0) : 0);
    }
    EXPECT_EQ(found, L"100003307004160");
    EXPECT_EQ(table.find(KT_String()), nullptr);

    // find moves the cursor that next follows.
    EXPECT_EQ(names(table).substr(0, 28), L"Palette,Group,Palette,/Lead,");
    ASSERT_NE(table.find(L"Group"), nullptr);
    EXPECT_EQ(table.next()->value.element<int>(0), 2);
    EXPECT_EQ(table.next()->name(), L"/Lead");
    table.find(KT_String(b.c_str()));
    EXPECT_EQ(table.next(), nullptr);
    EXPECT_EQ(table.next(), nullptr);
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
