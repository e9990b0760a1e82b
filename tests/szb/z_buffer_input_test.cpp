#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "counting_heap.h"
#include "z_buffer_stack.h"

namespace {

using namespace szb_test;

KT_Shared_Image blank(int width, int height, KT_Image_Format format) {
    KT_Shared_Image image(width, height, format, 4, nullptr, true);
    std::memset(image->pixels(), 0, static_cast<std::size_t>(image->byte_size()));
    return image;
}

TEST(ZBufferInputTest, ColourBufferThatDoesNotFitTheWindowIsNotDrawnInto) {
    const struct {
        const char* name;
        KT_Shared_Image buffer;
    } cases[] = {{"smaller than the window", blank(8, 8, KT_Image_Format::RGB32)},
                 {"not a colour format", blank(16, 8, KT_Image_Format::Depth32)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Z_Buffer_Stack stack(window, false, new Plain_Device, c.buffer);
        stack.flat_row(0, 7, 0, 0, red);
        EXPECT_TRUE(all_zero(*c.buffer));
    }
}

TEST(ZBufferInputTest, EmptyWindowDrawsAndReadsNothing) {
    for (KT_Int_XY size : {KT_Int_XY{0, 8}, KT_Int_XY{16, 0}, KT_Int_XY{-4, -4}}) {
        SCOPED_TRACE("window " + std::to_string(size.x) + " x " + std::to_string(size.y));
        KT_Shared_Image colour = blank(16, 8, KT_Image_Format::RGB32);
        Z_Buffer_Stack stack({{0, 0}, size}, false, new Plain_Device, colour);
        stack.flat_row(0, 7, 0, 0, red);
        KD_Action_Clear_Drawing_Buffer(stack.top(), &stack.rendition());
        EXPECT_TRUE(all_zero(*colour));
        EXPECT_TRUE(stack.depth_image().empty());
    }
}

TEST(ZBufferInputTest, MissingArgumentsDrawNothing) {
    KT_Shared_Image colour = blank(16, 8, KT_Image_Format::RGB32);
    Z_Buffer_Stack stack(window, false, new Plain_Device, colour);
    const KT_DCI_Point start = {0, 0, 0}, end = {3, 0, 0};
    const KT_RGB32 pixels[4] = {red, red, red, red};
    KD_Action_Draw_DCI_RGB32_Image(stack.top(), nullptr, &start, &end, 0, nullptr, 256, nullptr);
    KD_Action_Draw_DCI_RGB32_Image(stack.top(), nullptr, nullptr, &end, 0, pixels, 256, nullptr);
    KD_Action_Draw_DCI_RGB32_Image(stack.top(), nullptr, &start, nullptr, 0, pixels, 256, nullptr);
    KD_Action_Draw_DCI_Depth16_Image(stack.top(), nullptr, &start, &end, 0, nullptr);
    KD_Action_Read_DCI_Color_Image(stack.top(), nullptr, &start, &end, nullptr, nullptr);
    EXPECT_TRUE(all_zero(*colour));
}

TEST(ZBufferInputTest, BackwardOrFarAwayRectanglesDrawNothing) {
    KT_Shared_Image colour = blank(16, 8, KT_Image_Format::RGB32);
    Z_Buffer_Stack stack(window, false, new Plain_Device, colour);
    const KT_RGB32 pixels[4] = {red, red, red, red};
    stack.image({5, 2, 0}, {2, 2, 0}, pixels); // right of its end
    stack.image({2, 2, 0}, {3, 3, 0}, pixels); // top below bottom
    stack.image({INT_MAX - 1, 3, 0}, {INT_MAX, 3, 0}, pixels);
    stack.image({INT_MIN, 3, 0}, {INT_MIN + 1, 3, 0}, pixels);
    stack.image({0, INT_MIN, 0}, {1, INT_MIN, 0}, pixels);
    EXPECT_TRUE(all_zero(*colour));
}

TEST(ZBufferInputTest, DepthsOutsideTheRangeAreClampedIntoIt) {
    Z_Buffer_Stack stack(window);
    stack.flat_row(0, 1, 0, -5000, red);
    stack.flat_row(2, 3, 0, INT_MAX, red);
    EXPECT_EQ(stack.depth(0, 0), 0u);
    EXPECT_EQ(stack.depth(2, 0), far_depth);
}

TEST(ZBufferMemoryTest, DrawingTakesNothingFromTheHeap) {
    const Window wide = {{0, 0}, {6000, 2}};
    Z_Buffer_Stack stack(wide, true);
    std::vector<KT_RGB32> pixels(6000, red);
    const KT_Packing other(0x00010203);
    Counting_Heap heap;
    KD_Action_Clear_Drawing_Buffer(stack.top(), &stack.rendition());
    KD_Action_Clear_Z_Buffer(stack.top(), &stack.rendition());
    stack.row(0, 5999, 0, 0, 9000, pixels);
    stack.image({0, 1, 5}, {5999, 1, 5}, pixels.data(), 0, other);
    EXPECT_EQ(Counting_Heap::allocations(), 0);
}

} // namespace
