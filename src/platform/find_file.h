// Searching a directory for entries whose names match a wildcard pattern
// (* and ?, and [] sets). Entries come in the order the file system gives
// them, "." and ".." included; directories carry attribute bit 16.
#pragma once

#include <cstdint>

#include "foundation/export.h"

struct KAVRI_API kdiFileTime {
    std::uint32_t low;  // 100-nanosecond intervals since 1601-01-01, low word
    std::uint32_t high; // and high word
};

struct KAVRI_API kdiFindData {
    static constexpr int name_capacity = 260;

    std::uint32_t attributes; // KDI_FILE_ATTRIBUTE_DIRECTORY or _NORMAL
    kdiFileTime creation_time;
    kdiFileTime last_access_time;
    kdiFileTime last_write_time;
    std::uint32_t size_high;
    std::uint32_t size_low;
    std::uint32_t reserved0;
    std::uint32_t reserved1;
    wchar_t file_name[name_capacity];
    wchar_t alternate_name[14];
};

// path_pattern is a directory, a separator ('/' or '\\') and a pattern;
// without a separator the pattern applies to the current directory. Returns
// a search handle and the first match in *data, or the invalid handle value
// (kdiInvalidHandleValue) when nothing matches.
KAVRI_API void* kdiFindFirstFileW(const wchar_t* path_pattern, kdiFindData* data);
// The next match; 0 at the end of the search.
KAVRI_API int kdiFindNextFileW(void* search, kdiFindData* data);
KAVRI_API int kdiFindClose(void* search);
