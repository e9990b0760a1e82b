// The area a hard clip lets filled primitives draw is exactly its pixels,
// right column and top row included: triangles and polygons reaching over
// the clip fill each of its pixels once, and a one-pixel clip draws its
// pixel for every triangle that covers it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "../support/capturing_device.h"
#include "draw2d/polytriangle_routing.h"
#include "draw3d/transform_clip.h"
#include "renderer/next_action.h"

namespace {

constexpr int window = 96;
constexpr KT_RGB32 red = {0, 0, 255, 255};
constexpr KT_RGB32 green = {0, 255, 0, 255};
constexpr KT_RGB32 blue = {255, 0, 0, 255};

enum class Family { F2D, F2DD, F2DI };
enum class Variant { Plain, Colorized, Gouraud, Phong, Textured };

const char* name_of(Family f) {
    static const char* const names[] = {"2D", "2DD", "2DI"};
    return names[static_cast<int>(f)];
}

const char* name_of(Variant v) {
    static const char* const names[] = {"plain", "colorized", "gouraud", "phong", "textured"};
    return names[static_cast<int>(v)];
}

constexpr Family all_families[] = {Family::F2D, Family::F2DD, Family::F2DI};
constexpr Variant all_variants[] = {Variant::Plain, Variant::Colorized, Variant::Gouraud,
                                    Variant::Phong, Variant::Textured};

// Integer corners keep every family's triangle the same.
struct Corner {
    int x, y;
};

class Hard_Clip_Coverage : public ::testing::Test {
public:
    Hard_Clip_Coverage() : device(new capture::Device(window, window)), rendition(device.body()) {
        rendition.set_front_color(red, false);
    }

    void clip_to(const KT_Int_Rectangle& clip) {
        rendition.set_hard_clip_unrestricted(clip, false);
    }

    void draw(Family family, Variant variant, const Corner (&corners)[3]) {
        switch (family) {
        case Family::F2D:
            draw_in<KT_Family::F2D>(variant, corners);
            return;
        case Family::F2DD:
            draw_in<KT_Family::F2DD>(variant, corners);
            return;
        case Family::F2DI:
            draw_in<KT_Family::F2DI>(variant, corners);
            return;
        }
    }

    // "" when every pixel of the clip was drawn exactly once and nothing
    // else was drawn; otherwise the first pixel that breaks it.
    std::string fault_against(const KT_Int_Rectangle& clip) const {
        if (device->outside != 0 || device->malformed != 0) return "rows outside the window";
        const capture::Picture& p = device->picture;
        for (int y = 0; y < p.height(); ++y)
            for (int x = 0; x < p.width(); ++x) {
                const bool in_clip =
                    x >= clip.left && x <= clip.right && y >= clip.bottom && y <= clip.top;
                const int hits = p.at(x, y).hits;
                if (hits == (in_clip ? 1 : 0)) continue;
                std::ostringstream text;
                text << "pixel (" << x << ", " << y << ") " << (in_clip ? "in" : "outside")
                     << " the clip drawn " << hits << " times";
                return text.str();
            }
        return "";
    }

