#include <cmath>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "appearance/light.h"
#include "appearance/light_set.h"
#include "appearance/photometric_light.h"
#include "appearance/sky.h"

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

KT_Lighting_Info light_at(const KT_Filter& light, const KT_Point& p) {
    return light.illuminate(nullptr, nullptr, &p, nullptr);
}

TEST(LightKinds, ReportTheirTypeAndAttenuation) {
    const KT_Point p = {0, 0, 0};
    const KT_Vector v = {0, 0, 1};
    EXPECT_EQ(KT_Filter().type(), KT_Lighting_Type::Filter);
    EXPECT_EQ(KT_Filter(new KT_Filter_Data).type(), KT_Lighting_Type::Filter);
    EXPECT_EQ(KT_Ambient_Light().type(), KT_Lighting_Type::Ambient);
    EXPECT_EQ(KT_Distant_Light(v).type(), KT_Lighting_Type::Distant);
    EXPECT_EQ(KT_Point_Light(p).type(), KT_Lighting_Type::Point);
    EXPECT_EQ(KT_Spot_Light(p, v, 0.1f, 0.2f).type(), KT_Lighting_Type::Spot);
    EXPECT_EQ(KT_Photometric_Point_Light(p).type(), KT_Lighting_Type::Photometric_Point);
    EXPECT_EQ(KT_Photometric_Spot_Light(p, v, 0.1f, 0.2f).type(),
              KT_Lighting_Type::Photometric_Spot);
    EXPECT_EQ(KT_Photometric_Web_Light(p, L"a.ies").type(), KT_Lighting_Type::Photometric_Web);
    EXPECT_EQ(KT_Photometric_Distant_Light(v).type(), KT_Lighting_Type::Photometric_Distant);
    EXPECT_EQ(KT_Photometric_Sun(v).type(), KT_Lighting_Type::Photometric_Sun);

    EXPECT_EQ(KT_Distant_Light(v).attenuation(), KT_Lighting_Attenuation::None);
    KT_Point_Light point(p);
    EXPECT_EQ(point.attenuation(), KT_Lighting_Attenuation::None);
    point.set_attenuation(KT_Lighting_Attenuation::Inverse_Square);
    EXPECT_EQ(point.attenuation(), KT_Lighting_Attenuation::Inverse_Square);
}

TEST(LightKinds, DefaultsOfTheSharedFields) {
    KT_Ambient_Light light;
    expect_colour(light.colour(), 1, 1, 1);
    const KT_Shadow_Params& s = light.shadow_params();
    EXPECT_EQ(s.sample_count, 16);
    EXPECT_EQ(s.mode, 0);
    EXPECT_EQ(s.flags, 0);
    EXPECT_EQ(s.density, 1.0f);
    EXPECT_EQ(s.user_data[0], 0);
    EXPECT_EQ(s.user_data[1], 0);
    EXPECT_EQ(s.priority, 0);
    EXPECT_EQ(s.map_size, 128);
    EXPECT_EQ(s.softness, 4.0f);
    EXPECT_EQ(s.map_index, -1);

    const KT_Point_Light point({0, 0, 0});
    const KT_Light_Shadow& ls = point.light_shadow();
    EXPECT_FALSE(ls.casts_shadows);
    EXPECT_EQ(ls.map_size, 128);
    EXPECT_EQ(ls.softness, 4.0f);
    EXPECT_EQ(ls.density, 1.0f);
    EXPECT_EQ(ls.map_index, -1);
}

