// Counts the calls that reach the library's heap functions while it lives,
// passing each on to the functions installed before it.
#pragma once

#include <cstddef>

#include "foundation/heap.h"

class Counting_Heap {
public:
    Counting_Heap() : saved_(KD_Heap_Functions()) {
        previous() = saved_;
        allocations() = releases() = 0;
        bytes() = 0;
        KD_Set_Heap_Functions(saved_.create_heap, saved_.destroy_heap, allocate, release);
    }
    ~Counting_Heap() { KD_Restore_Default_Heap_Functions(); }
    Counting_Heap(const Counting_Heap&) = delete;
    Counting_Heap& operator=(const Counting_Heap&) = delete;

    static int& allocations() {
        static int n = 0;
        return n;
    }
    // Sum of the sizes asked for.
    static std::size_t& bytes() {
        static std::size_t n = 0;
        return n;
    }
    static int& releases() {
        static int n = 0;
        return n;
    }

private:
    static KT_Heap_Functions& previous() {
        static KT_Heap_Functions functions;
        return functions;
    }
    static void* allocate(std::size_t size, void* heap) {
        ++allocations();
        bytes() += size;
        return previous().allocate(size, heap);
    }
    static void release(void* p, void* heap) {
        releases() += p != nullptr;
        previous().release(p, heap);
    }

    KT_Heap_Functions saved_;
};
