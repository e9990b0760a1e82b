#include <gtest/gtest.h>

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

bool same(const KT_RGB32& a, const KT_RGB32& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// Serials of the net body and its seven records.
struct Serials {
    std::uint32_t net, transform, color, line, face, marker, text, misc;
    explicit Serials(const KT_Rendition& r)
        : net(r->change_serial()), transform(r->transform->change_serial()),
          color(r->color->change_serial()), line(r->line->change_serial()),
          face(r->face->change_serial()), marker(r->marker->change_serial()),
          text(r->text_attribute->change_serial()), misc(r->misc->change_serial()) {}
    bool operator==(const Serials&) const = default;
};

class RenditionWithPalette : public ::testing::Test {
protected:
    RenditionWithPalette() : device(101, 81, 24) {
        device.current_renderer_options.set_palette(palette_of({red, green, blue, grey, white}));
    }
    Device device;
};

TEST_F(RenditionWithPalette, DefaultColoursAreResolved) {
    const KT_Rendition r(&device);
    // Black's nearest entry is grey; white is in the palette.
    EXPECT_EQ(r.color().front.index, 3);
    EXPECT_TRUE(same(r.color().front.rgb, black));
    EXPECT_TRUE(same(r.color().front.device_rgb, grey));
    EXPECT_EQ(r.color().back.index, 3);
    EXPECT_EQ(r.color().contrast.index, 4);
    EXPECT_EQ(r.color().background.index, 4);
    EXPECT_TRUE(same(r.color().background.device_rgb, white));
}

TEST_F(RenditionWithPalette, ColoursResolveToTheClosestEntry) {
    KT_Rendition r(&device);
    r.set_front_color({10, 20, 240, 255}, false);
    EXPECT_EQ(r.color().front.index, 0);
    EXPECT_TRUE(same(r.color().front.device_rgb, red));
    EXPECT_EQ(r.color().back.index, 3); // untouched
    r.set_color({5, 250, 5, 255}, false, true);
    EXPECT_EQ(r.color().front.index, 1);
    EXPECT_EQ(r.color().back, r.color().front);
    r.set_background_color_index(2, false);
    EXPECT_TRUE(same(r.color().background.rgb, blue));
    EXPECT_TRUE(same(r.color().background.device_rgb, blue));
    // The index form keeps the colour asked for and shows the entry.
    r.set_contrast_color({1, 2, 3, 255}, 4, false);
    EXPECT_TRUE(same(r.color().contrast.rgb, {1, 2, 3, 255}));
    EXPECT_EQ(r.color().contrast.index, 4);
    EXPECT_TRUE(same(r.color().contrast.device_rgb, white));
    r.set_color_index(2, false);
    EXPECT_TRUE(same(r.color().back.rgb, blue));
    EXPECT_EQ(r.color().back.index, 2);
    r.set_color(grey, 1, false);
    EXPECT_TRUE(same(r.color().back.rgb, grey));
    EXPECT_TRUE(same(r.color().back.device_rgb, green));
}

TEST_F(RenditionWithPalette, APaletteWithoutEntriesLeavesColoursUnmapped) {
    device.current_renderer_options.set_palette(KT_Palette());
    KT_Rendition r(&device);
    EXPECT_EQ(r.color().front.index, -1);
    r.set_front_color(red, false);
    EXPECT_EQ(r.color().front.index, -1);
    EXPECT_TRUE(same(r.color().front.device_rgb, red));
}

TEST(RenditionColours, WithoutRendererNothingIsMapped) {
    KT_Rendition r(static_cast<const KT_Renderer_Data*>(nullptr));
    EXPECT_EQ(r.color().front.index, -1);
    EXPECT_TRUE(same(r.color().front.device_rgb, black));
    EXPECT_TRUE(same(r.color().contrast.device_rgb, white));
    r.set_back_color(green, false);
    EXPECT_EQ(r.color().back.index, -1);
    EXPECT_TRUE(same(r.color().back.device_rgb, green));
    r.set_front_color_index(3, false);
    EXPECT_EQ(r.color().front.index, 3);
    EXPECT_TRUE(same(r.color().front.rgb, {0, 0, 0, 0}));
    r.set_front_color(red, 7, false);
    EXPECT_TRUE(same(r.color().front.rgb, red));
    EXPECT_TRUE(same(r.color().front.device_rgb, {0, 0, 0, 0}));
}

TEST(RenditionSharing, AChangeCopiesOnlyTheNetAndOneRecord) {
    Device device(101, 81, 24);
    KT_Rendition a(&device);
    KT_Rendition b = a;
    const Serials before(a);
    b.set_front_color(red, false);
    EXPECT_TRUE(same(a.color().front.rgb, black));
    EXPECT_TRUE(same(b.color().front.rgb, red));
    EXPECT_FALSE(a.shares_body_with(b));
    EXPECT_FALSE(a->color.shares_body_with(b->color));
    EXPECT_TRUE(a->transform.shares_body_with(b->transform));
    EXPECT_TRUE(a->line.shares_body_with(b->line));
    EXPECT_TRUE(a->face.shares_body_with(b->face));
    EXPECT_TRUE(a->marker.shares_body_with(b->marker));
    EXPECT_TRUE(a->text_attribute.shares_body_with(b->text_attribute));
    EXPECT_TRUE(a->misc.shares_body_with(b->misc));
    EXPECT_EQ(Serials(a), before);
    const Serials after(b);
    EXPECT_NE(after.net, before.net);
    EXPECT_NE(after.color, before.color);
    EXPECT_EQ(after.line, before.line);
    // A sole holder changes its bodies where they are, with new serials.
    const KT_Net_Data* net = b.body();
    const KT_Color_Data* colour = b->color.body();
    b.set_front_color(green, false);
    EXPECT_EQ(b.body(), net);
    EXPECT_EQ(b->color.body(), colour);
    EXPECT_NE(Serials(b).color, after.color);
    EXPECT_NE(Serials(b).net, after.net);
}

TEST(RenditionSharing, InPlaceChangesShowInEverySharer) {
    KT_Rendition a(static_cast<const KT_Renderer_Data*>(nullptr));
    KT_Rendition b = a;
    const Serials before(a);
    b.set_front_color(red, true);
    EXPECT_TRUE(a.shares_body_with(b));
    EXPECT_TRUE(same(a.color().front.rgb, red));
    EXPECT_NE(Serials(a).net, before.net);
    EXPECT_NE(Serials(a).color, before.color);
    // Two renditions with their own net bodies sharing one colour record.
    KT_Rendition c = a;
    c.set_handedness(1, false);
    ASSERT_FALSE(c.shares_body_with(a));
    ASSERT_TRUE(c->color.shares_body_with(a->color));
    c.set_contrast_color(green, true);
    EXPECT_TRUE(same(a.color().contrast.rgb, green));
}

TEST(RenditionSharing, EverySetterCopiesItsOwnRecord) {
    Device device(101, 81, 24);
    KT_Rendition a(&device);
    auto check = [&](const char* name, void (*change)(KT_Rendition&), int record) {
        KT_Rendition b = a;
        change(b);
        const bool shared[7] = {a->transform.shares_body_with(b->transform),
                                a->color.shares_body_with(b->color),
                                a->line.shares_body_with(b->line),
                                a->face.shares_body_with(b->face),
                                a->marker.shares_body_with(b->marker),
                                a->text_attribute.shares_body_with(b->text_attribute),
                                a->misc.shares_body_with(b->misc)};
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(shared[i], i != record) << name << " record " << i;
        // Changed again as sole holder: the same bodies with new serials.
        const KT_Net_Data* net = b.body();
        const std::uint32_t net_serial = b->change_serial();
        const KT_Counted* records[7] = {
            b->transform.body(), b->color.body(),          b->line.body(), b->face.body(),
            b->marker.body(),    b->text_attribute.body(), b->misc.body()};
        const std::uint32_t serial = records[record]->change_serial();
        change(b);
        EXPECT_EQ(b.body(), net) << name;
        EXPECT_NE(b->change_serial(), net_serial) << name;
        EXPECT_NE(records[record]->change_serial(), serial) << name;
    };
    check(
        "viewport",
        [](KT_Rendition& r) {
            r.set_viewport({0, 10, 0, 10}, false);
        },
        0);
    check(
        "modelling", [](KT_Rendition& r) { r.set_modelling_matrix(KT_Matrix(), false); }, 0);
    check(
        "hard clip",
        [](KT_Rendition& r) {
            r.set_hard_clip({0, 10, 0, 10}, false);
        },
        0);
    check(
        "swap", [](KT_Rendition& r) { r.swap_contrast_color(); }, 1);
    check(
        "line", [](KT_Rendition& r) { r.modify_line().line_weight = 3; }, 2);
    check(
        "face", [](KT_Rendition& r) { r.modify_face().depth_offset = 3; }, 3);
    check(
        "marker", [](KT_Rendition& r) { r.modify_marker().marker_symbol = 9; }, 4);
    check(
        "text", [](KT_Rendition& r) { r.modify_text_attribute().text_size = 3; }, 5);
    check(
        "advanced",
        [](KT_Rendition& r) { r.set_advanced_options(r.misc().advanced_options ^ 16u, false); }, 6);
}

TEST(RenditionSharing, RepeatedValuesChangeNothing) {
    Device device(101, 81, 24);
    KT_Rendition a(&device);
    KT_Camera camera;
    camera.set_field({4, 3});
    a.set_camera(camera, false);
    KT_Rendition b = a;
    const Serials before(b);
    b.set_camera(camera, false);
    b.set_advanced_options(0, false);
    EXPECT_TRUE(b.shares_body_with(a));
    EXPECT_EQ(Serials(b), before);
    // A changed camera body has a new serial and is taken.
    camera.zoom(2);
    b.set_camera(camera, false);
    EXPECT_FALSE(b->transform.shares_body_with(a->transform));
    EXPECT_TRUE(b.transform().camera.shares_body_with(camera));
    b.set_advanced_options(KT_Advanced_Options::Ignore_Face_Colors, false);
    EXPECT_TRUE(b.misc().advanced_options.has(KT_Advanced_Options::Ignore_Face_Colors));
    EXPECT_FALSE(a.misc().advanced_options.has(KT_Advanced_Options::Ignore_Face_Colors));
    // Two empty cameras are the same default camera.
    KT_Rendition c(&device);
    const Serials empty(c);
    c.set_camera(KT_Camera(), false);
    EXPECT_EQ(Serials(c), empty);
}

TEST(RenditionColours, SetColorSetsFrontAndBackSetFrontColorOnlyFront) {
    KT_Rendition r(static_cast<const KT_Renderer_Data*>(nullptr));
    r.set_color(red, false);
    EXPECT_TRUE(same(r.color().front.rgb, red));
    EXPECT_TRUE(same(r.color().back.rgb, red));
    r.set_front_color(green, false);
    EXPECT_TRUE(same(r.color().front.rgb, green));
    EXPECT_TRUE(same(r.color().back.rgb, red));
}

TEST(RenditionColours, SwapsExchangeColoursAndMaterials) {
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
    EXPECT_EQ(r.color().back, before.back);
    EXPECT_TRUE(r.color().front_material.shares_body_with(before.front_material));
    EXPECT_TRUE(r.color().back_material.shares_body_with(before.back_material));

    r.swap_contrast_color();
    EXPECT_EQ(r.color().front, before.contrast);
    EXPECT_EQ(r.color().contrast, before.front);
    EXPECT_EQ(r.color().back, before.back);
}

TEST(RenditionDefaults, RecordsStartAtTheirDefaults) {
    Device device(101, 81, 24);
    const KT_Rendition r(&device);
    EXPECT_EQ(r.renderer(), &device);
    EXPECT_EQ(r.line().line_weight, 1);
    EXPECT_EQ(r.line().line_pattern, 0);
    EXPECT_FLOAT_EQ(r.line().mitre_length_limit, 6.0f);
    EXPECT_EQ(r.face().face_pattern, 64);
    EXPECT_EQ(r.marker().marker_size, 10);
    EXPECT_EQ(r.marker().marker_symbol, 4);
    EXPECT_FLOAT_EQ(r.text_attribute().text_size, 10.0f);
    EXPECT_TRUE(r.text_attribute().font.empty());
    EXPECT_EQ(r.misc().misc_word, 13);
    EXPECT_EQ(static_cast<std::uint32_t>(r.misc().advanced_options), 0u);
    EXPECT_TRUE(r.misc().cutting_planes.empty());
    EXPECT_EQ(r.color().front_material.type(), KT_Shader_Type::Basic);
    EXPECT_TRUE(r.color().front_material.shares_body_with(r.color().back_material));
    EXPECT_EQ(r.color().color_flags[1], 1);
    EXPECT_TRUE(r.color().light_set.empty());
    EXPECT_TRUE(r.transform().camera.empty());
    EXPECT_TRUE(r.transform().modelling.empty());
    EXPECT_TRUE(r.transform().complex_clip.empty());
    EXPECT_EQ(r.transform().handedness, 0);
    EXPECT_TRUE(r.transform().depth_buffer);
    EXPECT_EQ(r.transform().hard_clip.right, 100);
    EXPECT_EQ(r.transform().viewport.top, 80);
}

TEST(RenditionDefaults, RecordCopiesShareTheirHandles) {
    KT_Line_Data line;
    const short dashes[] = {3, 1};
    line.dash_pattern = KT_Dash_Pattern(2, dashes, 0);
    line.line_shape = KT_Line_Shape(nullptr, 7);
    KT_Pointer<KT_Line_Data> copy(static_cast<KT_Line_Data*>(line.copy()));
    EXPECT_TRUE(copy->dash_pattern.shares_body_with(line.dash_pattern));
    EXPECT_EQ(copy->line_shape.index(), 7);
    KT_Text_Attribute_Data text;
    text.font.set_name(L"Serif");
    KT_Pointer<KT_Text_Attribute_Data> text_copy(static_cast<KT_Text_Attribute_Data*>(text.copy()));
    EXPECT_TRUE(text_copy->font.shares_body_with(text.font));
    EXPECT_EQ(text.font->set_mask, 1u);
}

TEST(RenditionRenderer, ExtentFollowsTheLocalCoordinatesOption) {
    Device device(101, 81, 16);
    device.current_renderer_options.set_window_origin({200, 100});
    KT_Rendition r(&device);
    EXPECT_EQ(r.transform().hard_clip.left, 200);
    EXPECT_EQ(r.transform().hard_clip.top, 180);
    device.current_renderer_options.set_local_coordinates(true);
    device.current_renderer_options.set_buffer_depth(0);
    r.renew_renderer(&device, false);
    EXPECT_EQ(r.transform().hard_clip.left, 0);
    EXPECT_EQ(r.transform().hard_clip.top, 80);
    EXPECT_EQ(r.transform().viewport.right, 100);
    EXPECT_FALSE(r.transform().depth_buffer);
    const Serials before(r);
    r.renew_renderer(nullptr, false);
    EXPECT_EQ(Serials(r), before);
    EXPECT_EQ(r.renderer(), &device);
}

TEST(RenditionClips, HardClipIsClampedIntoTheWindow) {
    Device device(101, 81, 16);
    KT_Rendition r(&device);
    r.set_hard_clip({-50, 500, -5, 90}, false);
    const KT_Int_Rectangle& h = r.transform().hard_clip;
    EXPECT_EQ(h.left, 0);
    EXPECT_EQ(h.right, 100);
    EXPECT_EQ(h.bottom, 0);
    EXPECT_EQ(h.top, 80);
    r.set_hard_clip_unrestricted({-50, 500, -5, 90}, false);
    EXPECT_EQ(r.transform().hard_clip.left, -50);
    r.reset_hard_clip(false);
    EXPECT_EQ(r.transform().hard_clip.left, 0);
    EXPECT_EQ(r.transform().hard_clip.right, 100);
}

TEST(RenditionClips, RestrictingOnlyShrinks) {
    Device device(101, 81, 16);
    KT_Rendition r(&device);
    r.restrict_hard_clip({10, 200, 20, 30}, false);
    KT_Int_Rectangle h = r.transform().hard_clip;
    EXPECT_EQ(h.left, 10);
    EXPECT_EQ(h.right, 100);
    EXPECT_EQ(h.bottom, 20);
    EXPECT_EQ(h.top, 30);
    // A rectangle beside the clip collapses it onto its nearest edge.
    r.restrict_hard_clip({150, 160, 0, 10}, false);
    h = r.transform().hard_clip;
    EXPECT_EQ(h.left, 150);
    EXPECT_EQ(h.right, 150);
    EXPECT_EQ(h.bottom, 10);
    EXPECT_EQ(h.top, 10);
}

TEST(RenditionClips, WithoutRendererClipsAreStoredAsGiven) {
    KT_Rendition r(static_cast<const KT_Renderer_Data*>(nullptr));
    r.set_hard_clip({-50, 500, -5, 90}, false);
    EXPECT_EQ(r.transform().hard_clip.left, -50);
    EXPECT_EQ(r.transform().hard_clip.top, 90);
    KT_Rendition shared = r;
    const Serials before(r);
    r.reset_hard_clip(false);
    EXPECT_EQ(Serials(r), before);
    EXPECT_TRUE(r.shares_body_with(shared));
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
    r.validate_hard_complex_clip();
    EXPECT_TRUE(r.transform().hard_complex_clip_valid);
    EXPECT_TRUE(inside(r.transform().hard_complex_clip, 25, 25));
    EXPECT_FALSE(inside(r.transform().hard_complex_clip, 125, 25));

    r.set_complex_clip(square(50, 50, 150, 150), false);
    EXPECT_FALSE(r.transform().hard_complex_clip_valid);
    EXPECT_TRUE(r.transform().hard_complex_clip.empty());
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

    r.set_complex_clip(nullptr, false);
    r.validate_hard_complex_clip();
    EXPECT_TRUE(inside(r.transform().hard_complex_clip, 5, 5));
}

TEST(RenditionClips, InvertedHardClipGivesAnEmptyRegion) {
    Device device(101, 101, 16);
    KT_Rendition r(&device);
    r.set_hard_clip_unrestricted({60, 40, 60, 40}, false);
    r.set_complex_clip(square(0, 0, 100, 100), false);
    r.validate_hard_complex_clip();
    EXPECT_TRUE(r.transform().hard_complex_clip_valid);
    EXPECT_FALSE(inside(r.transform().hard_complex_clip, 50, 50));
}

TEST(RenditionClips, ValidatingTheHardComplexClipRenewsSerialsInPlace) {
    Device device(101, 101, 16);
    KT_Rendition r(&device);
    KT_Rendition shared = r;
    const Serials before(r);
    r.validate_hard_complex_clip();
    EXPECT_TRUE(r.shares_body_with(shared));
    EXPECT_TRUE(shared.transform().hard_complex_clip_valid);
    EXPECT_NE(Serials(r).net, before.net);
    EXPECT_NE(Serials(r).transform, before.transform);
}

TEST(RenditionClips, ShiftedComplexClipMovesByTheViewportOrigin) {
    Device device(301, 301, 16);
    KT_Rendition r(&device);
    EXPECT_TRUE(r.shifted_complex_clip().empty());
    r.set_complex_clip(square(0, 0, 10, 10), false);
    const KT_Contour_Set unshifted = r.shifted_complex_clip();
    ASSERT_FALSE(unshifted.empty());
    EXPECT_FLOAT_EQ(unshifted->points[2].x, 10);
    EXPECT_FLOAT_EQ(unshifted->points[2].y, 10);

    r.set_viewport({100, 300, 50, 250}, false);
    const KT_Contour_Set moved = r.shifted_complex_clip();
    EXPECT_FLOAT_EQ(moved->points[0].x, 100);
    EXPECT_FLOAT_EQ(moved->points[0].y, 50);
    EXPECT_TRUE(inside(moved, 105, 55));
    EXPECT_FALSE(inside(moved, 5, 5));
    // Cached while neither origin nor clip changes.
    EXPECT_TRUE(r.shifted_complex_clip().shares_body_with(moved));

    r.set_complex_clip(square(20, 20, 30, 30), false);
    const KT_Contour_Set other = r.shifted_complex_clip();
    EXPECT_FALSE(other.shares_body_with(moved));
    EXPECT_FLOAT_EQ(other->points[0].x, 120);
}

TEST(RenditionClips, ShiftedComplexClipKeepsDoublePrecision) {
    Device device(301, 301, 16);
    KT_Rendition r(&device);
    const KT_Point_D corners[3] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
    r.set_complex_clip(KT_Contour_Set(3, corners, true), false);
    r.set_viewport({1, 301, 2, 302}, false);
    const KT_Contour_Set moved = r.shifted_complex_clip();
    ASSERT_TRUE(moved->is_double());
    EXPECT_DOUBLE_EQ(moved->points_d[1].x, 11);
    EXPECT_DOUBLE_EQ(moved->points_d[1].y, 2);
    r.validate_hard_complex_clip();
    EXPECT_TRUE(r.transform().hard_complex_clip->point_inside(KT_Point_D{2, 2, 0}));
}

TEST(RenditionPlainForm, ResetsLinesFacesAndPatternMode) {
    KT_Rendition r(static_cast<const KT_Renderer_Data*>(nullptr));
    r.modify_line().line_pattern = 7;
    r.modify_face().depth_offset = 12;
    r.modify_face().face_pattern = 75;
    r.modify_misc().pattern_mode = KT_Pattern_Opaque;
    KT_Rendition keep = r;
    r.use_plain_form(3);
    EXPECT_EQ(r.line().line_pattern, 0);
    EXPECT_EQ(r.line().line_weight, 3);
    EXPECT_EQ(r.face().depth_offset, 0);
    EXPECT_EQ(r.face().face_pattern, 64);
    EXPECT_EQ(r.misc().pattern_mode, 0);
    // The other rendition kept its records.
    EXPECT_EQ(keep.line().line_pattern, 7);
    EXPECT_EQ(keep.misc().pattern_mode, KT_Pattern_Opaque);
}

TEST(RenditionPlainForm, LineFlagKeepsTheFacePattern) {
    KT_Rendition r(static_cast<const KT_Renderer_Data*>(nullptr));
    r.modify_line().flags[KT_Line_Keep_Face_Pattern] = 1;
    r.modify_face().face_pattern = 75;
    r.modify_misc().pattern_mode = KT_Pattern_Opaque;
    KT_Rendition other = r;
    r.use_plain_form(0);
    EXPECT_EQ(r.line().line_weight, 0);
    EXPECT_EQ(r.face().face_pattern, 75);
    EXPECT_EQ(r.misc().pattern_mode, KT_Pattern_Opaque);
    EXPECT_TRUE(r->misc.shares_body_with(other->misc));
}

TEST(RenditionCopies, AnEmptyHandleActsAsARenditionWithoutRenderer) {
    KT_Rendition r;
    EXPECT_EQ(r.renderer(), nullptr);
    EXPECT_TRUE(r.shifted_complex_clip().empty());
    r.set_hard_clip({-5, 5, -5, 5}, false);
    EXPECT_EQ(r.transform().hard_clip.left, -5);
    EXPECT_TRUE(same(r.color().contrast.rgb, white));
    KT_Rendition camera_first;
    KT_Camera camera;
    camera.zoom(2);
    camera_first.set_camera(camera, false);
    EXPECT_TRUE(camera_first.transform().camera.shares_body_with(camera));
    KT_Rendition options_first;
    options_first.set_advanced_options(64, false);
    EXPECT_TRUE(options_first.misc().advanced_options.has(64));
    KT_Rendition restricted;
    restricted.restrict_hard_clip({1, 2, 3, 4}, false);
    EXPECT_EQ(restricted.transform().hard_clip.left, 1);
}

TEST(RenditionCopies, OutliveTheRenditionTheyCameFrom) {
    KT_Rendition copy;
    {
        Device device(101, 81, 16);
        KT_Rendition r(&device);
        r.set_complex_clip(square(0, 0, 5, 5), false);
        copy = r;
        copy.set_front_color(red, false);
    }
    EXPECT_TRUE(same(copy.color().front.rgb, red));
    EXPECT_FALSE(copy.transform().complex_clip.empty());
}

} // namespace
