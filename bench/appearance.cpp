// Per-point lighting, per-pixel texture sampling and texture baking.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "appearance/cube_map_texture.h"
#include "appearance/image_texture.h"
#include "appearance/light.h"
#include "appearance/procedural_texture.h"

namespace {

KT_Shared_Image noise_image(int width, int height) {
    KT_Shared_Image image(width, height, KT_Image_Format::RGB32, 0, nullptr, false);
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 4 * width; ++x) {
            state = state * 1664525u + 1013904223u;
            image->row(y)[x] = static_cast<std::uint8_t>(state >> 24);
        }
    return image;
}

// Points on a small grid below the light, so that the cone and attenuation
// paths all run.
template <class Light> void illuminate_grid(benchmark::State& state, const Light& light) {
    for (auto _ : state) {
        float sum = 0.0f;
        for (int i = 0; i < 1024; ++i) {
            const KT_Point p = {static_cast<float>(i % 32) * 0.1f - 1.6f,
                                static_cast<float>(i / 32) * 0.1f - 1.6f, -2.0f};
            sum += light.illuminate(nullptr, nullptr, &p, nullptr).colour.red;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 1024);
}

void BM_Point_Light(benchmark::State& state) {
    KT_Point_Light light({0, 0, 0});
    light.set_attenuation(KT_Lighting_Attenuation::Inverse_Square);
    illuminate_grid(state, light);
}
BENCHMARK(BM_Point_Light);

void BM_Spot_Light(benchmark::State& state) {
    KT_Spot_Light light({0, 0, 0}, {0, 0, -1}, 0.3f, 0.6f, 2.0f, 1.5f);
    light.set_attenuation(KT_Lighting_Attenuation::Inverse_Distance);
    illuminate_grid(state, light);
}
BENCHMARK(BM_Spot_Light);

template <class Texture> void sample_grid(benchmark::State& state, const Texture& texture) {
    for (auto _ : state) {
        float sum = 0.0f;
        for (int i = 0; i < 4096; ++i) {
            const KT_Parameter p = {static_cast<float>(i % 64) / 40.0f,
                                    static_cast<float>(i / 64) / 40.0f, 0.25f};
            sum += texture.value(&p).green;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 4096);
}

void BM_Simple_Image_Value(benchmark::State& state) {
    sample_grid(state, KT_Simple_Image_Texture(noise_image(256, 256)));
}
BENCHMARK(BM_Simple_Image_Value);

void BM_Complex_Image_Bilinear_Value(benchmark::State& state) {
    sample_grid(state, KT_Complex_Image_Texture(noise_image(256, 256)));
}
BENCHMARK(BM_Complex_Image_Bilinear_Value);

void BM_Cube_Map_Value(benchmark::State& state) {
    KT_Cube_Map_Texture cube;
    cube.set_default_image(128);
    sample_grid(state, cube);
}
BENCHMARK(BM_Cube_Map_Value);

void BM_Marble_Value(benchmark::State& state) {
    sample_grid(state, KT_Procedural_Marble_Texture());
}
BENCHMARK(BM_Marble_Value);

void BM_Wood_Value(benchmark::State& state) {
    sample_grid(state, KT_Procedural_Wood_Texture());
}
BENCHMARK(BM_Wood_Value);

// Baking 256 x 256 from a 512 x 512 image: the direct copy against the
// sampling reference.
void BM_Bake_Simple_Direct(benchmark::State& state) {
    const KT_Shared_Image source = noise_image(512, 512);
    for (auto _ : state) {
        KT_Simple_Image_Texture texture(source);
        benchmark::DoNotOptimize(texture.image(256, 256).body());
    }
    state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_Bake_Simple_Direct);

void BM_Bake_Simple_Sampled(benchmark::State& state) {
    KT_Simple_Image_Texture texture(noise_image(512, 512));
    KT_Shared_Image target(256, 256, KT_Image_Format::RGB32, 0, nullptr, false);
    for (auto _ : state) {
        texture.body()->bake_by_value(target);
        benchmark::DoNotOptimize(target->row(0));
    }
    state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_Bake_Simple_Sampled);

} // namespace

BENCHMARK_MAIN();
