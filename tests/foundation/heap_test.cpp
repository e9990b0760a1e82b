#include "foundation/heap.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

int host_allocations = 0;
int host_releases = 0;

void* host_create() {
    return nullptr;
}
void host_destroy(void*) {}
void* host_allocate(std::size_t size, void*) {
    ++host_allocations;
    return std::malloc(size);
}
void host_release(void* p, void*) {
    ++host_releases;
    std::free(p);
}

class HostHeap : public ::testing::Test {
protected:
    void TearDown() override { KD_Restore_Default_Heap_Functions(); }
};

TEST_F(HostHeap, AllocationsGoThroughTheInstalledFunctions) {
    KD_Set_Heap_Functions(host_create, host_destroy, host_allocate, host_release);
    host_allocations = host_releases = 0;
    void* p = KD_AllocateMemory(40);
    KD_ReleaseMemory(p);
    EXPECT_EQ(host_allocations, 1);
    EXPECT_EQ(host_releases, 1);
}

TEST_F(HostHeap, FreeingRoutinesDoNothingAfterReplacement) {
    KavriHeap* heap = KD_Create_KavriHeap();
    ASSERT_NE(heap, nullptr);
    KD_Disable_KavriHeap_Freeing(heap);
    EXPECT_EQ(heap->freeing_enabled, 0);
    KD_Enable_KavriHeap_Freeing(heap);
    EXPECT_EQ(heap->freeing_enabled, 1);

    KD_Set_Heap_Functions(host_create, host_destroy, host_allocate, host_release);
    EXPECT_EQ(KD_Heap_Functions().enable_freeing, nullptr);
    EXPECT_EQ(KD_Heap_Functions().disable_freeing, nullptr);
    KD_Disable_KavriHeap_Freeing(heap);
    EXPECT_EQ(heap->freeing_enabled, 1);

    KD_Restore_Default_Heap_Functions();
    KD_Destroy_KavriHeap(heap);
}

TEST(DefaultHeap, SizeClassesAndNullRelease) {
    KavriHeap* heap = KD_Create_KavriHeap();
    EXPECT_EQ(heap->size_classes[0].element_units, 0);
    EXPECT_EQ(heap->size_classes[1].elements_per_block, 1016);
    EXPECT_EQ(heap->size_classes[32].elements_per_block, 31);
    EXPECT_EQ(heap->freeing_enabled, 1);
    KD_Destroy_KavriHeap(heap);
    KD_Destroy_KavriHeap(nullptr);
    KD_ReleaseMemory(nullptr);
}

TEST(Scratch, StackUpToLimitHeapBeyond) {
    KT_Stack_Scratch<int, 8> small(8);
    KT_Stack_Scratch<int, 8> large(9);
    small[7] = 1;
    large[8] = 2;
    EXPECT_EQ(small[7], 1);
    EXPECT_EQ(large[8], 2);

    // Counts whose byte size wraps must not yield a tiny block.
    const std::size_t wrapping = std::size_t{1} << 62;
    EXPECT_FALSE(KT_Scratch<std::uint32_t>(wrapping));
    EXPECT_FALSE((KT_Stack_Scratch<std::uint32_t, 8>(wrapping)));
}

} // namespace
