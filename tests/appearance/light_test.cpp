#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "appearance/light.h"
#include "appearance/light_set.h"
#include "appearance/photometric_light.h"

namespace {

// The library's arccosine interpolates a table; cone factors computed from
// it sit within this of the exact value.
constexpr float cone_tolerance = 2e-3f;

void expect_colour(const KT_RGB& c, float r, float g, float b, float tolerance = 1e-6f) {
    EXPECT_NEAR(c.red, r, tolerance);
    EXPECT_NEAR(c.green, g, tolerance);
    EXPECT_NEAR(c.blue, b, tolerance);
}

void expect_vector(const KT_Vector& v, float x, float y, float z, float tolerance = 1e-6f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

void expect_light(const KT_Lighting_Info& info, KT_RGB colour, KT_Vector direction) {
    expect_colour(info.colour, colour.red, colour.green, colour.blue);
    expect_vector(info.direction, direction.x, direction.y, direction.z);
}

KT_Lighting_Info light_at(const KT_Filter& light, const KT_Point& p) {
    return light.illuminate(nullptr, nullptr, &p, nullptr);
}

TEST(DirectionalLights, GiveColourAndUnitDirectionWithoutPosition) {
    expect_light(light_at(KT_Ambient_Light({0.2f, 0.3f, 0.4f}), {5, 6, 7}), {0.2f, 0.3f, 0.4f},
                 {0, 0, 0});
    EXPECT_EQ(light_at(KT_Ambient_Light(), {5, 6, 7}).position, nullptr);

    KT_Distant_Light distant({3, 0, 4});
    distant.set_colour({0.5f, 0.5f, 1.0f});
    expect_light(light_at(distant, {100, -3, 2}), {0.5f, 0.5f, 1.0f}, {0.6f, 0, 0.8f});
    // The current direction is what lights; the given one is kept.
    distant.set_current_direction({0, -2, 0});
    expect_vector(light_at(distant, {0, 0, 0}).direction, 0, -1, 0);
    expect_vector(distant.direction(), 3, 0, 4);
    // A zero direction stays zero rather than becoming not-a-number.
    expect_vector(light_at(KT_Distant_Light({0, 0, 0}), {0, 0, 0}).direction, 0, 0, 0);

    // Plain filters let no light through.
    for (const KT_Filter& f : {KT_Filter(), KT_Filter(new KT_Filter_Data)})
        expect_colour(light_at(f, {1, 2, 3}).colour, 0, 0, 0);
}

TEST(PointLight, AttenuatesByDistanceFromItsCurrentPosition) {
    KT_Point_Light light({1, 2, 3});
    light.set_colour({0.8f, 0.4f, 1.0f});
    const KT_Point two_below = {1, 2, 1};
    const KT_Lighting_Info info = light_at(light, two_below);
    expect_light(info, {0.8f, 0.4f, 1.0f}, {0, 0, 1});
    ASSERT_NE(info.position, nullptr);
    EXPECT_EQ(info.position->z, 3.0f);

    light.set_attenuation(KT_Lighting_Attenuation::Inverse_Distance);
    expect_colour(light_at(light, two_below).colour, 0.4f, 0.2f, 0.5f);
    light.set_attenuation(KT_Lighting_Attenuation::Inverse_Square);
    expect_colour(light_at(light, two_below).colour, 0.2f, 0.1f, 0.25f);
    // Distance 5 along a diagonal.
    expect_light(light_at(light, {1, 5, 7}), {0.8f / 25, 0.4f / 25, 1.0f / 25}, {0, -0.6f, -0.8f});
    // The current position is what lights.
    KT_Light_Positions positions = light.positions();
    positions.current = {1, 12, 3};
    light.set_positions(positions);
    expect_vector(light_at(light, {1, 2, 3}).direction, 0, 1, 0);
}

TEST(PointLight, NullZeroDistanceAndNonFinitePointsAreDefined) {
    KT_Point_Light light({0, 0, 4});
    light.set_attenuation(KT_Lighting_Attenuation::Inverse_Square);
    expect_light(light.illuminate(nullptr, nullptr, nullptr, nullptr),
                 {1.0f / 16, 1.0f / 16, 1.0f / 16}, {0, 0, 1});
    expect_light(light_at(light, {0, 0, 4}), {1, 1, 1}, {0, 0, 0});

    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const KT_Point& p : {KT_Point{inf, 0, 0}, KT_Point{0, nan, 0}})
        expect_light(light_at(light, p), {0, 0, 0}, {0, 0, 0});
}

TEST(DoublePoints, NarrowWithinRangeAndLightTheOriginBeyond) {
    KT_Point_Light light({0, 0, 0});
    light.set_attenuation(KT_Lighting_Attenuation::Inverse_Distance);
    const KT_Point_D near = {0, 0, 4};
    expect_light(light.illuminate_d(nullptr, nullptr, &near, nullptr), {0.25f, 0.25f, 0.25f},
                 {0, 0, -1});

    // The origin is where the light is: unattenuated, no direction.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const KT_Point_D& far :
         {KT_Point_D{2e30, 0, 0}, KT_Point_D{0, -1e31, 0}, KT_Point_D{0, 0, nan}})
        expect_light(light.illuminate_d(nullptr, nullptr, &far, nullptr), {1, 1, 1}, {0, 0, 0});
    // 1e30 itself is still narrowed.
    const KT_Point_D edge = {1e30, 0, 0};
    expect_vector(light.illuminate_d(nullptr, nullptr, &edge, nullptr).direction, -1, 0, 0);
}

