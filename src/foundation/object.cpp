#include "foundation/object.h"

#include "foundation/heap.h"

#include <new>

namespace {

// operator new cannot write into an object that is not yet constructed, so
// it leaves the size here and the constructor of the object it returned
// picks it up. Constructor arguments may allocate library objects of their
// own between the two steps, so several sizes wait at once, each found by
// its block. Objects built anywhere else find no match and record 0.
struct Pending_Allocation {
    const void* block;
    std::uint64_t size;
};
constexpr int pending_depth = 16; // deeper nesting than any constructor needs
thread_local Pending_Allocation pending[pending_depth] = {};
thread_local int pending_next = 0;

Pending_Allocation* pending_entry(const void* block) {
    if (!block) return nullptr;
    for (Pending_Allocation& entry : pending)
        if (entry.block == block) return &entry;
    return nullptr;
}

void remember_pending(const void* block, std::uint64_t size) {
    // A block freed before its constructor ran may come back at the same
    // address, so an entry for it is reused rather than duplicated.
    Pending_Allocation* entry = pending_entry(block);
    if (!entry) {
        entry = &pending[pending_next];
        pending_next = (pending_next + 1) % pending_depth;
    }
    *entry = {block, size};
}

std::uint64_t take_pending_size(const void* self) {
    Pending_Allocation* entry = pending_entry(self);
    if (!entry) return 0;
    entry->block = nullptr;
    return entry->size;
}

} // namespace

KT_Object::KT_Object() : allocation_size_(take_pending_size(this)) {}

KT_Object::KT_Object(const KT_Object&) : allocation_size_(take_pending_size(this)) {}

void* KT_Object::operator new(std::size_t size) {
    void* p = KD_AllocateMemory(size);
    // A throwing operator new may not return null: the object would then be
    // constructed at address 0.
    if (!p) throw std::bad_alloc();
    remember_pending(p, size);
    return p;
}

void KT_Object::operator delete(void* p) {
    // A constructor that threw leaves its size waiting.
    take_pending_size(p);
    KD_ReleaseMemory(p);
}
