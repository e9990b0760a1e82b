#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "appearance/image_texture.h"
#include "appearance/light.h"
#include "appearance/material_extended.h"
#include "appearance/material_textured.h"
#include "appearance/shader_effects.h"
#include "rendition/rendition.h"

namespace {

// Renditions without renderer keep the default camera: the viewer looks
// along +z from z = -5, so the view direction is (0, 0, -1).
const KT_Vector towards_viewer = {0, 0, -1};
const KT_Point origin = {0, 0, 0};
const KT_RGBA white = {1, 1, 1, 1};

KT_Rendition lit_by(const KT_Filter& light) {
    KT_Rendition r(static_cast<const KT_Renderer_Data*>(nullptr));
    r.modify_color().light_set = KT_Light_Set(light);
    return r;
}

void expect_rgba(const char* what, const KT_RGBA& c, const KT_RGBA& expected,
                 float tolerance = 1e-5f) {
    SCOPED_TRACE(what);
    EXPECT_NEAR(c.red, expected.red, tolerance) << "red";
    EXPECT_NEAR(c.green, expected.green, tolerance) << "green";
    EXPECT_NEAR(c.blue, expected.blue, tolerance) << "blue";
    EXPECT_NEAR(c.alpha, expected.alpha, tolerance) << "alpha";
}

KT_Ambient_Light ambient(float level) {
    return KT_Ambient_Light({level, level, level});
}

// A distant light whose direction towards the light makes angle theta with
// the viewer's direction, tipped towards +y.
KT_Distant_Light distant_at(float theta) {
    return KT_Distant_Light({0, std::sin(theta), -std::cos(theta)});
}

// A point light 4 in front of the origin, falling with the square of the
// distance: 1/16 diffuse and 1/16 highlight at the origin.
KT_Point_Light point_light_at_4() {
    KT_Point_Light light({0, 0, -4});
    light.set_attenuation(KT_Lighting_Attenuation::Inverse_Square);
    return light;
}

KT_Distant_Light distant_of(float level) {
    KT_Distant_Light light({0, 0, -1});
    light.set_colour({level, level, level});
    return light;
}

// A one-texel texture: every parameter reads the same colour.
KT_Texture solid_texture(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                         std::uint8_t alpha) {
    KT_Shared_Image image(1, 1, KT_Image_Format::RGB32, 0, nullptr, false);
    const std::uint8_t bgra[4] = {blue, green, red, alpha};
    std::copy(bgra, bgra + 4, image->row(0));
    return KT_Simple_Image_Texture(image);
}

KT_RGBA shade(const KT_Shader& shader, const KT_Rendition& r, const KT_RGBA& colour = white,
              const KT_Vector& normal = towards_viewer, const KT_Point& at = origin) {
    return shader.shade(&r, &normal, &at, &colour);
}

const KT_RGBA base = {0.4f, 0.2f, 0.1f, 0.8f};
const KT_RGBA opaque_base = {0.4f, 0.2f, 0.1f, 1};
// The highlight of shininess 5 where the reflection makes 60 degrees with
// the eye: 0.5^5.
const float highlight_at_60_degrees = 0.03125f;

KT_Basic_Material dull_material() {
    KT_Basic_Material dull;
    dull.set_specular_color({0, 0, 0});
    return dull;
}

// Lighting worked out by hand for each material and light kind.
TEST(BasicMaterial, AmbientLightScalesTheColour) {
    expect_rgba("ambient 0.2 on white", shade(KT_Basic_Material(), lit_by(ambient(0.2f))),
                {0.2f, 0.2f, 0.2f, 1});
}

// Diffuse 0.5 * base plus a full highlight: the reflection is the eye.
TEST(BasicMaterial, ALightBehindTheViewerAddsAFullHighlight) {
    expect_rgba("distant 0.5", shade(KT_Basic_Material(), lit_by(distant_of(0.5f)), base),
                {0.7f, 0.6f, 0.55f, 0.8f});
    expect_rgba("distant 2 saturates", shade(KT_Basic_Material(), lit_by(distant_of(2)), base),
                {1, 1, 1, 0.8f});
}

// cos 60 = 0.5, and the reflection makes 60 degrees with the eye too.
TEST(BasicMaterial, ALightAtSixtyDegreesHalvesTheDiffuseTerm) {
    const float h = highlight_at_60_degrees;
    expect_rgba("distant at 60 degrees",
                shade(KT_Basic_Material(), lit_by(distant_at(M_PI / 3)), opaque_base),
                {0.2f + h, 0.1f + h, 0.05f + h, 1});
}

// 1/16 diffuse and 1/16 highlight at distance 4.
TEST(BasicMaterial, APointLightFallsWithTheSquareOfTheDistance) {
    expect_rgba("point light at distance 4", shade(KT_Basic_Material(), lit_by(point_light_at_4())),
                {0.125f, 0.125f, 0.125f, 1});
}

// Full light on the axis; 0.3 off it, half way through the fade and
// arriving at 0.3 to the normal (the table arc cosine shifts the fade
// slightly); dark beyond the outer cone.
TEST(BasicMaterial, ASpotLightFadesBetweenItsCones) {
    const KT_Rendition spot = lit_by(KT_Spot_Light({0, 0, -4}, {0, 0, 1}, 0.2f, 0.4f, 1.0f, 0.0f));
    const float half = 0.5f * std::cos(0.3f);
    expect_rgba("on the axis", shade(dull_material(), spot), white);
    expect_rgba("0.3 off the axis",
                shade(dull_material(), spot, white, towards_viewer, {4 * std::tan(0.3f), 0, 0}),
                {half, half, half, 1}, 1e-3f);
    expect_rgba("beyond the outer cone",
                shade(dull_material(), spot, white, towards_viewer, {4 * std::tan(0.45f), 0, 0}),
                {0, 0, 0, 1});
}

// Seen from the viewer this normal faces away and is turned round, so light
// from +x no longer reaches it; one facing straight away is lit like one
// facing the viewer.
TEST(BasicMaterial, NormalsFacingAwayFromTheViewerAreTurnedRound) {
    const KT_Vector turned = KD_Normalized(KT_Vector{1, 0, 0.5f});
    expect_rgba("tilted away, light from +x",
                shade(dull_material(), lit_by(KT_Distant_Light({1, 0, 0})), white, turned),
                {0, 0, 0, 1});
    expect_rgba("facing straight away",
                shade(dull_material(), lit_by(distant_of(1)), white, {0, 0, 1}), white);
}

// Emitted plus ambient light times the ambient colour, the opacity replacing
// the colour's alpha.
TEST(ComplexMaterial, AmbientAndEmittedLightWithItsOpacity) {
    KT_Complex_Material complex;
    complex.set_ambient_color({0.5f, 0.25f, 1});
    complex.set_emissive_color({0.1f, 0, 0});
    complex.set_opacity(0.75f);
    expect_rgba("ambient 0.4", shade(complex, lit_by(ambient(0.4f)), {1, 1, 1, 0.1f}),
                {0.3f, 0.1f, 0.4f, 0.75f});
}

TEST(ComplexMaterial, ZeroOpacityGivesZeroAlpha) {
    KT_Complex_Material complex;
    complex.set_opacity(0);
    expect_rgba("ambient 1", shade(complex, lit_by(ambient(1)), opaque_base),
                {0.4f, 0.2f, 0.1f, 0});
}

TEST(ComplexMaterial, DiffuseAndAPowerHighlight) {
    KT_Complex_Material specular;
    specular.set_specular_color({0.5f, 0.5f, 0.5f});
    const float c = 0.35f + highlight_at_60_degrees / 2;
    expect_rgba("distant at 60 degrees",
                shade(specular, lit_by(distant_at(M_PI / 3)), {0.7f, 0.7f, 0.7f, 1}), {c, c, c, 1});
}

// Facing the tone light all warm, (y + b kd, y + b kd, b kd); at right
// angles half way to cool, (a kd, a kd, b + a kd).
TEST(GoochMaterial, TurnsFromWarmToCoolAwayFromItsDirection) {
    KT_Gooch_Material gooch;
    gooch.set_direction({0, 0, -1});
    gooch.set_tones(0.4f, 0.4f, 0.2f, 0.6f);
    gooch.edit_data()->highlight_strength = 0;
    const KT_Rendition unlit(static_cast<const KT_Renderer_Data*>(nullptr));
    const KT_RGBA grey = {0.5f, 0.5f, 0.5f, 1};
    expect_rgba("facing the tone light", shade(gooch, unlit, grey), {0.7f, 0.7f, 0.3f, 1});
    expect_rgba("at right angles", shade(gooch, unlit, grey, {1, 0, 0}), {0.4f, 0.4f, 0.4f, 1});
}

TEST(GlowMaterial, GivesHalfGreyWhateverTheColour) {
    expect_rgba("ambient 1", shade(KT_Glow_Material(), lit_by(ambient(1)), base),
                {0.5f, 0.5f, 0.5f, 1});
}

// Texels scale the colour; without parameters the texture is not read.
TEST(TexturedMaterial, TheTexelScalesTheLitColour) {
    KT_Basic_Textured_Material textured(solid_texture(255, 0, 51, 255));
    const KT_Parameter uv = {0.5f, 0.5f, 0};
    const KT_Rendition half_lit = lit_by(ambient(0.5f));
    expect_rgba("with a parameter",
                textured.shade(&half_lit, &towards_viewer, &origin, &white, &uv, 1),
                {0.5f, 0, 0.1f, 1});
    expect_rgba("without a parameter", shade(textured, half_lit), {0.5f, 0.5f, 0.5f, 1});
}

// Ambient 0.7 * texel (1, 1, 0) plus emitted (0, 0, 0.2), texel alpha.
TEST(TexturedMaterial, ComplexTexturesFeedDiffuseAndEmittedLight) {
    KT_Complex_Textured_Material complex_textured;
    complex_textured.set_texture(KT_Diffuse_Texture, solid_texture(255, 255, 0, 128));
    complex_textured.set_texture(KT_Emissive_Texture, solid_texture(0, 0, 51, 255));
    const KT_Parameter uv = {0.5f, 0.5f, 0};
    const KT_Rendition full = lit_by(ambient(1));
    expect_rgba("ambient 1",
                complex_textured.shade(&full, &towards_viewer, &origin, nullptr, &uv, 1),
                {0.7f, 0.7f, 0.2f, 128.0f / 255.0f});
}

// A second vector facing the light side keeps it, even when given facing
// away from the viewer: lit by N . L.
TEST(MaterialShade, ASecondVectorKeepsTheSideFacingTheLight) {
    const KT_Rendition side = lit_by(KT_Distant_Light({1, 0, 0}));
    const KT_Vector n = KD_Normalized(KT_Vector{1, 0, 0.5f});
    const KT_Vector towards_light = {1, 0, -0.1f}, given_backwards = {-1, 0, 0.1f};
    const KT_RGBA lit = {n.x, n.x, n.x, 1};
    expect_rgba("second vector towards the light",
                dull_material().shade(&side, &n, &origin, &white, nullptr, 0, &towards_light), lit);
    expect_rgba("second vector given facing away",
                dull_material().shade(&side, &n, &origin, &white, nullptr, 0, &given_backwards),
                lit);
}

// 1/16 diffuse and 1/16 highlight at distance 4, as for float points.
TEST(MaterialShade, DoublePointsAreLitLikeFloatPoints) {
    const KT_Rendition point = lit_by(point_light_at_4());
    const KT_Point_D at_origin = {0, 0, 0};
    expect_rgba("double point at the origin",
                KT_Basic_Material().shade_d(&point, &towards_viewer, &at_origin, &white),
                {0.125f, 0.125f, 0.125f, 1});
}

TEST(MaterialShade, ADoublePointBeyondTheFloatRangeLightsTheOrigin) {
    const KT_Rendition point = lit_by(point_light_at_4());
    const KT_Point_D far_away = {0, 0, 1e31};
    expect_rgba("double point at 1e31",
                KT_Basic_Material().shade_d(&point, &towards_viewer, &far_away, &white),
                {0.125f, 0.125f, 0.125f, 1});
}

// Shininess 5 takes its own power path; a shininess just above it takes the
// general one, with the same result.
TEST(MaterialShade, TheFastPowerOfShininessFiveMatchesTheGeneralPower) {
    const KT_Rendition r = lit_by(distant_at(0.4f));
    const KT_RGBA black = {0, 0, 0, 1};
    KT_Basic_Material nearly_five;
    nearly_five.set_shininess(5.0001f);
    const KT_RGBA five = KT_Basic_Material().shade(&r, &towards_viewer, &origin, &black);
    EXPECT_GT(five.red, 0.05f) << "the highlight is visible";
    EXPECT_NEAR(nearly_five.shade(&r, &towards_viewer, &origin, &black).red, five.red, 1e-4f);
}

TEST(MaterialShade, AHigherShininessNarrowsTheHighlight) {
    const KT_Rendition r = lit_by(distant_at(0.4f));
    const KT_RGBA black = {0, 0, 0, 1};
    KT_Basic_Material sharp;
    sharp.set_shininess(50);
    const KT_RGBA five = KT_Basic_Material().shade(&r, &towards_viewer, &origin, &black);
    EXPECT_LT(sharp.shade(&r, &towards_viewer, &origin, &black).red, five.red * 0.1f);
}

const KT_RGBA unlit_base = {0.3f, 0.6f, 0.9f, 0.5f};

TEST(MaterialShade, MissingLightNormalOrRenditionKeepsTheBase) {
    const KT_Rendition unlit(static_cast<const KT_Renderer_Data*>(nullptr));
    const KT_Rendition r = lit_by(ambient(0.5f));
    const KT_Basic_Material basic;
    expect_rgba("no light set", basic.shade(&unlit, &towards_viewer, &origin, &unlit_base),
                unlit_base);
    expect_rgba("no normal", basic.shade(&r, nullptr, &origin, &unlit_base), unlit_base);
    expect_rgba("no rendition", basic.shade(nullptr, &towards_viewer, &origin, &unlit_base),
                unlit_base);
    expect_rgba("gooch without a normal",
                KT_Gooch_Material().shade(&r, nullptr, &origin, &unlit_base), unlit_base);
}

// Without a colour the front colour is the base: lit, then as it is.
TEST(MaterialShade, WithoutAColourTheFrontColourIsTheBase) {
    KT_Rendition r = lit_by(ambient(0.5f));
    r.set_front_color({51, 0, 255, 255}, false);
    const KT_Basic_Material basic;
    expect_rgba("front colour, lit", basic.shade(&r, &towards_viewer, &origin, nullptr),
                {0.5f, 0, 0.1f, 1});
    expect_rgba("front colour, no normal", basic.shade(&r, nullptr, &origin, nullptr),
                {1, 0, 0.2f, 1});
}

TEST(ComplexMaterial, UnlitGivesTheDiffuseColour) {
    const KT_Rendition r = lit_by(ambient(0.5f));
    expect_rgba("complex, no normal", KT_Complex_Material().shade(&r, nullptr, &origin, nullptr),
                {0.7f, 0.7f, 0.7f, 1});
}

TEST(ComplexMaterial, AnOpacityAboveOneIsOne) {
    KT_Complex_Material complex;
    complex.set_opacity(3);
    expect_rgba("complex, opacity above 1",
                complex.shade(nullptr, &towards_viewer, &origin, &unlit_base),
                {0.3f, 0.6f, 0.9f, 1});
}

TEST(ShaderKinds, TypesTexturesModesAndSharing) {
    const std::pair<KT_Shader, KT_Shader_Type> types[] = {
        {KT_Basic_Material(), KT_Shader_Type::Basic},
        {KT_Complex_Material(), KT_Shader_Type::Complex},
        {KT_Basic_Textured_Material(), KT_Shader_Type::Basic_Textured},
        {KT_Complex_Textured_Material(), KT_Shader_Type::Complex_Textured},
        {KT_Gooch_Material(), KT_Shader_Type::Gooch},
        {KT_Zebra_Material(), KT_Shader_Type::Zebra},
        {KT_Glow_Material(), KT_Shader_Type::Glow},
        {KT_Shader(), KT_Shader_Type::Shader}};
    for (const auto& [shader, type] : types) {
        EXPECT_EQ(shader.type(), type);
        EXPECT_TRUE(shader.diffuse_texture().empty());
    }
    const KT_Texture texture = solid_texture(1, 2, 3, 4);
    EXPECT_TRUE(KT_Basic_Textured_Material(texture).diffuse_texture().shares_body_with(texture));
    EXPECT_EQ(KT_NoPointGlow_Glow_Material().data()->mode, 4);
}

TEST(ExtendedMaterial, HoldsTheBlockAndOwnsItsCache) {
    EXPECT_EQ(KT_Extended_Material()->data, nullptr);
    int block[4] = {};
    KT_Extended_Material m(block, sizeof block);
    EXPECT_EQ(m->size, 16);
    m.set_cached_data(new KT_Cached_Data);
    m.set_cached_data(new KT_Cached_Data); // the first is destroyed, not leaked
    EXPECT_NE(m->cached_data.get(), nullptr);
    KT_Extended_Material copy(static_cast<KT_Extended_Material_Data*>(m->copy()));
    EXPECT_EQ(copy->data, block);
    EXPECT_EQ(copy->cached_data.get(), nullptr);
}

} // namespace
