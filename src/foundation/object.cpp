#include "foundation/object.h"

#include "foundation/heap.h"

#include <new>

namespace {

// operator new cannot write into an object that is not yet constructed, so
// it leaves the size here and the constructor of the object it returned
// picks it up. Objects built anywhere else find no match and record 0.
struct Pending_Allocation {
    const void* block;
    std::uint64_t size;
};
thread_local Pending_Allocation pending = {nullptr, 0};

std::uint64_t take_pending_size(const void* self) {
    if (pending.block != self) return 0;
    pending.block = nullptr;
    return pending.size;
}

} // namespace

KT_Object::KT_Object() : allocation_size_(take_pending_size(this)) {}

KT_Object::KT_Object(const KT_Object&) : allocation_size_(take_pending_size(this)) {}

void* KT_Object::operator new(std::size_t size) {
    void* p = KD_AllocateMemory(size);
    // A throwing operator new may not return null: the object would then be
    // constructed at address 0.
    if (!p) throw std::bad_alloc();
    pending = {p, size};
    return p;
}

void KT_Object::operator delete(void* p) { KD_ReleaseMemory(p); }
