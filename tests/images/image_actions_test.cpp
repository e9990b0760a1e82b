// Whole images and pixel rectangles through the standard image actions:
// where they land, how the hard and complex clips cut them, which slots
// they pass, and that bad input draws nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "image/image_data.h"
#include "renderer/renderer_data.h"
#include "stage.h"

namespace {

using images_test::numbered_image;
using images_test::source_of;
using images_test::Stage;

constexpr int window_size = Stage::default_size;

TEST(Placement, AnImageCoversItsWidthRightwardAndItsHeightDownward) {
    Stage stage;
    const KT_Shared_Image image = numbered_image(10, 4);
    const KT_DCI_Point at = {5, 20, 0};
    KD_Action_Draw_DCI_Image(stage.device, &stage.rendition, &at, &image);
    EXPECT_EQ(stage.stored_count(), 40);
    for (int y = 17; y <= 20; ++y)
        for (int x = 5; x <= 14; ++x) {
            ASSERT_TRUE(stage.has(x, y)) << x << "," << y;
            EXPECT_EQ(source_of(stage.at(x, y)), std::make_pair(x - 5, 20 - y));
        }
}

TEST(Placement, A2DPositionIsRoundedToTheNearestPixel) {
    Stage stage;
    const KT_Shared_Image image = numbered_image(2, 2);
    const KT_Point at = {5.4f, 19.6f, 0.0f};
    KD_Action_Draw_2D_Image(stage.device, &stage.rendition, &at, &image);
    ASSERT_TRUE(stage.has(5, 20));
    EXPECT_EQ(source_of(stage.at(5, 20)), std::make_pair(0, 0));
    EXPECT_EQ(stage.stored_count(), 4);
}

TEST(Placement, DCCornersAreRoundedForTheDCIAction) {
    Stage stage;
    const KT_RGB32 row[2] = {{1, 0, 0, 255}, {2, 0, 0, 255}};
    const KT_Point start = {2.4f, 5.6f, 0.0f}, end = {3.4f, 5.6f, 0.0f};
    const KT_Packing canonical;
    KD_Action_Draw_DC_RGB32_Image(stage.device, &stage.rendition, &start, &end, 0, row, 256,
                                  &canonical);
    ASSERT_TRUE(stage.has(2, 6));
    ASSERT_TRUE(stage.has(3, 6));
    EXPECT_EQ(stage.at(3, 6)[0], 2);
}

TEST(HardClip, ColumnsLeftOfTheClipAreSkipped) {
    Stage stage;
    stage.rendition.set_hard_clip({10, 40, 0, 40}, false);
    const KT_Shared_Image image = numbered_image(8, 2);
    const KT_DCI_Point at = {7, 20, 0}; // three columns left of the clip
    KD_Action_Draw_2DI_Image(stage.device, &stage.rendition, &at, &image);
    EXPECT_FALSE(stage.has(9, 20));
    ASSERT_TRUE(stage.has(10, 20));
    EXPECT_EQ(source_of(stage.at(10, 20)), std::make_pair(3, 0));
    EXPECT_EQ(stage.stored_count(), 10);
}

TEST(HardClip, RowsAboveAndColumnsRightOfTheClipAreSkipped) {
    Stage stage;
    stage.rendition.set_hard_clip({0, 12, 0, 18}, false);
    const KT_Shared_Image image = numbered_image(6, 6);
    const KT_DCI_Point at = {10, 20, 0}; // two rows above, three columns right
    KD_Action_Draw_2DI_Image(stage.device, &stage.rendition, &at, &image);
    ASSERT_TRUE(stage.has(10, 18));
    EXPECT_EQ(source_of(stage.at(10, 18)), std::make_pair(0, 2));
    EXPECT_FALSE(stage.has(13, 18));
    EXPECT_EQ(stage.stored_count(), 3 * 4);
}

TEST(HardClip, ABitonalImageCutInsideAByteKeepsItsPixels) {
    Stage stage(KT_Color_System::Bitonal);
    stage.rendition.set_hard_clip({3, 40, 0, 40}, false);
    const int width = 20;
    // Bit x set for every third pixel, in the device's own bit order.
    KT_Shared_Image image(width, 1, KT_Image_Format::Bitonal, 0, nullptr, KT_Bitonal_Format(),
                          false);
    std::memset(image->pixels(), 0, static_cast<std::size_t>(image->row_bytes()));
    for (int x = 0; x < width; x += 3)
        image->pixels()[x >> 3] = static_cast<std::uint8_t>(image->pixels()[x >> 3] | 1 << (x & 7));
    const KT_DCI_Point at = {0, 5, 0};
    KD_Action_Draw_2DI_Image(stage.device, &stage.rendition, &at, &image);
    EXPECT_EQ(stage.stored_count(), width - 3);
    for (int x = 3; x < width; ++x) {
        ASSERT_TRUE(stage.has(x, 5)) << x;
        EXPECT_EQ(stage.at(x, 5)[0], x % 3 == 0 ? 1 : 0) << "column " << x;
    }
}

TEST(HardClip, AnImageEntirelyOutsideTheClipDrawsNothing) {
    Stage stage;
    stage.rendition.set_hard_clip({10, 20, 10, 20}, false);
    const KT_Shared_Image image = numbered_image(4, 4);
    const KT_DCI_Point beside = {21, 15, 0}, below = {12, 9, 0};
    const KT_Point above = {12.0f, 24.0f, 0.0f};
    KD_Action_Draw_2DI_Image(stage.device, &stage.rendition, &beside, &image);
    KD_Action_Draw_2DI_Image(stage.device, &stage.rendition, &below, &image);
    KD_Action_Draw_2D_Image(stage.device, &stage.rendition, &above, &image);
    EXPECT_EQ(stage.native_calls(), 0);
}

// A square region with a square hole.
KT_Contour_Set square_with_hole() {
    const KT_Point outline[4] = {{2, 2, 0}, {14, 2, 0}, {14, 14, 0}, {2, 14, 0}};
    const KT_Point hole[4] = {{6, 6, 0}, {6, 10, 0}, {10, 10, 0}, {10, 6, 0}};
    const KT_Point points[8] = {outline[0], outline[1], outline[2], outline[3],
                                hole[0],    hole[1],    hole[2],    hole[3]};
    const int counts[2] = {4, 4};
    return KT_Contour_Set(2, counts, points, true);
}

TEST(ComplexClip, ConvertedPixelsAreClippedToo) {
    Stage stage(KT_Color_System::Gray);
    const KT_Contour_Set region = square_with_hole();
    stage.rendition.set_complex_clip(region, false);
    const KT_Shared_Image image = numbered_image(16, 16);
    const KT_DCI_Point at = {0, 15, 0};
    KD_Action_Draw_DCI_Image(stage.device, &stage.rendition, &at, &image);
    const int inside_count = 12 * 12 - 4 * 4;
    EXPECT_EQ(stage.stored_count(), inside_count);
    EXPECT_FALSE(stage.has(8, 8)) << "the hole stays empty";
}

TEST(ComplexClip, WholeImagesAreClippedBeforeADeviceThatStoresDirectly) {
    Stage stage;
    stage.device->stores_clipped_pixels = true;
    stage.rendition.set_complex_clip(square_with_hole(), false);
    const KT_Shared_Image image = numbered_image(16, 16);
    const KT_DCI_Point at = {0, 15, 0};
    KD_Action_Draw_DCI_Image(stage.device, &stage.rendition, &at, &image);
    const int inside_count = 12 * 12 - 4 * 4;
    EXPECT_EQ(stage.stored_count(), inside_count);
}

// A random polygon of float vertices (self-intersections allowed) with a
// random triangle cut out of it.
KT_Contour_Set random_polygon_with_hole(std::mt19937& random, float size) {
    std::uniform_real_distribution<float> coordinate(-4.0f, size + 4.0f);
    std::vector<KT_Point> points;
    const int outline = 5 + static_cast<int>(random() % 4);
    for (int i = 0; i < outline + 3; ++i)
        points.push_back({coordinate(random), coordinate(random), 0.0f});
    const int counts[2] = {outline, 3};
    return KT_Contour_Set(2, counts, points.data(), true);
}

TEST(ComplexClip, SeededPolygonsKeepExactlyThePixelsWhoseCentresTheyHold) {
    const int size = 40;
    std::mt19937 random(2024);
    for (int round = 0; round < 20; ++round) {
        for (int rule : {0, 1}) {
            Stage stage;
            KT_Contour_Set region = random_polygon_with_hole(random, size);
            region.set_fill_rule(rule);
            stage.rendition.set_complex_clip(region, false);
            const KT_Shared_Image image = numbered_image(size, size);
            const KT_DCI_Point at = {0, size - 1, 0};
            KD_Action_Draw_DCI_Image(stage.device, &stage.rendition, &at, &image);
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const bool inside = region->point_inside(KT_Point{x + 0.5f, y + 0.5f, 0.0f});
                    ASSERT_EQ(stage.has(x, y), inside)
                        << "round " << round << " fill rule " << rule << " pixel " << x << "," << y;
                    if (!inside) continue;
                    ASSERT_EQ(source_of(stage.at(x, y)), std::make_pair(x, size - 1 - y))
                        << "round " << round << " pixel " << x << "," << y;
                }
        }
    }
}

