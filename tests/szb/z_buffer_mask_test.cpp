#include <gtest/gtest.h>

#include <vector>

#include "z_buffer_stack.h"

namespace {

using namespace szb_test;

// A square region with a square hole, inside the 16 x 8 window's left part.
KT_Contour_Set square_with_hole() {
    const KT_Point points[8] = {{1, 0, 0}, {9, 0, 0}, {9, 8, 0}, {1, 8, 0},
                                {3, 2, 0}, {3, 6, 0}, {7, 6, 0}, {7, 2, 0}};
    const int counts[2] = {4, 4};
    return KT_Contour_Set(2, counts, points, true);
}

void use_mask(Z_Buffer_Stack& stack, bool on) {
    stack.renderer()->options.find(L"Use Mask")->set(KT_Option_Value(on));
    stack.renderer()->establish();
}

void fill_window(Z_Buffer_Stack& stack, KT_RGB32 colour) {
    for (int y = 0; y < window.size.y; ++y)
        stack.flat_row(0, window.size.x - 1, y, 100, colour);
}

TEST(ZBufferMaskTest, WithUseMaskOnlyPixelsInTheComplexClipAreDrawn) {
    Z_Buffer_Stack stack(window);
    use_mask(stack, true);
    const KT_Contour_Set region = square_with_hole();
    stack.rendition().set_complex_clip(region, false);
    fill_window(stack, red);
    for (int y = 0; y < window.size.y; ++y)
        for (int x = 0; x < window.size.x; ++x) {
            const bool inside = region->point_inside(KT_Point{x + 0.5f, y + 0.5f, 0.0f});
            ASSERT_TRUE(same(stack.pixel(x, y), inside ? red : untouched))
                << "pixel (" << x << ", " << y << ") " << (inside ? "inside" : "outside");
            ASSERT_EQ(stack.depth(x, y), inside ? 100u : far_depth)
                << "depth at (" << x << ", " << y << ")";
        }
}

TEST(ZBufferMaskTest, WithoutUseMaskTheComplexClipIsLeftToTheLayersAbove) {
    Z_Buffer_Stack stack(window);
    stack.rendition().set_complex_clip(square_with_hole(), false);
    fill_window(stack, red);
    EXPECT_TRUE(same(stack.pixel(15, 7), red));
}

TEST(ZBufferMaskTest, ANewClipReplacesTheMask) {
    Z_Buffer_Stack stack(window);
    use_mask(stack, true);
    stack.rendition().set_complex_clip(square_with_hole(), false);
    fill_window(stack, red);
    const KT_Point right_half[4] = {{8, 0, 0}, {16, 0, 0}, {16, 8, 0}, {8, 8, 0}};
    stack.rendition().set_complex_clip(KT_Contour_Set(4, right_half, true), false);
    KD_Action_Clear_Z_Buffer(stack.top(), &stack.rendition());
    fill_window(stack, blue);
    EXPECT_TRUE(same(stack.pixel(12, 4), blue)) << "inside the new clip";
    EXPECT_TRUE(same(stack.pixel(2, 4), red)) << "outside the new clip, drawn under the old one";
}

} // namespace
