// The memory status of the machine and of this process, used to size
// caches.
#pragma once

#include <cstdint>

#include "foundation/export.h"

// The extended record: length must be 64 before the call.
struct KAVRI_API kdiMemoryStatusEx {
    std::uint32_t length;
    std::uint32_t memory_load; // percent of physical memory in use
    std::uint64_t total_physical;
    std::uint64_t available_physical;
    std::uint64_t total_page_file; // physical memory plus swap
    std::uint64_t available_page_file;
    std::uint64_t total_virtual; // the process's address space, 2^47
    std::uint64_t available_virtual;
    std::uint64_t available_extended_virtual; // always 0
};
static_assert(sizeof(kdiMemoryStatusEx) == 64);

// The older record (length 56), with the same meanings.
struct KAVRI_API kdiMemoryStatus {
    std::uint32_t length;
    std::uint32_t memory_load;
    std::uint64_t total_physical;
    std::uint64_t available_physical;
    std::uint64_t total_page_file;
    std::uint64_t available_page_file;
    std::uint64_t total_virtual;
    std::uint64_t available_virtual;
};
static_assert(sizeof(kdiMemoryStatus) == 56);

inline constexpr std::uint64_t KDI_TOTAL_VIRTUAL = std::uint64_t{1} << 47;

// Non-zero on success; fails when the record's length is wrong or the
// system cannot be asked.
KAVRI_API int kdiGlobalMemoryStatusEx(kdiMemoryStatusEx* status);
KAVRI_API int kdiGlobalMemoryStatus(kdiMemoryStatus* status);