// A layer over the device that counts the RGB32 rows it is handed.
class Counting_Layer : public KT_Renderer_Data {
public:
    explicit Counting_Layer(const KT_Renderer_Data* beneath) : KT_Renderer_Data(beneath) {
        set_action<KT_Slot_Draw_DCI_RGB32_Image>(&count);
    }
    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}

    int rows = 0;

private:
    static void count(const KT_Renderer_Data* r, const KT_Rendition*, const KT_DCI_Point*,
                      const KT_DCI_Point*, int, const KT_RGB32*, int, const KT_Packing*) {
        ++static_cast<Counting_Layer*>(const_cast<KT_Renderer_Data*>(r))->rows;
    }
};

TEST(Routing, ConvertedPixelsGoThroughTheTopRenderersTable) {
    Stage stage;
    auto* layer = new Counting_Layer(stage.device);
    layer->add_reference();
    layer->current_renderer_options.set_window_size({window_size, window_size});
    {
        KT_Rendition rendition(layer);
        const unsigned char grays[3] = {1, 2, 3};
        const KT_DCI_Point start = {0, 0, 0}, end = {2, 0, 0};
        KD_Action_Draw_DCI_Gray8_Image(layer, &rendition, &start, &end, 0, grays, 256);
    }
    EXPECT_EQ(layer->rows, 1) << "the layer's override sees the converted row";
    EXPECT_EQ(stage.native_calls(), 0);
    layer->remove_reference();
}

