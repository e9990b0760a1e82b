// The sweep's containers draw their memory from the library heap; the
// active lines' tree nodes come from a pool the workspace keeps, so that a
// warm workspace sweeps without allocating a node.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/heap_allocator.h"

namespace kavri_contour {

template <class T> using Heap_Allocator = KT_Heap_Allocator<T>;
template <class T> using Vector = std::vector<T, Heap_Allocator<T>>;

// Blocks of one small size, carved from chunks of the library heap and
// recycled through a free list; chunks go back when the pool does.
class Node_Pool {
public:
    static constexpr std::size_t block_size = 48; // a tree node of a 32-bit key

    Node_Pool() = default;
    Node_Pool(const Node_Pool&) = delete;
    Node_Pool& operator=(const Node_Pool&) = delete;
    ~Node_Pool();

    void* take();
    void give(void* block);

private:
    struct Free_Block {
        Free_Block* next;
    };
    static constexpr std::size_t blocks_per_chunk = 256;
    Free_Block* free_ = nullptr;
    Vector<void*> chunks_;
};

// Single objects that fit a block come from the pool; anything else (and
// everything when there is no pool) from the heap.
template <class T> struct Pool_Allocator {
    using value_type = T;

    explicit Pool_Allocator(Node_Pool* p = nullptr) : pool(p) {}
    template <class U> Pool_Allocator(const Pool_Allocator<U>& other) : pool(other.pool) {}

    T* allocate(std::size_t n) {
        if (pooled(n)) return static_cast<T*>(pool->take());
        return Heap_Allocator<T>().allocate(n);
    }
    void deallocate(T* p, std::size_t n) {
        if (pooled(n))
            pool->give(p);
        else
            Heap_Allocator<T>().deallocate(p, n);
    }
    template <class U> bool operator==(const Pool_Allocator<U>& other) const {
        return pool == other.pool;
    }

    Node_Pool* pool;

private:
    bool pooled(std::size_t n) const {
        return pool && n == 1 && sizeof(T) <= Node_Pool::block_size &&
               alignof(T) <= alignof(std::max_align_t);
    }
};

// Sorts items by key(item), a whole number below key_count, then each run
// of one key by less: the keys are point or edge ids, so counting them
// takes two linear passes where a comparison sort of the whole would take
// twenty. first[k] is left at the start of key k's run; scratch is spare.
template <class T, class Key, class Less>
void sort_by_id(Vector<T>& items, Vector<T>& scratch, Vector<std::int32_t>& first,
                std::int32_t key_count, Key key, Less less) {
    first.assign(static_cast<std::size_t>(key_count) + 1, 0);
    for (const T& item : items)
        ++first[key(item) + 1];
    for (std::int32_t k = 0; k < key_count; ++k)
        first[k + 1] += first[k];
    scratch.resize(items.size());
    for (const T& item : items)
        scratch[first[key(item)]++] = item;
    // Each start moved to the end of its run: shift them back.
    for (std::int32_t k = key_count; k > 0; --k)
        first[k] = first[k - 1];
    first[0] = 0;
    items.swap(scratch);
    for (std::int32_t k = 0; k < key_count; ++k)
        if (first[k + 1] - first[k] > 1)
            std::sort(items.begin() + first[k], items.begin() + first[k + 1], less);
}

} // namespace kavri_contour
