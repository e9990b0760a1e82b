#include <gtest/gtest.h>

#include <cmath>

#include "../support/slot_recorder.h"
#include "contour/contour_set.h"

namespace {

using slots::Call;
using slots::calls;
using slots::calls_to;

class Dots : public slots::Recording_Test {
protected:
    Dots() : slots::Recording_Test(100, 80) { device->record<KT_Slot_Draw_DCI_RGB32_Image>(); }

    const KT_RGB32 green = {0, 200, 0, 255};
};

TEST_F(Dots, DotIsOnePixelImageRow) {
    const KT_DCI_Point at = {12, 34, 56};
    KD_Action_Draw_DCI_Dot(top(), &rendition, &at, &green);
    ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_DCI_RGB32_Image"});
    const Call& row = calls()[0];
    EXPECT_EQ(row.points[0].x, 12);
    EXPECT_EQ(row.points[0].y, 34);
    EXPECT_EQ(row.points[0].z, 56);
    EXPECT_EQ(row.points[1].x, 12) << "the row starts and ends at the dot";
    EXPECT_EQ(row.colors.at(0).g, 200);
}

TEST_F(Dots, DotWithoutColourTakesTheFrontColour) {
    rendition.set_front_color({1, 2, 3, 255}, false);
    const KT_DCI_Point at = {5, 5, 0};
    KD_Action_Draw_DCI_Dot(top(), &rendition, &at, nullptr);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].colors.at(0).b, 1);
    EXPECT_EQ(calls()[0].colors.at(0).r, 3);
}

TEST_F(Dots, FloatDotIsRoundedToItsPixel) {
    const KT_Point at = {-0.5f, 10.5f, 2.4f};
    KD_Action_Draw_DC_Dot(top(), &rendition, &at, &green);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].points[0].x, 0);
    EXPECT_EQ(calls()[0].points[0].y, 11);
    EXPECT_EQ(calls()[0].points[0].z, 2);
}

TEST_F(Dots, ClippingFamiliesDropDotsOutsideTheHardClip) {
    const KT_Point edges[4] = {{0, 0, 0}, {99, 79, 0}, {-0.01f, 5, 0}, {5, 79.01f, 0}};
    const KT_DCI_Point beyond = {100, 5, 0};
    for (const KT_Point& p : edges)
        KD_Action_Draw_2D_Dot(top(), &rendition, &p, &green);
    KD_Action_Draw_2DI_Dot(top(), &rendition, &beyond, &green);
    ASSERT_EQ(calls().size(), 2u) << "only the two corner pixels are inside";
    EXPECT_EQ(calls()[1].points[0].x, 99);
}

TEST_F(Dots, ComplexClipDropsDotsOutsideItsRegion) {
    const KT_Point square[4] = {{10, 10, 0}, {30, 10, 0}, {30, 30, 0}, {10, 30, 0}};
    rendition.set_complex_clip(KT_Contour_Set(4, square, true), false);
    const KT_DCI_Point inside = {20, 20, 0};
    const KT_DCI_Point outside = {50, 20, 0};
    KD_Action_Draw_DCI_Dot(top(), &rendition, &outside, &green);
    KD_Action_Draw_DCI_Dot(top(), &rendition, &inside, &green);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].points[0].x, 20);
}

TEST_F(Dots, BadDotsDrawNothing) {
    const KT_Point not_a_number = {NAN, 5, 0};
    const KT_Point infinite = {5, INFINITY, 0};
    KD_Action_Draw_2D_Dot(top(), &rendition, &not_a_number, &green);
    KD_Action_Draw_DC_Dot(top(), &rendition, &not_a_number, &green);
    KD_Action_Draw_2D_Dot(top(), &rendition, &infinite, &green);
    KD_Action_Draw_DC_Dot(top(), &rendition, nullptr, &green);
    KD_Action_Draw_DCI_Dot(top(), nullptr, nullptr, &green);
    EXPECT_TRUE(calls().empty());
}

} // namespace
