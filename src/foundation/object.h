// Root of every library class. Heap-allocated library objects come from the
// library heap and remember the size they were created with.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/export.h"

class KAVRI_API KT_Object {
public:
    KT_Object();
    KT_Object(const KT_Object&);
    KT_Object& operator=(const KT_Object&) { return *this; }
    virtual ~KT_Object() = default;

    static void* operator new(std::size_t size);
    static void operator delete(void* p);
    static void* operator new(std::size_t, void* where) { return where; }
    static void operator delete(void*, void*) {}

    // Bytes requested when the object was created with operator new; 0 for
    // objects built in place (members, stack objects).
    std::uint64_t allocation_size() const { return allocation_size_; }

private:
    std::uint64_t allocation_size_;
};
