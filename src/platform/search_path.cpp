#include "platform/search_path.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "platform/native_text.h"

namespace {

constexpr std::size_t narrow_capacity = PATH_MAX;

struct Narrow_Path {
    char text[narrow_capacity];
};

bool is_regular_file(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

// dir (which may be relative, empty or carry a trailing '/') joined with
// name into an absolute path.
bool join(const char* dir, std::size_t dir_length, const char* name, Narrow_Path& out) {
    while (dir_length > 1 && dir[dir_length - 1] == '/')
        --dir_length;
    bool current = dir_length == 0 || (dir_length == 1 && dir[0] == '.');
    std::size_t used = 0;
    if (current || dir[0] != '/') {
        if (!getcwd(out.text, narrow_capacity)) return false;
        used = std::strlen(out.text);
    }
    if (!current) {
        if (dir[0] != '/') out.text[used++] = '/';
        if (used + dir_length >= narrow_capacity) return false;
        std::memcpy(out.text + used, dir, dir_length);
        used += dir_length;
    }
    if (used > 0 && out.text[used - 1] == '/') --used;
    std::size_t name_length = std::strlen(name);
    if (used + 1 + name_length >= narrow_capacity) return false;
    out.text[used++] = '/';
    std::memcpy(out.text + used, name, name_length + 1);
    return true;
}

bool try_directory(const char* dir, std::size_t dir_length, const char* name, Narrow_Path& out) {
    return join(dir, dir_length, name, out) && is_regular_file(out.text);
}

bool try_list(const char* list, const char* name, Narrow_Path& out) {
    while (*list) {
        std::size_t length = std::strcspn(list, ";:");
        if (length > 0 && try_directory(list, length, name, out)) return true;
        list += length;
        if (*list) ++list;
    }
    return false;
}

bool directory_of(const char* file, const char* name, Narrow_Path& out) {
    const char* slash = std::strrchr(file, '/');
    if (!slash) return false;
    // A file in the root keeps its slash: an empty directory means the
    // current one.
    std::size_t length = slash == file ? 1 : static_cast<std::size_t>(slash - file);
    return try_directory(file, length, name, out);
}

bool try_program_directory(const char* name, Narrow_Path& out) {
    char exe[narrow_capacity];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0) return false;
    exe[length] = 0;
    return directory_of(exe, name, out);
}

bool try_library_directory(const char* name, Narrow_Path& out) {
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&kdiSearchPathW), &info) || !info.dli_fname) return false;
    return directory_of(info.dli_fname, name, out);
}

bool search_default(const char* name, Narrow_Path& out) {
    if (try_program_directory(name, out) || try_library_directory(name, out)) return true;
    if (try_directory(".", 1, name, out)) return true;
    const char* system_path = std::getenv("PATH");
    return system_path && try_list(system_path, name, out);
}

bool has_extension(const char* name) {
    const char* dot = std::strrchr(name, '.');
    return dot && !std::strchr(dot, '/');
}

// file, plus extension when it has none, as UTF-8.
bool file_name(const wchar_t* file, const wchar_t* extension, Narrow_Path& out) {
    if (!kdiWideToNative(file, out.text, narrow_capacity) || !out.text[0]) return false;
    if (!extension || has_extension(out.text)) return true;
    char ext[64];
    if (!kdiWideToNative(extension, ext, sizeof ext)) return false;
    std::size_t used = std::strlen(out.text);
    if (used + std::strlen(ext) >= narrow_capacity) return false;
    std::strcpy(out.text + used, ext);
    return true;
}

bool search(const wchar_t* path, const char* name, Narrow_Path& found) {
    if (std::strchr(name, '/')) {
        const char* slash = std::strrchr(name, '/');
        return directory_of(name, slash + 1, found);
    }
    if (!path) return search_default(name, found);
    Narrow_Path list;
    return kdiWideToNative(path, list.text, narrow_capacity) && try_list(list.text, name, found);
}

std::uint32_t give_nothing(wchar_t* buffer, std::uint32_t buffer_length, std::uint32_t result) {
    if (buffer && buffer_length) buffer[0] = 0;
    return result;
}

} // namespace

std::uint32_t kdiSearchPathW(const wchar_t* path, const wchar_t* file, const wchar_t* extension,
                             std::uint32_t buffer_length, wchar_t* buffer, wchar_t** file_part) {
    if (file_part) *file_part = nullptr;
    Narrow_Path name;
    Narrow_Path found;
    if (!file || !file_name(file, extension, name) || !search(path, name.text, found))
        return give_nothing(buffer, buffer_length, 0);

    wchar_t wide[narrow_capacity];
    if (!kdiNativeToWide(found.text, wide, narrow_capacity))
        return give_nothing(buffer, buffer_length, 0);
    std::size_t length = std::wcslen(wide);
    if (!buffer || length >= buffer_length)
        return give_nothing(buffer, buffer_length, static_cast<std::uint32_t>(length + 1));

    std::wmemcpy(buffer, wide, length + 1);
    if (file_part) *file_part = std::wcsrchr(buffer, L'/') + 1;
    return static_cast<std::uint32_t>(length);
}
