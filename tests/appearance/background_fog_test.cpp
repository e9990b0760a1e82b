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
    p.ground_colour = {1, 2, 3, 4};
    sky.set_params(p);
    KT_Skybox_Background other = sky;
    p.radius = 5.0f;
    other.set_params(p);
    EXPECT_EQ(other.type(), KT_Background_Type::Skybox);
    EXPECT_EQ(other.params().haze, 2.0f);
    EXPECT_EQ(other.params().ground_colour.b, 1);
    EXPECT_EQ(sky.params().radius, 10000.0f);

    KT_Gradient_Background gradient({1, 0, 0}, {0, 0, 1});
    KT_Background as_base(gradient.body()->copy());
    EXPECT_EQ(as_base.type(), KT_Background_Type::Gradient);
    auto* body = static_cast<KT_Gradient_Background_Data*>(as_base.body());
    EXPECT_EQ(body->top_colour().red, 1.0f);
    EXPECT_EQ(body->bottom_colour().blue, 1.0f);

    KT_Fog fog;
    KT_Fog other_fog = fog;
    KT_Fog_Params q = fog.params();
    q.end = 50.0f;
    other_fog.set_params(q);
    other_fog.set_type(KT_Fog_Type::Linear);
    EXPECT_EQ(fog.type(), KT_Fog_Type::None);
    EXPECT_EQ(fog.params().end, 1.0f);
    EXPECT_EQ(other_fog.type(), KT_Fog_Type::Linear);
}

TEST(Fog, OpacityByKindAndDistance) {
    KT_Fog fog;
    EXPECT_EQ(fog.opacity(100.0f), 0.0f);

    KT_Fog_Params p;
    p.start = 10.0f;
    p.end = 30.0f;
    fog.set_params(p);
    fog.set_type(KT_Fog_Type::Linear);
    EXPECT_EQ(fog.opacity(5.0f), 0.0f);
    EXPECT_FLOAT_EQ(fog.opacity(15.0f), 0.25f);
    EXPECT_FLOAT_EQ(fog.opacity(30.0f), 1.0f);
    EXPECT_EQ(fog.opacity(1e30f), 1.0f);

    p.density = 0.5f;
    p.max_opacity = 0.9f;
    p.min_opacity = 0.1f;
    fog.set_params(p);
    fog.set_type(KT_Fog_Type::Exponential);
    EXPECT_FLOAT_EQ(fog.opacity(2.0f), 1.0f - std::exp(-1.0f));
    EXPECT_FLOAT_EQ(fog.opacity(0.0f), 0.1f);
    EXPECT_FLOAT_EQ(fog.opacity(100.0f), 0.9f);
    fog.set_type(KT_Fog_Type::Exponential_Squared);
    EXPECT_FLOAT_EQ(fog.opacity(2.0f), 1.0f - std::exp(-1.0f));
    EXPECT_FLOAT_EQ(fog.opacity(1.0f), 1.0f - std::exp(-0.25f));
}

TEST(Fog, DegenerateInputGivesBoundedResults) {
    KT_Fog fog(KT_Fog_Type::Linear);
    KT_Fog_Params wall;
    wall.start = 5.0f;
    wall.end = 5.0f;
    fog.set_params(wall);
    EXPECT_EQ(fog.opacity(4.9f), 0.0f);
    EXPECT_EQ(fog.opacity(5.0f), 1.0f);

    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(fog.opacity(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(fog.opacity(inf), 1.0f);
    EXPECT_EQ(fog.opacity(-inf), 0.0f);

    KT_Fog exponential(KT_Fog_Type::Exponential);
    EXPECT_EQ(exponential.opacity(inf), 1.0f);
    EXPECT_EQ(exponential.opacity(-3.0f), 0.0f);
}

} // namespace
