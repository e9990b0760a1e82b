#include "renderer/dynamic_load.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/dynamic_library.h"
#include "platform/environment.h"
#include "test_files.h"

namespace {

using namespace test_files;

const char* call(KT_Dynamic_Routine routine) {
    return KD_Routine_As<const char* (*)()>(routine)();
}

DLL_Info* listed(const wchar_t* name) {
    System_Info* modules = KD_Loaded_Modules();
    if (!modules) return nullptr;
    for (DLL_Info* info : *modules)
        if (std::wcscmp(info->name, name) == 0) return info;
    return nullptr;
}

// The list is made on the first search that finds a file and goes when its
// last module is unloaded.
bool none_loaded() {
    System_Info* modules = KD_Loaded_Modules();
    return !modules || modules->empty();
}

// Every test leaves the loader as it found it: no callbacks, no module that
// may be freed still loaded.
class Module_Loading : public ::testing::Test {
protected:
    void TearDown() override {
        KD_Set_Security_Paths_Callback(nullptr);
        KD_Set_Security_IsTrusted_Callback(nullptr);
    }

    KT_Dynamic_Routine load(const wchar_t* file, const wchar_t* tag = L"KD_Device") {
        status = KT_Load_Undetermined;
        return KD_Load_Dynamic_Routine(file, tag, dir_.c_str(), &status);
    }
    void unload(const wchar_t* file, const fs::path& dir = probe_dir()) {
        KD_Unload_Dynamic_Routine(file, L"KD_Device", wide(dir).c_str());
    }

    std::wstring dir_ = wide(probe_dir());
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
};

TEST_F(Module_Loading, EachProbeGivesItsStatus) {
    const std::pair<const wchar_t*, KT_Dynamic_Load_Status> outcomes[] = {
        {L"probe_typed12.kdi", KT_Load_Success},
        {L"probe_untyped12.kdi", KT_Load_Success},
        {L"probe_old11.kdi", KT_Load_Wrong_Version},
        {L"probe_minor12_1.kdi", KT_Load_Wrong_Version},
        {L"probe_unversioned.kdi", KT_Load_No_Version},
        {L"probe_no_entry12.kdi", KT_Load_No_Entry_Point},
        {L"probe_absent.kdi", KT_Load_Not_Found},
    };
    for (const auto& [file, expected] : outcomes) {
        SCOPED_TRACE(testing::Message() << file);
        KT_Dynamic_Routine routine = load(file);
        EXPECT_EQ(status, expected);
        DLL_Info* info = listed(file);
        if (expected != KT_Load_Success) {
            EXPECT_EQ(routine, nullptr);
            EXPECT_EQ(info, nullptr);
            continue;
        }
        ASSERT_NE(routine, nullptr);
        ASSERT_NE(info, nullptr);
        // The entry point is the module's own.
        EXPECT_EQ(std::string(call(routine)) + ".kdi", std::string(file, file + std::wcslen(file)));
        EXPECT_EQ(info->use_count, 1);
        EXPECT_EQ(std::wstring(info->path), dir_ + L"/" + file);
        unload(file);
    }
    EXPECT_TRUE(none_loaded()) << "a module stayed listed";
}

TEST_F(Module_Loading, UseCountsAcrossTwoLoadsAndTwoUnloads) {
    KT_Dynamic_Routine a = load(L"probe_typed12.kdi");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(load(L"probe_typed12.kdi"), a);
    DLL_Info* info = listed(L"probe_typed12.kdi");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->use_count, 2);
    // Neither a lookup of a missing tag nor an unload of other modules
    // counts against it.
    EXPECT_EQ(load(L"probe_typed12.kdi", L"KD_Renderer"), nullptr);
    EXPECT_EQ(status, KT_Load_No_Entry_Point);
    unload(L"probe_absent.kdi");
    EXPECT_EQ(info->use_count, 2);

    unload(L"probe_typed12.kdi");
    ASSERT_EQ(listed(L"probe_typed12.kdi"), info);
    EXPECT_EQ(info->use_count, 1);
    EXPECT_STREQ(call(a), "probe_typed12") << "one unload must keep the module loaded";
    unload(L"probe_typed12.kdi");
    EXPECT_EQ(KD_Loaded_Modules(), nullptr) << "the emptied list must go";
}

TEST_F(Module_Loading, NegativeModuleTypeIsNeverFreedThroughItsPath) {
    KT_Dynamic_Routine routine = load(L"probe_pinned12.kdi");
    ASSERT_NE(routine, nullptr);
    unload(L"probe_pinned12.kdi");
    DLL_Info* info = listed(L"probe_pinned12.kdi");
    ASSERT_NE(info, nullptr) << "a pinned module was freed";
    EXPECT_FALSE(info->may_unload);
    EXPECT_EQ(info->use_count, 0);
    EXPECT_STREQ(call(routine), "probe_pinned12");
    EXPECT_EQ(load(L"probe_pinned12.kdi"), routine);
    EXPECT_EQ(info->use_count, 1);

    // Found elsewhere under the same name, it is matched by name, where the
    // module type does not hold it.
    Scratch_Dir elsewhere;
    fs::copy_file(probe("probe_pinned12.kdi"), elsewhere / "probe_pinned12.kdi");
    unload(L"probe_pinned12.kdi", elsewhere.path());
    EXPECT_TRUE(none_loaded());
}

