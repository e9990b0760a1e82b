// A standard-library allocator over the library heap, so that standard
// containers the library keeps take their memory where everything else
// does.
#pragma once

#include <cstddef>
#include <new>

#include "foundation/heap.h"

template <class T> struct KT_Heap_Allocator {
    using value_type = T;

    KT_Heap_Allocator() = default;
    template <class U> KT_Heap_Allocator(const KT_Heap_Allocator<U>&) {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
        void* p = KD_AllocateMemory(n * sizeof(T));
        if (!p) throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) { KD_ReleaseMemory(p); }

    template <class U> bool operator==(const KT_Heap_Allocator<U>&) const { return true; }
};
