#include "platform/environment.h"
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string utf8(const std::wstring& text) {
    std::string out(kdiWideToUtf8(text.data(), text.size(), nullptr, 0), '\0');
    EXPECT_EQ(kdiWideToUtf8(text.data(), text.size(), out.data(), out.size()), out.size());
    return out;
}

std::wstring wide(const std::string& text) {
    std::wstring out(kdiUtf8ToWide(text.data(), text.size(), nullptr, 0), L'\0');
    kdiUtf8ToWide(text.data(), text.size(), out.data(), out.size());
    return out;
}

// Every length of sequence round-trips; invalid values, cut-short, overlong
// and surrogate sequences become the replacement character.
TEST(TextEncoding, EncodesEveryLengthAndReplacesInvalidValues) {
    const std::wstring mixed = L"a\u00e9\u20ac\U0001F600z";
    EXPECT_EQ(utf8(mixed), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z");
    EXPECT_EQ(wide(utf8(mixed)), mixed);
    const wchar_t invalid[] = {0xD800, static_cast<wchar_t>(0x110000), 0};
    EXPECT_EQ(utf8(invalid), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(wide("a\xFF"
                   "b\xC3"),
              L"a\uFFFDb\uFFFD");
    EXPECT_EQ(wide("\xC0\xAF\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
    char out[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(kdiWideToUtf8(L"\u20ac\u20ac", 2, out, 2), 6u);
    EXPECT_EQ(out[2], 'x') << "a short output is never overrun";
    EXPECT_EQ(kdiWideToUtf8(nullptr, 5, out, 4), 0u);
}

TEST(Environment, SetReadAndRemoveWideVariables) {
    const wchar_t* name = L"KAVRI_TEST_VARIABLE_\u00e9";
    ASSERT_TRUE(kdiSetEnvironmentVariableW(name, L"value \u20ac"));
    wchar_t buffer[32];
    EXPECT_EQ(kdiGetEnvironmentVariableW(name, buffer, 32), 7u);
    EXPECT_STREQ(buffer, L"value \u20ac");
    EXPECT_EQ(kdiGetEnvironmentVariableW(name, buffer, 7), 8u);
    EXPECT_EQ(kdiGetEnvironmentVariableW(name, nullptr, 0), 8u);
    char* copy = kdiDupEnv("KAVRI_TEST_VARIABLE_\xC3\xA9");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "value \xE2\x82\xAC");
    kdiFreeEnvironmentCopy(copy);

    ASSERT_TRUE(kdiSetEnvironmentVariableW(name, nullptr));
    EXPECT_EQ(kdiGetEnvironmentVariableW(name, buffer, 32), 0u);
    EXPECT_EQ(kdiDupEnv("KAVRI_TEST_VARIABLE_\xC3\xA9"), nullptr);
    EXPECT_FALSE(kdiSetEnvironmentVariableW(L"", L"x"));
    EXPECT_FALSE(kdiSetEnvironmentVariableW(nullptr, L"x"));
    EXPECT_EQ(kdiDupEnv(nullptr), nullptr);
}

} // namespace
