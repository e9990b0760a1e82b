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
#include <cstring>
#include <set>
#include <string>

#include "temporary_directory.h"

namespace {

std::wstring wide(const std::filesystem::path& path) {
    return path.wstring();
}

class File : public Temporary_Directory {
protected:
    // Opens name (inside the temporary directory) with mode.
    const void* open(KT_File& file, const std::string& name, int mode) {
        names_.push_back(wide(path(name)));
        file.set_pathname(names_.back().data());
        return file.open(mode);
    }

private:
    std::vector<std::wstring> names_;
};

TEST_F(File, WithoutAPathnameNothingIsOpened) {
    KT_File file;
    EXPECT_EQ(file.open(1), nullptr);
    EXPECT_EQ(file.read(nullptr, 4), 0);
    EXPECT_EQ(file.close(), 0);
}

TEST_F(File, OpenModesCreateTruncateAndRequireExistence) {
    KT_File file;
    EXPECT_EQ(open(file, "missing", 2), kdiInvalidHandleValue());
    EXPECT_EQ(kdiGetLastError(), ENOENT);

    make_file("present", "old contents");
    EXPECT_EQ(open(file, "present", 0), kdiInvalidHandleValue());
    EXPECT_EQ(kdiGetLastError(), EEXIST);

    ASSERT_NE(open(file, "fresh", 0), kdiInvalidHandleValue());
    EXPECT_TRUE(std::filesystem::exists(path("fresh")));
    EXPECT_EQ(file.close(), 1);

    ASSERT_NE(open(file, "present", 1), kdiInvalidHandleValue());
    EXPECT_EQ(file.close(), 1);
    EXPECT_EQ(contents("present"), "");

    make_file("kept", "kept");
    ASSERT_NE(open(file, "kept", 2), kdiInvalidHandleValue());
    EXPECT_EQ(file.close(), 1);
    EXPECT_EQ(contents("kept"), "kept");
}

TEST_F(File, OtherModesFail) {
    make_file("present", "x");
    KT_File file;
    for (int mode : {-1, 3, 4, 100}) {
        EXPECT_EQ(open(file, "present", mode), kdiInvalidHandleValue()) << mode;
        EXPECT_EQ(file.read(nullptr, 0), 1);
    }
    EXPECT_FALSE(std::filesystem::exists(path("absent")));
}

TEST_F(File, WritesAndReadsWholeBuffers) {
    std::string data(100000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7 + 3);
    KT_File file;
    ASSERT_NE(open(file, "data.bin", 1), kdiInvalidHandleValue());
    EXPECT_EQ(file.write(data.data(), static_cast<std::uint32_t>(data.size())), 1);
    EXPECT_EQ(file.close(), 1);
    EXPECT_EQ(contents("data.bin"), data);

    std::string back(data.size(), '\0');
    ASSERT_NE(open(file, "data.bin", 2), kdiInvalidHandleValue());
    EXPECT_EQ(file.read(back.data(), static_cast<std::uint32_t>(back.size())), 1);
    EXPECT_EQ(back, data);
    char more = 0;
    EXPECT_EQ(file.read(&more, 1), 0) << "end of file reads nothing";
}

TEST_F(File, ReadingPastTheEndFails) {
    make_file("four", "abcd");
    KT_File file;
    ASSERT_NE(open(file, "four", 2), kdiInvalidHandleValue());
    char buffer[10] = {};
    EXPECT_EQ(file.read(buffer, 10), 0);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
}

TEST_F(File, ClosingTwiceAndUsingAClosedFileFail) {
    KT_File file;
    ASSERT_NE(open(file, "closed", 1), kdiInvalidHandleValue());
    EXPECT_EQ(file.close(), 1);
    EXPECT_EQ(file.close(), 0);
    char byte = 'x';
    EXPECT_EQ(file.write(&byte, 1), 0);
    EXPECT_EQ(kdiGetLastError(), EBADF);
}

TEST_F(File, PathnameIsTheCallersAndMayHoldAnyCharacter) {
    std::wstring name = wide(root_) + L"/n\u00e4me \u20ac.txt";
    KT_File file;
    file.set_pathname(name.data());
    EXPECT_EQ(file.pathname(), name.data());
    ASSERT_NE(file.open(1), kdiInvalidHandleValue());
    char text[] = "hi";
    EXPECT_EQ(file.write(text, 2), 1);
    file.close();
    EXPECT_EQ(contents("n\xC3\xA4me \xE2\x82\xAC.txt"), "hi");
}

TEST_F(File, ReopeningReleasesTheEarlierHandle) {
    KT_File file;
    ASSERT_NE(open(file, "one", 1), kdiInvalidHandleValue());
    const void* first = file.handle();
    ASSERT_NE(open(file, "two", 1), kdiInvalidHandleValue());
    // The descriptor of the first open was released, so it is reused.
    EXPECT_EQ(file.handle(), first);
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

TEST_F(Directory, FindsPlainFilesMatchingThePattern) {
    make_file("a.kdi");
    make_file("b.kdi");
    make_file("c.txt");
    std::filesystem::create_directory(path("folder.kdi"));
    KT_Directory directory(wide(root_).c_str());
    EXPECT_EQ(all_files(directory, L"*.kdi"), (std::set<std::wstring>{L"a.kdi", L"b.kdi"}));
    EXPECT_EQ(all_files(directory, L"?.txt"), (std::set<std::wstring>{L"c.txt"}));
    EXPECT_EQ(all_files(directory, nullptr),
              (std::set<std::wstring>{L"a.kdi", L"b.kdi", L"c.txt"}));
    EXPECT_EQ(all_files(directory, L"*.none"), std::set<std::wstring>{});
}

TEST_F(Directory, OnlySubdirectoriesGiveNoFileAndNoSearch) {
    std::filesystem::create_directory(path("one"));
    std::filesystem::create_directory(path("two"));
    KT_Directory directory(wide(root_).c_str());
    void* search = reinterpret_cast<void*>(1);
    EXPECT_EQ(directory.first_file(search, L"*"), nullptr);
    EXPECT_EQ(search, nullptr);
}

TEST_F(Directory, MissingDirectoryAndSearchesWithoutAStart) {
    KT_Directory directory(wide(path("nowhere")).c_str());
    void* search = nullptr;
    EXPECT_EQ(directory.first_file(search, L"*"), nullptr);
    EXPECT_EQ(search, nullptr);
    EXPECT_EQ(directory.next_file(search), nullptr);
    directory.end_file_search(search);

    KT_Directory fresh;
    EXPECT_EQ(fresh.pathname(), nullptr);
    EXPECT_EQ(fresh.next_file(search), nullptr);
}

TEST_F(Directory, PathnameIsAnOwnedCopy) {
    std::wstring text = wide(root_);
    KT_Directory directory(text.c_str());
    EXPECT_NE(directory.pathname(), text.c_str());
    EXPECT_EQ(std::wstring(directory.pathname()), text);
    make_file("only.txt");
    text = L"changed";
    EXPECT_EQ(all_files(directory, L"*"), std::set<std::wstring>{L"only.txt"});
    directory.set_pathname(wide(path("elsewhere")).c_str());
    EXPECT_EQ(all_files(directory, L"*"), std::set<std::wstring>{});
    directory.set_pathname(nullptr);
    EXPECT_EQ(directory.pathname(), nullptr);
}

TEST_F(Directory, RestartingASearchBeginsAgain) {
    make_file("x.dat");
    make_file("y.dat");
    KT_Directory directory(wide(root_).c_str());
    void* first = nullptr;
    ASSERT_NE(directory.first_file(first, L"*.dat"), nullptr);
    void* second = nullptr;
    std::set<std::wstring> names;
    for (wchar_t* name = directory.first_file(second, L"*.dat"); name;
         name = directory.next_file(second))
        names.insert(name);
    EXPECT_EQ(names.size(), 2u);
    directory.end_file_search(first);
    directory.end_file_search(second);
}

// Switches the numeric locale away from "C" for the length of a test.
class Printer : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::setlocale(LC_NUMERIC, "C.UTF-8") && !std::setlocale(LC_NUMERIC, "C.utf8"))
            GTEST_SKIP() << "no second locale to switch to";
        ASSERT_STRNE(std::setlocale(LC_NUMERIC, nullptr), "C");
    }
    void TearDown() override { std::setlocale(LC_NUMERIC, "C"); }
    static std::string numeric_locale() { return std::setlocale(LC_NUMERIC, nullptr); }
};

