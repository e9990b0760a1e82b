#include "foundation/directory.h"
#include "foundation/file.h"
#include "foundation/printer.h"
#include "foundation/system_memory.h"
#include "platform/diagnostics.h"
#include "platform/file_handle.h"
#include "platform/memory_status.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <set>
#include <string>
#include <vector>

#include "temporary_directory.h"

namespace {

class File : public Temporary_Directory {
protected:
    // Opens name (inside the temporary directory) with mode.
    const void* open(KT_File& file, const std::wstring& name, int mode) {
        names_.push_back(root_.wstring() + L"/" + name);
        file.set_pathname(names_.back().data());
        return file.open(mode);
    }
    std::vector<std::wstring> names_;
};

TEST_F(File, OpenModesCreateTruncateAndRequireExistence) {
    KT_File file;
    EXPECT_EQ(file.open(1), nullptr) << "no pathname";
    EXPECT_EQ(open(file, L"missing", 2), kdiInvalidHandleValue());
    EXPECT_EQ(kdiGetLastError(), ENOENT);
    make_file("present", "old contents");
    EXPECT_EQ(open(file, L"present", 0), kdiInvalidHandleValue());
    EXPECT_EQ(kdiGetLastError(), EEXIST);

    ASSERT_NE(open(file, L"fresh", 0), kdiInvalidHandleValue());
    const void* first = file.handle();
    ASSERT_NE(open(file, L"present", 1), kdiInvalidHandleValue());
    EXPECT_EQ(file.handle(), first) << "reopening released the earlier descriptor";
    EXPECT_EQ(file.close(), 1);
    EXPECT_TRUE(std::filesystem::exists(path("fresh")));
    EXPECT_EQ(contents("present"), "");

    make_file("kept", "kept");
    ASSERT_NE(open(file, L"kept", 2), kdiInvalidHandleValue());
    EXPECT_EQ(file.close(), 1);
    EXPECT_EQ(contents("kept"), "kept");
    for (int mode : {-1, 3, 4, 100}) {
        EXPECT_EQ(open(file, L"absent", mode), kdiInvalidHandleValue()) << mode;
        EXPECT_EQ(file.read(nullptr, 0), 1);
    }
    EXPECT_FALSE(std::filesystem::exists(path("absent")));
}

// The pathname stays the caller's and may hold any character.
TEST_F(File, WritesAndReadsWholeBuffersAndFailsPastTheEndOrWhenClosed) {
    std::string data(100000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7 + 3);
    const auto size = static_cast<std::uint32_t>(data.size());
    const std::string name = "n\xC3\xA4me \xE2\x82\xAC.bin";
    KT_File file;
    ASSERT_NE(open(file, L"n\u00e4me \u20ac.bin", 1), kdiInvalidHandleValue());
    EXPECT_EQ(file.pathname(), names_.back().data());
    EXPECT_EQ(file.write(data.data(), size), 1);
    EXPECT_EQ(file.close(), 1);
    EXPECT_EQ(contents(name), data);

    std::string back(data.size() + 10, '\0');
    ASSERT_NE(open(file, L"n\u00e4me \u20ac.bin", 2), kdiInvalidHandleValue());
    EXPECT_EQ(file.read(back.data(), size - 4), 1);
    EXPECT_EQ(file.read(back.data() + size - 4, 14), 0) << "a short read fails";
    EXPECT_EQ(back.substr(0, size), data);
    EXPECT_EQ(file.read(back.data(), 1), 0) << "end of file reads nothing";
    EXPECT_EQ(file.close(), 1);
    EXPECT_EQ(file.close(), 0);
    EXPECT_EQ(file.write(back.data(), 1), 0);
    EXPECT_EQ(kdiGetLastError(), EBADF);
}

using Directory = Temporary_Directory;

std::set<std::wstring> all_files(KT_Directory& directory, const wchar_t* pattern) {
    std::set<std::wstring> names;
    void* search = nullptr;
    for (wchar_t* name = directory.first_file(search, pattern); name;
         name = directory.next_file(search))
        names.insert(name);
    directory.end_file_search(search);
    EXPECT_EQ(search, nullptr);
    return names;
}

TEST_F(Directory, FindsPlainFilesMatchingThePatternInIndependentSearches) {
    make_file("a.kdi");
    make_file("b.kdi");
    make_file("c.txt");
    std::filesystem::create_directory(path("folder.kdi"));
    KT_Directory directory(root_.wstring().c_str());
    void* open_search = nullptr;
    ASSERT_NE(directory.first_file(open_search, L"*.kdi"), nullptr);
    EXPECT_EQ(all_files(directory, L"*.kdi"), (std::set<std::wstring>{L"a.kdi", L"b.kdi"}));
    EXPECT_EQ(all_files(directory, L"?.txt"), (std::set<std::wstring>{L"c.txt"}));
    EXPECT_EQ(all_files(directory, nullptr),
              (std::set<std::wstring>{L"a.kdi", L"b.kdi", L"c.txt"}));
    EXPECT_EQ(all_files(directory, L"*.none"), std::set<std::wstring>{});
    directory.end_file_search(open_search);
}

TEST_F(Directory, PathnameIsAnOwnedCopyAndNoFileGivesNoSearch) {
    std::filesystem::create_directory(path("one"));
    make_file("one/only.txt");
    std::wstring text = path("one").wstring();
    KT_Directory directory(text.c_str());
    text = L"changed";
    EXPECT_EQ(all_files(directory, L"*"), std::set<std::wstring>{L"only.txt"});

    directory.set_pathname(root_.wstring().c_str());
    void* search = reinterpret_cast<void*>(1);
    EXPECT_EQ(directory.first_file(search, L"*"), nullptr) << "only a subdirectory";
    EXPECT_EQ(search, nullptr);
    directory.set_pathname(path("nowhere").wstring().c_str());
    EXPECT_EQ(directory.first_file(search, L"*"), nullptr);
    EXPECT_EQ(directory.next_file(search), nullptr);
    directory.end_file_search(search);
    directory.set_pathname(nullptr);
    EXPECT_EQ(directory.pathname(), nullptr);
    EXPECT_EQ(KT_Directory().next_file(search), nullptr);
}

// Every printer query finds no printer and leaves the numeric locale "C".
TEST(Printer, EveryQueryFindsNoPrinterAndRestoresTheLocale) {
    auto other_locale = [] {
        return std::setlocale(LC_NUMERIC, "C.UTF-8") || std::setlocale(LC_NUMERIC, "C.utf8");
    };
    if (!other_locale()) GTEST_SKIP() << "no second locale to switch to";
    EXPECT_EQ(kdiCreateDC(L"WINSPOOL", L"Printer", nullptr, nullptr), nullptr);
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    ASSERT_TRUE(other_locale());
    wchar_t output[16] = {};
    EXPECT_EQ(kdiDeviceCapabilities(L"Printer", L"LPT1:", 2, output, nullptr), 0u);
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    ASSERT_TRUE(other_locale());
    EXPECT_EQ(kdiDocumentProperties(nullptr, nullptr, L"Printer", nullptr, nullptr, 0), 0);
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}

// Records of the wrong length are refused and left untouched.
TEST(MemoryStatus, ReportsPlausibleFiguresAndRefusesRecordsOfTheWrongLength) {
    std::uint32_t load = 1000;
    std::uint64_t physical = 0, virtual_bytes = 0;
    ASSERT_TRUE(kdiGetGlobalMemoryStatusEx(load, physical, virtual_bytes));
    EXPECT_LE(load, 100u);
    EXPECT_TRUE(physical > 0 && virtual_bytes > 0 && virtual_bytes < KDI_TOTAL_VIRTUAL);
    kdiMemoryStatusEx status{};
    status.length = 56;
    EXPECT_EQ(kdiGlobalMemoryStatusEx(&status), 0);
    EXPECT_EQ(status.total_physical, 0u);
    status.length = sizeof(status);
    ASSERT_EQ(kdiGlobalMemoryStatusEx(&status), 1);
    EXPECT_LE(status.available_physical, status.total_physical);
    EXPECT_EQ(kdiGlobalMemoryStatusEx(nullptr), 0);
    kdiMemoryStatus older{};
    older.length = 64;
    EXPECT_EQ(kdiGlobalMemoryStatus(&older), 0);
    older.length = 56;
    EXPECT_EQ(kdiGlobalMemoryStatus(&older), 1);
    EXPECT_GT(older.total_physical, 0u);
}

} // namespace
