#include "contour/sweep_containers.h"

#include "foundation/heap.h"

namespace kavri_contour {

Node_Pool::~Node_Pool() {
    for (void* chunk : chunks_)
        KD_ReleaseMemory(chunk);
}

void* Node_Pool::take() {
    if (!free_) {
        auto* chunk = static_cast<char*>(KD_AllocateMemory(block_size * blocks_per_chunk));
        if (!chunk) throw std::bad_alloc();
        chunks_.push_back(chunk);
        for (std::size_t k = blocks_per_chunk; k-- > 0;)
            give(chunk + k * block_size);
    }
    Free_Block* block = free_;
    free_ = block->next;
    return block;
}

void Node_Pool::give(void* block) {
    auto* b = static_cast<Free_Block*>(block);
    b->next = free_;
    free_ = b;
}

} // namespace kavri_contour