// A spot at the origin shining down -z; points at the given angle off its
// axis and distance.
class SpotCone : public ::testing::Test {
protected:
    static KT_Point at_angle(float angle, float distance = 1.0f) {
        return {distance * std::sin(angle), 0.0f, -distance * std::cos(angle)};
    }
    float factor(const KT_Spot_Light& spot, float angle, float distance = 1.0f) {
        return light_at(spot, at_angle(angle, distance)).colour.red;
    }
    const KT_Point origin = {0, 0, 0};
    const KT_Vector down = {0, 0, -5};
};

TEST_F(SpotCone, LinearFalloffBetweenInnerAndOuter) {
    KT_Spot_Light spot(origin, down, 0.2f, 0.4f, 1.0f, 0.0f);
    EXPECT_NEAR(spot.reciprocal_falloff_width(), -5.0f, 1e-5f);
    const float angles[][2] = {{0.0f, 1.0f}, {0.15f, 1.0f}, {0.3f, 0.5f}, {0.35f, 0.25f},
                               {0.4f, 0.0f}, {0.5f, 0.0f},  {3.0f, 0.0f}};
    for (const auto& [angle, expected] : angles)
        EXPECT_NEAR(factor(spot, angle), expected, cone_tolerance) << angle;
    const KT_Lighting_Info info = light_at(spot, at_angle(0.3f));
    expect_vector(info.direction, -std::sin(0.3f), 0, std::cos(0.3f), 1e-5f);

    // Attenuation caps the factor: min(1, 1/16) on the axis at distance 4;
    // close by, the cone is the smaller.
    spot.set_attenuation(KT_Lighting_Attenuation::Inverse_Square);
    EXPECT_NEAR(factor(spot, 0.0f, 4.0f), 1.0f / 16, 1e-6f);
    EXPECT_NEAR(factor(spot, 0.3f, 0.5f), 0.5f, cone_tolerance);
    spot.set_attenuation(KT_Lighting_Attenuation::Inverse_Distance);
    EXPECT_NEAR(factor(spot, 0.0f, 4.0f), 0.25f, 1e-6f);
}

