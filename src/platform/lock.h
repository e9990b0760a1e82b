// Re-entrant lock with explicit init / enter / leave / delete, the shape
// library code written for critical sections expects. Initialising does not
// allocate, so locks can be set up before the heap functions exist.
#pragma once

#include <cstddef>

struct kdiCriticalSection {
    alignas(std::max_align_t) unsigned char storage[64];
};

void kdiInitializeCriticalSection(kdiCriticalSection* section);
void kdiDeleteCriticalSection(kdiCriticalSection* section);
void kdiEnterCriticalSection(kdiCriticalSection* section);
void kdiLeaveCriticalSection(kdiCriticalSection* section);

// Enters on construction, leaves on destruction.
class kdiLockGuard {
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
