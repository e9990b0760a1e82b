#include "options/option_table.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using E = KT_Option_Enum;

// The names of a table in order, joined by commas.
std::wstring names(const KT_Option_Table& t) {
    std::wstring out;
    for (KT_Option* o = t.first(); o; o = t.next()) {
        if (!out.empty()) out += L",";
        out += o->name().text();
    }
    return out;
}

TEST(Option, NamedFormsTakeTypeAndCountFromTheValue) {
    KT_Option size(L"Window Size", E::Global, 640, 480);
    EXPECT_EQ(size.type(), E::Int);
    EXPECT_EQ(size.definition->count, 2);
    EXPECT_TRUE(size.is_global());
    EXPECT_TRUE(KT_Option(L"ID", E::Local, static_cast<const void*>(nullptr)).is_local());

    KT_Option bare(KT_Option_Definition(L"Bare", E::Float, 1, E::Global));
    EXPECT_EQ(bare.type(), E::Float) << "the definition keeps its type";
    EXPECT_EQ(bare.value.type(), E::None);
}

class OptionTableFind : public ::testing::Test {
protected:
    void SetUp() override {
        KT_Aggregate_Option group;
        group.table()->add(KT_Option(L"Size", E::Global, 3));
        KT_Aggregate_Option inner;
        inner.table()->add(KT_Option(L"Leaf", E::Local, 7));
        group.table()->add(KT_Option(L"Inner", E::Global, inner));
        table.add(KT_Option(L"Palette", E::Global, 1));
        table.add(KT_Option(L"Group", E::Global, group));
        table.add(KT_Option(L"Palette", E::Global, 2));
        table.add(KT_Option(L"/Lead", E::Global, 4));
    }
    KT_Option_Table table;
};

TEST_F(OptionTableFind, MatchesNamesExactlyAndDescendsPaths) {
    // expected: the int found, or 0 for no option.
    const struct {
        const wchar_t* path;
        int expected;
    } cases[] = {
        {L"Palette", 1}, // the first of twins wins
        {L"palette", 0},
        {L"Palett", 0},
        {L"Palettes", 0},
        {L"", 0},
        {L"Group/Size", 3},
        {L"Group\\Size", 3},
        {L"Group/Inner\\Leaf", 7},
        {L"Group/", 0},
        {L"Group/Missing", 0},
        {L"Group//Size", 0},
        {L"Palette/anything/at all", 1}, // a plain option ends the path
        {L"/Lead", 4},                   // a leading separator is part of the name
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path);
        KT_Option* o = table.find(c.path);
        if (c.expected == 0) {
            EXPECT_EQ(o, nullptr);
            continue;
        }
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(o->value.element<int>(0), c.expected);
    }
    EXPECT_EQ(table.find(KT_String()), nullptr);
    EXPECT_EQ(table.find(L"Group")->type(), E::Aggregate);
}

TEST_F(OptionTableFind, LongNamesAreComparedInFull) {
    std::wstring a(300, L'a');
    std::wstring b = a;
    b.back() = L'b';
    table.add(KT_Option(KT_String(a.c_str()), E::Global, 5));
    table.add(KT_Option(KT_String(b.c_str()), E::Global, 6));
    ASSERT_NE(table.find(KT_String(b.c_str())), nullptr);
    EXPECT_EQ(table.find(KT_String(b.c_str()))->value.element<int>(0), 6);
    std::wstring path = L"Group/" + std::wstring(400, L'x');
    EXPECT_EQ(table.find(KT_String(path.c_str())), nullptr);
}

TEST_F(OptionTableFind, FindMovesTheCursorThatNextFollows) {
    EXPECT_EQ(names(table), L"Palette,Group,Palette,/Lead");
    table.first();
    ASSERT_NE(table.find(L"Group"), nullptr);
    KT_Option* after = table.next();
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->value.element<int>(0), 2);
    EXPECT_EQ(table.next()->name(), L"/Lead");
    EXPECT_EQ(table.next(), nullptr);
    EXPECT_EQ(table.next(), nullptr);

    KT_Option_Table empty;
    EXPECT_EQ(empty.first(), nullptr);
    EXPECT_EQ(empty.next(), nullptr);
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
    int depth() const { return above.find(L"Buffer Depth")->value.element<int>(0); }

    KT_Option_Table beneath;
    KT_Option_Table above;
};