TEST(DirectionalLights, GiveColourAndUnitDirectionWithoutPosition) {
    const KT_Ambient_Light ambient({0.2f, 0.3f, 0.4f});
    KT_Lighting_Info info = light_at(ambient, {5, 6, 7});
    expect_colour(info.colour, 0.2f, 0.3f, 0.4f);
    expect_vector(info.direction, 0, 0, 0);
    EXPECT_EQ(info.position, nullptr);

    KT_Distant_Light distant({3, 0, 4});
    distant.set_colour({0.5f, 0.5f, 1.0f});
    info = light_at(distant, {100, -3, 2});
    expect_colour(info.colour, 0.5f, 0.5f, 1.0f);
    expect_vector(info.direction, 0.6f, 0, 0.8f);
    EXPECT_EQ(info.position, nullptr);
    expect_vector(distant.direction(), 3, 0, 4);

    // The current direction is what lights; the given one is kept.
    distant.set_current_direction({0, -2, 0});
    expect_vector(light_at(distant, {0, 0, 0}).direction, 0, -1, 0);
    expect_vector(distant.direction(), 3, 0, 4);

    // A zero direction stays zero rather than becoming not-a-number.
    expect_vector(light_at(KT_Distant_Light({0, 0, 0}), {0, 0, 0}).direction, 0, 0, 0);
}

TEST(PointLight, AttenuatesByDistance) {
    KT_Point_Light light({1, 2, 3});
    light.set_colour({0.8f, 0.4f, 1.0f});
    const KT_Point two_below = {1, 2, 1};

    KT_Lighting_Info info = light_at(light, two_below);
    expect_colour(info.colour, 0.8f, 0.4f, 1.0f);
    expect_vector(info.direction, 0, 0, 1);
    ASSERT_NE(info.position, nullptr);
    EXPECT_EQ(info.position->z, 3.0f);

    light.set_attenuation(KT_Lighting_Attenuation::Inverse_Distance);
    expect_colour(light_at(light, two_below).colour, 0.4f, 0.2f, 0.5f);

    light.set_attenuation(KT_Lighting_Attenuation::Inverse_Square);
    expect_colour(light_at(light, two_below).colour, 0.2f, 0.1f, 0.25f);
    // Distance 5 along a diagonal.
    info = light_at(light, {1, 5, 7});
    expect_colour(info.colour, 0.8f / 25, 0.4f / 25, 1.0f / 25);
    expect_vector(info.direction, 0, -0.6f, -0.8f);
}

TEST(PointLight, NullPointIsTheOriginAndZeroDistanceIsNotDivided) {
    KT_Point_Light light({0, 0, 4});
    light.set_attenuation(KT_Lighting_Attenuation::Inverse_Square);
    KT_Lighting_Info info = light.illuminate(nullptr, nullptr, nullptr, nullptr);
    expect_colour(info.colour, 1.0f / 16, 1.0f / 16, 1.0f / 16);
    expect_vector(info.direction, 0, 0, 1);

    info = light_at(light, {0, 0, 4});
    expect_colour(info.colour, 1, 1, 1);
    expect_vector(info.direction, 0, 0, 0);
}

TEST(PointLight, CurrentPositionIsWhatLights) {
    KT_Point_Light light({0, 0, 0});
    KT_Light_Positions positions = light.positions();
    positions.current = {0, 10, 0};
    light.set_positions(positions);
    expect_vector(light_at(light, {0, 0, 0}).direction, 0, 1, 0);
    light.set_position({3, 0, 0});
    EXPECT_EQ(light.positions().current.x, 3.0f);
    EXPECT_EQ(light.positions().view.x, 3.0f);
    expect_vector(light_at(light, {0, 0, 0}).direction, 1, 0, 0);
}

TEST(PointLight, NonFinitePointsReceiveNothing) {
    KT_Point_Light light({0, 0, 0});
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const KT_Point& p : {KT_Point{inf, 0, 0}, KT_Point{0, nan, 0}}) {
        KT_Lighting_Info info = light_at(light, p);
        expect_colour(info.colour, 0, 0, 0);
        expect_vector(info.direction, 0, 0, 0);
    }
}

// A spot at the origin shining down -z; points at distance 1 and the given
// angle off its axis.
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
    EXPECT_NEAR(factor(spot, 0.0f), 1.0f, cone_tolerance);
    EXPECT_NEAR(factor(spot, 0.15f), 1.0f, cone_tolerance);
    EXPECT_NEAR(factor(spot, 0.3f), 0.5f, cone_tolerance);
    EXPECT_NEAR(factor(spot, 0.35f), 0.25f, cone_tolerance);
    EXPECT_NEAR(factor(spot, 0.4f), 0.0f, cone_tolerance);
    EXPECT_EQ(factor(spot, 0.5f), 0.0f);
    EXPECT_EQ(factor(spot, 3.0f), 0.0f);

    const KT_Lighting_Info info = light_at(spot, at_angle(0.3f));
    expect_vector(info.direction, -std::sin(0.3f), 0, std::cos(0.3f), 1e-5f);
    ASSERT_NE(info.position, nullptr);
    EXPECT_EQ(info.position->z, 0.0f);
}

