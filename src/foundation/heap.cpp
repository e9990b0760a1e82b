#include "foundation/heap.h"

#include <cstdlib>
#include <new>

KavriHeap::KavriHeap() : block_head(nullptr), block_tail(nullptr), freeing_enabled(1) {
    size_classes[0] = {nullptr, 0, 0};
    for (int i = 1; i < size_class_count; ++i)
        size_classes[i] = {nullptr, i, 4064 / (4 * i)};
    kdiInitializeCriticalSection(&lock);
}

KavriHeap::~KavriHeap() { kdiDeleteCriticalSection(&lock); }

namespace {

// The process-wide default heap: built once, on first use, destroyed when
// the library unloads. It lives in static storage because allocating it
// would recurse into the allocator that asks for it.
KavriHeap& default_heap() {
    static KavriHeap heap;
    return heap;
}

void* default_create_heap() {
    void* memory = KD_AllocateMemory(sizeof(KavriHeap));
    return memory ? new (memory) KavriHeap() : nullptr;
}

void default_destroy_heap(void* heap) {
    if (!heap) return;
    auto* h = static_cast<KavriHeap*>(heap);
    {
        kdiLockGuard guard(&h->lock);
        // The default allocate never adds blocks; the list only needs emptying.
        h->block_head = nullptr;
        h->block_tail = nullptr;
    }
    h->~KavriHeap();
    KD_ReleaseMemory(h);
}

void* default_allocate(std::size_t size, void* heap) {
    if (!heap) default_heap();
    return std::malloc(size);
}

void default_release(void* p, void*) {
    if (p) std::free(p);
}

void default_enable_freeing(void* heap) {
    if (heap) static_cast<KavriHeap*>(heap)->freeing_enabled = 1;
}

void default_disable_freeing(void* heap) {
    if (heap) static_cast<KavriHeap*>(heap)->freeing_enabled = 0;
}

constexpr KT_Heap_Functions default_functions = {
    default_create_heap,    default_destroy_heap,   default_allocate,
    default_release,        default_enable_freeing, default_disable_freeing,
};

// Constant-initialised: the table is valid before any dynamic initialiser
// of any translation unit runs, so library objects with static storage may
// allocate no matter in which order their files are initialised.
constinit KT_Heap_Functions heap_functions = default_functions;

} // namespace

void* KD_AllocateMemory(std::uint64_t size, KavriHeap* heap) {
    return heap_functions.allocate(static_cast<std::size_t>(size), heap);
}

void KD_ReleaseMemory(void* p) { heap_functions.release(p, nullptr); }

KavriHeap* KD_Create_KavriHeap() { return static_cast<KavriHeap*>(heap_functions.create_heap()); }

void KD_Destroy_KavriHeap(KavriHeap* heap) { heap_functions.destroy_heap(heap); }

void KD_Disable_KavriHeap_Freeing(KavriHeap* heap) {
    if (heap_functions.disable_freeing) heap_functions.disable_freeing(heap);
}

void KD_Enable_KavriHeap_Freeing(KavriHeap* heap) {
    if (heap_functions.enable_freeing) heap_functions.enable_freeing(heap);
}

void KD_Set_Heap_Functions(KT_Create_Heap_Function create, KT_Destroy_Heap_Function destroy,
                           KT_Allocate_Function allocate, KT_Release_Function release) {
    heap_functions.create_heap = create;
    heap_functions.destroy_heap = destroy;
    heap_functions.allocate = allocate;
    heap_functions.release = release;
    heap_functions.enable_freeing = nullptr;
    heap_functions.disable_freeing = nullptr;
}

const KT_Heap_Functions& KD_Heap_Functions() { return heap_functions; }

void KD_Restore_Default_Heap_Functions() { heap_functions = default_functions; }
