// A standard-library allocator over the library heap, so that the sweep's
// containers draw their memory where every other library block comes from.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

#include "foundation/heap.h"

namespace kavri_contour {

template <class T> struct Heap_Allocator {
    using value_type = T;
    Heap_Allocator() = default;
    template <class U> Heap_Allocator(const Heap_Allocator<U>&) {}
    T* allocate(std::size_t n) {
        void* p = KD_AllocateMemory(n * sizeof(T));
        if (!p) throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) { KD_ReleaseMemory(p); }
    template <class U> bool operator==(const Heap_Allocator<U>&) const { return true; }
};

template <class T> using Vector = std::vector<T, Heap_Allocator<T>>;

} // namespace kavri_contour