    KT_Pointer<capture::Device> device;
    KT_Rendition rendition;

private:
    // The family's polytriangle slots follow each variant's 2D slot at the
    // family's offset.
    template <KT_Family F> void draw_in(Variant variant, const Corner (&corners)[3]) {
        using P = KT_Family_Point_T<F>;
        using Real = decltype(P{}.x);
        constexpr int offset = static_cast<int>(F);
        P p[3];
        for (int i = 0; i < 3; ++i)
            p[i] = {static_cast<Real>(corners[i].x), static_cast<Real>(corners[i].y),
                    static_cast<Real>(100 * (i + 1))};
        const KT_RGB32 colours[3] = {red, green, blue};
        const KT_Vector normals[3] = {{0, 0, 1}, {0.1f, 0, 1}, {0, 0.1f, 1}};
        const KT_Parameter uv[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        switch (variant) {
        case Variant::Plain:
            KD_Next_Action<KT_Slot_Draw_2D_Polytriangle + offset>(&rendition, 3, p);
            return;
        case Variant::Colorized:
            KD_Next_Action<KT_Slot_Draw_2D_Colorized_Polytriangle + offset>(&rendition, 3, p,
                                                                            &green, true);
            return;
        case Variant::Gouraud:
            KD_Next_Action<KT_Slot_Draw_2D_Gouraud_Polytriangle + offset>(&rendition, 3, p,
                                                                          colours);
            return;
        case Variant::Phong:
            KD_Next_Action<KT_Slot_Draw_2D_Phong_Polytriangle + offset>(
                &rendition, 3, p, normals, colours, static_cast<const KT_Point*>(nullptr),
                static_cast<const float*>(nullptr));
            return;
        case Variant::Textured:
            KD_Next_Action<KT_Slot_Draw_2D_Textured_Polytriangle + offset>(
                &rendition, 3, p, colours, uv, 1, static_cast<const float*>(nullptr),
                static_cast<const KT_Vector*>(nullptr));
            return;
        }
    }
};

// Far beyond every side of the window, yet inside the guard rectangle.
constexpr Corner covering_window[3] = {{-1000, -1000}, {5000, -1000}, {-1000, 5000}};

// The whole window, a clip inside it, and clips one column wide and one
// row high: each is filled exactly by a triangle that covers it.
TEST_F(Hard_Clip_Coverage, TriangleOverTheClipFillsEveryClipPixelOnce) {
    struct Clip_Case {
        const char* name;
        KT_Int_Rectangle clip;
    };
    const Clip_Case clips[] = {{"whole window", {0, window - 1, 0, window - 1}},
                               {"inner", {17, 58, 9, 80}},
                               {"one column", {33, 33, 4, 90}},
                               {"one row", {2, 93, 61, 61}}};
    for (const Clip_Case& c : clips) {
        clip_to(c.clip);
        for (Family family : all_families)
            for (Variant variant : all_variants) {
                SCOPED_TRACE(std::string(c.name) + " clip, " + name_of(family) + " " +
                             name_of(variant));
                device->clear();
                draw(family, variant, covering_window);
                EXPECT_EQ(fault_against(c.clip), "");
            }
    }
}

TEST_F(Hard_Clip_Coverage, PolygonsOverTheClipFillExactlyTheClip) {
    const KT_Int_Rectangle inner = {5, 70, 12, 60};
    clip_to(inner);
    const KT_Point pentagon[] = {
        {-300, -300, 0}, {400, -300, 0}, {500, 100, 0}, {100, 500, 0}, {-300, 200, 0}};
    const KT_DCI_Point integer_pentagon[] = {
        {-300, -300, 0}, {400, -300, 0}, {500, 100, 0}, {100, 500, 0}, {-300, 200, 0}};
    {
        SCOPED_TRACE("2D pentagon");
        KD_Next_Action<KT_Slot_Draw_2D_Polygon>(&rendition, 5, pentagon,
                                                static_cast<const KT_RGB32*>(nullptr));
        EXPECT_EQ(fault_against(inner), "");
    }
    device->clear();
    {
        SCOPED_TRACE("2DI pentagon");
        KD_Next_Action<KT_Slot_Draw_2DI_Polygon>(&rendition, 5, integer_pentagon,
                                                 static_cast<const KT_RGB32*>(nullptr));
        EXPECT_EQ(fault_against(inner), "");
    }
}

TEST_F(Hard_Clip_Coverage, ClippedDeviceTriangleFillsExactlyTheClip) {
    const KT_Int_Rectangle inner = {30, 31, 40, 90};
    clip_to(inner);
    const KT_Point a{-1000, -1000, 0}, b{5000, -1000, 0}, c{-1000, 5000, 0};
    KD_Draw_Clipped_2D_Triangle(device.body(), &rendition, &a, &b, &c, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, 0, 1, 1, 1, nullptr, nullptr, nullptr);
    EXPECT_EQ(fault_against(inner), "");
}

// One vertex lies behind the near limit; what is left in front still
// covers the whole window.
TEST_F(Hard_Clip_Coverage, TriangleSplitAtTheNearLimitFillsTheWholeWindow) {
    const KT_Int_Rectangle whole = {0, window - 1, 0, window - 1};
    clip_to(whole);
    rendition.modify_transform().scaled_wlimit = 0.25;
    const KT_Point in_front_left{-1000, -1000, 0}, in_front_right{5000, -1000, 0};
    const KT_Point behind_undivided{0, 4000, 0};
    const float w_in_front = 1.0f, w_behind = -1.0f;
    KD_Draw_Clipped_2DW_Triangle(device.body(), &rendition, nullptr, &in_front_left,
                                 &in_front_right, &behind_undivided, w_in_front, w_in_front,
                                 w_behind, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                                 nullptr, nullptr, nullptr);
    EXPECT_EQ(fault_against(whole), "");
}

// A one-pixel clip at corners and edges of the window and inside it.
constexpr Corner single_pixels[] = {
    {0, 0}, {window - 1, window - 1}, {0, window - 1}, {window - 1, 0}, {40, 17}};

// Both triangles straddle the clip (their outcodes share no side), with
// the long edge passing three pixel widths beside the pixel: on its far
// side for the covering one, on its near side for the other.
struct Straddling {
    Corner covering[3];
    Corner missing[3];
};

Straddling straddling(const Corner& p) {
    return {{{p.x - 50, p.y + 53}, {p.x + 53, p.y - 50}, {p.x - 50, p.y - 50}},
            {{p.x - 50, p.y + 47}, {p.x + 47, p.y - 50}, {p.x - 50, p.y - 50}}};
}

// Runs check(pixel, family, clip) with a one-pixel clip at each position
// in each family.
template <class Check> void each_one_pixel_clip(Hard_Clip_Coverage& test, Check&& check) {
    for (const Corner& pixel : single_pixels) {
        const KT_Int_Rectangle one = {pixel.x, pixel.x, pixel.y, pixel.y};
        test.clip_to(one);
        for (Family family : all_families) {
            std::ostringstream label;
            label << name_of(family) << " at (" << pixel.x << ", " << pixel.y << ")";
            SCOPED_TRACE(label.str());
            check(pixel, family, one);
        }
    }
}

TEST_F(Hard_Clip_Coverage, OnePixelClipFillsItsPixelForCoveringTriangles) {
    each_one_pixel_clip(*this,
                        [this](const Corner& pixel, Family family, const KT_Int_Rectangle& one) {
                            device->clear();
                            draw(family, Variant::Plain, covering_window);
                            EXPECT_EQ(fault_against(one), "") << "window-sized triangle";
                            device->clear();
                            draw(family, Variant::Gouraud, straddling(pixel).covering);
                            EXPECT_EQ(fault_against(one), "") << "straddling triangle";
                        });
}

TEST_F(Hard_Clip_Coverage, OnePixelClipStaysEmptyForTrianglesBesideIt) {
    each_one_pixel_clip(*this, [this](const Corner& pixel, Family family, const KT_Int_Rectangle&) {
        device->clear();
        draw(family, Variant::Gouraud, straddling(pixel).missing);
        EXPECT_EQ(device->picture.covered_count(), 0);
        EXPECT_EQ(device->outside, 0);
    });
}

} // namespace
