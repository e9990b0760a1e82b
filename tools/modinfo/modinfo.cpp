// kavri-modinfo: tells, for each driver module named, where the library's
// search finds it, what its version resource says, and whether the library
// would load it.
//
//   kavri-modinfo [-p "dir;dir"] [-t tag] [module.kdi...]
//
// With no module named it checks the three default modules.
//
// Exit status 0 only when every module named would load.
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/native_text.h"
#include "platform/search_path.h"
#include "renderer/dynamic_load.h"

namespace {

const wchar_t* const role_tags[] = {L"KD_Device", L"KD_Renderer", L"KD_Font_Engine"};

struct Known_Module {
    const wchar_t* file;
    const wchar_t* tag;
};
const Known_Module known_modules[] = {
    {L"null12.kdi", L"KD_Device"},
    {L"szb12.kdi", L"KD_Renderer"},
    {L"gdifont12.kdi", L"KD_Font_Engine"},
};

std::string narrow(const wchar_t* text) {
    std::vector<char> out(std::wcslen(text) * 4 + 1);
    return kdiWideToNative(text, out.data(), out.size()) ? out.data() : "?";
}

std::wstring widen(const char* text) {
    std::vector<wchar_t> out(std::strlen(text) + 1);
    return kdiNativeToWide(text, out.data(), out.size()) ? out.data() : L"";
}

void line(const char* label, const std::string& value) {
    std::printf("  %-16s %s\n", label, value.c_str());
}

// Where KD_Load_Current_Dynamic_Routine would find file: the default order
// first, then each directory of the list.
std::wstring find(const std::wstring& file, const std::wstring& list) {
    wchar_t found[kdi_max_path];
    std::uint32_t n = kdiSearchPathW(nullptr, file.c_str(), nullptr, kdi_max_path, found, nullptr);
    if (n > 0 && n < kdi_max_path) return found;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find(L';', start);
        if (end == std::wstring::npos) end = list.size();
        std::wstring dir = list.substr(start, end - start);
        start = end + 1;
        if (dir.empty()) continue;
        n = kdiSearchPathW(dir.c_str(), file.c_str(), nullptr, kdi_max_path, found, nullptr);
        if (n > 0 && n < kdi_max_path) return found;
    }
    return L"";
}

void report_version(const std::wstring& path) {
    KT_Module_Version v;
    if (!KD_Read_Module_Version(path.c_str(), v)) {
        line("product version:", "none readable");
        line("version check:", "fails (no readable version resource)");
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%u.%u", v.product_version_ms >> 16,
                  v.product_version_ms & 0xFFFF);
    line("product version:", text);
    if (v.has_module_type) {
        std::snprintf(text, sizeof text, "%s (%d: %s)", narrow(v.module_type).c_str(),
                      v.module_type_value, v.may_unload ? "may be unloaded" : "stays loaded");
        line("ModuleType:", text);
    } else {
        line("ModuleType:", "none (may be unloaded)");
    }
    line("version check:", v.version_right ? "passes" : "fails (12.0 required)");
}

const wchar_t* tag_for(const std::wstring& file) {
    for (const Known_Module& m : known_modules)
        if (wcscasecmp(file.c_str(), m.file) == 0) return m.tag;
    return nullptr;
}

// Loads file through the library for the tag (or, with none given, the
// first role tag it exports) and releases it again.
KT_Dynamic_Load_Status try_load(const std::wstring& file, const wchar_t* tag,
                                const std::wstring& list, const std::wstring& found,
                                std::wstring& tag_used) {
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    for (const wchar_t* candidate : role_tags) {
        const wchar_t* t = tag ? tag : candidate;
        KT_Dynamic_Routine routine =
            KD_Load_Current_Dynamic_Routine(file.c_str(), t, list.c_str(), &status);
        tag_used = t;
        if (routine) {
            std::wstring dir = found.substr(0, found.rfind(L'/'));
            KD_Unload_Dynamic_Routine(file.c_str(), t, dir.c_str());
        }
        if (tag || status != KT_Load_No_Entry_Point) break;
    }
    return status;
}

bool report(const std::wstring& file, const wchar_t* tag, const std::wstring& list) {
    std::printf("%s\n", narrow(file.c_str()).c_str());
    std::wstring found = find(file, list);
    line("found at:", found.empty() ? "not found" : narrow(found.c_str()));
    if (!found.empty()) {
        line("trusted check:", "passes (no trusted-module callback is installed)");
        report_version(found);
    }
    std::wstring tag_used;
    KT_Dynamic_Load_Status status =
        try_load(file, tag ? tag : tag_for(file), list, found, tag_used);
    bool guessed = !tag && !tag_for(file);
    std::string entry = guessed && status == KT_Load_No_Entry_Point
                            ? "none of KD_Device, KD_Renderer, KD_Font_Engine"
                            : narrow(tag_used.c_str());
    char text[256];
    std::snprintf(text, sizeof text, "%d (%s), entry point %s", static_cast<int>(status),
                  narrow(KD_Dynamic_Load_Status_Text(status)).c_str(), entry.c_str());
    line("load status:", text);
    return status == KT_Load_Success;
}

int usage() {
    std::fprintf(stderr, "usage: kavri-modinfo [-p \"dir;dir...\"] [-t tag] [module.kdi...]\n"
                         "  with no module, the default device, renderer and font engine\n"
                         "  -p  directories searched after the default order\n"
                         "  -t  entry point to look up (default: by module, else the first of\n"
                         "      KD_Device, KD_Renderer, KD_Font_Engine it exports)\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::wstring list;
    std::wstring tag;
    std::vector<std::wstring> files;
    for (int i = 1; i < argc; ++i) {
        bool takes_value = !std::strcmp(argv[i], "-p") || !std::strcmp(argv[i], "-t");
        if (takes_value && i + 1 == argc) return usage();
        if (!std::strcmp(argv[i], "-p"))
            list = widen(argv[++i]);
        else if (!std::strcmp(argv[i], "-t"))
            tag = widen(argv[++i]);
        else if (argv[i][0] == '-')
            return usage();
        else
            files.push_back(widen(argv[i]));
    }
    // With no module named, the three the render stack loads.
    if (files.empty())
        for (const Known_Module& m : known_modules)
            files.push_back(m.file);

    bool all = true;
    for (const std::wstring& file : files)
        all = report(file, tag.empty() ? nullptr : tag.c_str(), list) && all;
    return all ? 0 : 1;
}
