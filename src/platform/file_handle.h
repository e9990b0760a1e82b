// Files opened by path and read or written as raw bytes through handles.
// A handle is an opaque pointer; kdiInvalidHandleValue() marks failure.
#pragma once

#include <cstdint>

#include "foundation/export.h"

inline constexpr std::uint32_t KDI_GENERIC_READ = 0x80000000u;
inline constexpr std::uint32_t KDI_GENERIC_WRITE = 0x40000000u;

// Creation dispositions.
inline constexpr std::uint32_t KDI_CREATE_NEW = 1;        // fails when the file exists
inline constexpr std::uint32_t KDI_CREATE_ALWAYS = 2;     // creates or truncates
inline constexpr std::uint32_t KDI_OPEN_EXISTING = 3;     // fails when the file is missing
inline constexpr std::uint32_t KDI_OPEN_ALWAYS = 4;       // opens or creates
inline constexpr std::uint32_t KDI_TRUNCATE_EXISTING = 5; // opens and truncates

inline constexpr std::uint32_t KDI_FILE_ATTRIBUTE_DIRECTORY = 16;
inline constexpr std::uint32_t KDI_FILE_ATTRIBUTE_NORMAL = 128;

inline void* kdiInvalidHandleValue() {
    return reinterpret_cast<void*>(~std::uintptr_t{0});
}

// Sharing, security and template arguments are accepted and ignored: the
// host has no such notions. Failure gives the invalid handle value and
// leaves the reason for kdiGetLastError.
KAVRI_API void* kdiCreateFileW(const wchar_t* path, std::uint32_t access, std::uint32_t share_mode,
                               void* security, std::uint32_t disposition, std::uint32_t attributes,
                               void* template_file);
// Transfer up to count bytes and report how many moved in *done (which may
// be null); non-zero on success, 0 on failure. Reading at the end of the
// file succeeds with 0 bytes.
KAVRI_API int kdiReadFile(void* handle, void* buffer, std::uint32_t count, std::uint32_t* done);
KAVRI_API int kdiWriteFile(void* handle, const void* buffer, std::uint32_t count,
                           std::uint32_t* done);
KAVRI_API int kdiCloseHandle(void* handle);
