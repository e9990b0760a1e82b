// Installs heap functions whose allocate fails, after the first `allowed`
// requests, for as long as the guard lives, then restores the defaults.
// Blocks allocated before it are still released normally.
#pragma once

#include <cstdlib>

#include "foundation/heap.h"

class Refusing_Heap {
public:
    explicit Refusing_Heap(int allowed = 0) {
        remaining() = allowed;
        KD_Set_Heap_Functions(create, destroy, allocate, release);
    }
    ~Refusing_Heap() { KD_Restore_Default_Heap_Functions(); }
    Refusing_Heap(const Refusing_Heap&) = delete;
    Refusing_Heap& operator=(const Refusing_Heap&) = delete;

private:
    static int& remaining() {
        static int count = 0;
        return count;
    }
    static void* create() { return nullptr; }
    static void destroy(void*) {}
    static void* allocate(std::size_t size, void*) {
        return remaining()-- > 0 ? std::malloc(size) : nullptr;
    }
    static void release(void* p, void*) { std::free(p); }
};
