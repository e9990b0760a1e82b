#include <gtest/gtest.h>

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

KT_Rendition lit_by(const KT_Filter& light) {
    KT_Rendition r(static_cast<const KT_Renderer_Data*>(nullptr));
    r.modify_color().light_set = KT_Light_Set(light);
    return r;
}

void expect_rgba(const KT_RGBA& c, float red, float green, float blue, float alpha,
                 float tolerance = 1e-5f) {
    EXPECT_NEAR(c.red, red, tolerance);
    EXPECT_NEAR(c.green, green, tolerance);
    EXPECT_NEAR(c.blue, blue, tolerance);
    EXPECT_NEAR(c.alpha, alpha, tolerance);
}

KT_Ambient_Light ambient(float level) {
    return KT_Ambient_Light({level, level, level});
}

// A distant light whose direction towards the light makes angle theta with
// the viewer's direction, tipped towards +y.
KT_Distant_Light distant_at(float theta) {
    return KT_Distant_Light({0, std::sin(theta), -std::cos(theta)});
}

TEST(BasicMaterialShade, AmbientLightScalesTheBase) {
    const KT_Rendition r = lit_by(ambient(0.2f));
    const KT_RGBA white = {1, 1, 1, 1};
    expect_rgba(KT_Basic_Material().shade(&r, &towards_viewer, &origin, &white), 0.2f, 0.2f, 0.2f,
                1);
}

TEST(BasicMaterialShade, DistantLightAlongTheNormalAddsAFullHighlight) {
    KT_Distant_Light light({0, 0, -1});
    light.set_colour({0.5f, 0.5f, 0.5f});
    const KT_Rendition r = lit_by(light);
    const KT_RGBA base = {0.4f, 0.2f, 0.1f, 0.8f};
    // Diffuse 0.5 * base, and the reflection is the view direction: p = 1.
    expect_rgba(KT_Basic_Material().shade(&r, &towards_viewer, &origin, &base), 0.7f, 0.6f, 0.55f,
                0.8f);
    // A brighter light saturates at 1.
    light.set_colour({2, 2, 2});
    const KT_Rendition bright = lit_by(light);
    expect_rgba(KT_Basic_Material().shade(&bright, &towards_viewer, &origin, &base), 1, 1, 1, 0.8f);
}

TEST(BasicMaterialShade, DistantLightAtAnAngle) {
    const float theta = static_cast<float>(M_PI / 3);
    const KT_Rendition r = lit_by(distant_at(theta));
    const KT_RGBA base = {0.4f, 0.2f, 0.1f, 1};
    // k = cos 60 = 0.5; R = 2kN - L = (0, -sin 60, -0.5), so R . E = 0.5
    // and the highlight is 0.5^5.
    const float highlight = 0.03125f;
    expect_rgba(KT_Basic_Material().shade(&r, &towards_viewer, &origin, &base), 0.2f + highlight,
                0.1f + highlight, 0.05f + highlight, 1);
}

TEST(BasicMaterialShade, PointLightFallsOffWithTheSquareOfTheDistance) {
    KT_Point_Light light({0, 0, -4});
    light.set_attenuation(KT_Lighting_Attenuation::Inverse_Square);
    const KT_Rendition r = lit_by(light);
    const KT_RGBA white = {1, 1, 1, 1};
    // 1/16 diffuse and 1/16 highlight.
    expect_rgba(KT_Basic_Material().shade(&r, &towards_viewer, &origin, &white), 0.125f, 0.125f,
                0.125f, 1);
    // The double form lights the same point; one beyond the float range
    // lights the origin instead.
    const KT_Point_D same = {0, 0, 0};
    const KT_Point_D far_away = {0, 0, 1e31};
    expect_rgba(KT_Basic_Material().shade_d(&r, &towards_viewer, &same, &white), 0.125f, 0.125f,
                0.125f, 1);
    expect_rgba(KT_Basic_Material().shade_d(&r, &towards_viewer, &far_away, &white), 0.125f, 0.125f,
                0.125f, 1);
}

