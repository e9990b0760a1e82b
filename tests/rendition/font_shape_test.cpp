#include <gtest/gtest.h>

#include <cwchar>

#include "font/font.h"

namespace {

TEST(Font, CopiesDuplicateTheirStringsAndEmptyDataReplacesTheBody) {
    KT_Font a;
    a.set_name(L"Serif");
    a.set_full_name(L"Serif Italic");
    EXPECT_EQ(a->set_mask, static_cast<std::uint32_t>(KT_Font_Name_Set)); // not the full name
    KT_Font b = a;
    b.set_name(L"Mono");
    EXPECT_STREQ(a->name, L"Serif");
    EXPECT_STREQ(b->name, L"Mono");
    EXPECT_NE(a->full_name, b->full_name);
    EXPECT_STREQ(b->full_name, L"Serif Italic");
    b.create_empty_data();
    EXPECT_EQ(b->name, nullptr);
    EXPECT_EQ(b->set_mask, 0u);
    EXPECT_STREQ(a->full_name, L"Serif Italic");
}

} // namespace