TEST_F(SpotCone, FalloffAndConcentrationExponents) {
    KT_Spot_Light squared(origin, down, 0.2f, 0.4f, 2.0f, 0.0f);
    EXPECT_NEAR(factor(squared, 0.3f), 0.25f, cone_tolerance);
    EXPECT_NEAR(factor(squared, 0.1f), 1.0f, cone_tolerance);
    // Concentration weights by the cosine even inside the inner cone.
    KT_Spot_Light concentrated(origin, down, 0.5f, 1.0f, 1.0f, 3.0f);
    EXPECT_NEAR(factor(concentrated, 0.3f), std::pow(std::cos(0.3f), 3.0f), cone_tolerance);
    EXPECT_NEAR(factor(concentrated, 0.75f), 0.5f * std::pow(std::cos(0.75f), 3.0f),
                cone_tolerance);
    // Behind the light the cosine is negative: no power of it may show.
    KT_Spot_Light wide(origin, down, 2.0f, 3.0f, 1.0f, 0.5f);
    EXPECT_EQ(factor(wide, 2.5f), 0.0f);

    // Equal angles, or nearly equal, give a hard edge.
    KT_Spot_Light hard(origin, down, 0.3f, 0.3f, 1.0f, 0.0f);
    EXPECT_NEAR(factor(hard, 0.29f), 1.0f, cone_tolerance);
    EXPECT_EQ(factor(hard, 0.32f), 0.0f);
    EXPECT_EQ(KT_Spot_Light(origin, down, 0.3f, 0.30005f).reciprocal_falloff_width(), 0.0f);
}

TEST(LightCopies, CarryEveryFieldAndCopyOnWrite) {
    KT_Spot_Light spot({1, 2, 3}, {0, 1, 0}, 0.1f, 0.5f, 2.0f, 3.0f);
    KT_Shadow_Params shadow;
    shadow.user_data[1] = 77;
    spot.set_shadow_params(shadow);
    spot.set_attenuation(KT_Lighting_Attenuation::Inverse_Distance);
    spot.set_current_direction({1, 0, 0});
    spot.body()->set_filter_flags(0x55);
    KT_Spot_Light copy = spot;
    EXPECT_TRUE(copy.shares_body_with(spot));
    copy.set_colour({0.1f, 0.2f, 0.3f});
    ASSERT_FALSE(copy.shares_body_with(spot));
    expect_colour(spot.colour(), 1, 1, 1);
    const auto* body = static_cast<const KT_Spot_Light_Data*>(copy.body());
    EXPECT_EQ(body->filter_flags(), 0x55);
    EXPECT_EQ(body->shadow_params(), shadow);
    EXPECT_EQ(body->attenuation(), KT_Lighting_Attenuation::Inverse_Distance);
    expect_vector(body->unit_direction(), 1, 0, 0);
    EXPECT_EQ(body->cone(), (KT_Spot_Cone{0.1f, 0.5f, 2.0f, 3.0f}));
    EXPECT_NEAR(body->reciprocal_falloff_width(), -2.5f, 1e-6f);
    EXPECT_NE(body->change_serial(), spot.body()->change_serial());
}

TEST(PhotometricLights, IlluminateAsPlainLights) {
    KT_Photometric_Distant_Light distant({0, 0, 2});
    KT_Photometric_Distant_Params params = distant.params();
    params.colour_factors = {0.5f, 0.25f, 1.0f};
    distant.set_params(params);
    expect_light(light_at(distant, {9, 9, 9}), {0.5f, 0.25f, 1.0f}, {0, 0, 1});
    expect_vector(light_at(KT_Photometric_Sun({0, -4, 3}), {0, 0, 0}).direction, 0, -0.8f, 0.6f);
}

TEST(LightSets, AddInOrderAndShareTheLights) {
    KT_Ambient_Light ambient;
    KT_Light_Set set;
    set.add(ambient);
    set.add(KT_Distant_Light({0, 0, 1}));
    KT_Light_Set shared = set;
    shared.add(KT_Point_Light({0, 0, 0}));
    EXPECT_EQ(set.count(), 2);
    std::vector<KT_Lighting_Type> types;
    for (const KT_Filter& f : shared.body()->filters())
        types.push_back(f.type());
    EXPECT_EQ(types, (std::vector{KT_Lighting_Type::Ambient, KT_Lighting_Type::Distant,
                                  KT_Lighting_Type::Point}));
    EXPECT_TRUE(shared.body()->filters().head()->value.shares_body_with(ambient));
}

} // namespace
