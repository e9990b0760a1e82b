#include "platform/search_path.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/native_text.h"
#include "test_files.h"

namespace {

using namespace test_files;

struct Found {
    std::uint32_t result = 0;
    std::wstring path;
    std::wstring file_part;
};

Found search(const std::wstring& list, const wchar_t* file, const wchar_t* extension = nullptr,
             std::uint32_t capacity = kdi_max_path) {
    wchar_t buffer[kdi_max_path] = {L'?'};
    wchar_t* part = nullptr;
    Found f;
    f.result = kdiSearchPathW(list.c_str(), file, extension, capacity, buffer, &part);
    f.path = buffer;
    if (part) f.file_part = part;
    return f;
}

void touch(const fs::path& p) {
    write_file(p, Bytes{1, 2, 3});
}

TEST(Search_Path, ListIsSearchedInOrder) {
    Scratch_Dir a, b;
    touch(b / "both.kdi");
    touch(a / "both.kdi");
    touch(b / "only_b.kdi");
    fs::create_directory(a / "only_b.kdi"); // a directory of that name is not a file

    Found both = search(wide(a.path()) + L";" + wide(b.path()), L"both.kdi");
    EXPECT_EQ(both.path, wide(a / "both.kdi"));
    EXPECT_EQ(both.result, both.path.size());
    EXPECT_EQ(both.file_part, L"both.kdi");

    Found colon = search(wide(a.path()) + L":" + wide(b.path()), L"only_b.kdi");
    EXPECT_EQ(colon.path, wide(b / "only_b.kdi"));

    Found trailing = search(L";;" + wide(b.path()) + L"/;", L"both.kdi");
    EXPECT_EQ(trailing.path, wide(b / "both.kdi"));

    Found none = search(wide(a.path()), L"absent.kdi");
    EXPECT_EQ(none.result, 0u);
    EXPECT_EQ(none.path, L"");
    EXPECT_EQ(none.file_part, L"");
    EXPECT_EQ(search(L"", L"both.kdi").result, 0u);
    EXPECT_EQ(search(wide(a.path()), L"").result, 0u);
}

TEST(Search_Path, SmallBufferReportsTheSizeNeeded) {
    Scratch_Dir a;
    touch(a / "x.kdi");
    std::wstring full = wide(a / "x.kdi");
    Found small =
        search(wide(a.path()), L"x.kdi", nullptr, static_cast<std::uint32_t>(full.size()));
    EXPECT_EQ(small.result, full.size() + 1);
    EXPECT_EQ(small.path, L"");
    Found exact =
        search(wide(a.path()), L"x.kdi", nullptr, static_cast<std::uint32_t>(full.size() + 1));
    EXPECT_EQ(exact.path, full);
}

TEST(Search_Path, ExtensionIsAddedOnlyWhenMissing) {
    Scratch_Dir a;
    touch(a / "mod.kdi");
    touch(a / "mod.so");
    EXPECT_EQ(search(wide(a.path()), L"mod", L".kdi").path, wide(a / "mod.kdi"));
    EXPECT_EQ(search(wide(a.path()), L"mod.so", L".kdi").path, wide(a / "mod.so"));
    EXPECT_EQ(search(wide(a.path()), L"mod").result, 0u);
}

TEST(Search_Path, NameWithASlashIsTakenAsItStands) {
    Scratch_Dir a, b;
    touch(a / "here.kdi");
    EXPECT_EQ(search(wide(b.path()), wide(a / "here.kdi").c_str()).path, wide(a / "here.kdi"));
    EXPECT_EQ(search(wide(a.path()), wide(b / "here.kdi").c_str()).result, 0u);

    // A name in the root directory is not looked for in the current one.
    touch(a / "kavri_root_probe.kdi");
    fs::path before = fs::current_path();
    fs::current_path(a.path());
    Found root = search(wide(a.path()), L"/kavri_root_probe.kdi");
    fs::current_path(before);
    EXPECT_EQ(root.result, 0u) << "found " << std::string(root.path.begin(), root.path.end());
}

TEST(Search_Path, RelativeDirectoriesBecomeFullPaths) {
    Scratch_Dir a;
    fs::create_directory(a / "sub");
    touch(a / "sub" / "rel.kdi");
    fs::path before = fs::current_path();
    fs::current_path(a.path());
    Found rel = search(L"sub", L"rel.kdi");
    Found dot = search(L".", L"sub/rel.kdi");
    fs::current_path(before);
    EXPECT_EQ(rel.path, wide(fs::canonical(a.path()) / "sub" / "rel.kdi"));
    EXPECT_EQ(rel.file_part, L"rel.kdi");
    EXPECT_EQ(dot.path, rel.path);
}

TEST(Search_Path, DefaultOrderStartsBesideTheProgram) {
    wchar_t buffer[kdi_max_path];
    wchar_t* part = nullptr;
    // The test program and libkavri.so share the build's bin directory.
    ASSERT_GT(kdiSearchPathW(nullptr, L"libkavri.so", nullptr, kdi_max_path, buffer, &part), 0u);
    EXPECT_EQ(fs::path(buffer), fs::path(KAVRI_BIN_DIR) / "libkavri.so");
    EXPECT_STREQ(part, L"libkavri.so");

    // Then the current directory.
    Scratch_Dir a;
    touch(a / "kavri_cwd_probe.kdi");
    fs::path before = fs::current_path();
    fs::current_path(a.path());
    std::uint32_t found =
        kdiSearchPathW(nullptr, L"kavri_cwd_probe.kdi", nullptr, kdi_max_path, buffer, &part);
    fs::current_path(before);
    ASSERT_GT(found, 0u);
    EXPECT_EQ(fs::path(buffer), fs::canonical(a.path()) / "kavri_cwd_probe.kdi");
}

TEST(Native_Text, ConvertsWholeNamesOrNothing) {
    const wchar_t* text = L"a\u00e9\u4e2d\U0001F600/";
    char narrow[32];
    ASSERT_TRUE(kdiWideToNative(text, narrow, sizeof narrow));
    EXPECT_STREQ(narrow, "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80/");
    wchar_t back[16];
    ASSERT_TRUE(kdiNativeToWide(narrow, back, 16));
    EXPECT_STREQ(back, text);

    // 11 bytes and a terminator: one byte short must fail, not cut.
    EXPECT_FALSE(kdiWideToNative(text, narrow, 11));
    EXPECT_STREQ(narrow, "");
    EXPECT_TRUE(kdiWideToNative(text, narrow, 12));
    EXPECT_FALSE(kdiNativeToWide("abc", back, 3));
    EXPECT_STREQ(back, L"");
    EXPECT_TRUE(kdiNativeToWide("abc", back, 4));
    EXPECT_FALSE(kdiWideToNative(nullptr, narrow, sizeof narrow));
}

} // namespace
