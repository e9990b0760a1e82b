// The arrays of a geometry record are either referenced (the caller keeps
// them alive and unchanged) or copied and owned; one bit per array in the
// record's ownership word says which, so the record frees exactly what it
// owns.
#pragma once

#include <cstdint>
#include <cstring>

#include "foundation/heap.h"

namespace detail {

// Frees the array when the record owns it; the slot is left empty either way.
template <class T> void release_array(const T*& slot, std::uint32_t& owned, std::uint32_t bit) {
    if (owned & bit) KD_ReleaseMemory(const_cast<T*>(slot));
    owned &= ~bit;
    slot = nullptr;
}

// count elements copied from given, or zeroed when given is null; null for
// a count below 1 or when memory runs out.
template <class T> T* duplicate_elements(const T* given, std::int64_t count) {
    if (count < 1) return nullptr;
    T* fresh = KD_Allocate_Elements<T>(static_cast<std::size_t>(count));
    if (!fresh) return nullptr;
    const std::size_t bytes = sizeof(T) * static_cast<std::size_t>(count);
    if (given)
        std::memcpy(static_cast<void*>(fresh), given, bytes);
    else
        std::memset(static_cast<void*>(fresh), 0, bytes);
    return fresh;
}

// The copying rule: with copy, or without an array, the record allocates
// count elements (copying given when there is one) and owns them; otherwise
// it references given. The previous array is released first.
template <class T>
void store_array(const T*& slot, std::uint32_t& owned, std::uint32_t bit, const T* given,
                 std::int64_t count, bool copy) {
    release_array(slot, owned, bit);
    if (given && !copy) {
        slot = given;
        return;
    }
    slot = duplicate_elements(given, count);
    if (slot) owned |= bit;
}

// For a record's copy(): an owned array is duplicated so that both records
// own their own; a referenced one stays shared.
template <class T>
void duplicate_if_owned(const T*& slot, std::uint32_t& owned, std::uint32_t bit,
                        std::int64_t count) {
    if (!(owned & bit)) return;
    slot = duplicate_elements(slot, count);
    if (!slot) owned &= ~bit;
}

} // namespace detail
