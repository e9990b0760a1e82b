// How much memory is left, to size caches.
#pragma once

#include <cstdint>

#include "foundation/export.h"

// Memory load (percent), available physical bytes and available virtual
// bytes of the process. Uses the extended memory status and falls back to
// the older one; false, with nothing written, when neither answers.
KAVRI_API bool kdiGetGlobalMemoryStatusEx(std::uint32_t& load, std::uint64_t& available_physical,
                                          std::uint64_t& available_virtual);
