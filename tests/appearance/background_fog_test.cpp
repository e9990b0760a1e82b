#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "appearance/background.h"
#include "appearance/fog.h"

namespace {

TEST(Backgrounds, CopiesKeepKindAndFields) {
    EXPECT_EQ(KT_Background(nullptr).type(), KT_Background_Type::None);
    KT_Skybox_Background sky;
    KT_Skybox_Params p;
    p.haze = 2.0f;
    sky.set_params(p);
    KT_Skybox_Background other = sky;
    p.radius = 5.0f;
    other.set_params(p);
    EXPECT_EQ(other.type(), KT_Background_Type::Skybox);
    EXPECT_EQ(other.params().haze, 2.0f);
    EXPECT_EQ(sky.params().radius, 10000.0f);
    // A body copied on its own keeps its kind.
    KT_Background as_base(KT_Gradient_Background({1, 0, 0}, {0, 0, 1}).body()->copy());
    EXPECT_EQ(as_base.type(), KT_Background_Type::Gradient);

    KT_Image_Background image;
    KT_Shared_Image picture(4, 4, KT_Image_Format::RGB32, 0, nullptr, false);
    image.set_image(picture);
    KT_Image_Background image_copy = image;
    image_copy.set_image(KT_Shared_Image());
    EXPECT_TRUE(image.image().shares_body_with(picture));
    EXPECT_TRUE(image_copy.image().empty());
}

TEST(Fog, OpacityByKindAndDistance) {
    const float inf = std::numeric_limits<float>::infinity();
    KT_Fog_Params linear;
    linear.start = 10.0f;
    linear.end = 30.0f;
    KT_Fog_Params wall = linear; // start and end at the same distance
    wall.end = 10.0f;
    KT_Fog_Params dense;
    dense.density = 0.5f;
    dense.max_opacity = 0.9f;
    dense.min_opacity = 0.1f;
    using T = KT_Fog_Type;
    const struct {
        T type;
        KT_Fog_Params params;
        float distance, expected;
    } cases[] = {
        {T::None, linear, 100.0f, 0.0f},
        {T::Linear, linear, 5.0f, 0.0f},
        {T::Linear, linear, 15.0f, 0.25f},
        {T::Linear, linear, 30.0f, 1.0f},
        {T::Linear, linear, std::numeric_limits<float>::quiet_NaN(), 0.0f},
        {T::Linear, wall, 9.9f, 0.0f},
        {T::Linear, wall, 10.0f, 1.0f},
        {T::Linear, wall, inf, 1.0f},
        {T::Exponential, dense, 2.0f, 1.0f - std::exp(-1.0f)},
        {T::Exponential, dense, 0.0f, 0.1f},
        {T::Exponential, dense, 100.0f, 0.9f},
        {T::Exponential, KT_Fog_Params(), inf, 1.0f},
        {T::Exponential, KT_Fog_Params(), -3.0f, 0.0f},
        {T::Exponential_Squared, dense, 2.0f, 1.0f - std::exp(-1.0f)},
    };
    for (const auto& c : cases) {
        KT_Fog fog(c.type);
        fog.set_params(c.params);
        KT_Fog copy = fog; // copies are independent
        copy.set_type(KT_Fog_Type::None);
        EXPECT_FLOAT_EQ(fog.opacity(c.distance), c.expected)
            << "type " << int(c.type) << " at " << c.distance;
    }
}

} // namespace
