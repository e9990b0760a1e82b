// RGB32 pixels blended by their alpha on devices that store no colour
// channels of their own (mapped, gray, CMYK): what is drawn already is read
// back through the top renderer and mixed in before conversion.
#include <gtest/gtest.h>

#include <cstdlib>

#include "renderer/renderer_data.h"
#include "stage.h"

namespace {

using images_test::Stage;

constexpr int x = 4, y = 9; // the one pixel every test draws
constexpr std::uint8_t half = 128;
constexpr std::uint8_t transparent = 0;
constexpr KT_RGB32 white = {255, 255, 255, 255};

// The ideal mix of channel s over d at alpha a (of 255).
double mix(int s, int d, int a) {
    return (s * a + d * (255.0 - a)) / 255.0;
}

class Blending : public testing::Test {
protected:
    void prepare(Stage& stage, bool read_back) {
        stage.device->options().set_alpha_blending(true);
        if (read_back) stage.device->enable_read_back();
    }
    // Draws one opaque gray pixel the way any row would arrive.
    static void draw_gray(Stage& stage, std::uint8_t gray) {
        const KT_DCI_Point at = {x, y, 0};
        KD_Action_Draw_DCI_Gray8_Image(stage.device, &stage.rendition, &at, &at, 0, &gray, 256);
    }
    static void draw_rgb(Stage& stage, KT_RGB32 colour, std::uint8_t alpha) {
        colour.a = alpha;
        const KT_DCI_Point at = {x, y, 0};
        const KT_Packing canonical;
        KD_Action_Draw_DCI_RGB32_Image(stage.device, &stage.rendition, &at, &at, 0, &colour, 256,
                                       &canonical);
    }
};

TEST_F(Blending, HalfWhiteOverGrayLandsHalfwayOnAGrayDevice) {
    Stage stage(KT_Color_System::Gray);
    prepare(stage, true);
    const std::uint8_t drawn = 200;
    draw_gray(stage, drawn);
    draw_rgb(stage, white, half);
    EXPECT_NEAR(stage.at(x, y)[0], mix(255, drawn, half), 1.0);
}

TEST_F(Blending, ATransparentPixelLeavesTheMappedColourAsItWas) {
    Stage stage(KT_Color_System::Mapped);
    prepare(stage, true);
    const KT_RGB32 cube_red = {0, 0, 255, 255};
    draw_rgb(stage, cube_red, 255);
    const int index_before = stage.at(x, y)[0];
    draw_rgb(stage, white, transparent);
    EXPECT_EQ(stage.at(x, y)[0], index_before);
}

TEST_F(Blending, HalfBlackOverWhiteGivesHalfTheInksOnACMYKDevice) {
    Stage stage(KT_Color_System::CMYK);
    prepare(stage, true);
    draw_rgb(stage, white, 255);
    draw_rgb(stage, KT_RGB32{0, 0, 0, 255}, half);
    const KT_RGB32 shown = stage.device->colour_at(x, y);
    const double expected = mix(0, 255, half);
    EXPECT_NEAR(shown.r, expected, 1.0);
    EXPECT_NEAR(shown.g, expected, 1.0);
    EXPECT_NEAR(shown.b, expected, 1.0);
}

TEST_F(Blending, ADeviceThatCannotReadBackGetsThePixelOpaque) {
    Stage stage(KT_Color_System::Gray);
    prepare(stage, false);
    draw_gray(stage, 0);
    draw_rgb(stage, white, half);
    EXPECT_EQ(stage.at(x, y)[0], 255);
}

TEST_F(Blending, WithBlendingOffAlphaIsIgnored) {
    Stage stage(KT_Color_System::Gray);
    stage.device->enable_read_back();
    draw_gray(stage, 0);
    draw_rgb(stage, white, half);
    EXPECT_EQ(stage.at(x, y)[0], 255);
}

} // namespace
