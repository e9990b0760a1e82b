#include "platform/lock.h"

#include <mutex>
#include <new>

namespace {

std::recursive_mutex* as_mutex(kdiCriticalSection* section) {
    return std::launder(reinterpret_cast<std::recursive_mutex*>(section->storage));
}

static_assert(sizeof(std::recursive_mutex) <= sizeof(kdiCriticalSection::storage));
static_assert(alignof(std::recursive_mutex) <= alignof(kdiCriticalSection));

} // namespace

void kdiInitializeCriticalSection(kdiCriticalSection* section) {
    new (section->storage) std::recursive_mutex();
}

void kdiDeleteCriticalSection(kdiCriticalSection* section) {
    as_mutex(section)->~recursive_mutex();
}

void kdiEnterCriticalSection(kdiCriticalSection* section) { as_mutex(section)->lock(); }

void kdiLeaveCriticalSection(kdiCriticalSection* section) { as_mutex(section)->unlock(); }
