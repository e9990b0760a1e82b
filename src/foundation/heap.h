// The library's memory routines. Every allocation of the library goes
// through KD_AllocateMemory / KD_ReleaseMemory, which call a replaceable
// table of six heap functions; a host installs its own allocator with
// KD_Set_Heap_Functions before it creates any library object.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/export.h"
#include "platform/lock.h"

// One free-list size class of a heap: element size in 4-byte units and the
// number of elements that fit a 4064-byte block.
struct KAVRI_API KT_Heap_Size_Class {
    void* free_list;
    std::int32_t element_units;
    std::int32_t elements_per_block;
};

// The default heap object. The default allocate takes memory from malloc
// whatever the heap, so the size classes and block list only describe the
// layout a host's own heap functions may use.
struct KAVRI_API KavriHeap {
    static constexpr int size_class_count = 33;

    KavriHeap();
    ~KavriHeap();
    KavriHeap(const KavriHeap&) = delete;
    KavriHeap& operator=(const KavriHeap&) = delete;

    KT_Heap_Size_Class size_classes[size_class_count];
    void* block_head;
    void* block_tail;
    std::int32_t freeing_enabled;
    kdiCriticalSection lock;
};

using KT_Create_Heap_Function = void* (*)();
using KT_Destroy_Heap_Function = void (*)(void* heap);
using KT_Allocate_Function = void* (*)(std::size_t size, void* heap);
using KT_Release_Function = void (*)(void* p, void* heap);
using KT_Freeing_Function = void (*)(void* heap);

struct KAVRI_API KT_Heap_Functions {
    KT_Create_Heap_Function create_heap;
    KT_Destroy_Heap_Function destroy_heap;
    KT_Allocate_Function allocate;
    KT_Release_Function release;
    KT_Freeing_Function enable_freeing;
    KT_Freeing_Function disable_freeing;
};

KAVRI_API void* KD_AllocateMemory(std::uint64_t size, KavriHeap* heap = nullptr);
KAVRI_API void KD_ReleaseMemory(void* p);
KAVRI_API KavriHeap* KD_Create_KavriHeap();
KAVRI_API void KD_Destroy_KavriHeap(KavriHeap* heap);
KAVRI_API void KD_Disable_KavriHeap_Freeing(KavriHeap* heap);
KAVRI_API void KD_Enable_KavriHeap_Freeing(KavriHeap* heap);

// Replaces create, destroy, allocate and release, and clears enable and
// disable freeing, so that afterwards the freeing routines do nothing.
KAVRI_API void KD_Set_Heap_Functions(KT_Create_Heap_Function create,
                                     KT_Destroy_Heap_Function destroy,
                                     KT_Allocate_Function allocate, KT_Release_Function release);

// The current table (read-only view, for hosts and tests).
KAVRI_API const KT_Heap_Functions& KD_Heap_Functions();

// Restores the six default entries. Meant for tests that install their own
// functions and must leave the library as they found it.
KAVRI_API void KD_Restore_Default_Heap_Functions();

// count elements of T from KD_AllocateMemory; null when their byte size
// does not fit a size_t (it would wrap to a small block).
template <class T> T* KD_Allocate_Elements(std::size_t count) {
    if (count > SIZE_MAX / sizeof(T)) return nullptr;
    return static_cast<T*>(KD_AllocateMemory(count * sizeof(T)));
}

// Owns a block from KD_AllocateMemory and releases it on every path.
template <class T> class KT_Scratch {
public:
    KT_Scratch() = default;
    explicit KT_Scratch(std::size_t count) : data_(KD_Allocate_Elements<T>(count)) {}
    ~KT_Scratch() { KD_ReleaseMemory(data_); }
    KT_Scratch(const KT_Scratch&) = delete;
    KT_Scratch& operator=(const KT_Scratch&) = delete;

    T* get() const { return data_; }
    T& operator[](std::size_t i) const { return data_[i]; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    T* data_ = nullptr;
};

// A scratch array that lives on the stack up to N elements and on the
// library heap beyond.
template <class T, std::size_t N> class KT_Stack_Scratch {
public:
    explicit KT_Stack_Scratch(std::size_t count)
        : data_(count <= N ? local_ : KD_Allocate_Elements<T>(count)) {}
    ~KT_Stack_Scratch() {
        if (data_ != local_) KD_ReleaseMemory(data_);
    }
    KT_Stack_Scratch(const KT_Stack_Scratch&) = delete;
    KT_Stack_Scratch& operator=(const KT_Stack_Scratch&) = delete;

    T* get() const { return data_; }
    T& operator[](std::size_t i) const { return data_[i]; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    T local_[N];
    T* data_;
};
