// Segment preclips to integers and the clipped line drawn through the DC
// polyline slots.
#include <cmath>
#include <limits>

#include "../support/slot_recorder.h"
#include "draw3d/transform_clip.h"

using slots::clip_10_to_90;

namespace {

short code_of(const KT_Point& p) {
    short code = 0;
    KD_Clip(clip_10_to_90, 1, &p, &code);
    return code;
}

TEST(Preclip_Segment, HeadEntersAtTheLeftBound) {
    const KT_Point segment[] = {{0, 50, 0}, {100, 50, 100}};
    KT_DCI_Point head;
    KD_Preclip_Head(code_of(segment[0]), clip_10_to_90, segment, &head, nullptr, nullptr);
    EXPECT_EQ(head.x, 10);
    EXPECT_EQ(head.y, 50);
    EXPECT_EQ(head.z, 10) << "depth interpolated at the entry";
}

TEST(Preclip_Segment, TailTakesTheNearerOfItsTwoBounds) {
    // Leaves through the top (t = 0.8) before it would reach the right
    // bound (t = 0.9).
    const KT_Point segment[] = {{0, 10, 0}, {100, 110, 0}};
    KT_DCI_Point tail;
    KD_Preclip_Tail(code_of(segment[1]), clip_10_to_90, segment, &tail, nullptr, nullptr);
    EXPECT_EQ(tail.x, 80);
    EXPECT_EQ(tail.y, 90);
}

TEST(Preclip_Segment, ColoursInterpolateAndAlphaIsLeftAlone) {
    const KT_Point segment[] = {{0, 50, 0}, {100, 50, 0}};
    const KT_RGB32 colors[] = {{0, 0, 0, 255}, {200, 100, 50, 255}};
    KT_RGB32 head = {1, 2, 3, 77};
    KT_DCI_Point point;
    KD_Preclip_Head(code_of(segment[0]), clip_10_to_90, segment, &point, colors, &head);
    EXPECT_EQ(head.b, 20);
    EXPECT_EQ(head.g, 10);
    EXPECT_EQ(head.r, 5);
    EXPECT_EQ(head.a, 77);
}

TEST(Preclip_Segment, BothEndsOfACrossingSegment) {
    const KT_Point_D segment[] = {{50, 0, 0}, {50, 100, 0}};
    const short codes[] = {KT_Outcode_Bottom, KT_Outcode_Top};
    KT_DCI_Point ends[2];
    ASSERT_TRUE(KD_Preclip_Ends(codes, clip_10_to_90, segment, ends, nullptr, nullptr));
    EXPECT_EQ(ends[0].y, 10);
    EXPECT_EQ(ends[1].y, 90);
}

TEST(Preclip_Segment, DiagonalPassingOutsideACornerIsRejected) {
    // Crosses x = 10 at y = 0 and y = 10 at x = 0: it misses the corner.
    const KT_Point segment[] = {{-10, 20, 0}, {20, -10, 0}};
    const short codes[] = {code_of(segment[0]), code_of(segment[1])};
    KT_DCI_Point ends[2];
    EXPECT_FALSE(KD_Preclip_Ends(codes, clip_10_to_90, segment, ends, nullptr, nullptr));
}

TEST(Preclip_Segment, RoundingSendsHalvesUpward) {
    // Through a wide rectangle the end points are the segment's own
    // points at t = 0 and t = 1.
    const KT_Int_Rectangle wide = {-100, 100, -100, 100};
    const short codes[] = {KT_Outcode_Inside, KT_Outcode_Inside};
    const KT_Point_D negative_half[] = {{-2.5, -0.5, 0}, {2.5, 0.5, 0}};
    KT_DCI_Point ends[2];
    ASSERT_TRUE(KD_Preclip_Ends(codes, wide, negative_half, ends, nullptr, nullptr));
    EXPECT_EQ(ends[0].x, -2);
    EXPECT_EQ(ends[0].y, 0);
    EXPECT_EQ(ends[1].x, 3);
    EXPECT_EQ(ends[1].y, 1);
}

TEST(Preclip_Segment, BrokenSegmentsAreRejected) {
    const float nan_value = std::numeric_limits<float>::quiet_NaN();
    const KT_Point segment[] = {{nan_value, 50, 0}, {50, 50, 0}};
    const short codes[] = {KT_Outcode_Left, KT_Outcode_Inside};
    KT_DCI_Point ends[2];
    EXPECT_FALSE(KD_Preclip_Ends(codes, clip_10_to_90, segment, ends, nullptr, nullptr));
    EXPECT_FALSE(KD_Preclip_Ends(nullptr, clip_10_to_90, segment, ends, nullptr, nullptr));
}

using Clipped_Line = slots::Routing_Test;

TEST_F(Clipped_Line, PlainLineEndsExactlyOnTheBoundsItCrosses) {
    device->record<KT_Slot_Draw_DC_Polyline>();
    const KT_Point from{0, 30, 0}, to{100, 70, 0};
    KD_Draw_Clipped_2D_Line(device.body(), &rendition, &from, &to, nullptr, nullptr, true);
    const auto drawn = slots::calls_to(KT_Slot_Draw_DC_Polyline);
    ASSERT_EQ(drawn.size(), 1u);
    ASSERT_EQ(drawn[0].points.size(), 2u);
    EXPECT_DOUBLE_EQ(drawn[0].points[0].x, 10.0);
    EXPECT_NEAR(drawn[0].points[0].y, 34.0, 1e-4);
    EXPECT_DOUBLE_EQ(drawn[0].points[1].x, 90.0);
    EXPECT_NEAR(drawn[0].points[1].y, 66.0, 1e-4);
}

TEST_F(Clipped_Line, TwoColoursGoToTheGouraudSlotInterpolated) {
    device->record<KT_Slot_Draw_DC_Gouraud_Polyline>();
    device->record<KT_Slot_Draw_DC_Polyline>();
    const KT_Point from{0, 50, 0}, to{100, 50, 0};
    const KT_RGB32 black{0, 0, 0, 255}, white{250, 250, 250, 255};
    KD_Draw_Clipped_2D_Line(device.body(), &rendition, &from, &to, &black, &white, true);
    const auto drawn = slots::calls_to(KT_Slot_Draw_DC_Gouraud_Polyline);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_TRUE(slots::calls_to(KT_Slot_Draw_DC_Polyline).empty());
    ASSERT_EQ(drawn[0].colors.size(), 2u);
    EXPECT_EQ(drawn[0].colors[0].r, 25);
    EXPECT_EQ(drawn[0].colors[1].r, 225);
}

TEST_F(Clipped_Line, LineMissingTheClipDrawsNothing) {
    device->record<KT_Slot_Draw_DC_Polyline>();
    const KT_Point corner_miss_from{-10, 20, 0}, corner_miss_to{20, -10, 0};
    const KT_Point left_from{0, 0, 0}, left_to{5, 100, 0};
    KD_Draw_Clipped_2D_Line(device.body(), &rendition, &corner_miss_from, &corner_miss_to, nullptr,
                            nullptr, false);
    KD_Draw_Clipped_2D_Line(device.body(), &rendition, &left_from, &left_to, nullptr, nullptr,
                            false);
    EXPECT_TRUE(slots::calls().empty());
}

TEST_F(Clipped_Line, LateEntryIsClippedFromTheOtherEndUnlessDirectionIsKept) {
    device->record<KT_Slot_Draw_DC_Polyline>();
    // Enters the clip only at its very end.
    const KT_Point from{-10000, 50, 0}, to{50, 50, 0};
    KD_Draw_Clipped_2D_Line(device.body(), &rendition, &from, &to, nullptr, nullptr, false);
    KD_Draw_Clipped_2D_Line(device.body(), &rendition, &from, &to, nullptr, nullptr, true);
    const auto drawn = slots::calls_to(KT_Slot_Draw_DC_Polyline);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_DOUBLE_EQ(drawn[0].points[0].x, 50.0) << "exchanged ends";
    EXPECT_DOUBLE_EQ(drawn[0].points[1].x, 10.0);
    EXPECT_DOUBLE_EQ(drawn[1].points[0].x, 10.0) << "direction kept";
    EXPECT_DOUBLE_EQ(drawn[1].points[1].x, 50.0);
}

TEST_F(Clipped_Line, BadInputDrawsNothing) {
    device->record<KT_Slot_Draw_DC_Polyline>();
    const float infinity = std::numeric_limits<float>::infinity();
    const KT_Point inside{50, 50, 0}, endless{infinity, 50, 0};
    KD_Draw_Clipped_2D_Line(device.body(), &rendition, &inside, &endless, nullptr, nullptr, true);
    KD_Draw_Clipped_2D_Line(device.body(), &rendition, &inside,
                            static_cast<const KT_Point*>(nullptr), nullptr, nullptr, true);
    KD_Draw_Clipped_2D_Line(device.body(), nullptr, &inside, &inside, nullptr, nullptr, true);
    EXPECT_TRUE(slots::calls().empty());
}

} // namespace
