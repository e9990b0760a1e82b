// Re-entrant lock with explicit init / enter / leave / delete, the shape
// library code written for critical sections expects. Initialising does not
// allocate, so locks can be set up before the heap functions exist.
#pragma once

#include <cstddef>

#include "foundation/export.h"

struct KAVRI_API kdiCriticalSection {
    alignas(std::max_align_t) unsigned char storage[64];
};

KAVRI_API void kdiInitializeCriticalSection(kdiCriticalSection* section);
KAVRI_API void kdiDeleteCriticalSection(kdiCriticalSection* section);
KAVRI_API void kdiEnterCriticalSection(kdiCriticalSection* section);
KAVRI_API void kdiLeaveCriticalSection(kdiCriticalSection* section);

// Enters on construction, leaves on destruction.
class KAVRI_API kdiLockGuard {
public:
    explicit kdiLockGuard(kdiCriticalSection* section) : section_(section) {
        kdiEnterCriticalSection(section_);
    }
    ~kdiLockGuard() { kdiLeaveCriticalSection(section_); }
    kdiLockGuard(const kdiLockGuard&) = delete;
    kdiLockGuard& operator=(const kdiLockGuard&) = delete;

private:
    kdiCriticalSection* section_;
};
