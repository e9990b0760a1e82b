#include <gtest/gtest.h>

#include <vector>

#include "z_buffer_stack.h"

namespace {

using namespace szb_test;

TEST(ZBufferClearTest, ClearingPaintsExactlyTheHardClipInTheBackground) {
    Z_Buffer_Stack stack(window);
    stack.rendition().set_hard_clip({0, 9, 0, 4}, false);
    KD_Action_Clear_Drawing_Buffer(stack.top(), &stack.rendition());
    int painted = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool inside = x <= 9 && y <= 4;
            painted += same(stack.pixel(x, y), white);
            EXPECT_TRUE(same(stack.pixel(x, y), inside ? white : untouched))
                << "pixel (" << x << ", " << y << ")";
        }
    EXPECT_EQ(painted, 10 * 5);
}

TEST(ZBufferClearTest, ClearingDepthLetsFartherRowsDrawAgain) {
    Z_Buffer_Stack stack(window);
    stack.flat_row(0, 15, 2, 10, white);
    KD_Action_Clear_Z_Buffer(stack.top(), &stack.rendition());
    stack.flat_row(0, 15, 2, 60000, red);
    EXPECT_TRUE(same(stack.pixel(4, 2), red));
    EXPECT_EQ(stack.depth(4, 2), 60000u);
}

TEST(ZBufferDepthImageTest, Depth16ImageSetsTheStoredDepth) {
    Z_Buffer_Stack stack(window);
    const KT_DCI_Point start = {3, 4, 0}, end = {4, 4, 0};
    const unsigned short depths[2] = {700, 800};
    KD_Action_Draw_DCI_Depth16_Image(stack.top(), &stack.rendition(), &start, &end, 0, depths);
    EXPECT_EQ(stack.depth(3, 4), 700u);
    EXPECT_EQ(stack.depth(4, 4), 800u);
    stack.flat_row(3, 4, 4, 750, red);
    EXPECT_TRUE(same(stack.pixel(3, 4), untouched)) << "750 lies behind the stored 700";
    EXPECT_TRUE(same(stack.pixel(4, 4), red)) << "750 lies in front of the stored 800";
}

TEST(ZBufferDepthImageTest, Depth32ImageKeepsTheTopSixteenBits) {
    Z_Buffer_Stack stack(window);
    const KT_DCI_Point at = {6, 1, 0};
    const std::uint32_t depth = 0x12345678;
    KD_Action_Draw_DCI_Depth32_Image(stack.top(), &stack.rendition(), &at, &at, 0, &depth);
    EXPECT_EQ(stack.depth(6, 1), 0x1234u);
}

TEST(ZBufferReadTest, ColourReadBackHoldsTheRectangleTopRowFirst) {
    Z_Buffer_Stack stack(window);
    stack.flat_row(2, 3, 5, 0, red);
    const KT_DCI_Point a = {2, 5, 0}, b = {3, 4, 0};
    const KT_Image_Format rgb32 = KT_Image_Format::RGB32;
    KT_Shared_Image out;
    KD_Action_Read_DCI_Color_Image(stack.top(), &stack.rendition(), &b, &a, &rgb32, &out);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out->width(), 2);
    EXPECT_EQ(out->height(), 2);
    const auto* top = reinterpret_cast<const KT_RGB32*>(out->row(0));
    const auto* bottom = reinterpret_cast<const KT_RGB32*>(out->row(1));
    EXPECT_TRUE(same(top[1], red));
    EXPECT_TRUE(same(bottom[0], untouched));
}

TEST(ZBufferReadTest, UnsupportedFormatsReadAsEmpty) {
    Z_Buffer_Stack stack(window);
    const KT_DCI_Point a = {0, 7, 0}, b = {15, 0, 0};
    const KT_Image_Format gray = KT_Image_Format::Gray8;
    KT_Shared_Image colour_out(KT_Shared_Image(1, 1, KT_Image_Format::RGB32, 4, nullptr, true));
    KT_Shared_Image depth_out(KT_Shared_Image(1, 1, KT_Image_Format::RGB32, 4, nullptr, true));
    KD_Action_Read_DCI_Color_Image(stack.top(), &stack.rendition(), &a, &b, &gray, &colour_out);
    KD_Action_Read_DCI_Depth_Image(stack.top(), &stack.rendition(), &a, &b, &gray, &depth_out);
    EXPECT_TRUE(colour_out.empty());
    EXPECT_TRUE(depth_out.empty());
}

TEST(ZBufferOptionsTest, RenditionsOfTheRendererAreDepthBuffered) {
    Z_Buffer_Stack stack(window);
    EXPECT_EQ(stack.renderer()->current_renderer_options.buffer_depth(), 16);
    EXPECT_TRUE(stack.rendition().transform().depth_buffer);
}

} // namespace
