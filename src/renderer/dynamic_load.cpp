#include "renderer/dynamic_load.h"

#include <cstring>
#include <cwchar>
#include <cwctype>

#include "foundation/global.h"
#include "foundation/heap.h"
#include "platform/dynamic_library.h"
#include "platform/environment.h"
#include "platform/native_text.h"
#include "platform/search_path.h"
#include "platform/version_resource.h"
#include "renderer/module_version.h"

namespace {

constexpr std::uint32_t required_major = 12;
constexpr std::size_t max_retry_directory = 270;
constexpr std::size_t max_tag_bytes = 256;

KT_Security_Paths_Callback security_paths = nullptr;
KT_Security_IsTrusted_Callback is_trusted = nullptr;

// KAVRI holds the list; it is made on first use and goes when its last
// module does.
System_Info& loaded_modules() {
    if (!KAVRI.loaded_modules) KAVRI.loaded_modules = new System_Info;
    return *KAVRI.loaded_modules;
}

void set_status(KT_Dynamic_Load_Status* status, KT_Dynamic_Load_Status value) {
    if (status) *status = value;
}

// One search-and-check pass with one search path.
struct Attempt {
    wchar_t found[kdi_max_path] = {};
    wchar_t* file_part = nullptr;
    bool found_file = false;
    bool may_unload = true;
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
};

bool search(const wchar_t* path, const wchar_t* file, Attempt& a) {
    std::uint32_t length = kdiSearchPathW(path, file, nullptr, kdi_max_path, a.found, &a.file_part);
    return length > 0 && length < kdi_max_path;
}

KT_Dynamic_Routine lookup(void* module, const wchar_t* tag) {
    char name[max_tag_bytes];
    if (!kdiWideToNative(tag, name, sizeof name)) return nullptr;
    return reinterpret_cast<KT_Dynamic_Routine>(kdiGetProcAddress(module, name));
}

DLL_Info* find_loaded(const wchar_t* name, bool by_path) {
    if (!KAVRI.loaded_modules) return nullptr;
    for (DLL_Info* info : *KAVRI.loaded_modules)
        if (wcscasecmp(by_path ? info->path : info->name, name) == 0) return info;
    return nullptr;
}

void copy_text(wchar_t* to, const wchar_t* from) {
    std::wcsncpy(to, from, DLL_Info::name_capacity - 1);
    to[DLL_Info::name_capacity - 1] = 0;
}

// A hexadecimal text as a 32-bit value, read the way the C library's
// unsigned conversion of a 32-bit long reads it: leading blanks skipped, an
// optional sign ("-1" is 0xFFFFFFFF), reading stops at the first non-digit,
// overflow saturates.
std::uint32_t hexadecimal(const wchar_t* text) {
    while (std::iswspace(static_cast<wint_t>(*text)))
        ++text;
    const bool negative = *text == L'-';
    if (*text == L'-' || *text == L'+') ++text;
    if (text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) text += 2;
    std::uint64_t value = 0;
    for (; *text; ++text) {
        int digit = *text >= L'0' && *text <= L'9'   ? *text - L'0'
                    : *text >= L'a' && *text <= L'f' ? *text - L'a' + 10
                    : *text >= L'A' && *text <= L'F' ? *text - L'A' + 10
                                                     : -1;
        if (digit < 0) break;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu) return 0xFFFFFFFFu;
    }
    const auto result = static_cast<std::uint32_t>(value);
    return negative ? 0u - result : result;
}

void read_module_type(const void* block, KT_Module_Version& out) {
    void* text = nullptr;
    std::uint32_t length = 0;
    if (!kdiVerQueryValueW(block, KAVRI_MODULE_TYPE_KEY, &text, &length) || length == 0) return;
    out.has_module_type = true;
    std::wcsncpy(out.module_type, static_cast<const wchar_t*>(text), 63);
    out.module_type_value = static_cast<std::int32_t>(hexadecimal(static_cast<wchar_t*>(text)));
    out.may_unload = out.module_type_value >= 0;
}

