// Installs heap functions whose allocate always fails, for as long as the
// guard lives, then restores the defaults.
#pragma once

#include "foundation/heap.h"

class Refusing_Heap {
public:
    Refusing_Heap() { KD_Set_Heap_Functions(create, destroy, allocate, release); }
    ~Refusing_Heap() { KD_Restore_Default_Heap_Functions(); }
    Refusing_Heap(const Refusing_Heap&) = delete;
    Refusing_Heap& operator=(const Refusing_Heap&) = delete;

private:
    static void* create() { return nullptr; }
    static void destroy(void*) {}
    static void* allocate(std::size_t, void*) { return nullptr; }
    static void release(void*, void*) {}
};
