// Installs heap functions whose allocate fails, after the first `allowed`
// requests, for as long as the guard lives, then restores the defaults.
// Blocks allocated before it are still released normally. It also counts
// the allocations and (non-null) releases that pass through it.
#pragma once

#include <cstdlib>

#include "foundation/heap.h"

class Refusing_Heap {
public:
    explicit Refusing_Heap(int allowed = 0) {
        remaining = allowed;
        allocations = releases = 0;
        KD_Set_Heap_Functions(create, destroy, allocate, release);
    }
    ~Refusing_Heap() { KD_Restore_Default_Heap_Functions(); }
    Refusing_Heap(const Refusing_Heap&) = delete;
    Refusing_Heap& operator=(const Refusing_Heap&) = delete;

    static inline int allocations = 0;
    static inline int releases = 0;

private:
    static inline int remaining = 0;
    static void* create() { return nullptr; }
    static void destroy(void*) {}
    static void* allocate(std::size_t size, void*) {
        if (remaining-- <= 0) return nullptr;
        ++allocations;
        return std::malloc(size);
    }
    static void release(void* p, void*) {
        releases += p != nullptr;
        std::free(p);
    }
};
