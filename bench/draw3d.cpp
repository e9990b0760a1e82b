// A lit UV sphere of 262,144 triangles through the 3D actions: once into 2D
// polytriangle slots that discard what they get (the 3D stage alone:
// transform, culling, lighting, run building), once through the whole
// pipeline into a device that discards the finished rows.
#include <benchmark/benchmark.h>

#include "../tests/rendition/test_device.h"
#include "../tests/support/uv_sphere.h"
#include "appearance/light.h"
#include "renderer/next_action.h"

namespace {

// 256 rings of 512 quads: 262,144 triangles.
constexpr int rings = 256, segments = 512;

class Sink : public rendition_test::Device {
public:
    Sink() : rendition_test::Device(1024, 1024, 16) {
        set_action<KT_Slot_Draw_2D_Polytriangle>(KD_Nothing<KT_Slot_Draw_2D_Polytriangle>);
        set_action<KT_Slot_Draw_2DD_Polytriangle>(KD_Nothing<KT_Slot_Draw_2DD_Polytriangle>);
        set_action<KT_Slot_Draw_2D_Gouraud_Polytriangle>(
            KD_Nothing<KT_Slot_Draw_2D_Gouraud_Polytriangle>);
        set_action<KT_Slot_Draw_2DD_Gouraud_Polytriangle>(
            KD_Nothing<KT_Slot_Draw_2DD_Gouraud_Polytriangle>);
        set_action<KT_Slot_Draw_DC_Polytriangle>(KD_Nothing<KT_Slot_Draw_DC_Polytriangle>);
    }
};

// Every row the scan converter finishes is dropped.
class Row_Sink : public rendition_test::Device {
public:
    Row_Sink() : rendition_test::Device(1024, 1024, 16) {
        set_action<KT_Slot_Draw_DCI_RGB32_Image>(KD_Nothing<KT_Slot_Draw_DCI_RGB32_Image>);
    }
};

template <class P, class Device> void draw_sphere(benchmark::State& state, bool lit) {
    Device sink;
    KT_Rendition r(&sink);
    if (lit) r.modify_color().light_set = KT_Light_Set(KT_Distant_Light({0, 0, 1}));
    const auto sphere = uv_sphere::make<P>(rings, segments, 0.9, P{0, 0, 0});
    const KT_Shell shell = uv_sphere::shell_of(sphere);
    for (auto _ : state)
        KD_Next_Action<KT_Slot_Draw_3D_Shell>(&r, &shell);
    state.counters["vertices/s"] = benchmark::Counter(
        double(sphere.points.size()) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["triangles/s"] = benchmark::Counter(
        double(sphere.triangle_count()) * state.iterations(), benchmark::Counter::kIsRate);
}

void Gouraud_Lit_Sphere_Single(benchmark::State& state) {
    draw_sphere<KT_Point, Sink>(state, true);
}
void Gouraud_Lit_Sphere_Double(benchmark::State& state) {
    draw_sphere<KT_Point_D, Sink>(state, true);
}
void Unlit_Sphere_Single(benchmark::State& state) {
    draw_sphere<KT_Point, Sink>(state, false);
}
void Unlit_Sphere_Double(benchmark::State& state) {
    draw_sphere<KT_Point_D, Sink>(state, false);
}
void Gouraud_Lit_Sphere_To_Rows_Single(benchmark::State& state) {
    draw_sphere<KT_Point, Row_Sink>(state, true);
}
void Gouraud_Lit_Sphere_To_Rows_Double(benchmark::State& state) {
    draw_sphere<KT_Point_D, Row_Sink>(state, true);
}

BENCHMARK(Gouraud_Lit_Sphere_Single)->Unit(benchmark::kMillisecond);
BENCHMARK(Gouraud_Lit_Sphere_Double)->Unit(benchmark::kMillisecond);
BENCHMARK(Unlit_Sphere_Single)->Unit(benchmark::kMillisecond);
BENCHMARK(Unlit_Sphere_Double)->Unit(benchmark::kMillisecond);
BENCHMARK(Gouraud_Lit_Sphere_To_Rows_Single)->Unit(benchmark::kMillisecond);
BENCHMARK(Gouraud_Lit_Sphere_To_Rows_Double)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
