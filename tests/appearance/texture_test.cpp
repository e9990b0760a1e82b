#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "appearance/image_texture.h"
#include "appearance/procedural_texture.h"
#include "texture_test_support.h"

namespace {

using namespace texture_test;

constexpr KT_Tiling_Mode clamp = KT_Tiling_Mode::Clamp;
constexpr KT_Tiling_Mode repeat = KT_Tiling_Mode::Repeat;
constexpr KT_Tiling_Mode mirror = KT_Tiling_Mode::Mirror;
constexpr KT_Tiling_Mode undefined_mode = static_cast<KT_Tiling_Mode>(7);

// Repeat keeps whole numbers other than 0 at 1; mirror reflects odd
// intervals; modes it does not know leave the coordinate. The zeros that
// pad each row check that 0 stays 0 in every mode.
TEST(Tiling, EachModeFoldsTheCoordinate) {
    const struct {
        KT_Tiling_Mode mode;
        float t[8], expected[8];
    } rows[] = {
        {clamp, {2, -0.25f, 0.4f, 1e30f}, {1, 0, 0.4f, 1}},
        {repeat, {1, 2, -1, -0.25f, 3.75f, -2.5f}, {1, 1, 1, 0.75f, 0.75f, 0.5f}},
        {mirror,
         {1, 2, -0.25f, 1.25f, 2.25f, -1.25f, 3.5f},
         {1, 0, 0.25f, 0.75f, 0.25f, 0.75f, 0.5f}},
        {undefined_mode, {1.7f}, {1.7f}},
        {static_cast<KT_Tiling_Mode>(0), {-0.25f}, {-0.25f}},
    };
    for (const auto& row : rows)
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(KT_Texture_Data::tile_value(row.t[i], row.mode), row.expected[i])
                << row.t[i] << " mode " << int(row.mode);

    // A parameter tiles each coordinate by its own mode, then flips v.
    auto expect_tiled = [](const char* what, const KT_Texture_Data& t, KT_Parameter p,
                           KT_Parameter expected) {
        SCOPED_TRACE(what);
        p = t.tile_parameter(p);
        EXPECT_EQ(p.u, expected.u) << "u";
        EXPECT_EQ(p.v, expected.v) << "v";
        EXPECT_EQ(p.w, expected.w) << "w";
    };
    KT_Texture_Data texture;
    expect_tiled("default modes", texture, {0.25f, 0.25f, 1.5f},
                 {.u = 0.25f, .v = 0.75f, .w = 0.5f});
    expect_tiled("the origin", texture, {0, 0, 0}, {.u = 0.0f, .v = 1.0f, .w = 0.0f});
    texture.set_tiling(clamp, mirror, undefined_mode);
    expect_tiled("clamp, mirror and an undefined mode", texture, {-3.0f, 1.25f, 9.0f},
                 {.u = 0.0f, .v = 0.25f, .w = 9.0f});
}

std::pair<int, int> sample(const KT_Texture& t, float u, float v) {
    return texel_of(colour_at(t, u, v));
}

TEST(SimpleImage, NearestTexelAtTheEdgesInEachMode) {
    KT_Simple_Image_Texture texture{coordinate_image(5, 3)};
    // v = 0 is the bottom row; 4 * 0.125 = 0.5 rounds up, just below stays.
    EXPECT_EQ(sample(texture, 0.0f, 0.0f), std::pair(0, 2));
    EXPECT_EQ(sample(texture, 1.0f, 1.0f), std::pair(4, 0));
    EXPECT_EQ(sample(texture, 0.5f, 0.5f), std::pair(2, 1));
    EXPECT_EQ(sample(texture, 0.125f, 0.5f).first, 1);
    EXPECT_EQ(sample(texture, 0.12f, 0.5f).first, 0);
    const KT_Parameter corner = {1.0f, 1.0f, 0.0f};
    EXPECT_FLOAT_EQ(texture.value(&corner).alpha, 200.0f / 255);

    EXPECT_EQ(sample(texture, 1.5f, 0.5f).first, 2);
    EXPECT_EQ(sample(texture, -0.25f, 0.5f).first, 3);
    texture.set_tiling(clamp, clamp, clamp);
    EXPECT_EQ(sample(texture, 1.5f, 0.5f).first, 4);
    EXPECT_EQ(sample(texture, -7.0f, 2.0f), std::pair(0, 0));
    texture.set_tiling(mirror, mirror, mirror);
    EXPECT_EQ(sample(texture, 1.25f, 0.5f).first, 3);
    // Left alone, coordinates outside the unit square give nothing.
    texture.set_tiling(undefined_mode, repeat, repeat);
    EXPECT_EQ(colour_at(texture, 1.5f, 0.5f).alpha, 0.0f);

    // Missing parameters sample the origin; of several, the first counts.
    EXPECT_EQ(texel_of(texture.value(nullptr)), std::pair(0, 2));
    EXPECT_EQ(texel_of(texture.value(&corner, 0)), std::pair(0, 2));
    const KT_Parameter several[2] = {{1.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 0.0f}};
    EXPECT_EQ(texel_of(texture.value(several, 2)), std::pair(4, 0));
}

TEST(ImageTextures, EmptyAndUnusualImagesGiveDefinedColours) {
    const KT_Parameter p = {0.5f, 0.5f, 0.0f};
    for (const KT_Shared_Image& image :
         {KT_Shared_Image(), KT_Shared_Image(0, 0, KT_Image_Format::RGB32, 0, nullptr, false),
          KT_Shared_Image(4, 4, KT_Image_Format::Depth32, 0, nullptr, false)}) {
        EXPECT_EQ(KT_Simple_Image_Texture(image).value(&p).alpha, 0.0f);
        EXPECT_EQ(KT_Complex_Image_Texture(image).value(&p).alpha, 0.0f);
    }
    EXPECT_TRUE(KT_Simple_Image_Texture(KT_Shared_Image()).image(16, 16).empty());

    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(colour_at(KT_Simple_Image_Texture(coordinate_image(3, 3)), nan, 0.5f).alpha, 0.0f);
}

TEST(ComplexImage, FiltersWithinItsWindowWithBorderAndMask) {
    KT_Complex_Image_Texture texture(coordinate_image(5, 3));
    // Halfway between columns 1 and 2 of the middle row.
    KT_Parameter p = {0.375f, 0.5f, 0.0f};
    KT_RGBA c = texture.value(&p);
    EXPECT_NEAR(c.red * 255, 1.5f, 1e-4f);
    EXPECT_NEAR(c.alpha * 255, 200.0f, 1e-3f);
    texture.set_filter(KT_Texture_Filter::Nearest);
    EXPECT_EQ(texel_of(texture.value(&p)), std::pair(2, 1));

    // A window of columns 3..4, rows 1..2: the unit square covers just it.
    texture.set_window({3, 1}, {2, 2});
    p = {0.0f, 1.0f, 0.0f};
    EXPECT_EQ(texel_of(texture.value(&p)), std::pair(3, 1));
    p = {1.0f, 0.0f, 0.0f};
    EXPECT_EQ(texel_of(texture.value(&p)), std::pair(4, 2));
    // A window reaching past the image is clipped to it.
    texture.set_window({4, 2}, {100, 100});
    EXPECT_EQ(texel_of(texture.value(&p)), std::pair(4, 2));

    KT_Complex_Image_Texture bordered(coordinate_image(4, 4));
    bordered.set_tiling(undefined_mode, undefined_mode, undefined_mode);
    bordered.set_border_colour({255, 0, 51, 255});
    c = colour_at(bordered, 2.0f, 0.5f);
    EXPECT_FLOAT_EQ(c.red, 0.2f);
    EXPECT_FLOAT_EQ(c.blue, 1.0f);

    // The mask's grey level scales the alpha.
    KT_Shared_Image mask(1, 1, KT_Image_Format::Gray8, 0, nullptr, false);
    mask->row(0)[0] = 102;
    bordered.set_mask(mask);
    EXPECT_NEAR(bordered.value(&p).alpha, 200.0f / 255 * 0.4f, 1e-5f);
}

TEST(Baking, SizesFollowTheCacheThenTheBaseImage) {
    KT_Simple_Image_Texture texture(coordinate_image(256, 128));
    KT_Shared_Image baked = texture.image(0, 0);
    ASSERT_FALSE(baked.empty());
    EXPECT_EQ(baked->width(), 256);
    EXPECT_EQ(baked->height(), 128);

    KT_Shared_Image small = texture.image(32, 16);
    EXPECT_EQ(small->width(), 32);
    // Zero now means the cached size, and the cache is reused.
    EXPECT_TRUE(texture.image(0, 0).shares_body_with(small));
    KT_Shared_Image wide = texture.image(64, 0);
    EXPECT_EQ(wide->width(), 64);
    EXPECT_EQ(wide->height(), 16);
    // Sizes that cannot be baked leave the cache as it is.
    EXPECT_TRUE(texture.image(1 << 20, 4).shares_body_with(wide));
    EXPECT_TRUE(texture.image(-5, 0).shares_body_with(wide));
}

TEST(Baking, ShrinkingPicksTexelCentres) {
    KT_Simple_Image_Texture texture(coordinate_image(8, 4));
    KT_Shared_Image baked = texture.image(4, 2);
    // Column i samples u = (i + 0.5) / 4, nearest of 7 * u.
    const int columns[4] = {1, 3, 4, 6};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(pixel_at(baked, i, 0)[2], columns[i]);
    // Row j samples 3 * (j + 0.5) / 2 from the top: 0.75 and 2.25.
    EXPECT_EQ(pixel_at(baked, 0, 0)[1], 1);
    EXPECT_EQ(pixel_at(baked, 0, 1)[1], 2);
}

// The direct copy that bakes simple image textures must give the bytes the
// sampling reference gives, whatever the sizes and tiling.
TEST(Baking, DirectCopyMatchesSampling) {
    std::mt19937 random(20261206);
    auto next = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const KT_Tiling_Mode modes[] = {clamp, repeat, mirror, undefined_mode};
    for (int round = 0; round < 60; ++round) {
        const int sw = 1 + next(40), sh = 1 + next(40);
        KT_Shared_Image source(sw, sh, KT_Image_Format::RGB32, 0, nullptr, false);
        for (int y = 0; y < sh; ++y)
            for (int x = 0; x < 4 * sw; ++x)
                source->row(y)[x] = static_cast<std::uint8_t>(next(256));
        KT_Simple_Image_Texture texture(source);
        texture.set_tiling(modes[next(4)], modes[next(4)], modes[next(4)]);
        const int width = 1 + next(70), height = 1 + next(70);

        KT_Shared_Image fast = texture.image(width, height);
        KT_Shared_Image reference(width, height, KT_Image_Format::RGB32, 0, nullptr, false);
        texture.body()->bake_by_value(reference);
        ASSERT_EQ(fast->width(), width);
        for (int y = 0; y < height; ++y)
            ASSERT_EQ(std::memcmp(fast->row(y), reference->row(y), 4 * width), 0)
                << "round " << round << " row " << y;
    }
}

// How many clearly different reds n points along a diagonal give.
template <class Texture> std::size_t distinct_reds(const Texture& texture, int n) {
    std::set<long> reds;
    for (int i = 0; i < n; ++i) {
        reds.insert(std::lround(colour_at(texture, 0.037f * i, 0.011f * i).red * 500));
    }
    return reds.size();
}

// A solid texture's red lies between its two colours'; it is opaque.
void expect_between(const KT_RGBA& c, const KT_RGB& a, const KT_RGB& b) {
    EXPECT_TRUE(c.red >= std::fmin(a.red, b.red) - 1e-6f &&
                c.red <= std::fmax(a.red, b.red) + 1e-6f);
    EXPECT_EQ(c.alpha, 1.0f);
}

TEST(Procedural, MarbleIsDeterministicVariedAndBounded) {
    KT_Procedural_Marble_Texture a, b;
    for (int i = 0; i < 50; ++i) {
        const KT_Parameter p = {0.05f * i, 0.02f * i, -0.03f * i};
        EXPECT_EQ(a.value(&p).red, b.value(&p).red);
        expect_between(a.value(&p), a.params().base_colour, a.params().vein_colour);
    }
    EXPECT_GT(distinct_reds(a, 50), 10u);
    // Another seed, another pattern.
    KT_Marble_Params other = a.params();
    other.seed = 12345;
    b.set_params(other);
    int differing = 0;
    for (int i = 0; i < 20; ++i) {
        differing += colour_at(a, 0.05f * i, 0.3f).red != colour_at(b, 0.05f * i, 0.3f).red;
    }
    EXPECT_GT(differing, 10);
}

TEST(Procedural, WoodHasRingsAcrossU) {
    KT_Procedural_Wood_Texture wood;
    KT_Wood_Params params = wood.params();
    params.grain = params.axis_u = params.axis_w = 0.0f;
    wood.set_params(params);
    // Without grain, 8 rings per unit: ring starts are light, middles dark.
    EXPECT_NEAR(colour_at(wood, 0.0f, 0.4f).red, params.light_colour.red, 1e-5f);
    EXPECT_NEAR(colour_at(wood, 0.0625f, 0.9f).red, params.dark_colour.red, 1e-5f);
    EXPECT_NEAR(colour_at(wood, 0.125f, 0.1f).red, params.light_colour.red, 1e-4f);

    KT_Procedural_Wood_Texture grained;
    EXPECT_GT(distinct_reds(grained, 50), 10u);
    expect_between(colour_at(grained, 0.7f, 0.49f), params.light_colour, params.dark_colour);
}

// A renderer learns from an empty image() that it evaluates the texture
// itself.
TEST(Procedural, TexturesHaveNoImageAtAnySize) {
    const struct {
        const char* name;
        KT_Texture texture;
    } textures[] = {{"marble", KT_Procedural_Marble_Texture()},
                    {"wood", KT_Procedural_Wood_Texture()},
                    {"base", KT_Procedural_Texture()}};
    for (const auto& t : textures) {
        SCOPED_TRACE(t.name);
        EXPECT_TRUE(t.texture.image(0, 0).empty()) << "the default size";
        EXPECT_TRUE(t.texture.image(6, 3).empty()) << "a requested size";
    }
}

TEST(Procedural, TheBaseTextureIsTransparent) {
    EXPECT_EQ(colour_at(KT_Procedural_Texture(), 0.3f, 0.3f, 0.3f).alpha, 0.0f);
}

TEST(Procedural, NonFiniteInputGivesTransparentBlack) {
    const KT_Parameter inf = {std::numeric_limits<float>::infinity(), 0.0f, 0.0f};
    const KT_Parameter far = {3e30f, -1e20f, 5e9f}, near = {0.3f, 0.2f, 0.1f};
    KT_Procedural_Marble_Texture marble;
    KT_Procedural_Wood_Texture wood;
    for (const KT_Texture& t : {KT_Texture(marble), KT_Texture(wood)}) {
        EXPECT_EQ(t.value(&inf).alpha, 0.0f);
        // Huge but finite parameters still give a colour.
        const KT_RGBA c = t.value(&far);
        EXPECT_EQ(c.alpha, 1.0f);
        EXPECT_TRUE(std::isfinite(c.red) && std::isfinite(c.green) && std::isfinite(c.blue));
    }
    // So do parameters of the texture that are not numbers.
    KT_Marble_Params m = marble.params();
    m.scale = std::numeric_limits<float>::quiet_NaN();
    marble.set_params(m);
    EXPECT_EQ(marble.value(&near).alpha, 0.0f);
}

TEST(TextureCopies, CarryEveryField) {
    KT_Shared_Image image = coordinate_image(4, 4);
    KT_Complex_Image_Texture texture(image);
    texture.set_tiling(clamp, mirror, clamp);
    texture.set_filter(KT_Texture_Filter::Nearest);
    texture.set_window({1, 2}, {3, 4});
    auto* body = static_cast<KT_Complex_Image_Texture_Data*>(texture.body());
    body->set_renderer_data(-42);
    KT_Shared_Image baked = texture.image(2, 2);

    KT_Complex_Image_Texture other = texture;
    other.set_border_colour({9, 9, 9, 9});
    ASSERT_FALSE(other.shares_body_with(texture));
    const auto* copy = static_cast<const KT_Complex_Image_Texture_Data*>(other.body());
    EXPECT_EQ(copy->tiling_v(), mirror);
    EXPECT_EQ(copy->renderer_data(), -42);
    EXPECT_TRUE(copy->baked_image().shares_body_with(baked));
    EXPECT_TRUE(copy->base_image().shares_body_with(image));
    EXPECT_EQ(copy->window_size().x, 3);
    EXPECT_EQ(texture.border_colour().b, 0);
}

} // namespace