TEST_F(OptionTableMerge, InheritFillsUnsetGlobalsAndKeepsExplicitValues) {
    KT_Option* d = above.find(L"Buffer Depth");
    d->set(KT_Option_Value(24));
    above.inherit(beneath);
    EXPECT_EQ(depth(), 24);
    EXPECT_EQ(above.find(L"Window ID"), nullptr) << "locals stay below";
    KT_Option* thickness = above.find(L"Line Thickness");
    ASSERT_NE(thickness, nullptr);
    EXPECT_FALSE(thickness->set_flag);
    EXPECT_EQ(thickness->value.element<float>(0), 2.0f);
    EXPECT_EQ(names(above), L"Buffer Depth,Line Thickness");

    d->set(KT_Option_Value());
    EXPECT_FALSE(d->set_flag) << "a none value unsets";
    above.inherit(beneath);
    EXPECT_EQ(depth(), 16);
}

TEST_F(OptionTableMerge, UnsetInheritThenSetRestoresTheRequestedValues) {
    KT_Option_Table requested;
    requested.add(KT_Option(L"Buffer Depth", E::Global, 32))->set_flag = true;
    requested.add(KT_Option(L"Pattern_Scale", E::Global, 10.0f))->set_flag = true;
    requested.add(KT_Option(L"Ignored", E::Global, 1));

    above.find(L"Buffer Depth")->set(KT_Option_Value(8));
    above.unset();
    EXPECT_FALSE(above.find(L"Buffer Depth")->set_flag);
    EXPECT_EQ(depth(), 8) << "unset keeps the value";

    above.inherit(beneath);
    EXPECT_EQ(depth(), 16);

    above.set(requested);
    EXPECT_EQ(depth(), 32);
    EXPECT_TRUE(above.find(L"Buffer Depth")->set_flag);
    KT_Option* scale = above.find(L"Pattern_Scale");
    ASSERT_NE(scale, nullptr) << "a set option missing here is added";
    EXPECT_TRUE(scale->set_flag);
    EXPECT_EQ(above.find(L"Ignored"), nullptr) << "options not set are not carried";
    EXPECT_TRUE(above.find(L"Buffer Depth")
                    ->value.shares_body_with(requested.find(L"Buffer Depth")->value));
}

// A name that find cannot resolve (it reads as a path) is added on every
// merge; merging a table into itself must still end.
TEST_F(OptionTableMerge, MergingATableIntoItselfEnds) {
    beneath.add(KT_Option(L"Group/Size", E::Global, 3))->set_flag = true;
    beneath.set(beneath);
    EXPECT_EQ(beneath.count(), 5);
    beneath.inherit(beneath);
    EXPECT_EQ(beneath.count(), 7);
    EXPECT_EQ(beneath.find(L"Buffer Depth")->value.element<int>(0), 16);
}

TEST_F(OptionTableMerge, CopiesShareValuesUntilOneIsWritten) {
    beneath.find(L"Buffer Depth")->set_flag = true;
    KT_Option_Table copy(beneath);
    EXPECT_EQ(names(copy), names(beneath));
    EXPECT_TRUE(copy.find(L"Buffer Depth")->set_flag);
    EXPECT_FALSE(copy.find(L"Line Thickness")->set_flag);

    KT_Option* mine = copy.find(L"Buffer Depth");
    ASSERT_TRUE(mine->value.shares_body_with(beneath.find(L"Buffer Depth")->value));
    ASSERT_TRUE(mine->value.set_element(0, 99));
    EXPECT_EQ(beneath.find(L"Buffer Depth")->value.element<int>(0), 16);

    KT_Option_Table* cloned = static_cast<KT_Option_Table*>(beneath.copy());
    EXPECT_EQ(cloned->find(L"Buffer Depth")->value.element<int>(0), 16);
    EXPECT_EQ(cloned->count(), 3);
    delete cloned;
}

} // namespace