TEST(Reading, TheStandardReadLeavesTheImageEmpty) {
    Stage stage;
    KT_Shared_Image image = numbered_image(2, 2);
    const KT_DCI_Point a = {0, 0, 0}, b = {1, 1, 0};
    const KT_Image_Format format = KT_Image_Format::RGB32;
    KD_Standard_Read_DCI_Color_Image(stage.device, &stage.rendition, &a, &b, &format, &image);
    EXPECT_TRUE(image.empty());
}

TEST(Reading, DCReadsReachTheDCIReadSlotWithRoundedCorners) {
    Stage stage;
    static KT_DCI_Point seen_start, seen_end;
    stage.device->set_action<KT_Slot_Read_DCI_Depth_Image>(
        [](const KT_Renderer_Data*, const KT_Rendition*, const KT_DCI_Point* s,
           const KT_DCI_Point* e, const KT_Image_Format*, KT_Shared_Image*) {
            seen_start = *s;
            seen_end = *e;
        });
    KT_Shared_Image image;
    const KT_Point a = {1.6f, 2.4f, 0.0f}, b = {7.5f, 9.0f, 0.0f};
    const KT_Image_Format format = KT_Image_Format::Depth16;
    KD_Action_Read_DC_Depth_Image(stage.device, &stage.rendition, &a, &b, &format, &image);
    EXPECT_EQ(seen_start.x, 2);
    EXPECT_EQ(seen_start.y, 2);
    EXPECT_EQ(seen_end.x, 8);
    EXPECT_EQ(seen_end.y, 9);
}

TEST(Depth, ADepthImageReachesTheDeviceDepthSlot) {
    Stage stage;
    static int depth_rows;
    depth_rows = 0;
    stage.device->set_action<KT_Slot_Draw_DCI_Depth16_Image>(
        [](const KT_Renderer_Data*, const KT_Rendition*, const KT_DCI_Point*, const KT_DCI_Point*,
           int, const unsigned short*) { ++depth_rows; });
    KT_Shared_Image depths(4, 4, KT_Image_Format::Depth16, 0, nullptr, false);
    const KT_Point at = {3.0f, 3.0f, 0.0f};
    KD_Action_Draw_2D_Image(stage.device, &stage.rendition, &at, &depths);
    EXPECT_EQ(depth_rows, 1);
}

TEST(Inks, TheDCInkActionForwardsOnlyOnACMYKDevice) {
    const KT_CMYK32 ink = {1, 2, 3, 4};
    const KT_Point at = {4.0f, 4.0f, 0.0f};
    for (int system : {int(KT_Color_System::True_Color), int(KT_Color_System::CMYK)}) {
        Stage stage(system);
        KD_Action_Draw_DC_CMYK32_Image(stage.device, &stage.rendition, &at, &at, 0, &ink, 256);
        EXPECT_EQ(stage.native_calls(), system == KT_Color_System::CMYK ? 1 : 0)
            << "colour system " << system;
    }
}

// Bad input: each case must reach no native action at all.
struct Bad_Case {
    const char* name;
    std::function<void(Stage&)> draw;
};

