// The drawing buffer as a whole: creating a frame buffer, clearing the hard
// clip, showing part of a frame buffer.
#include <gtest/gtest.h>

#include <vector>

#include "image/image_data.h"
#include "renderer/renderer_data.h"
#include "stage.h"

namespace {

using images_test::Stage;

// The triangles handed to the colorized polytriangle slot.
struct Strip {
    std::vector<KT_DCI_Point> points;
    KT_RGB32 colour = {};
    bool single_colour = false;
};
Strip last_strip;

void capture_strip(const KT_Renderer_Data*, const KT_Rendition*, int count,
                   const KT_DCI_Point* points, const KT_RGB32* colours, bool single) {
    last_strip.points.assign(points, points + count);
    last_strip.colour = colours[0];
    last_strip.single_colour = single;
}

// Whether the pixel centre lies strictly inside triangle a b c.
bool centre_inside(int x, int y, const KT_DCI_Point& a, const KT_DCI_Point& b,
                   const KT_DCI_Point& c) {
    const double px = x + 0.5, py = y + 0.5;
    const auto side = [&](const KT_DCI_Point& p, const KT_DCI_Point& q) {
        return (q.x - p.x) * (py - p.y) - (q.y - p.y) * (px - p.x);
    };
    const double s1 = side(a, b), s2 = side(b, c), s3 = side(c, a);
    return (s1 > 0 && s2 > 0 && s3 > 0) || (s1 < 0 && s2 < 0 && s3 < 0);
}

TEST(ClearDrawingBuffer, PaintsExactlyTheHardClipInTheBackgroundColour) {
    Stage stage;
    stage.device->set_action<KT_Slot_Draw_DCI_Colorized_Polytriangle>(&capture_strip);
    const KT_Int_Rectangle clip = {0, 9, 0, 4};
    stage.rendition.set_hard_clip(clip, false);
    const KT_RGB32 sky = {200, 150, 100, 255};
    stage.rendition.set_background_color(sky, false);
    last_strip = {};
    KD_Action_Clear_Drawing_Buffer(stage.device, &stage.rendition);

    ASSERT_EQ(last_strip.points.size(), 4u);
    EXPECT_TRUE(last_strip.single_colour);
    EXPECT_EQ(last_strip.colour.b, sky.b);
    EXPECT_EQ(last_strip.colour.r, sky.r);
    const std::vector<KT_DCI_Point>& p = last_strip.points;
    int covered = 0;
    for (int y = -2; y <= 7; ++y)
        for (int x = -2; x <= 12; ++x) {
            const int times =
                centre_inside(x, y, p[0], p[1], p[2]) + centre_inside(x, y, p[1], p[2], p[3]);
            const bool in_clip =
                x >= clip.left && x <= clip.right && y >= clip.bottom && y <= clip.top;
            EXPECT_EQ(times, in_clip ? 1 : 0) << "pixel " << x << "," << y;
            covered += times;
        }
    EXPECT_EQ(covered, 10 * 5);
}

TEST(ClearDrawingBuffer, AMappedDeviceIsClearedToThePaletteEntry) {
    Stage stage(KT_Color_System::Mapped);
    stage.device->set_action<KT_Slot_Draw_DCI_Colorized_Polytriangle>(&capture_strip);
    const KT_RGB32 between_entries = {10, 60, 200, 255};
    stage.rendition.set_background_color(between_entries, false);
    const KT_RGB32 entry = stage.rendition.color().background.device_rgb;
    last_strip = {};
    KD_Action_Clear_Drawing_Buffer(stage.device, &stage.rendition);
    ASSERT_EQ(last_strip.points.size(), 4u);
    EXPECT_EQ(last_strip.colour.b, entry.b);
    EXPECT_EQ(last_strip.colour.g, entry.g);
    EXPECT_EQ(last_strip.colour.r, entry.r);
    EXPECT_NE(entry.g, between_entries.g) << "the test colour must not be an entry itself";
}

TEST(ClearDrawingBuffer, AnEmptyHardClipDrawsNothing) {
    Stage stage;
    stage.device->set_action<KT_Slot_Draw_DCI_Colorized_Polytriangle>(&capture_strip);
    stage.rendition.set_hard_clip_unrestricted({5, 4, 0, 4}, false);
    last_strip = {};
    KD_Action_Clear_Drawing_Buffer(stage.device, &stage.rendition);
    EXPECT_TRUE(last_strip.points.empty());
}

// An RGB32 frame buffer whose pixel (column, row) has blue = column, green = row.
KT_Shared_Image numbered_frame(int width, int height) {
    KT_Shared_Image image;
    const KT_Image_Format rgb = KT_Image_Format::RGB32;
    KD_Standard_Create_Frame_Buffer(nullptr, width, height, &rgb, &image);
    images_test::number_pixels(image);
    return image;
}

TEST(DisplayFrameBuffer, TheSourcePixelAtTheOffsetLandsOnTheTopLeftCorner) {
    struct Case {
        const char* name;
        int source_x, source_y;
    };
    const Case cases[] = {{"no offset", 0, 0}, {"offset", 2, 1}};
    const KT_DCI_Point top_left = {10, 30, 0}, bottom_right = {13, 27, 0};
    const int shown_width = 4, shown_height = 4;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stage stage;
        const KT_Shared_Image frame = numbered_frame(8, 8);
        KD_Standard_Display_Frame_Buffer(stage.device, &top_left, &bottom_right, &frame, c.source_x,
                                         c.source_y);
        for (int row = 0; row < shown_height; ++row)
            for (int column = 0; column < shown_width; ++column) {
                const int x = top_left.x + column, y = top_left.y - row;
                ASSERT_TRUE(stage.has(x, y)) << "missing at " << x << "," << y;
                EXPECT_EQ(stage.at(x, y)[0], c.source_x + column) << x << "," << y;
                EXPECT_EQ(stage.at(x, y)[1], c.source_y + row) << x << "," << y;
            }
        EXPECT_EQ(stage.stored_count(), shown_width * shown_height)
            << "nothing drawn outside the corners";
    }
}

