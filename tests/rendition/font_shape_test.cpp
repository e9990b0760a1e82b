#include <gtest/gtest.h>

#include <cwchar>

#include "font/font.h"
#include "font/shape.h"

namespace {

TEST(Font, NamesCreateABodyAndSetTheirBit) {
    KT_Font font;
    font.set_name(L"Sans");
    ASSERT_FALSE(font.empty());
    EXPECT_EQ(font->set_mask, static_cast<std::uint32_t>(KT_Font_Name_Set));
    EXPECT_STREQ(font->name, L"Sans");
    EXPECT_EQ(font->engine, nullptr);
    EXPECT_EQ(font->character_set, -1);
    EXPECT_EQ(font->scale, 1);

    KT_Font full;
    full.set_full_name(L"Sans Bold");
    EXPECT_EQ(full->set_mask, 0u);
    EXPECT_EQ(full->name, nullptr);
    EXPECT_STREQ(full->full_name, L"Sans Bold");
}

TEST(Font, CopiesDuplicateTheirStrings) {
    KT_Font a;
    a.set_name(L"Serif");
    a.set_full_name(L"Serif Italic");
    a.modify()->set_mask |= KT_Font_Italic_Set;
    KT_Font b = a;
    b.set_name(L"Mono");
    EXPECT_STREQ(a->name, L"Serif");
    EXPECT_STREQ(b->name, L"Mono");
    EXPECT_NE(a->full_name, b->full_name);
    EXPECT_STREQ(b->full_name, L"Serif Italic");
    EXPECT_EQ(b->set_mask, a->set_mask);
    b.set_name(nullptr);
    EXPECT_EQ(b->name, nullptr);
}

TEST(Font, CreateEmptyDataReplacesTheBody) {
    KT_Font a;
    a.set_name(L"Serif");
    KT_Font kept = a;
    a.create_empty_data();
    EXPECT_EQ(a->name, nullptr);
    EXPECT_EQ(a->set_mask, 0u);
    EXPECT_STREQ(kept->name, L"Serif");
}

TEST(Shape, HandlesKnowEngineAndIndex) {
    const auto* engine = reinterpret_cast<const KT_Shape_Engine_Data*>(0x1000);
    KT_Marker_Shape marker(engine, 3);
    EXPECT_EQ(marker.engine(), engine);
    EXPECT_EQ(marker.index(), 3);
    KT_Marker_Shape copy(static_cast<KT_Marker_Shape_Data*>(marker->copy()));
    EXPECT_FALSE(copy.shares_body_with(marker));
    EXPECT_EQ(copy.index(), 3);
    EXPECT_EQ(copy.engine(), engine);
    EXPECT_EQ(KT_Line_Shape().index(), -1);
    EXPECT_EQ(KT_Fill_Shape().engine(), nullptr);
}

} // namespace