// Step 4 of the check: a module already listed under the found file name is
// used again, not reloaded.
bool reuse_loaded(const wchar_t* tag, Attempt& a, KT_Dynamic_Routine& routine) {
    DLL_Info* info = find_loaded(a.file_part, false);
    if (!info) return false;
    routine = lookup(info->module, tag);
    if (routine) {
        ++info->use_count;
        a.status = KT_Load_Success;
    } else {
        // The module is loaded but lacks the export: the same answer a fresh
        // load gives.
        a.status = KT_Load_No_Entry_Point;
    }
    return true;
}

KT_Dynamic_Routine search_and_check(const wchar_t* file, const wchar_t* tag, const wchar_t* path,
                                    Attempt& a) {
    a.status = KT_Load_Undetermined;
    a.may_unload = true;
    a.found_file = (security_paths && search(security_paths(), file, a)) || search(path, file, a);
    if (!a.found_file) {
        a.status = KT_Load_Not_Found;
        return nullptr;
    }
    if (is_trusted && !is_trusted(a.found, true)) {
        a.status = KT_Load_Not_Trusted;
        return nullptr;
    }
    loaded_modules();
    KT_Dynamic_Routine routine = nullptr;
    if (reuse_loaded(tag, a, routine)) return routine;

    KT_Module_Version version;
    if (!KD_Read_Module_Version(a.found, version)) {
        a.status = KT_Load_No_Version;
        return nullptr;
    }
    a.may_unload = version.may_unload;
    a.status = version.version_right ? KT_Load_Success : KT_Load_Wrong_Version;
    return nullptr;
}

// The second attempt looks the bare file up through "Path", pointed at the
// directory the search found, and then puts "Path" back as it was.
void* load_through_path_variable(const wchar_t* file, const Attempt& a) {
    std::size_t directory = static_cast<std::size_t>(a.file_part - a.found);
    if (directory < 2 || directory - 1 > max_retry_directory) return nullptr;
    wchar_t folder[max_retry_directory + 1];
    std::wmemcpy(folder, a.found, directory - 1);
    folder[directory - 1] = 0;

    std::size_t needed = kdiGetEnvironmentVariableW(L"Path", nullptr, 0);
    KT_Scratch<wchar_t> former(needed ? needed : 1);
    if (!former) return nullptr;
    bool had_former = needed && kdiGetEnvironmentVariableW(L"Path", former.get(), needed) < needed;
    if (!kdiSetEnvironmentVariableW(L"Path", folder)) return nullptr;
    void* module = kdiLoadLibraryExW(file, nullptr, 0);
    kdiSetEnvironmentVariableW(L"Path", had_former ? former.get() : nullptr);
    return module;
}

KT_Dynamic_Routine load(const wchar_t* file, const wchar_t* tag, Attempt& a) {
    System_Info& modules = loaded_modules();
    void* module = kdiLoadLibraryExW(a.found, nullptr, 0);
    if (!module) module = load_through_path_variable(file, a);
    if (!module) {
        a.status = KT_Load_Failed;
        return nullptr;
    }
    KT_Dynamic_Routine routine = lookup(module, tag);
    if (!routine) {
        a.status = KT_Load_No_Entry_Point;
        kdiFreeLibrary(module);
        return nullptr;
    }
    auto* info = new DLL_Info;
    copy_text(info->name, file);
    copy_text(info->path, a.found);
    info->module = module;
    info->use_count = 1;
    info->may_unload = a.may_unload;
    modules.append(info);
    a.status = KT_Load_Success;
    return routine;
}

KT_Dynamic_Routine finish(KT_Dynamic_Routine routine, const Attempt& a,
                          KT_Dynamic_Load_Status* status) {
    set_status(status, a.status);
    return routine;
}

void drop_list_when_empty() {
    if (KAVRI.loaded_modules && KAVRI.loaded_modules->empty()) {
        delete KAVRI.loaded_modules;
        KAVRI.loaded_modules = nullptr;
    }
}

void free_record(DLL_Info* info) {
    kdiFreeLibrary(info->module);
    KAVRI.loaded_modules->remove(info);
}

} // namespace

