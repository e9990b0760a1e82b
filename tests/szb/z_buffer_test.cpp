#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "reference_z_buffer.h"
#include "z_buffer_stack.h"

namespace {

using namespace szb_test;

// Ties rarely decide the final picture of the random comparison below, so
// the rule for them is checked here.
TEST(ZBufferDepthTest, EquallyNearRowReplacesWhatIsDrawn) {
    Z_Buffer_Stack stack(window);
    stack.flat_row(0, 15, 0, 500, red);
    stack.flat_row(0, 15, 0, 500, green);
    EXPECT_TRUE(same(stack.pixel(7, 0), green)) << text(stack.pixel(7, 0));
}

TEST(ZBufferPixelTest, OtherPackingIsReorderedToTheBuffersOrder) {
    Z_Buffer_Stack stack(window);
    // Stored bytes red, green, blue, alpha.
    const KT_Packing rgba(0x00010203);
    const std::uint8_t stored[4] = {200, 100, 50, 255};
    stack.image({0, 0, 0}, {0, 0, 0}, reinterpret_cast<const KT_RGB32*>(stored), 0, rgba);
    const KT_RGB32 drawn = stack.pixel(0, 0);
    EXPECT_EQ(drawn.r, 200);
    EXPECT_EQ(drawn.g, 100);
    EXPECT_EQ(drawn.b, 50);
}

// Random rows of several rows each, many of them reaching outside the
// window or the depth range, drawn by the module and by the per-pixel
// reference. Alpha is random either way: without blending it is stored as
// given, with it it weighs the mix.
void expect_same_as_reference(bool blending, std::uint32_t seed) {
    const Window odd_window = {{5, -3}, {64, 48}};
    Z_Buffer_Stack stack(odd_window, blending);
    Reference_Z_Buffer reference(odd_window.origin, odd_window.size, blending);
    std::mt19937 random(seed);
    auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int n = 0; n < 3000; ++n) {
        const int left = between(-40, 80), width = between(1, 140), y = between(-8, 50);
        const int rows = between(1, 3);
        std::vector<KT_RGB32> pixels(static_cast<std::size_t>(width * rows));
        for (KT_RGB32& p : pixels)
            p = {static_cast<std::uint8_t>(between(0, 255)),
                 static_cast<std::uint8_t>(between(0, 255)),
                 static_cast<std::uint8_t>(between(0, 255)),
                 static_cast<std::uint8_t>(between(0, 255))};
        const KT_DCI_Point start = {left, y, between(-200, 70000)};
        const KT_DCI_Point end = {left + width - 1, y - rows + 1, between(-200, 70000)};
        stack.image(start, end, pixels.data(), width * 4);
        reference.image(start, end, pixels.data(), width * 4);
    }
    KT_Shared_Image depths = stack.depth_image();
    ASSERT_FALSE(depths->is_empty());
    for (int y = odd_window.origin.y; y < odd_window.origin.y + odd_window.size.y; ++y)
        for (int x = odd_window.origin.x; x < odd_window.origin.x + odd_window.size.x; ++x) {
            const auto* depth_row = reinterpret_cast<const std::uint16_t*>(
                depths->reversed_rows()[y - odd_window.origin.y]);
            ASSERT_EQ(depth_row[x - odd_window.origin.x], reference.depth(x, y))
                << "depth at (" << x << ", " << y << ")";
            ASSERT_TRUE(same(stack.pixel(x, y), reference.colour(x, y)))
                << "colour at (" << x << ", " << y << "): " << text(stack.pixel(x, y))
                << " where the reference has " << text(reference.colour(x, y));
        }
}

// Rows far wider than any window step depth with an error term; their
// visible part must still follow the rule exactly.
TEST(ZBufferReferenceTest, VeryWideRowsMatchThePerPixelReference) {
    const Window odd_window = {{5, -3}, {64, 8}};
    Z_Buffer_Stack stack(odd_window);
    Reference_Z_Buffer reference(odd_window.origin, odd_window.size, false);
    std::mt19937 random(97531);
    auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int y = -3; y < 5; ++y) {
        // The first row climbs one depth step every two pixels, so the
        // error term reaches the step count exactly at every other pixel.
        const bool halving = y == -3;
        const int width = halving ? 2 * 65535 + 1 : between(70000, 300000);
        const int left = halving ? -65000 : between(-width + 10, 60);
        const std::vector<KT_RGB32> pixels(std::size_t(width),
                                           KT_RGB32{0, 0, std::uint8_t(y + 3), 255});
        const KT_DCI_Point start = {left, y, halving ? 0 : between(0, 65535)};
        const KT_DCI_Point end = {left + width - 1, y, halving ? 65535 : between(0, 65535)};
        stack.image(start, end, pixels.data());
        reference.image(start, end, pixels.data(), 0);
    }
    for (int y = -3; y < 5; ++y)
        for (int x = 5; x < 69; ++x)
            ASSERT_EQ(stack.depth(x, y), reference.depth(x, y))
                << "depth at (" << x << ", " << y << ")";
}

TEST(ZBufferReferenceTest, OpaqueRowsMatchThePerPixelReference) {
    expect_same_as_reference(false, 1234);
}

TEST(ZBufferReferenceTest, BlendedRowsMatchThePerPixelReference) {
    expect_same_as_reference(true, 5678);
}

} // namespace
