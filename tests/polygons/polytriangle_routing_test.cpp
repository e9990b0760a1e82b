// Which slot each family and variant of polytriangle reaches for strips
// inside, outside and across the guard rectangle and the hard clip.
#include <cmath>
#include <limits>
#include <random>

#include "../renderer/recording_stack.h"
#include "routing_fixture.h"

using namespace polygons_test;

namespace {

constexpr float beyond_guard = 3.0e9f;

using Polytriangle_Routing = Routing;

TEST_F(Polytriangle_Routing, FloatStripsInsideTheGuardBecomeIntegerStripsOfTheSameVariant) {
    record_family<KT_Family::F2DI>();
    const KT_Point points[] = {{-500, -500, 1}, {500.4f, -500, 2}, {-500, 500.5f, 3}, {9, 9, 4}};
    const KT_Point_D double_points[] = {{-500, -500, 1}, {500, -500, 2}, {-500, 500, 3}};
    for (KT_Shading s : all_variants) {
        SCOPED_TRACE(variant_name(s));
        slots::calls().clear();
        draw<KT_Family::F2D>(s, 4, points);
        draw<KT_Family::F2DD>(s, 3, double_points);
        ASSERT_EQ(slots::calls().size(), 2u);
        const slots::Call& from_float = slots::calls()[0];
        EXPECT_EQ(from_float.slot, polytriangle_slot(s, KT_Family::F2DI));
        ASSERT_EQ(from_float.points.size(), 4u);
        EXPECT_EQ(from_float.points[1].x, 500) << "500.4 rounds down";
        EXPECT_EQ(from_float.points[2].y, 501) << "500.5 rounds up";
        EXPECT_EQ(slots::calls()[1].slot, polytriangle_slot(s, KT_Family::F2DI));
    }
}

TEST_F(Polytriangle_Routing, IntegerStripsInsideTheClipGoToTheDciSlot) {
    record_family<KT_Family::DCI>();
    const KT_DCI_Point points[] = {{20, 20, 1}, {80, 20, 2}, {20, 80, 3}, {80, 80, 4}};
    for (KT_Shading s : all_variants) {
        SCOPED_TRACE(variant_name(s));
        slots::calls().clear();
        draw<KT_Family::F2DI>(s, 4, points);
        ASSERT_EQ(slots::calls().size(), 1u);
        EXPECT_EQ(slots::calls()[0].slot, polytriangle_slot(s, KT_Family::DCI));
        EXPECT_EQ(slots::calls()[0].points.size(), 4u);
    }
}

TEST_F(Polytriangle_Routing, DcStripsAreRoundedIntoTheDciSlot) {
    record_family<KT_Family::DCI>();
    const KT_Point points[] = {{20.5f, 20, 1}, {79.4f, 20, 2}, {20, 80, 3}};
    for (KT_Shading s : all_variants) {
        SCOPED_TRACE(variant_name(s));
        slots::calls().clear();
        draw<KT_Family::DC>(s, 3, points);
        ASSERT_EQ(slots::calls().size(), 1u);
        EXPECT_EQ(slots::calls()[0].slot, polytriangle_slot(s, KT_Family::DCI));
        EXPECT_EQ(slots::calls()[0].points[0].x, 21);
        EXPECT_EQ(slots::calls()[0].points[1].x, 79);
    }
}

TEST_F(Polytriangle_Routing, StripsWhollyOnOneOutsideSideDrawNothing) {
    record_family<KT_Family::DCI>();
    record_family<KT_Family::DC>();
    const KT_Point beyond_guard_left[] = {
        {-beyond_guard, 0, 0}, {-beyond_guard, 10, 0}, {-2 * beyond_guard, 5, 0}};
    const KT_DCI_Point above_clip[] = {{20, 95, 0}, {80, 95, 0}, {50, 99, 0}};
    for (KT_Shading s : all_variants) {
        SCOPED_TRACE(variant_name(s));
        draw<KT_Family::F2D>(s, 3, beyond_guard_left);
        draw<KT_Family::F2DI>(s, 3, above_clip);
    }
    EXPECT_TRUE(slots::calls().empty());
}

TEST_F(Polytriangle_Routing, FloatStripAcrossTheGuardSendsInsideRunsWholeAndClipsTheRest) {
    record_family<KT_Family::F2DI>();
    // Triangles 0 and 1 lie inside the guard; triangle 2 reaches beyond it.
    const KT_Point points[] = {
        {0, 0, 0}, {100, 0, 0}, {0, 100, 0}, {100, 100, 0}, {beyond_guard, 50, 0}};
    for (KT_Shading s : all_variants) {
        SCOPED_TRACE(variant_name(s));
        slots::calls().clear();
        draw<KT_Family::F2D>(s, 5, points);
        ASSERT_EQ(slots::calls().size(), 2u);
        EXPECT_EQ(slots::calls()[0].points.size(), 4u) << "the run of two triangles";
        const slots::Call& clipped = slots::calls()[1];
        EXPECT_EQ(clipped.slot, polytriangle_slot(s, KT_Family::F2DI));
        for (const KT_Point_D& p : clipped.points)
            EXPECT_LE(p.x, double(1 << 30));
    }
}

TEST_F(Polytriangle_Routing, IntegerStripAcrossTheClipSendsCrossingTrianglesToTheDcSlot) {
    record_family<KT_Family::DCI>();
    record_family<KT_Family::DC>();
    // Triangle 0 inside, triangles 1 and 2 crossing the right bound,
    // triangle 3 wholly right of it.
    const KT_DCI_Point points[] = {{20, 20, 0},  {60, 20, 0},  {20, 60, 0},
                                   {120, 60, 0}, {130, 20, 0}, {140, 60, 0}};
    for (KT_Shading s : all_variants) {
        SCOPED_TRACE(variant_name(s));
        slots::calls().clear();
        draw<KT_Family::F2DI>(s, 6, points);
        ASSERT_EQ(slots::calls().size(), 3u);
        EXPECT_EQ(slots::calls()[0].slot, polytriangle_slot(s, KT_Family::DCI));
        EXPECT_EQ(slots::calls()[0].points.size(), 3u);
        for (int piece = 1; piece < 3; ++piece) {
            const slots::Call& clipped = slots::calls()[piece];
            EXPECT_EQ(clipped.slot, polytriangle_slot(s, KT_Family::DC));
            for (const KT_Point_D& p : clipped.points)
                EXPECT_TRUE(inside_pixels(hard_clip(), p)) << p.x << ", " << p.y;
        }
    }
}

TEST_F(Polytriangle_Routing, ColorizedPiecesKeepTheirTrianglesColour) {
    record_family<KT_Family::DC>();
    record_family<KT_Family::DCI>();
    const KT_DCI_Point points[] = {{20, 20, 0}, {60, 20, 0}, {20, 60, 0}, {120, 60, 0}};
    draw<KT_Family::F2DI>(KT_Shading::Colorized, 4, points);
    const auto clipped = slots::calls_to(KT_Slot_Draw_DC_Colorized_Polytriangle);
    ASSERT_EQ(clipped.size(), 1u);
    EXPECT_TRUE(clipped[0].single_color);
    EXPECT_EQ(clipped[0].colors[0].b, data.colors[1].b) << "triangle 1's colour";
}

TEST_F(Polytriangle_Routing, HatchedDcStripIsFilledThenHatchedPerTriangleWhenOpaque) {
    record_family<KT_Family::DCI>();
    device->record<KT_Slot_Draw_DC_Polygon>();
    rendition.modify_face().face_pattern = KT_Face_Hatch;
    rendition.modify_misc().pattern_mode = KT_Pattern_Opaque;
    const KT_Point points[] = {{20, 20, 0}, {60, 20, 0}, {20, 60, 0}, {60, 60, 0}};
    draw<KT_Family::DC>(KT_Shading::Plain, 4, points);
    ASSERT_EQ(slots::calls().size(), 3u);
    EXPECT_EQ(slots::calls()[0].slot, KT_Slot_Draw_DCI_Polytriangle) << "the solid fill first";
    EXPECT_EQ(slots::calls()[1].slot, KT_Slot_Draw_DC_Polygon);
    EXPECT_EQ(slots::calls()[2].slot, KT_Slot_Draw_DC_Polygon);
}

TEST_F(Polytriangle_Routing, BadInputDrawsNothing) {
    record_family<KT_Family::DCI>();
    const float nan_value = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const KT_Point with_nan[] = {{nan_value, 0, 0}, {nan_value, 10, 0}, {nan_value, 5, 0}};
    const KT_Point with_infinity[] = {{infinity, 0, 0}, {-infinity, 10, 0}, {0, infinity, 0}};
    const KT_Point ordinary[] = {{20, 20, 0}, {60, 20, 0}, {20, 60, 0}};
    for (KT_Shading s : all_variants) {
        SCOPED_TRACE(variant_name(s));
        draw<KT_Family::F2D>(s, 3, with_nan);
        draw<KT_Family::F2D>(s, 3, with_infinity);
        draw<KT_Family::DC>(s, 3, with_nan);
        draw<KT_Family::DC>(s, 3, with_infinity);
        draw<KT_Family::F2D>(s, 0, ordinary);
        draw<KT_Family::F2D>(s, -5, ordinary);
        draw<KT_Family::F2D>(s, 2, ordinary);
        draw<KT_Family::F2D>(s, 3, nullptr);
    }
    // Colorized, Gouraud and Phong need their arrays; without them nothing.
    KD_Next_Action<KT_Slot_Draw_2D_Gouraud_Polytriangle>(&rendition, 3, ordinary,
                                                         static_cast<const KT_RGB32*>(nullptr));
    EXPECT_TRUE(slots::calls().empty());
}

// A stack whose middle layer replaces the DCI polytriangle: a 2D strip drawn
// at the top reaches it through the top's table at every step.
TEST(Polytriangle_Stack, MiddleLayerOverrideSeesWhatTheTopDraws) {
    recording::log().clear();
    slots::calls().clear();
    KT_Pointer<recording::Device> device(new recording::Device("device"));
    device->current_renderer_options.set_window_size({100, 100});
    KT_Pointer<recording::Renderer> middle(new recording::Renderer("middle", device.body()));
    KT_Pointer<recording::Renderer> top(new recording::Renderer("top", middle.body()));
    middle->set_action<KT_Slot_Draw_DCI_Polytriangle>(
        &slots::Recorder<KT_Slot_Draw_DCI_Polytriangle>::routine);
    ASSERT_EQ(top->establish_all(), 0);
    KT_Rendition rendition(top.body());
    rendition.set_hard_clip_unrestricted(clip_10_to_90, false);
    const KT_Point points[] = {{20, 20, 0}, {60, 20, 0}, {20, 60, 0}};
    KD_Next_Action<KT_Slot_Draw_2D_Polytriangle>(&rendition, 3, points);
    const auto reached = slots::calls_to(KT_Slot_Draw_DCI_Polytriangle);
    ASSERT_EQ(reached.size(), 1u);
    EXPECT_EQ(reached[0].owner, middle.body());
}

// Seeded random strips against random hard clips: every point that reaches
// a DCI slot lies within the clip's pixels, whichever way it got there.
TEST_F(Polytriangle_Routing, RandomStripsReachTheDciSlotsOnlyInsideTheClip) {
    record_family<KT_Family::DCI>();
    std::mt19937 random(61206);
    std::uniform_real_distribution<float> near(-200.0f, 300.0f);
    std::uniform_real_distribution<float> far(-4e9f, 4e9f);
    std::uniform_int_distribution<int> bound(0, 99);
    std::uniform_int_distribution<int> pick(0, 9);
    for (int round = 0; round < 1500; ++round) {
        SCOPED_TRACE(round);
        const int left = bound(random), bottom = bound(random);
        const KT_Int_Rectangle clip = {left, std::min(99, left + bound(random)), bottom,
                                       std::min(99, bottom + bound(random))};
        rendition.set_hard_clip_unrestricted(clip, false);
        KT_Point points[6];
        for (KT_Point& p : points)
            p = pick(random) == 0 ? KT_Point{far(random), far(random), 0}
                                  : KT_Point{near(random), near(random), 0};
        slots::calls().clear();
        draw<KT_Family::F2D>(all_variants[round % 5], 6, points);
        for (const slots::Call& call : slots::calls())
            for (const KT_Point_D& p : call.points)
                ASSERT_TRUE(inside_pixels(clip, p)) << call.name() << " at " << p.x << ", " << p.y;
    }
}

} // namespace