TEST(BasicMaterialShade, SpotLightFadesBetweenItsCones) {
    KT_Spot_Light light({0, 0, -4}, {0, 0, 1}, 0.2f, 0.4f, 1.0f, 0.0f);
    const KT_Rendition r = lit_by(light);
    KT_Basic_Material dull;
    dull.set_specular_color({0, 0, 0});
    const KT_RGBA white = {1, 1, 1, 1};
    // On the axis: full light straight along the normal.
    expect_rgba(dull.shade(&r, &towards_viewer, &origin, &white), 1, 1, 1, 1);
    // 0.3 off the axis: half the light, arriving at 0.3 to the normal.
    const KT_Point off = {4 * std::tan(0.3f), 0, 0};
    // The table arc cosine shifts the fade by a few 1e-5 radians, which the
    // fade's slope of 1 / 0.2 magnifies.
    const float half = 0.5f * std::cos(0.3f);
    expect_rgba(dull.shade(&r, &towards_viewer, &off, &white), half, half, half, 1, 1e-3f);
    // Outside the outer cone: dark.
    const KT_Point outside = {4 * std::tan(0.45f), 0, 0};
    expect_rgba(dull.shade(&r, &towards_viewer, &outside, &white), 0, 0, 0, 1);
}

TEST(BasicMaterialShade, TheNormalTurnsTowardsTheLitSide) {
    KT_Rendition side = lit_by(KT_Distant_Light({1, 0, 0}));
    KT_Basic_Material dull;
    dull.set_specular_color({0, 0, 0});
    const KT_RGBA white = {1, 1, 1, 1};
    const KT_Vector n = KD_Normalized(KT_Vector{1, 0, 0.5f});
    // Seen from the viewer this normal faces away and is turned round, so
    // the light from +x no longer reaches it.
    expect_rgba(dull.shade(&side, &n, &origin, &white), 0, 0, 0, 1);
    // A second vector facing the light side keeps it: lit by N . L.
    const KT_Vector w = {1, 0, -0.1f};
    const float k = n.x;
    expect_rgba(dull.shade(&side, &n, &origin, &white, nullptr, 0, &w), k, k, k, 1);
    // The second vector is itself turned towards the viewer first.
    const KT_Vector w_back = {-1, 0, 0.1f};
    expect_rgba(dull.shade(&side, &n, &origin, &white, nullptr, 0, &w_back), k, k, k, 1);
    // A normal facing straight away is lit like one facing the viewer.
    KT_Rendition front = lit_by(KT_Distant_Light({0, 0, -1}));
    const KT_Vector away = {0, 0, 1};
    expect_rgba(dull.shade(&front, &away, &origin, &white), 1, 1, 1, 1);
}

TEST(BasicMaterialShade, ShininessFiveTakesTheFastPathWithTheSameResult) {
    const KT_Rendition r = lit_by(distant_at(0.4f));
    const KT_RGBA black = {0, 0, 0, 1};
    KT_Basic_Material five;
    KT_Basic_Material nearly;
    nearly.set_shininess(5.0001f);
    const KT_RGBA a = five.shade(&r, &towards_viewer, &origin, &black);
    const KT_RGBA b = nearly.shade(&r, &towards_viewer, &origin, &black);
    EXPECT_GT(a.red, 0.05f);
    EXPECT_NEAR(a.red, b.red, 1e-4f);
    // A higher shininess narrows the highlight.
    KT_Basic_Material sharp;
    sharp.set_shininess(50);
    EXPECT_LT(sharp.shade(&r, &towards_viewer, &origin, &black).red, a.red * 0.1f);
}

TEST(BasicMaterialShade, UnlitSurfacesKeepTheirBase) {
    const KT_RGBA base = {0.3f, 0.6f, 0.9f, 0.5f};
    KT_Rendition unlit(static_cast<const KT_Renderer_Data*>(nullptr));
    expect_rgba(KT_Basic_Material().shade(&unlit, &towards_viewer, &origin, &base), 0.3f, 0.6f,
                0.9f, 0.5f);
    const KT_Rendition r = lit_by(ambient(0.2f));
    expect_rgba(KT_Basic_Material().shade(&r, nullptr, &origin, &base), 0.3f, 0.6f, 0.9f, 0.5f);
    expect_rgba(KT_Basic_Material().shade(nullptr, &towards_viewer, &origin, &base), 0.3f, 0.6f,
                0.9f, 0.5f);
}

