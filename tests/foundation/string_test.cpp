#include "foundation/string.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "refusing_heap.h"

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

// Formatting a field of 2^31 characters takes seconds per attempt; it is
// refused from its width before any attempt.
TEST(StringFormat, AFieldWiderThanTheLimitIsRefusedWithoutFormatting) {
    KT_String s(L"before");
    Refusing_Heap counting(INT_MAX);
    EXPECT_EQ(s.Format(L"%*ld", INT_MAX, 1L), 0);
    EXPECT_EQ(s.length(), 0) << "a refused format leaves the empty string";
    EXPECT_LE(Refusing_Heap::allocations, 1) << "only the empty result is allocated";
}

TEST(StringFormat, APrecisionWiderThanTheLimitIsRefused) {
    KT_String s;
    EXPECT_EQ(s.Format(L"%.*f", INT_MAX, 1.0), 0);
    EXPECT_EQ(s.length(), 0);
}

TEST(StringFormat, FieldsThatTogetherPassTheLimitAreRefused) {
    const int half_the_limit = 1 << 23;
    KT_String s;
    EXPECT_EQ(s.Format(L"%*d%*d", half_the_limit, 1, half_the_limit, 2), 0);
    EXPECT_EQ(s.length(), 0);
}

TEST(StringFormat, AWideFieldWithinTheLimitIsFormatted) {
    const int width = 3000;
    KT_String s;
    EXPECT_EQ(s.Format(L"%*d|", width, 7), width + 1);
    EXPECT_EQ(s.text()[width - 1], L'7');
    EXPECT_EQ(s.text()[0], L' ');
}

TEST(StringFormat, ALeftAlignedFieldFromANegativeWidthIsFormatted) {
    KT_String s;
    EXPECT_EQ(s.Format(L"%*d|", -4, 7), 5);
    EXPECT_EQ(s, L"7   |");
}

TEST(StringFormat, ArgumentsAfterWideFieldsAreStillRead) {
    KT_String s;
    EXPECT_EQ(s.Format(L"%5.2f %lld %ls %c", 3.14159, 1234567890123LL, L"end", L'!'), 25);
    EXPECT_EQ(s, L" 3.14 1234567890123 end !");
}

} // namespace
