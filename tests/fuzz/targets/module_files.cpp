// The input as a module file found on the search path: the version reader
// judges it and the loader is asked for an entry point.
//
// Checked: the reader's verdict is consistent (a file without a readable
// version is never right); the loader never loads a file whose version
// check fails, so the list of loaded modules does not grow and no entry
// point comes back. A file that passes the check is not handed to the
// loader: loading runs the file's code.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "foundation/system_info.h"
#include "fuzz_input.h"
#include "platform/version_resource.h"
#include "renderer/dynamic_load.h"

namespace {

constexpr wchar_t module_name[] = L"fuzzed12.kdi";

char folder_name[] = "/tmp/kavri-fuzz-module-XXXXXX";

void remove_folder() {
    std::remove((std::string(folder_name) + "/fuzzed12.kdi").c_str());
    std::remove(folder_name);
}

// A private folder for the one module file, made on first use and removed
// when the program ends.
const std::string& folder() {
    static const std::string made = [] {
        if (!mkdtemp(folder_name)) std::abort();
        std::atexit(remove_folder);
        return std::string(folder_name);
    }();
    return made;
}

std::wstring widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

void write_module(const std::uint8_t* data, std::size_t size) {
    const std::string path = folder() + "/fuzzed12.kdi";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
}

int loaded_module_count() {
    const System_Info* modules = KD_Loaded_Modules();
    return modules ? modules->count() : 0;
}

void check_version_block(const std::wstring& path) {
    std::uint32_t handle = 1;
    const std::uint32_t size = kdiGetFileVersionInfoSizeW(path.c_str(), &handle);
    FUZZ_CHECK(handle == 0);
    if (size == 0) return;
    // The block is read into 4-byte aligned memory of exactly its size, so
    // a look-up reaching past it is seen.
    std::uint32_t* block = static_cast<std::uint32_t*>(std::malloc((size + 3) / 4 * 4));
    FUZZ_CHECK(block != nullptr);
    if (kdiGetFileVersionInfoW(path.c_str(), 0, size, block)) {
        void* value = nullptr;
        std::uint32_t length = 0;
        if (kdiVerQueryValueW(block, L"\\", &value, &length))
            FUZZ_CHECK(length == sizeof(KT_Fixed_File_Info));
        kdiVerQueryValueW(block, L"\\StringFileInfo\\040904b0\\ModuleType", &value, &length);
        kdiVerQueryValueW(block, L"\\StringFileInfo\\040904b0\\moduletype", &value, &length);
        kdiVerQueryValueW(block, L"", &value, &length);
    }
    std::free(block);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    write_module(data, size);
    const std::wstring path = widen(folder()) + L"/" + module_name;
    check_version_block(path);

    KT_Module_Version version;
    const bool readable = KD_Read_Module_Version(path.c_str(), version);
    FUZZ_CHECK(readable == version.readable);
    if (!readable) FUZZ_CHECK(!version.version_right);
    if (readable && version.version_right) return 0;

    const int loaded_before = loaded_module_count();
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    const KT_Dynamic_Routine entry =
        KD_Load_Dynamic_Routine(module_name, L"KD_Device", widen(folder()).c_str(), &status);
    FUZZ_CHECK(entry == nullptr);
    FUZZ_CHECK(status != KT_Load_Success);
    FUZZ_CHECK(loaded_module_count() == loaded_before);
    return 0;
}