TEST_F(Printer, CreateDCFindsNoPrinterAndRestoresTheLocale) {
    EXPECT_EQ(kdiCreateDC(L"WINSPOOL", L"Printer", nullptr, nullptr), nullptr);
    EXPECT_EQ(numeric_locale(), "C");
}

TEST_F(Printer, DeviceCapabilitiesRestoresTheLocale) {
    wchar_t output[16] = {};
    EXPECT_EQ(kdiDeviceCapabilities(L"Printer", L"LPT1:", 2, output, nullptr), 0u);
    EXPECT_EQ(numeric_locale(), "C");
}

TEST_F(Printer, DocumentPropertiesRestoresTheLocale) {
    EXPECT_EQ(kdiDocumentProperties(nullptr, nullptr, L"Printer", nullptr, nullptr, 0), 0);
    EXPECT_EQ(numeric_locale(), "C");
}

TEST(MemoryStatus, ReportsPlausibleFigures) {
    std::uint32_t load = 1000;
    std::uint64_t physical = 0, virtual_bytes = 0;
    ASSERT_TRUE(kdiGetGlobalMemoryStatusEx(load, physical, virtual_bytes));
    EXPECT_LE(load, 100u);
    EXPECT_GT(physical, 0u);
    EXPECT_GT(virtual_bytes, 0u);
    EXPECT_LT(virtual_bytes, KDI_TOTAL_VIRTUAL);

    kdiMemoryStatusEx status{};
    status.length = sizeof(status);
    ASSERT_EQ(kdiGlobalMemoryStatusEx(&status), 1);
    EXPECT_LE(status.available_physical, status.total_physical);
    EXPECT_EQ(status.total_virtual, KDI_TOTAL_VIRTUAL);
}

TEST(MemoryStatus, RecordsOfTheWrongLengthAreRefused) {
    kdiMemoryStatusEx status{};
    status.length = 56;
    EXPECT_EQ(kdiGlobalMemoryStatusEx(&status), 0);
    EXPECT_EQ(status.total_physical, 0u);
    kdiMemoryStatus older{};
    older.length = 64;
    EXPECT_EQ(kdiGlobalMemoryStatus(&older), 0);
    older.length = 56;
    EXPECT_EQ(kdiGlobalMemoryStatus(&older), 1);
    EXPECT_GT(older.total_physical, 0u);
    EXPECT_EQ(kdiGlobalMemoryStatusEx(nullptr), 0);
}

} // namespace