TEST_F(Module_Loading, SecurityCallbacksVetoAndSearchFirst) {
    static std::wstring seen, security_dir;
    KD_Set_Security_IsTrusted_Callback([](const wchar_t* path, bool flag) {
        seen = flag ? path : L"";
        return false;
    });
    EXPECT_EQ(load(L"probe_typed12.kdi"), nullptr);
    EXPECT_EQ(status, KT_Load_Not_Trusted);
    EXPECT_EQ(seen, wide(probe("probe_typed12.kdi")));
    KD_Set_Security_IsTrusted_Callback(nullptr);

    // Found through the callback's path alone, then through the caller's.
    KD_Set_Security_Paths_Callback([] { return security_dir.c_str(); });
    Scratch_Dir empty;
    security_dir = dir_;
    EXPECT_NE(KD_Load_Dynamic_Routine(L"probe_typed12.kdi", L"KD_Device", nullptr, &status),
              nullptr);
    unload(L"probe_typed12.kdi");
    security_dir = wide(empty.path());
    EXPECT_NE(load(L"probe_typed12.kdi"), nullptr);
    unload(L"probe_typed12.kdi");
    EXPECT_TRUE(none_loaded());
}

TEST_F(Module_Loading, PathListTriesEachDirectoryInOrder) {
    Scratch_Dir empty, holder, old;
    fs::copy_file(probe("probe_typed12.kdi"), holder / "probe_listed12.kdi");
    fs::copy_file(probe("probe_old11.kdi"), old / "probe_listed12.kdi");
    auto load_from = [this](const fs::path& first, const fs::path& second) {
        std::wstring list = wide(first) + L";" + wide(second);
        return KD_Load_Current_Dynamic_Routine(L"probe_listed12.kdi", L"KD_Device", list.c_str(),
                                               &status);
    };
    ASSERT_NE(load_from(empty.path(), holder.path()), nullptr);
    ASSERT_NE(listed(L"probe_listed12.kdi"), nullptr);
    EXPECT_EQ(std::wstring(listed(L"probe_listed12.kdi")->path),
              wide(holder / "probe_listed12.kdi"));
    unload(L"probe_listed12.kdi", holder.path());
    EXPECT_TRUE(none_loaded());

    // A wrong version in an earlier directory does not stop the walk, but
    // when nothing better is found its status stands.
    EXPECT_NE(load_from(old.path(), holder.path()), nullptr);
    unload(L"probe_listed12.kdi", holder.path());
    EXPECT_EQ(load_from(empty.path(), old.path()), nullptr);
    EXPECT_EQ(status, KT_Load_Wrong_Version);
    EXPECT_TRUE(none_loaded());
}

TEST_F(Module_Loading, WrongVersionIsNeverLoaded) {
    const fs::path marker = KAVRI_PROBE_MARKER;
    fs::remove(marker);
    EXPECT_EQ(load(L"probe_marker11.kdi"), nullptr);
    EXPECT_EQ(status, KT_Load_Wrong_Version);
    EXPECT_FALSE(fs::exists(marker)) << "the loader ran a module it had refused";

    // The marker does appear when the module is loaded, so its absence
    // above means something.
    void* module = kdiLoadLibraryExW(wide(probe("probe_marker11.kdi")).c_str(), nullptr, 0);
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(fs::exists(marker));
    kdiFreeLibrary(module);
    fs::remove(marker);
}

std::wstring path_variable() {
    std::wstring value(kdiGetEnvironmentVariableW(L"Path", nullptr, 0), L'\0');
    if (!value.empty()) kdiGetEnvironmentVariableW(L"Path", value.data(), value.size());
    return value;
}

TEST_F(Module_Loading, UnloadableFileGivesStatusTwoAndPathIsRestored) {
    // A relocatable object passes the version check but cannot be loaded.
    Bytes bytes = read_file(probe("probe_typed12.kdi"));
    bytes[0x10] = 1;
    bytes[0x11] = 0;
    Scratch_Dir dir;
    write_file(dir / "probe_relocatable.kdi", bytes);
    const std::wstring former = path_variable();
    dir_ = wide(dir.path());
    EXPECT_EQ(load(L"probe_relocatable.kdi"), nullptr);
    EXPECT_EQ(status, KT_Load_Failed);
    EXPECT_EQ(path_variable(), former) << "the retry must put Path back";
}

} // namespace