TEST_F(SpotCone, FalloffAndConcentrationExponents) {
    KT_Spot_Light squared(origin, down, 0.2f, 0.4f, 2.0f, 0.0f);
    EXPECT_NEAR(factor(squared, 0.3f), 0.25f, cone_tolerance);
    EXPECT_NEAR(factor(squared, 0.1f), 1.0f, cone_tolerance);

    // Concentration weights by the cosine even inside the inner cone.
    KT_Spot_Light concentrated(origin, down, 0.5f, 1.0f, 1.0f, 3.0f);
    const float c = std::cos(0.3f);
    EXPECT_NEAR(factor(concentrated, 0.3f), c * c * c, cone_tolerance);
    EXPECT_NEAR(factor(concentrated, 0.75f), 0.5f * std::pow(std::cos(0.75f), 3.0f),
                cone_tolerance);
}

TEST_F(SpotCone, WideConeBehindTheLightHasNoNegativePower) {
    KT_Spot_Light wide(origin, down, 2.0f, 3.0f, 1.0f, 0.5f);
    const float f = factor(wide, 2.5f);
    EXPECT_FALSE(std::isnan(f));
    EXPECT_EQ(f, 0.0f);
}

TEST_F(SpotCone, EqualAnglesGiveAHardEdge) {
    KT_Spot_Light hard(origin, down, 0.3f, 0.3f, 1.0f, 0.0f);
    EXPECT_EQ(hard.reciprocal_falloff_width(), 0.0f);
    EXPECT_NEAR(factor(hard, 0.29f), 1.0f, cone_tolerance);
    EXPECT_EQ(factor(hard, 0.32f), 0.0f);

    KT_Spot_Light nearly(origin, down, 0.3f, 0.30005f, 1.0f, 0.0f);
    EXPECT_EQ(nearly.reciprocal_falloff_width(), 0.0f);
    KT_Spot_Light wider(origin, down, 0.3f, 0.3002f, 1.0f, 0.0f);
    EXPECT_NE(wider.reciprocal_falloff_width(), 0.0f);
}

TEST_F(SpotCone, AttenuationCapsTheFactor) {
    KT_Spot_Light spot(origin, down, 0.2f, 0.4f, 1.0f, 0.0f);
    spot.set_attenuation(KT_Lighting_Attenuation::Inverse_Square);
    // On the axis at distance 4: min(1, 1/16).
    EXPECT_NEAR(factor(spot, 0.0f, 4.0f), 1.0f / 16, 1e-6f);
    // Close by, the cone is the smaller of the two.
    EXPECT_NEAR(factor(spot, 0.3f, 0.5f), 0.5f, cone_tolerance);
    spot.set_attenuation(KT_Lighting_Attenuation::Inverse_Distance);
    EXPECT_NEAR(factor(spot, 0.0f, 4.0f), 0.25f, 1e-6f);
}

TEST_F(SpotCone, CurrentPositionAndDirectionAreWhatLights) {
    KT_Spot_Light spot(origin, down, 0.2f, 0.4f);
    spot.set_current_direction({1, 0, 0});
    EXPECT_EQ(factor(spot, 0.0f), 0.0f);
    EXPECT_NEAR(light_at(spot, {2, 0, 0}).colour.red, 1.0f, cone_tolerance);
    spot.set_current_position({0, 0, 10});
    EXPECT_EQ(spot.position().z, 0.0f);
    EXPECT_EQ(light_at(spot, {2, 0, 0}).colour.red, 0.0f);
    spot.set_position({0, 0, 0});
    spot.set_direction(down);
    EXPECT_NEAR(factor(spot, 0.0f), 1.0f, cone_tolerance);
}

