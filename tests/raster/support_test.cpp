// The shared doubles other suites build on: the capturing device must keep
// rows where the pipeline puts them, and the reference must follow the
// coverage and depth rules on cases small enough to check by hand.
#include <gtest/gtest.h>

#include "../support/capturing_device.h"
#include "../support/reference_raster.h"
#include "renderer/renderer_data.h"

namespace {

constexpr KT_RGB32 red = {0, 0, 255, 255};
constexpr KT_RGB32 blue = {255, 0, 0, 255};

TEST(CapturingDevice, RowLandsAtItsPixelsWithDepthSteppedAcross) {
    capture::Device device(16, 8);
    KT_Rendition rendition(&device);
    const KT_RGB32 row[3] = {red, blue, red};
    const KT_DCI_Point start = {4, 2, 100};
    const KT_DCI_Point end = {6, 2, 200};
    const KT_Packing packing;
    KD_Action_Draw_DCI_RGB32_Image(&device, &rendition, &start, &end, 0, row, 256, &packing);

    ASSERT_EQ(device.rows.size(), 1u);
    EXPECT_EQ(device.picture.covered_count(), 3);
    EXPECT_EQ(device.picture.at(5, 2).colour.b, blue.b);
    EXPECT_EQ(device.picture.at(4, 2).depth, 100u);
    EXPECT_EQ(device.picture.at(5, 2).depth, 150u);
    EXPECT_EQ(device.picture.at(6, 2).depth, 200u);
}

TEST(CapturingDevice, CountsPixelsOutsideTheWindowAndRowsThatAreNotRows) {
    capture::Device device(4, 4);
    KT_Rendition rendition(&device);
    const unsigned char indices[3] = {1, 2, 3};
    const KT_DCI_Point start = {2, 0, 0};
    const KT_DCI_Point end = {4, 0, 0};
    KD_Action_Draw_DCI_Index8_Image(&device, &rendition, &start, &end, 0, indices);
    const KT_DCI_Point backwards = {1, 0, 0};
    KD_Action_Draw_DCI_Index8_Image(&device, &rendition, &start, &backwards, 0, indices);

    EXPECT_EQ(device.outside, 1);
    EXPECT_EQ(device.malformed, 1);
    EXPECT_EQ(device.picture.at(3, 0).index, 2);
}

TEST(CapturingDevice, DotWithoutColourTakesTheFrontColour) {
    capture::Device device(4, 4);
    KT_Rendition rendition(&device);
    rendition.set_front_color(red, false);
    const KT_DCI_Point at = {1, 1, 7};
    KD_Action_Draw_DCI_Dot(&device, &rendition, &at, nullptr);

    EXPECT_EQ(device.dots, 1);
    EXPECT_EQ(device.picture.at(1, 1).colour.r, 255);
    EXPECT_EQ(device.picture.at(1, 1).depth, 7u);
}

TEST(ReferenceRaster, DepthStepperReachesTheEndAndSpreadsTheRemainder) {
    const std::int64_t from = 10;
    const std::int64_t rising = 17; // 7 over 3 rows
    const std::int64_t falling = 3;
    for (std::int64_t end : {rising, falling}) {
        SCOPED_TRACE(end);
        EXPECT_EQ(reference::stepped_depth(from, end, 3, 3), end);
        for (std::int64_t k = 1; k <= 3; ++k) {
            const std::int64_t step = reference::stepped_depth(from, end, 3, k) -
                                      reference::stepped_depth(from, end, 3, k - 1);
            EXPECT_LE(std::llabs(step - (end - from) / 3), 1) << "row " << k;
        }
    }
}

TEST(ReferenceRaster, RightTriangleCoversItsHalfOpenRows) {
    capture::Picture picture(8, 8);
    const reference::Vertex a = {{0, 0, 0}, red};
    const reference::Vertex b = {{4, 0, 0}, red};
    const reference::Vertex c = {{0, 4, 0}, red};
    reference::draw_triangle(picture, a, b, c, reference::Shading::Flat, red, 0);

    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(picture.at(x, 0).hits, 1) << "column " << x << " of row 0";
    EXPECT_EQ(picture.at(4, 0).hits, 0);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(picture.at(x, 4).hits, 0) << "column " << x << " of the top row";
}

} // namespace
