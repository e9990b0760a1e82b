#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "appearance/background.h"
#include "appearance/fog.h"

namespace {

TEST(Backgrounds, HandlesCreateTheirDefaultBodies) {
    EXPECT_EQ(KT_Background().type(), KT_Background_Type::None);
    EXPECT_FALSE(KT_Background().empty());
    EXPECT_EQ(KT_Background(nullptr).type(), KT_Background_Type::None);
    EXPECT_EQ(KT_Solid_Background().type(), KT_Background_Type::Solid);
    EXPECT_EQ(KT_Gradient_Background().type(), KT_Background_Type::Gradient);
    EXPECT_EQ(KT_Groundplane_Background().type(), KT_Background_Type::Groundplane);
    EXPECT_EQ(KT_Skybox_Background().type(), KT_Background_Type::Skybox);

    const KT_Solid_Background solid;
    EXPECT_EQ(solid.colour().r, 0);
    EXPECT_EQ(solid.colour().a, 0);
    const KT_Gradient_Background gradient;
    EXPECT_EQ(gradient.top_colour().red, 0.0f);
    EXPECT_EQ(gradient.bottom_colour().blue, 0.0f);
}

TEST(Backgrounds, SkyboxDefaults) {
    const KT_Skybox_Background sky;
    const KT_Skybox_Params& p = sky.params();
    EXPECT_EQ(p.haze, 0.025f);
    EXPECT_EQ(p.radiance_scale.green, 0.00066667f);
    EXPECT_EQ(p.horizon_height, 0.25f);
    EXPECT_EQ(p.horizon_blur, 0.5f);
    EXPECT_EQ(p.ground_blend, 0.1f);
    EXPECT_EQ(p.ground_colour.r, 0x66);
    EXPECT_EQ(p.ground_colour.a, 0xFF);
    EXPECT_EQ(p.sun_samples, 0);
    EXPECT_EQ(p.sun_index, -1);
    // Stored widened from single precision.
    EXPECT_EQ(p.sun_direction.x, static_cast<double>(-0.35f));
    EXPECT_EQ(p.sun_direction.y, -1.0);
    EXPECT_EQ(p.sun_direction.z, static_cast<double>(0.45f));
    EXPECT_EQ(p.sky_tint.red, 1.0f);
    EXPECT_EQ(p.radius, 10000.0f);
    EXPECT_EQ(p.user_data[1], 0);
}

TEST(Backgrounds, CopiesKeepKindAndFields) {
    KT_Skybox_Background sky;
    KT_Skybox_Params p;
    p.haze = 2.0f;
    p.sun_direction = {0, 1, 0};
    p.ground_colour = {1, 2, 3, 4};
    sky.set_params(p);
    KT_Skybox_Background other = sky;
    KT_Skybox_Params q = other.params();
    q.radius = 5.0f;
    other.set_params(q);
    EXPECT_FALSE(other.shares_body_with(sky));
    EXPECT_EQ(other.type(), KT_Background_Type::Skybox);
    EXPECT_EQ(other.params().haze, 2.0f);
    EXPECT_EQ(other.params().sun_direction.y, 1.0);
    EXPECT_EQ(other.params().ground_colour.b, 1);
    EXPECT_EQ(sky.params().radius, 10000.0f);

    KT_Gradient_Background gradient({1, 0, 0}, {0, 0, 1});
    KT_Background_Data* copy = gradient.body()->copy();
    KT_Background as_base(copy);
    EXPECT_EQ(as_base.type(), KT_Background_Type::Gradient);
    auto* body = static_cast<KT_Gradient_Background_Data*>(as_base.body());
    EXPECT_EQ(body->top_colour().red, 1.0f);
    EXPECT_EQ(body->bottom_colour().blue, 1.0f);

    KT_Solid_Background solid({10, 20, 30, 255});
    KT_Solid_Background solid_copy = solid;
    solid_copy.set_colour({1, 1, 1, 1});
    EXPECT_EQ(solid.colour().g, 20);
    EXPECT_EQ(solid_copy.colour().g, 1);
    EXPECT_EQ(solid_copy.type(), KT_Background_Type::Solid);
}

TEST(Fog, DefaultsAndCopies) {
    KT_Fog fog;
    EXPECT_EQ(fog.type(), KT_Fog_Type::None);
    const KT_Fog_Params& p = fog.params();
    EXPECT_FALSE(p.affects_background);
    EXPECT_EQ(p.density, 1.0f);
    EXPECT_EQ(p.start, 0.0f);
    EXPECT_EQ(p.end, 1.0f);
    EXPECT_EQ(p.min_opacity, 0.0f);
    EXPECT_EQ(p.max_opacity, 1.0f);

    KT_Fog other = fog;
    KT_Fog_Params q = p;
    q.colour = {9, 8, 7, 6};
    q.end = 50.0f;
    other.set_params(q);
    other.set_type(KT_Fog_Type::Linear);
    EXPECT_EQ(fog.type(), KT_Fog_Type::None);
    EXPECT_EQ(fog.params().end, 1.0f);
    EXPECT_EQ(other.params().colour.r, 7);
    EXPECT_EQ(other.params().end, 50.0f);
    EXPECT_EQ(other.type(), KT_Fog_Type::Linear);
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

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(fog.opacity(nan), 0.0f);
    EXPECT_EQ(fog.opacity(inf), 1.0f);
    EXPECT_EQ(fog.opacity(-inf), 0.0f);

    KT_Fog exponential(KT_Fog_Type::Exponential);
    EXPECT_EQ(exponential.opacity(inf), 1.0f);
    EXPECT_EQ(exponential.opacity(-3.0f), 0.0f);
}

} // namespace