TEST(DoublePoints, NarrowWithinRangeAndLightTheOriginBeyond) {
    KT_Point_Light light({0, 0, 0});
    light.set_attenuation(KT_Lighting_Attenuation::Inverse_Distance);
    const KT_Point_D near = {0, 0, 4};
    KT_Lighting_Info info = light.illuminate_d(nullptr, nullptr, &near, nullptr);
    expect_colour(info.colour, 0.25f, 0.25f, 0.25f);
    expect_vector(info.direction, 0, 0, -1);

    // The origin is where the light is: unattenuated, no direction.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const KT_Point_D& far :
         {KT_Point_D{2e30, 0, 0}, KT_Point_D{0, -1e31, 0}, KT_Point_D{0, 0, nan}}) {
        info = light.illuminate_d(nullptr, nullptr, &far, nullptr);
        expect_colour(info.colour, 1, 1, 1);
        expect_vector(info.direction, 0, 0, 0);
    }
    info = light.illuminate_d(nullptr, nullptr, nullptr, nullptr);
    expect_colour(info.colour, 1, 1, 1);

    // 1e30 itself is still narrowed.
    const KT_Point_D edge = {1e30, 0, 0};
    expect_vector(light.illuminate_d(nullptr, nullptr, &edge, nullptr).direction, -1, 0, 0);
}

TEST(PlainFilters, LetNoLightThrough) {
    const KT_Point p = {1, 2, 3};
    for (const KT_Filter& f : {KT_Filter(), KT_Filter(new KT_Filter_Data)}) {
        KT_Lighting_Info info = light_at(f, p);
        expect_colour(info.colour, 0, 0, 0);
        EXPECT_EQ(info.position, nullptr);
        const KT_Point_D pd = {1, 2, 3};
        expect_colour(f.illuminate_d(nullptr, nullptr, &pd, nullptr).colour, 0, 0, 0);
    }
}

TEST(LightCopies, CarryEveryField) {
    KT_Spot_Light spot({1, 2, 3}, {0, 1, 0}, 0.1f, 0.5f, 2.0f, 3.0f);
    spot.set_colour({0.1f, 0.2f, 0.3f});
    KT_Shadow_Params shadow;
    shadow.sample_count = 4;
    shadow.user_data[1] = 77;
    shadow.map_index = 3;
    spot.set_shadow_params(shadow);
    KT_Light_Shadow light_shadow;
    light_shadow.casts_shadows = true;
    light_shadow.map_size = 512;
    light_shadow.user_data = 9;
    spot.set_light_shadow(light_shadow);
    spot.set_attenuation(KT_Lighting_Attenuation::Inverse_Distance);
    spot.set_current_position({7, 8, 9});
    spot.set_current_direction({1, 0, 0});
    spot.body()->set_filter_flags(0x55);

    std::unique_ptr<KT_Spot_Light_Data> copy(static_cast<KT_Spot_Light_Data*>(spot.body()->copy()));
    EXPECT_EQ(copy->filter_flags(), 0x55);
    EXPECT_EQ(copy->shadow_params(), shadow);
    EXPECT_EQ(copy->light_shadow(), light_shadow);
    expect_colour(copy->colour(), 0.1f, 0.2f, 0.3f);
    EXPECT_EQ(copy->attenuation(), KT_Lighting_Attenuation::Inverse_Distance);
    EXPECT_EQ(copy->position().y, 2.0f);
    EXPECT_EQ(copy->current_position().z, 9.0f);
    EXPECT_EQ(copy->direction().y, 1.0f);
    EXPECT_EQ(copy->current_direction().x, 1.0f);
    expect_vector(copy->unit_direction(), 1, 0, 0);
    EXPECT_EQ(copy->cone(), (KT_Spot_Cone{0.1f, 0.5f, 2.0f, 3.0f}));
    EXPECT_NEAR(copy->reciprocal_falloff_width(), -2.5f, 1e-6f);
    EXPECT_NE(copy->change_serial(), spot.body()->change_serial());
}