TEST(BadInput, DrawsNothing) {
    const KT_Packing canonical;
    const KT_Packing no_packing(0);
    const KT_RGB32 pixels[4] = {};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const std::vector<Bad_Case> cases = {
        {"null image",
         [](Stage& s) {
             const KT_DCI_Point at = {1, 1, 0};
             KD_Action_Draw_DCI_Image(s.device, &s.rendition, &at, nullptr);
         }},
        {"empty image",
         [](Stage& s) {
             const KT_Shared_Image empty(0, 5, KT_Image_Format::RGB32, 0, nullptr, false);
             const KT_DCI_Point at = {1, 1, 0};
             KD_Action_Draw_DCI_Image(s.device, &s.rendition, &at, &empty);
         }},
        {"negative size",
         [](Stage& s) {
             const KT_Shared_Image negative(-3, 4, KT_Image_Format::RGB32, 0, nullptr, false);
             const KT_Point at = {1, 1, 0};
             KD_Action_Draw_2D_Image(s.device, &s.rendition, &at, &negative);
         }},
        {"opaque block format",
         [](Stage& s) {
             const KT_Shared_Image block(4, 4, KT_Image_Format::Opaque_Block, 64, nullptr, false);
             const KT_DCI_Point at = {1, 1, 0};
             KD_Action_Draw_DCI_Image(s.device, &s.rendition, &at, &block);
         }},
        {"null rendition",
         [](Stage& s) {
             const KT_Shared_Image image = numbered_image(2, 2);
             const KT_DCI_Point at = {1, 1, 0};
             KD_Action_Draw_DCI_Image(s.device, nullptr, &at, &image);
         }},
        {"NaN position",
         [nan](Stage& s) {
             const KT_Shared_Image image = numbered_image(2, 2);
             const KT_Point at = {nan, 1, 0};
             KD_Action_Draw_2D_Image(s.device, &s.rendition, &at, &image);
         }},
        {"infinite DC corner",
         [&](Stage& s) {
             const KT_Point start = {0, 0, 0}, end = {infinity, 0, 0};
             KD_Action_Draw_DC_RGB32_Image(s.device, &s.rendition, &start, &end, 0, pixels, 256,
                                           &canonical);
         }},
        {"huge position",
         [](Stage& s) {
             const KT_Shared_Image image = numbered_image(2, 2);
             const KT_Point at = {3.0e9f, 1, 0};
             KD_Action_Draw_DC_Image(s.device, &s.rendition, &at, &image);
         }},
        {"row ends before it starts",
         [&](Stage& s) {
             const KT_DCI_Point start = {5, 0, 0}, end = {4, 0, 0};
             KD_Action_Draw_DCI_RGB32_Image(s.device, &s.rendition, &start, &end, 0, pixels, 200,
                                            &canonical);
         }},
        {"rectangle beyond any image",
         [&](Stage& s) {
             const KT_DCI_Point start = {INT32_MIN, INT32_MAX, 0}, end = {INT32_MAX, INT32_MIN, 0};
             KD_Action_Draw_DCI_RGB32_Image(s.device, &s.rendition, &start, &end, 0, pixels, 200,
                                            &canonical);
         }},
        {"unknown packing",
         [&](Stage& s) {
             const KT_DCI_Point start = {0, 0, 0}, end = {3, 0, 0};
             KD_Action_Draw_DCI_RGB32_Image(s.device, &s.rendition, &start, &end, 0, pixels, 256,
                                            &no_packing);
         }},
        {"one-level resolution",
         [&](Stage& s) {
             const KT_DCI_Point start = {0, 0, 0}, end = {3, 0, 0};
             KD_Action_Draw_DCI_RGB32_Image(s.device, &s.rendition, &start, &end, 0, pixels, 1,
                                            &canonical);
         }},
        {"null pixels",
         [&](Stage& s) {
             const KT_DCI_Point start = {0, 0, 0}, end = {3, 0, 0};
             KD_Action_Draw_DCI_Gray8_Image(s.device, &s.rendition, &start, &end, 0, nullptr, 256);
         }},
    };
    for (const Bad_Case& c : cases) {
        Stage stage;
        c.draw(stage);
        EXPECT_EQ(stage.native_calls(), 0) << c.name;
    }
}

TEST(BadInput, ADeviceWithAnUnknownPackingIsGivenNothing) {
    Stage stage;
    stage.device->options().set_packing_order(KT_Packing(0x00000000));
    const unsigned char gray = 7;
    const KT_DCI_Point at = {0, 0, 0};
    KD_Action_Draw_DCI_Gray8_Image(stage.device, &stage.rendition, &at, &at, 0, &gray, 256);
    EXPECT_EQ(stage.native_calls(), 0);
}

} // namespace
