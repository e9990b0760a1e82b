#include "platform/dynamic_library.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/native_text.h"

namespace {

constexpr const char* path_variable = "Path";

void* open_file(const char* path) {
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

bool exists(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

// A bare name is never handed to dlopen as it stands: that would search the
// system library directories, which the Windows loader never looks in.
void* open_in_path_variable(const char* name) {
    const char* list = std::getenv(path_variable);
    if (!list) return nullptr;
    std::size_t name_length = std::strlen(name);
    char candidate[PATH_MAX];
    while (*list) {
        std::size_t length = std::strcspn(list, ";:");
        if (length > 0 && length + 1 + name_length < sizeof candidate) {
            std::memcpy(candidate, list, length);
            candidate[length] = '/';
            std::memcpy(candidate + length + 1, name, name_length + 1);
            if (exists(candidate)) return open_file(candidate);
        }
        list += length;
        if (*list) ++list;
    }
    return nullptr;
}

} // namespace

void* kdiLoadLibraryExW(const wchar_t* file, void*, std::uint32_t) {
    char name[PATH_MAX];
    if (!kdiWideToNative(file, name, sizeof name) || !name[0]) return nullptr;
    if (std::strchr(name, '/')) return open_file(name);
    return open_in_path_variable(name);
}

void* kdiGetProcAddress(void* module, const char* name) {
    if (!module || !name) return nullptr;
    return dlsym(module, name);
}

bool kdiFreeLibrary(void* module) {
    return module && dlclose(module) == 0;
}
