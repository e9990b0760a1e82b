#include "foundation/global.h"
#include "foundation/heap.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include "refusing_heap.h"

namespace {

TEST(HostHeap, AllocationsGoThroughTheInstalledFunctions) {
    Refusing_Heap counting(INT_MAX);
    KD_ReleaseMemory(KD_AllocateMemory(40));
    KD_ReleaseMemory(nullptr);
    EXPECT_EQ(Refusing_Heap::allocations, 1);
    EXPECT_EQ(Refusing_Heap::releases, 1);
    {
        Kavri_Global global;
        EXPECT_EQ(Refusing_Heap::allocations, 1) << "nothing is allocated until modules load";
        global.loaded_modules = new System_Info;
        global.loaded_modules->append(new DLL_Info);
        EXPECT_EQ(Refusing_Heap::allocations, 4);
    }
    EXPECT_EQ(Refusing_Heap::releases, 4) << "and the module records are freed";
}

TEST(HostHeap, FreeingRoutinesDoNothingAfterReplacement) {
    KavriHeap* heap = KD_Create_KavriHeap();
    ASSERT_NE(heap, nullptr);
    EXPECT_EQ(heap->size_classes[1].elements_per_block, 1016);
    EXPECT_EQ(heap->size_classes[32].elements_per_block, 31);
    KD_Disable_KavriHeap_Freeing(heap);
    EXPECT_EQ(heap->freeing_enabled, 0);
    KD_Enable_KavriHeap_Freeing(heap);
    EXPECT_EQ(heap->freeing_enabled, 1);
    {
        Refusing_Heap host(INT_MAX);
        EXPECT_EQ(KD_Heap_Functions().enable_freeing, nullptr);
        EXPECT_EQ(KD_Heap_Functions().disable_freeing, nullptr);
        KD_Disable_KavriHeap_Freeing(heap);
        EXPECT_EQ(heap->freeing_enabled, 1);
    }
    KD_Destroy_KavriHeap(heap);
    KD_Destroy_KavriHeap(nullptr);
}

TEST(Scratch, StackUpToLimitHeapBeyondAndNoWrappedSizes) {
    KT_Stack_Scratch<int, 8> small(8);
    KT_Stack_Scratch<int, 8> large(9);
    small[7] = 1;
    large[8] = 2;
    EXPECT_EQ(small[7], 1) << "the last element on the stack";
    EXPECT_EQ(large[8], 2) << "the last element on the heap";
    // Counts whose byte size wraps must not yield a tiny block.
    const std::size_t wrapping = std::size_t{1} << 62;
    EXPECT_FALSE(KT_Scratch<std::uint32_t>(wrapping));
    EXPECT_FALSE((KT_Stack_Scratch<std::uint32_t, 8>(wrapping)));
}

} // namespace