TEST(LightCopies, HandlesCopyOnWrite) {
    KT_Point_Light a({0, 0, 0});
    KT_Point_Light b = a;
    EXPECT_TRUE(a.shares_body_with(b));
    b.set_colour({0, 1, 0});
    EXPECT_FALSE(a.shares_body_with(b));
    expect_colour(a.colour(), 1, 1, 1);
    expect_colour(b.colour(), 0, 1, 0);
    EXPECT_EQ(b.type(), KT_Lighting_Type::Point);

    KT_Light_Positions moved = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}};
    b.set_positions(moved);
    KT_Point_Light c = b;
    c.set_attenuation(KT_Lighting_Attenuation::Inverse_Square);
    EXPECT_EQ(c.positions(), moved);
    EXPECT_EQ(b.attenuation(), KT_Lighting_Attenuation::None);
}

TEST(LightCopies, DistantAndPhotometricDistantKeepTheirFields) {
    KT_Distant_Light distant({0, 3, 4});
    KT_Light_Shadow shadow;
    shadow.casts_shadows = true;
    shadow.softness = 9.0f;
    distant.set_light_shadow(shadow);
    distant.set_current_direction({1, 0, 0});
    KT_Distant_Light copy = distant;
    copy.set_colour({0.5f, 0.5f, 0.5f});
    EXPECT_FALSE(copy.shares_body_with(distant));
    EXPECT_EQ(copy.light_shadow(), shadow);
    expect_vector(copy.direction(), 0, 3, 4);
    expect_vector(copy.current_direction(), 1, 0, 0);
    expect_vector(light_at(copy, {0, 0, 0}).direction, 1, 0, 0);
    expect_colour(distant.colour(), 1, 1, 1);

    KT_Photometric_Distant_Light photometric({1, 0, 0});
    KT_Photometric_Distant_Params params;
    params.colour_temperature = 6500.0f;
    params.visible = true;
    params.shadow_colour = {0.1f, 0.1f, 0.1f};
    photometric.set_params(params);
    KT_Photometric_Distant_Light photometric_copy = photometric;
    photometric_copy.set_direction({0, 1, 0});
    EXPECT_EQ(photometric_copy.params().colour_temperature, 6500.0f);
    EXPECT_TRUE(photometric_copy.params().visible);
    EXPECT_EQ(photometric_copy.params().shadow_colour.red, 0.1f);
    expect_vector(photometric.direction().unit, 1, 0, 0);
}

TEST(PhotometricLights, IlluminateAsPlainLights) {
    KT_Photometric_Distant_Light distant({0, 0, 2});
    KT_Photometric_Distant_Params params = distant.params();
    EXPECT_EQ(params.intensity, 1500.0f);
    EXPECT_EQ(params.angular_diameter, 0.5f);
    EXPECT_TRUE(params.casts_shadows);
    EXPECT_FALSE(params.visible);
    params.colour_factors = {0.5f, 0.25f, 1.0f};
    distant.set_params(params);
    KT_Lighting_Info info = light_at(distant, {9, 9, 9});
    expect_colour(info.colour, 0.5f, 0.25f, 1.0f);
    expect_vector(info.direction, 0, 0, 1);
    EXPECT_EQ(info.position, nullptr);
    expect_vector(distant.direction().given, 0, 0, 2);

    KT_Photometric_Sun sun({0, -4, 3});
    EXPECT_NEAR(sun.params().radiance_scale.red, 1.0f / 1500, 1e-8f);
    EXPECT_EQ(sun.params().horizon_blur, 0.5f);
    info = light_at(sun, {0, 0, 0});
    expect_colour(info.colour, 1, 1, 1);
    expect_vector(info.direction, 0, -0.8f, 0.6f);

    KT_Photometric_Spot_Light spot({1, 2, 3}, {0, 0, -2}, 0.3f, 0.6f);
    info = light_at(spot, {50, 0, 0});
    expect_colour(info.colour, 1, 1, 1);
    expect_vector(info.direction, 0, 0, 1);
    ASSERT_NE(info.position, nullptr);
    EXPECT_EQ(info.position->y, 2.0f);
    expect_vector(spot.direction().unit, 0, 0, -1);
    EXPECT_EQ(spot.hotspot_angle(), 0.3f);
    EXPECT_EQ(spot.falloff_angle(), 0.6f);

    KT_Photometric_Point_Light point({4, 5, 6});
    expect_vector(point.direction().given, 0, 0, -1);
    EXPECT_EQ(point.params().intensity, 1500.0f);
    EXPECT_EQ(point.params().shadow_density, 1.0f);
    EXPECT_EQ(point.params().shape, 0);
}