TEST(BasicMaterialShade, WithoutAColourTheFrontColourIsTheBase) {
    KT_Rendition r = lit_by(ambient(0.5f));
    r.set_front_color({51, 0, 255, 255}, false);
    expect_rgba(KT_Basic_Material().shade(&r, &towards_viewer, &origin, nullptr), 0.5f, 0, 0.1f, 1);
    // Unlit, the front colour comes back as it is.
    expect_rgba(KT_Basic_Material().shade(&r, nullptr, &origin, nullptr), 1, 0, 0.2f, 1);
}

TEST(ComplexMaterialShade, AmbientUsesTheMaterialsAmbientColour) {
    KT_Complex_Material m;
    m.set_ambient_color({0.5f, 0.25f, 1});
    m.set_emissive_color({0.1f, 0, 0});
    m.set_opacity(0.75f);
    const KT_Rendition r = lit_by(ambient(0.4f));
    const KT_RGBA colour = {1, 1, 1, 0.1f};
    // Emitted plus ambient light times the ambient colour; the colour's
    // alpha gives way to the opacity.
    expect_rgba(m.shade(&r, &towards_viewer, &origin, &colour), 0.3f, 0.1f, 0.4f, 0.75f);
}

TEST(ComplexMaterialShade, DistantLightUsesDiffuseAndPowerHighlight) {
    KT_Complex_Material m;
    m.set_specular_color({0.5f, 0.5f, 0.5f});
    const float theta = static_cast<float>(M_PI / 3);
    const KT_Rendition r = lit_by(distant_at(theta));
    // Diffuse 0.7 * 0.5; highlight 0.5 * 0.5^5.
    const float expected = 0.35f + 0.5f * 0.03125f;
    expect_rgba(m.shade(&r, &towards_viewer, &origin, nullptr), expected, expected, expected, 1);
}

TEST(ComplexMaterialShade, UnlitOrTransparentGivesTheDiffuseColour) {
    KT_Complex_Material m;
    const KT_Rendition r = lit_by(ambient(1));
    expect_rgba(m.shade(&r, nullptr, &origin, nullptr), 0.7f, 0.7f, 0.7f, 1);
    m.set_opacity(0);
    const KT_RGBA colour = {0.2f, 0.4f, 0.6f, 1};
    expect_rgba(m.shade(&r, &towards_viewer, &origin, &colour), 0.2f, 0.4f, 0.6f, 0);
    m.set_opacity(3);
    expect_rgba(m.shade(nullptr, &towards_viewer, &origin, &colour), 0.2f, 0.4f, 0.6f, 1);
}

// A one-texel texture: every parameter reads the same colour.
KT_Texture solid_texture(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                         std::uint8_t alpha) {
    KT_Shared_Image image(1, 1, KT_Image_Format::RGB32, 0, nullptr, false);
    std::uint8_t* p = image->row(0);
    p[0] = blue;
    p[1] = green;
    p[2] = red;
    p[3] = alpha;
    return KT_Simple_Image_Texture(image);
}

TEST(TexturedMaterialShade, TheTexelScalesTheSurfaceColour) {
    const KT_Texture texture = solid_texture(255, 0, 51, 255);
    KT_Basic_Textured_Material m(texture);
    const KT_Parameter uv = {0.5f, 0.5f, 0};
    const KT_RGBA white = {1, 1, 1, 1};
    const KT_Rendition r = lit_by(ambient(0.5f));
    expect_rgba(m.shade(&r, &towards_viewer, &origin, &white, &uv, 1), 0.5f, 0, 0.1f, 1);
    // Without parameters the texture is not read.
    expect_rgba(m.shade(&r, &towards_viewer, &origin, &white), 0.5f, 0.5f, 0.5f, 1);
    EXPECT_TRUE(m.diffuse_texture().shares_body_with(texture));
}

TEST(TexturedMaterialShade, ComplexTexturedReadsItsDiffuseAndEmissiveSlots) {
    KT_Complex_Textured_Material m;
    m.set_texture(KT_Diffuse_Texture, solid_texture(255, 255, 0, 128));
    m.set_texture(KT_Emissive_Texture, solid_texture(0, 0, 51, 255));
    const KT_Parameter uv = {0.5f, 0.5f, 0};
    const KT_Rendition r = lit_by(ambient(1));
    // Ambient 0.7 * texel (1, 1, 0) plus emitted (0, 0, 0.2); alpha is the
    // texel's.
    const KT_RGBA c = m.shade(&r, &towards_viewer, &origin, nullptr, &uv, 1);
    expect_rgba(c, 0.7f, 0.7f, 0.2f, 128.0f / 255.0f);
    EXPECT_FALSE(m.diffuse_texture().empty());
}

