// Colour matching through each path of the palette, and the cost of making
// and copying a frame-sized image.
#include <benchmark/benchmark.h>

#include <vector>

#include "image/image_data.h"
#include "image/palette.h"

namespace {

// A fixed spread of colours, so matching does not see one input only.
std::vector<KT_RGB32> sample_colours() {
    std::vector<KT_RGB32> colours;
    std::uint32_t state = 12345;
    for (int i = 0; i < 1024; ++i) {
        state = state * 1664525u + 1013904223u;
        colours.push_back({static_cast<std::uint8_t>(state >> 8),
                           static_cast<std::uint8_t>(state >> 16),
                           static_cast<std::uint8_t>(state >> 24), 255});
    }
    return colours;
}

// A 6 x 6 x 6 cube at 16 and a 16-level ramp at 0: a typical mapped device.
KT_Palette device_palette() {
    KT_Palette p;
    p.install(KT_Gray_Ramp(16, 1.0f, 0));
    p.install(KT_Color_Cube({6, 6, 6}, 1.0f, 16));
    return p;
}

void cube_match(benchmark::State& state) {
    const KT_Color_Cube cube({6, 6, 6}, 1.0f, 16);
    const auto colours = sample_colours();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(cube.closest_match(colours[i++ & 1023]));
}
BENCHMARK(cube_match);

void ramp_match(benchmark::State& state) {
    const KT_Gray_Ramp ramp(256, 1.0f, 0);
    const auto colours = sample_colours();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(ramp.closest_match(colours[i++ & 1023]));
}
BENCHMARK(ramp_match);

void cached_palette_match(benchmark::State& state) {
    const KT_Palette p = device_palette();
    const auto colours = sample_colours();
    for (const KT_RGB32& c : colours)
        p.closest_match(c, true);
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(p.closest_match(colours[i++ & 1023], true));
}
BENCHMARK(cached_palette_match);

// Each lookup first forgets the cache, so every one searches all entries.
void exhaustive_palette_match(benchmark::State& state) {
    KT_Palette p = device_palette();
    const auto colours = sample_colours();
    std::size_t i = 0;
    for (auto _ : state) {
        p.entry_helper(0);
        benchmark::DoNotOptimize(p.closest_match(colours[i++ & 1023], true));
    }
}
BENCHMARK(exhaustive_palette_match);

void dithered_cube_match(benchmark::State& state) {
    const KT_Color_Cube cube({6, 6, 6}, 1.0f, 16);
    const auto colours = sample_colours();
    std::int32_t indices[4];
    std::int32_t weights[4];
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(cube.dithered_match(colours[i++ & 1023], indices, weights));
}
BENCHMARK(dithered_cube_match);

constexpr int side = 1024;

void construct_rgb32(benchmark::State& state) {
    for (auto _ : state) {
        KT_Image_Data image(side, side, KT_Image_Format::RGB32, 0, nullptr, false);
        benchmark::DoNotOptimize(image.pixels());
    }
}
BENCHMARK(construct_rgb32);

void construct_rgb32_from_pixels(benchmark::State& state) {
    std::vector<std::uint8_t> pixels(std::size_t{side} * side * 4, 0x5A);
    for (auto _ : state) {
        KT_Image_Data image(side, side, KT_Image_Format::RGB32, 0, pixels.data(), false);
        benchmark::DoNotOptimize(image.pixels());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(pixels.size()));
}
BENCHMARK(construct_rgb32_from_pixels);

void copy_rgb32(benchmark::State& state) {
    KT_Image_Data source(side, side, KT_Image_Format::RGB32, 0, nullptr, false);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side * 4; ++x)
            source.row(y)[x] = static_cast<std::uint8_t>(x ^ y);
    for (auto _ : state) {
        KT_Image_Data copy(source);
        benchmark::DoNotOptimize(copy.pixels());
    }
    state.SetBytesProcessed(state.iterations() * source.byte_size());
}
BENCHMARK(copy_rgb32);

void copy_borrowed_rgb32(benchmark::State& state) {
    std::vector<std::uint8_t> pixels(std::size_t{side} * side * 4);
    KT_Image_Data source(side, side, KT_Image_Format::RGB32, 0, pixels.data(), true);
    for (auto _ : state) {
        KT_Image_Data copy(source);
        benchmark::DoNotOptimize(copy.pixels());
    }
}
BENCHMARK(copy_borrowed_rgb32);

} // namespace

BENCHMARK_MAIN();