TEST(PhotometricLights, CopiesCarryTheirParameters) {
    KT_Photometric_Web_Light web({1, 1, 1}, L"lamp.ies");
    KT_Photometric_Near_Params params;
    params.intensity = 42.0f;
    params.filter_colour = {0.1f, 0.2f, 0.3f};
    params.flags = 6;
    web.set_params(params);
    web.set_orientation({0.1f, 0.2f, 0.3f, 0.4f});
    KT_Photometric_Web_Light other = web;
    other.set_position({2, 2, 2});
    EXPECT_FALSE(other.shares_body_with(web));
    EXPECT_EQ(other.params().intensity, 42.0f);
    expect_colour(other.params().filter_colour, 0.1f, 0.2f, 0.3f);
    EXPECT_EQ(other.params().flags, 6);
    EXPECT_EQ(other.orientation(), (KT_Web_Orientation{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_TRUE(other.web_file() == L"lamp.ies");
    EXPECT_EQ(web.position().x, 1.0f);
    EXPECT_EQ(other.position().x, 2.0f);

    KT_Photometric_Sun sun({0, 0, 1});
    KT_Photometric_Sun_Params sun_params;
    sun_params.haze = 3.0f;
    sun.set_params(sun_params);
    KT_Photometric_Sun sun_copy = sun;
    sun_copy.set_direction({1, 0, 0});
    EXPECT_EQ(sun_copy.params().haze, 3.0f);
    expect_vector(sun.direction().unit, 0, 0, 1);
}

TEST(LightSets, AddInOrderAndCount) {
    KT_Light_Set empty;
    EXPECT_EQ(empty.count(), 0);

    KT_Ambient_Light ambient;
    KT_Distant_Light distant({0, 0, 1});
    KT_Light_Set set;
    set.add(ambient);
    set.add(distant);
    EXPECT_EQ(set.count(), 2);

    KT_Light_Set shared = set;
    shared.add(KT_Point_Light({0, 0, 0}));
    EXPECT_EQ(set.count(), 2);
    EXPECT_EQ(shared.count(), 3);

    KT_Lighting_Type expected[] = {KT_Lighting_Type::Ambient, KT_Lighting_Type::Distant,
                                   KT_Lighting_Type::Point};
    int i = 0;
    for (const KT_Filter& f : shared.body()->filters())
        EXPECT_EQ(f.type(), expected[i++]);
    EXPECT_EQ(i, 3);
    // The set shares the lights, it does not copy them.
    EXPECT_TRUE(shared.body()->filters().head()->value.shares_body_with(ambient));

    KT_Light_Set one(distant);
    EXPECT_EQ(one.count(), 1);
}

TEST(SkyRecords, StoreTheirValues) {
    KT_Sky sky(1.5f, 2.0f, 0.1f);
    EXPECT_EQ(sky.intensity(), 1.5f);
    EXPECT_EQ(sky.haze(), 2.0f);
    EXPECT_EQ(sky.horizon_height(), 0.1f);

    KT_Skylight skylight(1.0f, 0.0f, 0.2f, 16);
    EXPECT_EQ(skylight.sample_count(), 16);
    expect_colour(skylight.ground_colour(), 0.49804f, 0.49804f, 0.49804f);
    KT_Skylight copy = skylight;
    copy.set_haze(4.0f);
    EXPECT_EQ(copy.sample_count(), 16);
    EXPECT_EQ(copy.horizon_height(), 0.2f);
    EXPECT_EQ(skylight.haze(), 0.0f);
}

} // namespace
