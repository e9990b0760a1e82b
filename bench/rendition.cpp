// What drawing state costs per primitive: deriving a rendition with one
// changed colour (which must copy no more than the net body and the colour
// record) and setting a modelling matrix (the per-object cost of the 3D
// pipeline's transform chain).
#include <benchmark/benchmark.h>

#include "../tests/rendition/test_device.h"
#include "rendition/rendition.h"

namespace {

// Bodies of copy that are not shared with original: the net body and each
// record.
int bodies_copied(const KT_Rendition& original, const KT_Rendition& copy) {
    const KT_Net_Data& a = *original;
    const KT_Net_Data& b = *copy;
    return !original.shares_body_with(copy) + !a.transform.shares_body_with(b.transform) +
           !a.color.shares_body_with(b.color) + !a.line.shares_body_with(b.line) +
           !a.face.shares_body_with(b.face) + !a.marker.shares_body_with(b.marker) +
           !a.text_attribute.shares_body_with(b.text_attribute) + !a.misc.shares_body_with(b.misc);
}

void BM_Copy_And_Change_Colour(benchmark::State& state) {
    rendition_test::Device device(1024, 768, 24);
    device.current_renderer_options.set_palette(rendition_test::palette_of(
        {{0, 0, 255, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}, {128, 128, 128, 255}}));
    const KT_Rendition original(&device);
    int copied = 0;
    std::uint8_t shade = 0;
    for (auto _ : state) {
        KT_Rendition copy = original;
        copy.set_front_color({shade, 0, 0, 255}, false);
        copied = bodies_copied(original, copy);
        benchmark::DoNotOptimize(copy.body());
        ++shade;
    }
    if (copied > 2) state.SkipWithError("a colour change copied more than two bodies");
    state.counters["bodies_copied"] = copied;
}
BENCHMARK(BM_Copy_And_Change_Colour);

// Argument 1 sets a camera of its own, 0 keeps the default (empty) one.
void BM_Set_Modelling_Matrix(benchmark::State& state) {
    rendition_test::Device device(1024, 768, 24);
    KT_Rendition r(&device);
    if (state.range(0) != 0) {
        KT_Camera camera;
        camera.set_position({3, 4, -10}, {0, 0, 0});
        r.set_camera(camera, false);
    }
    KT_Matrix models[2];
    models[0].rotate_y(0.3);
    models[0].translate(1, 2, 3);
    models[1].scale(2, 2, 2);
    models[1].rotate_x(-0.2);
    int i = 0;
    for (auto _ : state) {
        r.set_modelling_matrix(models[i ^= 1], false);
        benchmark::DoNotOptimize(r.transform().scaled_wlimit);
    }
}
BENCHMARK(BM_Set_Modelling_Matrix)->Arg(0)->Arg(1);

// The same on a rendition shared with another, as a driver deriving one
// per primitive does: the net and transform bodies are copied too.
void BM_Derive_With_Modelling_Matrix(benchmark::State& state) {
    rendition_test::Device device(1024, 768, 24);
    const KT_Rendition original(&device);
    KT_Matrix model;
    model.rotate_z(0.5);
    for (auto _ : state) {
        KT_Rendition copy = original;
        copy.set_modelling_matrix(model, false);
        benchmark::DoNotOptimize(copy.transform().object_to_device.body());
    }
}
BENCHMARK(BM_Derive_With_Modelling_Matrix);

void BM_Set_Camera(benchmark::State& state) {
    rendition_test::Device device(1024, 768, 24);
    KT_Rendition r(&device);
    KT_Camera cameras[2];
    cameras[0].set_position({3, 4, -10}, {0, 0, 0});
    cameras[1].set_position({-3, 4, -10}, {0, 0, 0});
    int i = 0;
    for (auto _ : state)
        r.set_camera(cameras[i ^= 1], false);
}
BENCHMARK(BM_Set_Camera);

} // namespace

BENCHMARK_MAIN();
