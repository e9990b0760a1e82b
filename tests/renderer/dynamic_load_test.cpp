#include "renderer/dynamic_load.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/dynamic_library.h"
#include "platform/environment.h"
#include "test_files.h"

namespace {

using namespace test_files;

using Probe_Entry = const char* (*)();

const char* call(KT_Dynamic_Routine routine) {
    return KD_Routine_As<Probe_Entry>(routine)();
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

    KT_Dynamic_Routine load(const wchar_t* file, KT_Dynamic_Load_Status& status) {
        return KD_Load_Dynamic_Routine(file, L"KD_Device", dir_.c_str(), &status);
    }
    void unload(const wchar_t* file) {
        KD_Unload_Dynamic_Routine(file, L"KD_Device", dir_.c_str());
    }

    std::wstring dir_ = wide(probe_dir());
};

struct Outcome {
    const wchar_t* file;
    KT_Dynamic_Load_Status status;
};

TEST_F(Module_Loading, EachProbeGivesItsStatus) {
    const Outcome outcomes[] = {
        {L"probe_old11.kdi", KT_Load_Wrong_Version},
        {L"probe_minor12_1.kdi", KT_Load_Wrong_Version},
        {L"probe_unversioned.kdi", KT_Load_No_Version},
        {L"probe_no_entry12.kdi", KT_Load_No_Entry_Point},
        {L"probe_absent.kdi", KT_Load_Not_Found},
    };
    for (const Outcome& o : outcomes) {
        SCOPED_TRACE(testing::Message() << std::string(o.file, o.file + std::wcslen(o.file)));
        KT_Dynamic_Load_Status status = KT_Load_Undetermined;
        EXPECT_EQ(load(o.file, status), nullptr);
        EXPECT_EQ(status, o.status);
        EXPECT_EQ(listed(o.file), nullptr);
    }
    EXPECT_TRUE(none_loaded()) << "a failed load left a module listed";
}

TEST_F(Module_Loading, VersionTwelveLoadsWithOrWithoutModuleType) {
    for (const wchar_t* file : {L"probe_typed12.kdi", L"probe_untyped12.kdi"}) {
        KT_Dynamic_Load_Status status = KT_Load_Undetermined;
        KT_Dynamic_Routine routine = load(file, status);
        ASSERT_NE(routine, nullptr);
        EXPECT_EQ(status, KT_Load_Success);
        // The entry point is the module's own.
        EXPECT_EQ(std::string(call(routine)) + ".kdi",
                  std::string(file, file + std::wcslen(file)));
        DLL_Info* info = listed(file);
        ASSERT_NE(info, nullptr);
        EXPECT_TRUE(info->may_unload);
        EXPECT_EQ(info->use_count, 1);
        EXPECT_EQ(std::wstring(info->path), dir_ + L"/" + file);
        unload(file);
        EXPECT_EQ(listed(file), nullptr);
    }
    EXPECT_TRUE(none_loaded());
}

TEST_F(Module_Loading, UseCountsAcrossTwoLoadsAndTwoUnloads) {
    KT_Dynamic_Load_Status first = KT_Load_Undetermined, second = KT_Load_Undetermined;
    KT_Dynamic_Routine a = load(L"probe_typed12.kdi", first);
    KT_Dynamic_Routine b = load(L"probe_typed12.kdi", second);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(second, KT_Load_Success);
    ASSERT_NE(listed(L"probe_typed12.kdi"), nullptr);
    EXPECT_EQ(listed(L"probe_typed12.kdi")->use_count, 2);
    EXPECT_EQ(KD_Loaded_Modules()->count(), 1);

    unload(L"probe_typed12.kdi");
    ASSERT_NE(listed(L"probe_typed12.kdi"), nullptr);
    EXPECT_EQ(listed(L"probe_typed12.kdi")->use_count, 1);
    EXPECT_STREQ(call(a), "probe_typed12") << "one unload must keep the module loaded";

    unload(L"probe_typed12.kdi");
    EXPECT_EQ(KD_Loaded_Modules(), nullptr) << "the emptied list must go";
}

TEST_F(Module_Loading, LoadedModuleWithoutTheTagKeepsItsCount) {
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    ASSERT_NE(load(L"probe_typed12.kdi", status), nullptr);
    EXPECT_EQ(KD_Load_Dynamic_Routine(L"probe_typed12.kdi", L"KD_Renderer", dir_.c_str(), &status),
              nullptr);
    EXPECT_EQ(status, KT_Load_No_Entry_Point);
    EXPECT_EQ(listed(L"probe_typed12.kdi")->use_count, 1);
    unload(L"probe_typed12.kdi");
    EXPECT_TRUE(none_loaded());
}

TEST_F(Module_Loading, NegativeModuleTypeIsNeverFreedThroughItsPath) {
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    KT_Dynamic_Routine routine = load(L"probe_pinned12.kdi", status);
    ASSERT_NE(routine, nullptr);
    ASSERT_NE(listed(L"probe_pinned12.kdi"), nullptr);
    EXPECT_FALSE(listed(L"probe_pinned12.kdi")->may_unload);

    unload(L"probe_pinned12.kdi");
    ASSERT_NE(listed(L"probe_pinned12.kdi"), nullptr) << "a pinned module was freed";
    EXPECT_EQ(listed(L"probe_pinned12.kdi")->use_count, 0);
    EXPECT_STREQ(call(routine), "probe_pinned12");

    // A later load finds it listed and counts again.
    EXPECT_EQ(load(L"probe_pinned12.kdi", status), routine);
    EXPECT_EQ(listed(L"probe_pinned12.kdi")->use_count, 1);

    // Found elsewhere under the same name, it is matched by name, where the
    // module type does not hold it.
    Scratch_Dir elsewhere;
    fs::copy_file(probe("probe_pinned12.kdi"), elsewhere / "probe_pinned12.kdi");
    KD_Unload_Dynamic_Routine(L"probe_pinned12.kdi", L"KD_Device", wide(elsewhere.path()).c_str());
    EXPECT_EQ(listed(L"probe_pinned12.kdi"), nullptr);
    EXPECT_TRUE(none_loaded());
}

TEST_F(Module_Loading, TrustedCallbackVetoes) {
    static std::wstring seen;
    static bool flag_seen = false;
    KD_Set_Security_IsTrusted_Callback([](const wchar_t* path, bool flag) {
        seen = path;
        flag_seen = flag;
        return false;
    });
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    EXPECT_EQ(load(L"probe_typed12.kdi", status), nullptr);
    EXPECT_EQ(status, KT_Load_Not_Trusted);
    EXPECT_EQ(seen, wide(probe("probe_typed12.kdi")));
    EXPECT_TRUE(flag_seen);
    EXPECT_TRUE(none_loaded());

    KD_Set_Security_IsTrusted_Callback([](const wchar_t*, bool) { return true; });
    EXPECT_NE(load(L"probe_typed12.kdi", status), nullptr);
    EXPECT_EQ(status, KT_Load_Success);
    unload(L"probe_typed12.kdi");
}

TEST_F(Module_Loading, SecurityPathIsSearchedFirst) {
    static std::wstring dir;
    dir = dir_;
    KD_Set_Security_Paths_Callback([] { return dir.c_str(); });
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    // No search path of its own: only the callback's path can find it.
    KT_Dynamic_Routine routine =
        KD_Load_Dynamic_Routine(L"probe_typed12.kdi", L"KD_Device", nullptr, &status);
    EXPECT_NE(routine, nullptr);
    EXPECT_EQ(status, KT_Load_Success);
    KD_Unload_Dynamic_Routine(L"probe_typed12.kdi", L"KD_Device", dir_.c_str());
    EXPECT_TRUE(none_loaded());
}

TEST_F(Module_Loading, PathListTriesEachDirectoryInOrder) {
    Scratch_Dir empty, holder, old;
    fs::copy_file(probe("probe_typed12.kdi"), holder / "probe_listed12.kdi");
    fs::copy_file(probe("probe_old11.kdi"), old / "probe_listed12.kdi");
    std::wstring list = wide(empty.path()) + L";" + wide(holder.path());

    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    KT_Dynamic_Routine routine =
        KD_Load_Current_Dynamic_Routine(L"probe_listed12.kdi", L"KD_Device", list.c_str(), &status);
    ASSERT_NE(routine, nullptr);
    EXPECT_EQ(status, KT_Load_Success);
    ASSERT_NE(listed(L"probe_listed12.kdi"), nullptr);
    EXPECT_EQ(std::wstring(listed(L"probe_listed12.kdi")->path),
              wide(holder / "probe_listed12.kdi"));
    KD_Unload_Dynamic_Routine(L"probe_listed12.kdi", L"KD_Device", wide(holder.path()).c_str());
    EXPECT_TRUE(none_loaded());

    // A wrong version in an earlier directory does not stop the walk.
    list = wide(old.path()) + L";" + wide(holder.path());
    EXPECT_NE(
        KD_Load_Current_Dynamic_Routine(L"probe_listed12.kdi", L"KD_Device", list.c_str(), &status),
        nullptr);
    EXPECT_EQ(status, KT_Load_Success);
    KD_Unload_Dynamic_Routine(L"probe_listed12.kdi", L"KD_Device", wide(holder.path()).c_str());

    // Only the wrong version found: its status stands.
    list = wide(empty.path()) + L";" + wide(old.path());
    EXPECT_EQ(
        KD_Load_Current_Dynamic_Routine(L"probe_listed12.kdi", L"KD_Device", list.c_str(), &status),
        nullptr);
    EXPECT_EQ(status, KT_Load_Wrong_Version);

    for (const wchar_t* nothing : {L"", static_cast<const wchar_t*>(nullptr)}) {
        EXPECT_EQ(
            KD_Load_Current_Dynamic_Routine(L"probe_listed12.kdi", L"KD_Device", nothing, &status),
            nullptr);
        EXPECT_EQ(status, KT_Load_Not_Found);
    }
    list = wide(empty.path()) + L";;" + wide(empty.path());
    KD_Load_Current_Dynamic_Routine(L"probe_listed12.kdi", L"KD_Device", list.c_str(), &status);
    EXPECT_EQ(status, KT_Load_Not_Found);
    EXPECT_TRUE(none_loaded());
}

TEST_F(Module_Loading, WrongVersionIsNeverLoaded) {
    const fs::path marker = KAVRI_PROBE_MARKER;
    fs::remove(marker);
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    EXPECT_EQ(load(L"probe_marker11.kdi", status), nullptr);
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

TEST_F(Module_Loading, UnloadableFileGivesStatusTwoAndPathIsRestored) {
    // A relocatable object passes the version check but cannot be loaded.
    Bytes bytes = read_file(probe("probe_typed12.kdi"));
    ASSERT_GT(bytes.size(), 0x12u);
    bytes[0x10] = 1;
    bytes[0x11] = 0;
    Scratch_Dir dir;
    write_file(dir / "probe_relocatable.kdi", bytes);
    std::wstring former(kdiGetEnvironmentVariableW(L"Path", nullptr, 0), L'\0');
    if (!former.empty()) kdiGetEnvironmentVariableW(L"Path", former.data(), former.size());

    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    EXPECT_EQ(KD_Load_Dynamic_Routine(L"probe_relocatable.kdi", L"KD_Device",
                                      wide(dir.path()).c_str(), &status),
              nullptr);
    EXPECT_EQ(status, KT_Load_Failed);
    EXPECT_EQ(listed(L"probe_relocatable.kdi"), nullptr);

    std::wstring after(kdiGetEnvironmentVariableW(L"Path", nullptr, 0), L'\0');
    if (!after.empty()) kdiGetEnvironmentVariableW(L"Path", after.data(), after.size());
    EXPECT_EQ(after, former) << "the retry must put Path back";
}

TEST_F(Module_Loading, SecurityPathThatFindsNothingFallsBackToThePath) {
    static Scratch_Dir* empty;
    Scratch_Dir dir;
    empty = &dir;
    KD_Set_Security_Paths_Callback([] {
        static std::wstring p;
        p = wide(empty->path());
        return p.c_str();
    });
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    EXPECT_NE(load(L"probe_typed12.kdi", status), nullptr);
    EXPECT_EQ(status, KT_Load_Success);
    unload(L"probe_typed12.kdi");
    EXPECT_TRUE(none_loaded());
}

TEST_F(Module_Loading, UnloadOfUnknownModulesChangesNothing) {
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    KD_Unload_Dynamic_Routine(L"probe_typed12.kdi", L"KD_Device", dir_.c_str());
    ASSERT_NE(load(L"probe_typed12.kdi", status), nullptr);
    KD_Unload_Dynamic_Routine(L"probe_untyped12.kdi", L"KD_Device", dir_.c_str());
    KD_Unload_Dynamic_Routine(L"probe_absent.kdi", L"KD_Device", dir_.c_str());
    EXPECT_EQ(listed(L"probe_typed12.kdi")->use_count, 1);
    unload(L"probe_typed12.kdi");
    EXPECT_TRUE(none_loaded());
}

TEST(Module_Path_Variable, BareNameIsFoundThroughPath) {
    std::wstring former(kdiGetEnvironmentVariableW(L"Path", nullptr, 0), L'\0');
    bool had = !former.empty();
    if (had) kdiGetEnvironmentVariableW(L"Path", former.data(), former.size());

    Scratch_Dir dir;
    ASSERT_TRUE(
        kdiSetEnvironmentVariableW(L"Path", (wide(dir.path()) + L":" + wide(probe_dir())).c_str()));
    void* module = kdiLoadLibraryExW(L"probe_typed12.kdi", nullptr, 0);
    EXPECT_NE(module, nullptr);
    EXPECT_NE(kdiGetProcAddress(module, "KD_Device"), nullptr);
    EXPECT_EQ(kdiGetProcAddress(module, "KD_Renderer"), nullptr);
    EXPECT_TRUE(kdiFreeLibrary(module));

    ASSERT_TRUE(kdiSetEnvironmentVariableW(L"Path", wide(dir.path()).c_str()));
    EXPECT_EQ(kdiLoadLibraryExW(L"probe_typed12.kdi", nullptr, 0), nullptr);
    ASSERT_TRUE(kdiSetEnvironmentVariableW(L"Path", nullptr));
    EXPECT_EQ(kdiLoadLibraryExW(L"probe_typed12.kdi", nullptr, 0), nullptr);

    kdiSetEnvironmentVariableW(L"Path", had ? former.c_str() : nullptr);
}

} // namespace
