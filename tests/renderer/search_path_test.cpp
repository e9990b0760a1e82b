#include "platform/search_path.h"

#include <gtest/gtest.h>

#include <string>

#include "test_files.h"

namespace {

using namespace test_files;

// What the loader's search does not reach: the ':' separator, extensions,
// relative directories, the current directory and a short buffer.
TEST(Search_Path, FindsTheFirstFileAlongTheList) {
    Scratch_Dir a, b;
    write_file(b / "only_b.kdi", Bytes{1});
    write_file(a / "mod.kdi", Bytes{1});
    fs::create_directory(a / "only_b.kdi"); // a directory of that name is not a file
    fs::create_directory(a / "sub");
    write_file(a / "sub" / "rel.kdi", Bytes{1});
    const std::wstring A = wide(a.path()), B = wide(b.path());
    wchar_t buffer[kdi_max_path];
    wchar_t* part = nullptr;
    auto search = [&](const std::wstring& list, const wchar_t* file, const wchar_t* extension,
                      std::uint32_t capacity = kdi_max_path) {
        std::uint32_t n = kdiSearchPathW(list.empty() ? nullptr : list.c_str(), file, extension,
                                         capacity, buffer, &part);
        EXPECT_EQ(n == 0 || n > capacity, buffer[0] == 0) << "the buffer is left empty on failure";
        return n ? fs::path(buffer) : fs::path();
    };
    const fs::path before = fs::current_path();
    fs::current_path(a.path());
    EXPECT_EQ(search(A + L":" + B, L"only_b.kdi", nullptr), b / "only_b.kdi");
    EXPECT_STREQ(part, L"only_b.kdi");
    EXPECT_EQ(search(A, L"mod", L".kdi"), a / "mod.kdi");
    EXPECT_EQ(search(A, L"mod.kdi", L".so"), a / "mod.kdi");
    EXPECT_EQ(search(A, L"mod", nullptr), fs::path());
    EXPECT_EQ(search(L"sub", L"rel.kdi", nullptr), fs::canonical(a.path()) / "sub" / "rel.kdi");
    EXPECT_EQ(search(L"", L"libkavri.so", nullptr), fs::path(KAVRI_BIN_DIR) / "libkavri.so");
    EXPECT_EQ(search(L"", L"mod.kdi", nullptr), fs::canonical(a.path()) / "mod.kdi");
    EXPECT_EQ(search(A, L"/mod.kdi", nullptr), fs::path());
    fs::current_path(before);

    const auto length = static_cast<std::uint32_t>(wide(a / "mod.kdi").size());
    EXPECT_EQ(kdiSearchPathW(A.c_str(), L"mod.kdi", nullptr, length, buffer, &part), length + 1);
    EXPECT_EQ(search(A, L"mod.kdi", nullptr, length + 1), a / "mod.kdi");
}

} // namespace
