#include "foundation/string.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(String, NullEmptyConcatenationAndCopies) {
    KT_String s(static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(s.length(), -1);
    s.concatenate(L"abc");
    s.concatenate(KT_String());
    s.concatenate(s);
    EXPECT_EQ(s, L"abcabc");
    EXPECT_EQ(s.length(), 6);
    KT_String null_then_empty;
    null_then_empty.concatenate(static_cast<const wchar_t*>(nullptr));
    EXPECT_FALSE(null_then_empty.is_null());
    EXPECT_EQ(null_then_empty.length(), 0);

    const wchar_t* buffer = s.text();
    s.copy(s);
    EXPECT_EQ(s.text(), buffer) << "a copy onto itself changes nothing";
    KT_String b(L"other");
    b.copy(s);
    EXPECT_NE(b.text(), s.text());
    EXPECT_EQ(b, L"abcabc");
    b.copy(KT_String());
    EXPECT_TRUE(b.is_null());
    b.copy(L"longer than before");
    EXPECT_EQ(b.length(), 18);

    EXPECT_EQ(KT_String(L"ab") + L"cd", L"abcd");
    EXPECT_EQ(L"x" + KT_String(L"ab") + KT_String(L"!"), L"xab!");
    EXPECT_EQ(KT_String() + KT_String(), KT_String());
}

TEST(String, FormatMeasuresAndFormatsAnyLength) {
    KT_String s;
    EXPECT_EQ(s.Format(L"%d-%ls", 7, L"x"), 3);
    EXPECT_EQ(s, L"7-x");
    EXPECT_EQ(s.Format(L""), 0);
    EXPECT_EQ(s.length(), 0);
    EXPECT_EQ(s.Format(static_cast<const wchar_t*>(nullptr)), 0);
    EXPECT_TRUE(s.is_null());
    EXPECT_EQ(s.Format(KT_String(L"%ls/%d"), L"dir", 12), 6);
    EXPECT_EQ(s, L"dir/12");
    const std::wstring long_text(5000, L'q');
    EXPECT_EQ(s.Format(L"<%ls>", long_text.c_str()), 5002);
    EXPECT_EQ(std::wstring(s.text()), L"<" + long_text + L">");
    // A format that cannot convert leaves an empty string.
    EXPECT_EQ(s.Format(L"%d %s", 1, "\xff\xfe"), 0);
    EXPECT_FALSE(s.is_null());
    EXPECT_EQ(s.length(), 0);
}

} // namespace
