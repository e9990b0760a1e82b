#include "foundation/string.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(String, NullEmptyAndConcatenation) {
    KT_String s(static_cast<const wchar_t*>(nullptr));
    EXPECT_TRUE(s.is_null());
    EXPECT_EQ(s.length(), -1);
    s.concatenate(L"abc");
    EXPECT_EQ(s.length(), 3);
    EXPECT_EQ(s, L"abc");
    s.concatenate(KT_String());
    EXPECT_EQ(s, L"abc");
    s.concatenate(s);
    EXPECT_EQ(s, L"abcabc");

    KT_String null_then_empty;
    null_then_empty.concatenate(static_cast<const wchar_t*>(nullptr));
    EXPECT_FALSE(null_then_empty.is_null());
    EXPECT_EQ(null_then_empty.length(), 0);
}

TEST(String, CopyKeepsBuffersApartAndOntoItselfChangesNothing) {
    KT_String a(L"first");
    const wchar_t* buffer = a.text();
    a.copy(a);
    EXPECT_EQ(a.text(), buffer);
    KT_String b(L"other");
    b.copy(a);
    EXPECT_NE(b.text(), a.text());
    EXPECT_EQ(b, L"first");
    b.copy(KT_String());
    EXPECT_TRUE(b.is_null());
    b.copy(L"longer than before");
    EXPECT_EQ(b.length(), 18);
}

TEST(String, OperatorsBuildFromTheLeft) {
    KT_String left(L"ab");
    EXPECT_EQ(left + L"cd", L"abcd");
    EXPECT_EQ(L"x" + left, L"xab");
    EXPECT_EQ(left + KT_String(L"!"), L"ab!");
    EXPECT_EQ(KT_String() + KT_String(), KT_String());
}

TEST(String, FormatMeasuresAndFormats) {
    KT_String s;
    EXPECT_EQ(s.Format(L"%d-%ls", 7, L"x"), 3);
    EXPECT_EQ(s, L"7-x");
    EXPECT_EQ(s.Format(L""), 0);
    EXPECT_EQ(s.length(), 0);
    EXPECT_EQ(s.Format(static_cast<const wchar_t*>(nullptr)), 0);
    EXPECT_TRUE(s.is_null());
    EXPECT_EQ(s.Format(KT_String(L"%ls/%d"), L"dir", 12), 6);
    EXPECT_EQ(s, L"dir/12");
}

TEST(String, FormatGrowsPastAnyFixedBuffer) {
    std::wstring long_text(5000, L'q');
    KT_String s;
    EXPECT_EQ(s.Format(L"<%ls>", long_text.c_str()), 5002);
    EXPECT_EQ(s.text()[0], L'<');
    EXPECT_EQ(s.text()[5001], L'>');
}

} // namespace

namespace {

TEST(String, FormatThatCannotConvertLeavesAnEmptyString) {
    KT_String s(L"before");
    EXPECT_EQ(s.Format(L"%d %s", 1, "\xff\xfe"), 0);
    EXPECT_FALSE(s.is_null());
    EXPECT_EQ(s.length(), 0);
}

} // namespace
