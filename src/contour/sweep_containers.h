// The sweep's containers draw their memory from the library heap.
#pragma once

#include <vector>

#include "foundation/heap_allocator.h"

namespace kavri_contour {

template <class T> using Heap_Allocator = KT_Heap_Allocator<T>;
template <class T> using Vector = std::vector<T, Heap_Allocator<T>>;

} // namespace kavri_contour
