#include <gtest/gtest.h>

#include <cmath>

#include "settings.h"

namespace {

using namespace render;

TEST(SizeOption, ReadsWidthAndHeight) {
    int width = 0, height = 0;
    ASSERT_TRUE(parse_size("640x480", width, height));
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
}

TEST(SizeOption, RefusesMalformedZeroNegativeAndHugeSizes) {
    for (const char* text : {"", "640", "640x", "x480", "0x480", "640x0", "-5x10", "10x-5",
                             "20000x10", "99999999999x10", "12.5x10", "10x10x10", "axb"}) {
        SCOPED_TRACE(text);
        int width = 7, height = 9;
        EXPECT_FALSE(parse_size(text, width, height));
        EXPECT_EQ(width, 7) << "a refused size leaves the old one";
        EXPECT_EQ(height, 9);
    }
}

TEST(ColourOption, ReadsNamesHexAndUnitTriples) {
    const struct {
        const char* text;
        Rgba expected;
    } cases[] = {
        {"white", {1, 1, 1, 1}},
        {"black", {0, 0, 0, 1}},
        {"#ff8000", {1, 128.0f / 255, 0, 1}},
        {"#00FF00", {0, 1, 0, 1}},
        {"0.25,0.5,1", {0.25f, 0.5f, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Rgba colour{};
        ASSERT_TRUE(parse_colour(c.text, colour));
        for (int i = 0; i < 4; ++i)
            EXPECT_FLOAT_EQ(colour[i], c.expected[i]) << "channel " << i;
    }
}

TEST(ColourOption, RefusesUnknownNamesBadHexAndOutOfRangeChannels) {
    for (const char* text : {"", "chartreuse-ish", "#ff80", "#gg0000", "1.5,0,0", "-0.1,0,0",
                             "0,0", "nan,0,0", "inf,0,0"}) {
        SCOPED_TRACE(text);
        Rgba colour{};
        EXPECT_FALSE(parse_colour(text, colour));
    }
}

TEST(CameraOption, ReadsPositionTargetAndFieldOfView) {
    Camera_Setting camera;
    ASSERT_TRUE(parse_camera("0,1,5:0,0.5,0:30", camera));
    EXPECT_FLOAT_EQ(camera.position[2], 5.0f);
    EXPECT_FLOAT_EQ(camera.target[1], 0.5f);
    EXPECT_NEAR(camera.field_of_view, 30.0 * M_PI / 180.0, 1e-6);
}

TEST(CameraOption, RefusesEyeOnTargetAndBadFieldOfView) {
    for (const char* text : {"", "1,2", "0,0,0", "1,1,1:1,1,1", "0,0,5:0,0,0:0", "0,0,5:0,0,0:180",
                             "0,0,5:0,0,0:40:9", "nan,0,5"}) {
        SCOPED_TRACE(text);
        Camera_Setting camera;
        EXPECT_FALSE(parse_camera(text, camera));
    }
}

TEST(LightingOption, KnowsTheThreeInterpolations) {
    Lighting lighting = Lighting::Gouraud;
    ASSERT_TRUE(parse_lighting("flat", lighting));
    EXPECT_EQ(lighting, Lighting::Flat);
    ASSERT_TRUE(parse_lighting("phong", lighting));
    EXPECT_EQ(lighting, Lighting::Phong);
    EXPECT_FALSE(parse_lighting("Phong", lighting));
}

float distance(const Vec3& a, const Vec3& b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

TEST(FittedCamera, LooksAtTheCentreFromFarEnoughToSeeTheWholeBox) {
    Bounds box;
    box.add({-1, -1, -1});
    box.add({3, 1, 1});
    const Vec3 centre = {1, 0, 0};
    const float radius = std::sqrt(6.0f);
    for (const float aspect : {0.5f, 1.0f, 2.0f}) {
        SCOPED_TRACE(aspect);
        const Camera_Setting camera = fit_camera(box, aspect);
        EXPECT_EQ(camera.target, centre);
        const float narrower_half_angle =
            std::min(camera.field_of_view / 2,
                     std::atan(std::tan(camera.field_of_view / 2) * aspect));
        EXPECT_GE(distance(camera.position, centre) * std::sin(narrower_half_angle), radius)
            << "the bounding sphere fits the narrower field";
        EXPECT_GT(camera.position[2], centre[2]) << "seen from the front";
    }
}

TEST(FittedCamera, AnEmptySceneGetsAUsableCamera) {
    const Camera_Setting camera = fit_camera(Bounds{}, 1.0f);
    EXPECT_NE(camera.position, camera.target);
}

} // namespace