TEST(GoochShade, ToneRunsFromCoolToWarm) {
    KT_Gooch_Material m;
    m.set_direction({0, 0, -1});
    m.set_tones(0.4f, 0.4f, 0.2f, 0.6f);
    m.edit_data()->highlight_strength = 0;
    const KT_RGBA grey = {0.5f, 0.5f, 0.5f, 1};
    KT_Rendition r(static_cast<const KT_Renderer_Data*>(nullptr));
    // Facing the tone light: all warm, (y + b kd, y + b kd, b kd).
    expect_rgba(m.shade(&r, &towards_viewer, &origin, &grey), 0.7f, 0.7f, 0.3f, 1);
    // At right angles: halfway between warm and cool (a kd, a kd, b + a kd).
    const KT_Vector side = {1, 0, 0};
    expect_rgba(m.shade(&r, &side, &origin, &grey), 0.4f, 0.4f, 0.4f, 1);
    // Without a normal the surface colour is not toned.
    expect_rgba(m.shade(&r, nullptr, &origin, &grey), 0.5f, 0.5f, 0.5f, 1);
}

TEST(ShaderKinds, TypesTexturesAndGlow) {
    EXPECT_EQ(KT_Basic_Material().type(), KT_Shader_Type::Basic);
    EXPECT_EQ(KT_Complex_Material().type(), KT_Shader_Type::Complex);
    EXPECT_EQ(KT_Basic_Textured_Material().type(), KT_Shader_Type::Basic_Textured);
    EXPECT_EQ(KT_Complex_Textured_Material().type(), KT_Shader_Type::Complex_Textured);
    EXPECT_EQ(KT_Gooch_Material().type(), KT_Shader_Type::Gooch);
    EXPECT_EQ(KT_Zebra_Material().type(), KT_Shader_Type::Zebra);
    EXPECT_EQ(KT_Glow_Material().type(), KT_Shader_Type::Glow);
    EXPECT_EQ(KT_Shader().type(), KT_Shader_Type::Shader);
    EXPECT_TRUE(KT_Complex_Material().diffuse_texture().empty());
    EXPECT_TRUE(KT_Basic_Material().diffuse_texture().empty());

    const KT_Rendition r = lit_by(ambient(1));
    const KT_RGBA colour = {0.1f, 0.2f, 0.3f, 0.4f};
    expect_rgba(KT_Glow_Material().shade(&r, &towards_viewer, &origin, &colour), 0.5f, 0.5f, 0.5f,
                1);
    EXPECT_EQ(KT_Glow_Material().data()->mode, 0);
    EXPECT_EQ(KT_NoPointGlow_Glow_Material().data()->mode, 4);
    EXPECT_EQ(KT_Zebra_Material().data()->stripe_mode, -1);
}

TEST(ShaderKinds, SettersCopyASharedBody) {
    KT_Basic_Material a;
    KT_Basic_Material b = a;
    b.set_shininess(20);
    EXPECT_FLOAT_EQ(a.data()->shininess, 5);
    EXPECT_FLOAT_EQ(b.data()->shininess, 20);
    EXPECT_FALSE(a.shares_body_with(b));
}

TEST(ExtendedMaterial, HoldsTheBlockAndOwnsItsCache) {
    KT_Extended_Material none;
    EXPECT_EQ(none->data, nullptr);
    EXPECT_EQ(none->size, 0);
    int block[4] = {};
    KT_Extended_Material m(block, sizeof block);
    EXPECT_EQ(m->data, block);
    EXPECT_EQ(m->size, 16);
    m.set_cached_data(new KT_Cached_Data);
    m.set_cached_data(new KT_Cached_Data); // the first is destroyed, not leaked
    EXPECT_NE(m->cached_data.get(), nullptr);
    KT_Extended_Material copy(static_cast<KT_Extended_Material_Data*>(m->copy()));
    EXPECT_EQ(copy->data, block);
    EXPECT_EQ(copy->cached_data.get(), nullptr);
}

} // namespace
