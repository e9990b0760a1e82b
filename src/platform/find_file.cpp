#include "platform/find_file.h"

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <string>
#include <sys/stat.h>

#include "platform/diagnostics.h"
#include "platform/file_handle.h"
#include "platform/text_encoding.h"

namespace {

struct Search {
    DIR* directory;
    std::string pattern;
};

std::string to_utf8(const wchar_t* text, std::size_t length) {
    std::string out(kdiWideToUtf8(text, length, nullptr, 0), '\0');
    kdiWideToUtf8(text, length, out.data(), out.size());
    return out;
}

kdiFileTime file_time(const struct timespec& t) {
    // Seconds from 1601-01-01 to 1970-01-01.
    constexpr std::int64_t epoch_offset = 11644473600LL;
    const std::int64_t ticks = (t.tv_sec + epoch_offset) * 10000000LL + t.tv_nsec / 100;
    const auto value = static_cast<std::uint64_t>(ticks < 0 ? 0 : ticks);
    return {static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)};
}

// Fills data for one entry; false when the entry cannot be described (it
// vanished, or its name is too long for the record).
bool describe(DIR* directory, const char* name, kdiFindData* data) {
    const std::size_t bytes = std::strlen(name);
    const std::size_t length = kdiUtf8ToWide(name, bytes, nullptr, 0);
    if (length >= kdiFindData::name_capacity) return false;
    struct stat info;
    if (::fstatat(::dirfd(directory), name, &info, 0) != 0 &&
        ::fstatat(::dirfd(directory), name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    std::memset(data, 0, sizeof(*data));
    data->attributes =
        S_ISDIR(info.st_mode) ? KDI_FILE_ATTRIBUTE_DIRECTORY : KDI_FILE_ATTRIBUTE_NORMAL;
    data->creation_time = file_time(info.st_ctim);
    data->last_access_time = file_time(info.st_atim);
    data->last_write_time = file_time(info.st_mtim);
    const auto size = static_cast<std::uint64_t>(info.st_size);
    data->size_high = static_cast<std::uint32_t>(size >> 32);
    data->size_low = static_cast<std::uint32_t>(size);
    kdiUtf8ToWide(name, bytes, data->file_name, length);
    data->file_name[length] = L'\0';
    return true;
}

bool next_match(Search* search, kdiFindData* data) {
    errno = 0;
    while (const dirent* entry = ::readdir(search->directory)) {
        if (::fnmatch(search->pattern.c_str(), entry->d_name, FNM_NOESCAPE) != 0) continue;
        if (describe(search->directory, entry->d_name, data)) return true;
    }
    kdiSetLastError(errno ? errno : ENOENT);
    return false;
}

} // namespace

void* kdiFindFirstFileW(const wchar_t* path_pattern, kdiFindData* data) {
    if (!path_pattern || !data) {
        kdiSetLastError(EINVAL);
        return kdiInvalidHandleValue();
    }
    const std::size_t length = std::wcslen(path_pattern);
    std::size_t split = length;
    while (split > 0 && path_pattern[split - 1] != L'/' && path_pattern[split - 1] != L'\\')
        --split;
    // No separator: the current directory; a leading one alone: the root.
    const std::string directory = split == 0   ? std::string(".")
                                  : split == 1 ? std::string("/")
                                               : to_utf8(path_pattern, split - 1);
    DIR* opened = ::opendir(directory.c_str());
    if (!opened) {
        kdiSetLastError(errno);
        return kdiInvalidHandleValue();
    }
    auto* search = new Search{opened, to_utf8(path_pattern + split, length - split)};
    if (next_match(search, data)) return search;
    kdiFindClose(search);
    return kdiInvalidHandleValue();
}

int kdiFindNextFileW(void* search, kdiFindData* data) {
    if (!search || search == kdiInvalidHandleValue() || !data) {
        kdiSetLastError(EINVAL);
        return 0;
    }
    return next_match(static_cast<Search*>(search), data) ? 1 : 0;
}

int kdiFindClose(void* search) {
    if (!search || search == kdiInvalidHandleValue()) {
        kdiSetLastError(EINVAL);
        return 0;
    }
    auto* state = static_cast<Search*>(search);
    ::closedir(state->directory);
    delete state;
    return 1;
}