const wchar_t* KD_Dynamic_Load_Status_Text(KT_Dynamic_Load_Status status) {
    switch (status) {
    case KT_Load_Undetermined:
        return L"not yet determined";
    case KT_Load_Success:
        return L"success";
    case KT_Load_Not_Found:
        return L"module file not found";
    case KT_Load_Failed:
        return L"loading the module failed";
    case KT_Load_No_Version:
        return L"the module has no readable version resource";
    case KT_Load_Wrong_Version:
        return L"the module's version is not the one required";
    case KT_Load_No_Entry_Point:
        return L"the module does not export the entry point for the tag";
    case KT_Load_Not_Trusted:
        return L"the host's trusted-module callback rejected the module";
    }
    return L"unknown status";
}

bool KD_Read_Module_Version(const wchar_t* path, KT_Module_Version& out) {
    out = KT_Module_Version{};
    std::uint32_t size = kdiGetFileVersionInfoSizeW(path, nullptr);
    if (size == 0) return false;
    KT_Scratch<std::uint32_t> block((size + 3) / 4);
    void* root = nullptr;
    std::uint32_t root_length = 0;
    if (!block || !kdiGetFileVersionInfoW(path, 0, size, block.get()) ||
        !kdiVerQueryValueW(block.get(), L"\\", &root, &root_length) || root_length == 0)
        return false;

    KT_Fixed_File_Info fixed;
    std::memcpy(&fixed, root, sizeof fixed);
    out.readable = true;
    out.product_version_ms = fixed.product_version_ms;
    out.product_version_ls = fixed.product_version_ls;
    out.version_right = (fixed.product_version_ms >> 16) == required_major &&
                        (fixed.product_version_ms & 0xFF) == 0;
    read_module_type(block.get(), out);
    return true;
}

KT_Dynamic_Routine KD_Load_Dynamic_Routine(const wchar_t* file, const wchar_t* tag,
                                           const wchar_t* path, KT_Dynamic_Load_Status* status) {
    Attempt a;
    KT_Dynamic_Routine routine = search_and_check(file, tag, path, a);
    if (!routine && a.status == KT_Load_Success) routine = load(file, tag, a);
    return finish(routine, a, status);
}

KT_Dynamic_Routine KD_Load_Current_Dynamic_Routine(const wchar_t* file, const wchar_t* tag,
                                                   const wchar_t* path_list,
                                                   KT_Dynamic_Load_Status* status) {
    Attempt a;
    KT_Dynamic_Routine routine = search_and_check(file, tag, nullptr, a);
    if (routine) return finish(routine, a, status);
    if (a.status == KT_Load_Success) return finish(load(file, tag, a), a, status);
    if (!path_list || !*path_list) {
        a.status = KT_Load_Not_Found;
        return finish(nullptr, a, status);
    }

    bool any_found = false;
    a.status = KT_Load_Undetermined;
    const wchar_t* piece = path_list;
    while (a.status != KT_Load_Success && *piece) {
        std::size_t length = std::wcscspn(piece, L";");
        KT_Scratch<wchar_t> directory(length + 1);
        if (!directory) break;
        std::wmemcpy(directory.get(), piece, length);
        directory[length] = 0;
        piece += length;
        if (*piece) ++piece;
        if (length == 0) continue;
        routine = search_and_check(file, tag, directory.get(), a);
        any_found = any_found || a.found_file;
        if (routine) return finish(routine, a, status);
    }
    if (!any_found) a.status = KT_Load_Not_Found;
    if (any_found && a.status == KT_Load_Success) routine = load(file, tag, a);
    return finish(routine, a, status);
}

void KD_Unload_Dynamic_Routine(const wchar_t* file, const wchar_t*, const wchar_t* path) {
    if (!KAVRI.loaded_modules || !file) return;
    Attempt a;
    if (!search(path, file, a)) return;

    if (DLL_Info* info = find_loaded(a.found, true)) {
        if (--info->use_count > 0 || !info->may_unload) return;
        free_record(info);
    } else if (DLL_Info* named = find_loaded(file, false)) {
        if (--named->use_count > 0) return;
        free_record(named);
    } else {
        return;
    }
    drop_list_when_empty();
}

void KD_Set_Security_Paths_Callback(KT_Security_Paths_Callback callback) {
    security_paths = callback;
}

void KD_Set_Security_IsTrusted_Callback(KT_Security_IsTrusted_Callback callback) {
    is_trusted = callback;
}

System_Info* KD_Loaded_Modules() {
    return KAVRI.loaded_modules;
}
