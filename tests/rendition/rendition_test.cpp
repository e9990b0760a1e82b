#include <gtest/gtest.h>

#include <array>

#include "appearance/material.h"
#include "rendition/rendition.h"
#include "test_device.h"

namespace {

using rendition_test::Device;
using rendition_test::palette_of;

constexpr KT_RGB32 red = {0, 0, 255, 255};
constexpr KT_RGB32 green = {0, 255, 0, 255};
constexpr KT_RGB32 blue = {255, 0, 0, 255};
constexpr KT_RGB32 grey = {128, 128, 128, 255};
constexpr KT_RGB32 black = {0, 0, 0, 255};
constexpr KT_RGB32 white = {255, 255, 255, 255};
const KT_Renderer_Data* const no_renderer = nullptr;
constexpr KT_Int_Rectangle small_box = {0, 10, 0, 10};

bool same(const KT_RGB32& a, const KT_RGB32& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

void expect_rectangle(const char* what, const KT_Int_Rectangle& r,
                      const KT_Int_Rectangle& expected) {
    SCOPED_TRACE(what);
    EXPECT_EQ(r.left, expected.left) << "left";
    EXPECT_EQ(r.right, expected.right) << "right";
    EXPECT_EQ(r.bottom, expected.bottom) << "bottom";
    EXPECT_EQ(r.top, expected.top) << "top";
}

// The seven records in order: transform, colour, line, face, marker, text
// attribute, misc.
const KT_Counted* record(const KT_Rendition& r, int i) {
    const KT_Counted* records[7] = {r->transform.body(), r->color.body(),  r->line.body(),
                                    r->face.body(),      r->marker.body(), r->text_attribute.body(),
                                    r->misc.body()};
    return records[i];
}

// Serials of the net body and then its seven records.
std::array<std::uint32_t, 8> serials(const KT_Rendition& r) {
    std::array<std::uint32_t, 8> s{r->change_serial()};
    for (int i = 0; i < 7; ++i)
        s[i + 1] = record(r, i)->change_serial();
    return s;
}

TEST(RenditionColours, ResolveToTheClosestPaletteEntry) {
    Device device(101, 81, 24);
    device.current_renderer_options.set_palette(palette_of({red, green, blue, grey, white}));
    KT_Rendition r(&device);
    const KT_Color_Data& c = r.color();
    // Black's nearest entry is grey; white is in the palette.
    EXPECT_EQ(c.front.index, 3);
    EXPECT_TRUE(same(c.front.device_rgb, grey));
    EXPECT_EQ(c.back.index, 3);
    EXPECT_EQ(c.contrast.index, 4);
    EXPECT_TRUE(same(c.background.device_rgb, white));
    r.set_front_color({10, 20, 240, 255}, false);
    EXPECT_EQ(r.color().front.index, 0);
    EXPECT_TRUE(same(r.color().front.device_rgb, red));
    EXPECT_EQ(r.color().back.index, 3); // only the front
    r.set_color({5, 250, 5, 255}, false, true);
    EXPECT_EQ(r.color().front.index, 1);
    EXPECT_EQ(r.color().back, r.color().front);
    r.set_background_color_index(2, false);
    EXPECT_TRUE(same(r.color().background.rgb, blue));
    // The index form keeps the colour asked for and shows the entry.
    r.set_contrast_color({1, 2, 3, 255}, 4, false);
    EXPECT_TRUE(same(r.color().contrast.rgb, {1, 2, 3, 255}));
    EXPECT_TRUE(same(r.color().contrast.device_rgb, white));
    r.set_color(grey, 1, false);
    EXPECT_TRUE(same(r.color().back.rgb, grey));
    EXPECT_TRUE(same(r.color().back.device_rgb, green));

    // A palette without entries, or no renderer, maps nothing.
    device.current_renderer_options.set_palette(KT_Palette());
    for (KT_Rendition unmapped : {KT_Rendition(&device), KT_Rendition(no_renderer)}) {
        EXPECT_EQ(unmapped.color().front.index, -1);
        EXPECT_TRUE(same(unmapped.color().contrast.device_rgb, white));
        unmapped.set_front_color(green, false);
        EXPECT_EQ(unmapped.color().front.index, -1);
        EXPECT_TRUE(same(unmapped.color().front.device_rgb, green));
    }
    KT_Rendition bare(no_renderer);
    bare.set_front_color_index(3, false);
    EXPECT_EQ(bare.color().front.index, 3);
    EXPECT_TRUE(same(bare.color().front.rgb, {0, 0, 0, 0}));
}

TEST(RenditionColours, SwappingTwiceRestoresColoursAndMaterials) {
    Device device(101, 81, 24);
    device.current_renderer_options.set_palette(palette_of({red, green, blue}));
    KT_Rendition r(&device);
    r.set_front_color(red, false);
    r.set_back_color(blue, false);
    r.modify_color().back_material = KT_Complex_Material();
    const KT_Color_Data before = r.color();
    KT_Rendition shared = r;
    r.swap_backface_color();
    EXPECT_EQ(r.color().front, before.back);
    EXPECT_EQ(r.color().back, before.front);
    EXPECT_EQ(r.color().front_material.type(), KT_Shader_Type::Complex);
    EXPECT_EQ(shared.color().front, before.front); // shared bodies are copied
    r.swap_backface_color();
    EXPECT_EQ(r.color().front, before.front);
    EXPECT_TRUE(r.color().front_material.shares_body_with(before.front_material));
    EXPECT_TRUE(r.color().back_material.shares_body_with(before.back_material));
    r.swap_contrast_color();
    EXPECT_EQ(r.color().front, before.contrast);
    EXPECT_EQ(r.color().contrast, before.front);
    EXPECT_EQ(r.color().back, before.back);
}

// Each change copies the net body and its one record, and a sole holder
// changes both where they are with new serials.
TEST(RenditionSharing, EverySetterCopiesOnlyItsOwnRecord) {
    Device device(101, 81, 24);
    const KT_Rendition a(&device);
    const auto original = serials(a);
    auto check = [&](int changed, void (*change)(KT_Rendition&)) {
        KT_Rendition b = a;
        change(b);
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(record(a, i) == record(b, i), i != changed) << changed << " record " << i;
        EXPECT_FALSE(a.shares_body_with(b));
        EXPECT_EQ(serials(a), original);
        const KT_Net_Data* net = b.body();
        const std::uint32_t net_serial = b->change_serial();
        const std::uint32_t serial = record(b, changed)->change_serial();
        change(b);
        EXPECT_EQ(b.body(), net);
        EXPECT_NE(b->change_serial(), net_serial);
        EXPECT_NE(record(b, changed)->change_serial(), serial);
    };
    check(0, [](KT_Rendition& r) { r.set_viewport(small_box, false); });
    check(0, [](KT_Rendition& r) { r.set_modelling_matrix(KT_Matrix(), false); });
    check(0, [](KT_Rendition& r) { r.set_hard_clip(small_box, false); });
    check(1, [](KT_Rendition& r) { r.set_front_color(red, false); });
    check(1, [](KT_Rendition& r) { r.swap_contrast_color(); });
    check(2, [](KT_Rendition& r) { r.modify_line().line_weight = 3; });
    check(3, [](KT_Rendition& r) { r.modify_face().depth_offset = 3; });
    check(4, [](KT_Rendition& r) { r.modify_marker().marker_symbol = 9; });
    check(5, [](KT_Rendition& r) { r.modify_text_attribute().text_size = 3; });
    check(6,
          [](KT_Rendition& r) { r.set_advanced_options(r.misc().advanced_options ^ 16u, false); });
}

TEST(RenditionSharing, InPlaceChangesShowInEverySharer) {
    KT_Rendition a(no_renderer);
    KT_Rendition b = a;
    const auto before = serials(a);
    b.set_front_color(red, true);
    EXPECT_TRUE(a.shares_body_with(b));
    EXPECT_TRUE(same(a.color().front.rgb, red));
    EXPECT_NE(serials(a)[0], before[0]);
    EXPECT_NE(serials(a)[2], before[2]);
    // Two renditions with their own net bodies sharing one colour record.
    KT_Rendition c = a;
    c.set_handedness(1, false);
    ASSERT_TRUE(c->color.shares_body_with(a->color));
    c.set_contrast_color(green, true);
    EXPECT_TRUE(same(a.color().contrast.rgb, green));
}

TEST(RenditionSharing, RepeatedValuesChangeNothing) {
    Device device(101, 81, 24);
    KT_Rendition a(&device);
    KT_Camera camera;
    camera.set_field({4, 3});
    a.set_camera(camera, false);
    KT_Rendition b = a;
    const auto before = serials(b);
    b.set_camera(camera, false);
    b.set_advanced_options(0, false);
    EXPECT_TRUE(b.shares_body_with(a));
    EXPECT_EQ(serials(b), before);
    // A changed camera body has a new serial and is taken.
    camera.zoom(2);
    b.set_camera(camera, false);
    EXPECT_FALSE(b->transform.shares_body_with(a->transform));
    EXPECT_TRUE(b.transform().camera.shares_body_with(camera));
    // Two empty cameras are the same default camera.
    KT_Rendition c(&device);
    const auto empty = serials(c);
    c.set_camera(KT_Camera(), false);
    EXPECT_EQ(serials(c), empty);
}

TEST(RenditionRenderer, ExtentFollowsTheWindowAndTheLocalCoordinatesOption) {
    Device device(101, 81, 16);
    device.current_renderer_options.set_window_origin({200, 100});
    KT_Rendition r(&device);
    expect_rectangle("hard clip of the window", r.transform().hard_clip,
                     {.left = 200, .right = 300, .bottom = 100, .top = 180});
    EXPECT_TRUE(r.transform().depth_buffer);
    device.current_renderer_options.set_local_coordinates(true);
    device.current_renderer_options.set_buffer_depth(0);
    r.renew_renderer(&device, false);
    expect_rectangle("hard clip in local coordinates", r.transform().hard_clip,
                     {.left = 0, .right = 100, .bottom = 0, .top = 80});
    expect_rectangle("viewport in local coordinates", r.transform().viewport,
                     {.left = 0, .right = 100, .bottom = 0, .top = 80});
    EXPECT_FALSE(r.transform().depth_buffer);
    const auto before = serials(r);
    r.renew_renderer(nullptr, false);
    EXPECT_EQ(serials(r), before);
    EXPECT_EQ(r.renderer(), &device);
}

TEST(RenditionClips, HardClipsAreClampedRestrictedAndReset) {
    Device device(101, 81, 16);
    KT_Rendition r(&device), bare(no_renderer);
    r.set_hard_clip({-50, 500, -5, 90}, false);
    expect_rectangle("clamped to the window", r.transform().hard_clip,
                     {.left = 0, .right = 100, .bottom = 0, .top = 80});
    r.set_hard_clip_unrestricted({-50, 500, -5, 90}, false);
    EXPECT_EQ(r.transform().hard_clip.left, -50);
    r.reset_hard_clip(false);
    expect_rectangle("reset", r.transform().hard_clip,
                     {.left = 0, .right = 100, .bottom = 0, .top = 80});
    r.restrict_hard_clip({10, 200, 20, 30}, false);
    expect_rectangle("restricted", r.transform().hard_clip,
                     {.left = 10, .right = 100, .bottom = 20, .top = 30});
    // A rectangle beside the clip collapses it onto its nearest edge.
    r.restrict_hard_clip({150, 160, 0, 10}, false);
    expect_rectangle("restricted to a rectangle beside it", r.transform().hard_clip,
                     {.left = 150, .right = 150, .bottom = 10, .top = 10});

    // Without a renderer clips are stored as given and reset does nothing.
    bare.set_hard_clip({-50, 500, -5, 90}, false);
    expect_rectangle("stored as given", bare.transform().hard_clip,
                     {.left = -50, .right = 500, .bottom = -5, .top = 90});
    const auto before = serials(bare);
    bare.reset_hard_clip(false);
    EXPECT_EQ(serials(bare), before);
}

KT_Contour_Set square(float x0, float y0, float x1, float y1) {
    const KT_Point corners[4] = {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}};
    return KT_Contour_Set(4, corners, true);
}

bool inside(const KT_Contour_Set& region, float x, float y) {
    return !region.empty() && region->point_inside(KT_Point{x, y, 0});
}

TEST(RenditionClips, HardComplexClipIntersectsTheRectangleWithTheComplexClip) {
    Device device(101, 101, 16);
    KT_Rendition r(&device);
    KT_Rendition shared = r;
    const auto before = serials(r);
    r.validate_hard_complex_clip(); // in place, renewing serials
    EXPECT_TRUE(shared.transform().hard_complex_clip_valid);
    EXPECT_NE(serials(r)[1], before[1]);
    EXPECT_TRUE(inside(r.transform().hard_complex_clip, 25, 25));
    EXPECT_FALSE(inside(r.transform().hard_complex_clip, 125, 25));

    r.set_complex_clip(square(50, 50, 150, 150), false);
    EXPECT_FALSE(r.transform().hard_complex_clip_valid);
    r.validate_hard_complex_clip();
    const KT_Contour_Set& both = r.transform().hard_complex_clip;
    EXPECT_TRUE(inside(both, 75, 75));
    EXPECT_FALSE(inside(both, 25, 25));   // outside the complex clip
    EXPECT_FALSE(inside(both, 125, 125)); // outside the window
    r.set_hard_clip({0, 60, 0, 60}, false);
    EXPECT_FALSE(r.transform().hard_complex_clip_valid);
    r.validate_hard_complex_clip();
    EXPECT_TRUE(inside(r.transform().hard_complex_clip, 55, 55));
    EXPECT_FALSE(inside(r.transform().hard_complex_clip, 75, 75));
    r.set_hard_clip_unrestricted({60, 40, 60, 40}, false); // inverted: nothing
    r.validate_hard_complex_clip();
    EXPECT_FALSE(inside(r.transform().hard_complex_clip, 50, 50));
    r.set_complex_clip(nullptr, false);
    r.reset_hard_clip(false);
    r.validate_hard_complex_clip();
    EXPECT_TRUE(inside(r.transform().hard_complex_clip, 5, 5));
}

TEST(RenditionClips, ShiftedComplexClipMovesByTheViewportOriginAndIsCached) {
    Device device(301, 301, 16);
    KT_Rendition r(&device);
    EXPECT_TRUE(r.shifted_complex_clip().empty());
    r.set_complex_clip(square(0, 0, 10, 10), false);
    EXPECT_FLOAT_EQ(r.shifted_complex_clip()->points[2].x, 10);
    r.set_viewport({100, 300, 50, 250}, false);
    const KT_Contour_Set moved = r.shifted_complex_clip();
    EXPECT_TRUE(inside(moved, 105, 55));
    EXPECT_FALSE(inside(moved, 5, 5));
    EXPECT_TRUE(r.shifted_complex_clip().shares_body_with(moved));
    r.set_complex_clip(square(20, 20, 30, 30), false);
    EXPECT_FLOAT_EQ(r.shifted_complex_clip()->points[0].x, 120);

    // Double-precision clips stay double.
    const KT_Point_D corners[3] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
    r.set_complex_clip(KT_Contour_Set(3, corners, true), false);
    r.set_viewport({1, 301, 2, 302}, false);
    const KT_Contour_Set wide = r.shifted_complex_clip();
    ASSERT_TRUE(wide->is_double());
    EXPECT_DOUBLE_EQ(wide->points_d[1].x, 11);
    r.validate_hard_complex_clip();
    EXPECT_TRUE(r.transform().hard_complex_clip->point_inside(KT_Point_D{2, 2, 0}));
}

TEST(RenditionPlainForm, ResetsLinesFacesAndPatternModeUnlessTheLineKeepsThem) {
    KT_Rendition r(no_renderer);
    r.modify_line().line_pattern = 7;
    r.modify_face().depth_offset = 12;
    r.modify_face().face_pattern = 75;
    r.modify_misc().pattern_mode = KT_Pattern_Opaque;
    KT_Rendition keeping = r;
    keeping.modify_line().flags[KT_Line_Keep_Face_Pattern] = 1;
    const KT_Rendition original = r;
    r.use_plain_form(3);
    EXPECT_EQ(r.line().line_pattern, 0);
    EXPECT_EQ(r.line().line_weight, 3);
    EXPECT_EQ(r.face().depth_offset, 0);
    EXPECT_EQ(r.face().face_pattern, 64);
    EXPECT_EQ(r.misc().pattern_mode, 0);
    EXPECT_EQ(original.line().line_pattern, 7);
    EXPECT_EQ(original.misc().pattern_mode, KT_Pattern_Opaque);
    keeping.use_plain_form(0);
    EXPECT_EQ(keeping.face().face_pattern, 75);
    EXPECT_TRUE(keeping->misc.shares_body_with(original->misc));
}

TEST(RenditionCopies, AnEmptyHandleActsAsARenditionWithoutRenderer) {
    KT_Rendition r, camera_first, options_first;
    EXPECT_EQ(r.renderer(), nullptr);
    EXPECT_TRUE(r.shifted_complex_clip().empty());
    r.restrict_hard_clip({1, 2, 3, 4}, false);
    EXPECT_EQ(r.transform().hard_clip.left, 1);
    EXPECT_TRUE(same(r.color().contrast.rgb, white));
    KT_Camera camera;
    camera.zoom(2);
    camera_first.set_camera(camera, false);
    EXPECT_TRUE(camera_first.transform().camera.shares_body_with(camera));
    options_first.set_advanced_options(64, false);
    EXPECT_TRUE(options_first.misc().advanced_options.has(64));
    // Copies outlive the rendition and device they came from.
    KT_Rendition copy;
    {
        Device device(101, 81, 16);
        KT_Rendition original(&device);
        original.set_complex_clip(square(0, 0, 5, 5), false);
        copy = original;
        copy.set_front_color(red, false);
    }
    EXPECT_TRUE(same(copy.color().front.rgb, red));
    EXPECT_FALSE(copy.transform().complex_clip.empty());
}

} // namespace
