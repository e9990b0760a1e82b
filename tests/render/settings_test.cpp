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
    for (const char* text : {"", "chartreuse-ish", "#ff80", "#gg0000", "1.5,0,0", "-0.1,0,0", "0,0",
                             "nan,0,0", "inf,0,0"}) {
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

// Projects p for a camera at eye looking at target with world y up: the
// tangents of its horizontal and vertical angles off the view axis.
std::pair<float, float> view_tangents(const Camera_Setting& camera, const Vec3& p) {
    Vec3 forward, right, up;
    for (int i = 0; i < 3; ++i)
        forward[i] = camera.target[i] - camera.position[i];
    const float length = distance(camera.position, camera.target);
    for (float& f : forward)
        f /= length;
    right = {-forward[2], 0, forward[0]};
    const float r = std::sqrt(right[0] * right[0] + right[2] * right[2]);
    for (float& f : right)
        f /= r;
    up = {right[1] * forward[2] - right[2] * forward[1],
          right[2] * forward[0] - right[0] * forward[2],
          right[0] * forward[1] - right[1] * forward[0]};
    Vec3 d;
    for (int i = 0; i < 3; ++i)
        d[i] = p[i] - camera.position[i];
    auto dot = [&](const Vec3& v) { return d[0] * v[0] + d[1] * v[1] + d[2] * v[2]; };
    return {std::fabs(dot(right)) / dot(forward), std::fabs(dot(up)) / dot(forward)};
}

TEST(FittedCamera, KeepsEveryCornerOfTheBoxInView) {
    Bounds box;
    box.add({-1, -1, -1});
    box.add({3, 1, 1});
    const Vec3 centre = {1, 0, 0};
    for (const float aspect : {0.5f, 1.0f, 2.0f}) {
        SCOPED_TRACE(aspect);
        const Camera_Setting camera = fit_camera(box, aspect);
        EXPECT_EQ(camera.target, centre);
        EXPECT_GT(camera.position[2], centre[2]) << "seen from the front";
        const float tan_vertical = std::tan(camera.field_of_view / 2);
        float widest = 0;
        for (int corner = 0; corner < 8; ++corner) {
            const Vec3 p = {corner & 1 ? 3.0f : -1.0f, corner & 2 ? 1.0f : -1.0f,
                            corner & 4 ? 1.0f : -1.0f};
            const auto [horizontal, vertical] = view_tangents(camera, p);
            EXPECT_LE(horizontal, tan_vertical * aspect) << "corner " << corner;
            EXPECT_LE(vertical, tan_vertical) << "corner " << corner;
            widest =
                std::max({widest, horizontal / (tan_vertical * aspect), vertical / tan_vertical});
        }
        EXPECT_GT(widest, 0.85f) << "and the box fills most of the narrower field";
    }
}

TEST(FittedCamera, AnEmptySceneGetsAUsableCamera) {
    const Camera_Setting camera = fit_camera(Bounds{}, 1.0f);
    EXPECT_NE(camera.position, camera.target);
}

} // namespace