TEST(DisplayFrameBuffer, PixelsAreShownWithoutDepthTesting) {
    Stage stage;
    stage.device->options().set_buffer_depth(16);
    const KT_Shared_Image frame = numbered_frame(2, 2);
    const KT_DCI_Point top_left = {0, 1, 0}, bottom_right = {1, 0, 0};
    KD_Standard_Display_Frame_Buffer(stage.device, &top_left, &bottom_right, &frame, 0, 0);
    ASSERT_GT(stage.native_calls(), 0);
    EXPECT_FALSE(stage.device->rows.back().depth_buffered);
}

TEST(CreateFrameBuffer, MakesAnImageOfTheSizeAndFormatWithRowsAlignedTo8) {
    KT_Shared_Image image;
    const KT_Image_Format gray = KT_Image_Format::Gray8;
    KD_Standard_Create_Frame_Buffer(nullptr, 13, 5, &gray, &image);
    ASSERT_FALSE(image.empty());
    EXPECT_EQ(image->width(), 13);
    EXPECT_EQ(image->height(), 5);
    EXPECT_EQ(image->format(), KT_Image_Format::Gray8);
    EXPECT_EQ(image->row_bytes(), 16);
}

TEST(CreateFrameBuffer, ThePreviousImageLosesOneReference) {
    KT_Shared_Image image(4, 4, KT_Image_Format::RGB32, 0, nullptr, false);
    const KT_Shared_Image kept = image;
    ASSERT_EQ(kept->reference_count(), 2u);
    const KT_Image_Format rgb = KT_Image_Format::RGB32;
    KD_Standard_Create_Frame_Buffer(nullptr, 4, 4, &rgb, &image);
    EXPECT_EQ(kept->reference_count(), 1u);
    EXPECT_FALSE(image.shares_body_with(kept));
}

TEST(CreateFrameBuffer, ImpossibleSizesGiveTheEmptyImage) {
    const KT_Image_Format rgb = KT_Image_Format::RGB32;
    const struct {
        const char* name;
        int width, height;
    } sizes[] = {{"negative width", -4, 4}, {"zero height", 4, 0}, {"huge", 1 << 20, 1 << 20}};
    for (const auto& size : sizes) {
        KT_Shared_Image image;
        KD_Standard_Create_Frame_Buffer(nullptr, size.width, size.height, &rgb, &image);
        ASSERT_FALSE(image.empty()) << size.name;
        EXPECT_TRUE(image->is_empty()) << size.name;
    }
}

} // namespace
