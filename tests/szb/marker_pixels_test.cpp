// 3D polymarkers drawn through the render stack: the glyph's thin lines
// reach the z-buffer's image around the marker's device point, sized in
// pixels and depth tested like everything else.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "draw3d/transform_clip.h"
#include "geometry/point_set.h"
#include "renderer/render_stack.h"
#include "z_buffer_stack.h"

namespace {

using namespace szb_test;

constexpr int asterisk = 3;         // the diagonals of an X over the arms of a +
constexpr int marker_size = 12;     // half the marker's extent, in pixels
constexpr int diagonal_reach = 8;   // 45 / 64 of the size, rounded down
constexpr int beyond_the_glyph = 3; // pixels past an arm's tip that stay clear
constexpr int window_side = 64;
constexpr int large_window_side = 4 * window_side;
const KT_Point marker_point = {0.1f, -0.05f, 0.0f};

class Marker_Pixels : public ::testing::Test {
protected:
    // A cleared stack of width x height pixels; the marker point's device
    // position and depth are read from the same transform the action uses.
    void open(int width, int height) {
        KT_Int_XY origin = {0, 0}, size = {width, height};
        ASSERT_TRUE(stack.configure(origin, size));
        top = stack.renderer().body();
        rendition = KT_Rendition(top);
        KD_Action_Clear_Drawing_Buffer(top, &rendition);
        KD_Action_Clear_Z_Buffer(top, &rendition);
        rendition.set_color(red, false);
        rendition.modify_marker().marker_symbol = asterisk;
        rendition.modify_marker().marker_size = marker_size;
        KT_Point device;
        float w;
        short code;
        ASSERT_EQ(KD_Transform_And_Clip(&rendition, 1, &marker_point, &device, &w, &code, nullptr),
                  1)
            << "the marker point must lie inside the window";
        centre_x = static_cast<int>(std::lround(device.x));
        centre_y = static_cast<int>(std::lround(device.y));
        depth = device.z;
    }

    void draw_marker() {
        const KT_Polymarker marker(1, &marker_point, true);
        KD_Action_Draw_3D_Polymarker(top, &rendition, &marker);
    }

    // Device pixel (x, y); outside the window, the background.
    KT_RGB32 pixel(int x, int y) {
        const KT_Image_Data& image = *stack.image_data();
        if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return white;
        return reinterpret_cast<const KT_RGB32*>(image.reversed_rows()[y])[x];
    }

    // True when a pixel within one of (x, y) off the centre has colour:
    // the glyph's float ends round to whole pixels.
    bool near(int dx, int dy, KT_RGB32 colour) {
        for (int y = centre_y + dy - 1; y <= centre_y + dy + 1; ++y)
            for (int x = centre_x + dx - 1; x <= centre_x + dx + 1; ++x)
                if (same(pixel(x, y), colour)) return true;
        return false;
    }

    static std::string offset(int dx, int dy) {
        return "(" + std::to_string(dx) + ", " + std::to_string(dy) + ") off the centre";
    }

    szb_render_stack stack;
    const KT_Renderer_Data* top = nullptr;
    KT_Rendition rendition;
    int centre_x = 0;
    int centre_y = 0;
    float depth = 0;
};

TEST_F(Marker_Pixels, ArmsOfThePlusAreDrawnToTheirTips) {
    ASSERT_NO_FATAL_FAILURE(open(window_side, window_side));
    draw_marker();
    for (int reach : {marker_size / 2, marker_size}) {
        EXPECT_TRUE(near(reach, 0, red)) << "right arm " << offset(reach, 0);
        EXPECT_TRUE(near(-reach, 0, red)) << "left arm " << offset(-reach, 0);
        EXPECT_TRUE(near(0, reach, red)) << "upper arm " << offset(0, reach);
        EXPECT_TRUE(near(0, -reach, red)) << "lower arm " << offset(0, -reach);
    }
}

TEST_F(Marker_Pixels, DiagonalsOfTheXAreDrawnToTheirTips) {
    ASSERT_NO_FATAL_FAILURE(open(window_side, window_side));
    draw_marker();
    const int r = diagonal_reach;
    EXPECT_TRUE(near(r, r, red)) << "upper right " << offset(r, r);
    EXPECT_TRUE(near(-r, -r, red)) << "lower left " << offset(-r, -r);
    EXPECT_TRUE(near(-r, r, red)) << "upper left " << offset(-r, r);
    EXPECT_TRUE(near(r, -r, red)) << "lower right " << offset(r, -r);
}

TEST_F(Marker_Pixels, PixelsBetweenTheArmsStayClear) {
    ASSERT_NO_FATAL_FAILURE(open(window_side, window_side));
    draw_marker();
    const int along = marker_size / 2; // halfway out along an arm
    const int aside = 2;               // off the arm, yet far from the diagonals
    EXPECT_FALSE(near(along, aside, red)) << "beside the right arm " << offset(along, aside);
    EXPECT_FALSE(near(aside, -along, red)) << "beside the lower arm " << offset(aside, -along);
}

// The size is in pixels: a window four times larger does not grow the marker.
TEST_F(Marker_Pixels, ExtentIsTheSizeInPixelsWhateverTheWindow) {
    for (int side : {window_side, large_window_side}) {
        SCOPED_TRACE("window " + std::to_string(side) + " pixels square");
        ASSERT_NO_FATAL_FAILURE(open(side, side));
        draw_marker();
        const int past = marker_size + beyond_the_glyph;
        EXPECT_TRUE(near(marker_size, 0, red)) << "tip " << offset(marker_size, 0);
        EXPECT_FALSE(near(past, 0, red)) << "past the tip " << offset(past, 0);
        EXPECT_FALSE(near(0, -past, red)) << "past the tip " << offset(0, -past);
    }
}

// The glyph lines carry the marker's depth, so a nearer row hides them.
TEST_F(Marker_Pixels, ANearerRowHidesThePartOfTheMarkerBehindIt) {
    ASSERT_NO_FATAL_FAILURE(open(window_side, window_side));
    ASSERT_GT(depth, 1.0f) << "the marker must lie behind the nearest depth";
    const int row_y = centre_y;
    const int row_left = centre_x - marker_size;
    const int row_right = centre_x;
    std::vector<KT_RGB32> row(static_cast<std::size_t>(row_right - row_left + 1), blue);
    const KT_DCI_Point start = {row_left, row_y, 0}, end = {row_right, row_y, 0};
    const KT_Packing packing;
    KD_Action_Draw_DCI_RGB32_Image(top, &rendition, &start, &end, 0, row.data(), 256, &packing);
    draw_marker();
    const int half = marker_size / 2;
    EXPECT_TRUE(same(pixel(centre_x - half, row_y), blue)) << "under the row, left arm";
    EXPECT_TRUE(near(half + 1, 0, red)) << "right arm, beside the row";
}

} // namespace
