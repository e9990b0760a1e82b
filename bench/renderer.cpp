// Costs of the renderer framework: one action call through a three-layer
// stack (a single indirect call through the top's table), the same routine
// called directly for comparison, and establishing the whole stack.
#include <benchmark/benchmark.h>

#include "renderer/device_data.h"

namespace {

template <class Base> class Quiet : public Base {
public:
    using Base::Base;
    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
};

class Device : public Quiet<KT_Device_Data> {
public:
    void update_palette() override {}
};

using Renderer = Quiet<KT_Renderer_Data>;

int calls = 0;

void count_polyline(const KT_Renderer_Data*, const KT_Rendition*, int count, const KT_Point*) {
    calls += count;
}

struct Three_Layers {
    Three_Layers() {
        device->set_action<KT_Slot_Draw_DC_Polyline>(count_polyline);
        static_cast<Device*>(device.body())->native_renderer_options.set_window_size({1024, 768});
        middle->renderer_options.set_window_size({800, 600});
        top->renderer_options.set_window_size({640, 480});
        top->establish_all();
    }
    KT_Renderer device{new Device};
    KT_Renderer middle{new Renderer(device.body())};
    KT_Renderer top{new Renderer(middle.body())};
};

void BM_Action_Call_Through_Three_Layers(benchmark::State& state) {
    Three_Layers stack;
    const KT_Point points[2] = {{0, 0, 0}, {1, 1, 0}};
    const KT_Renderer_Data* top = stack.top.body();
    for (auto _ : state) {
        benchmark::DoNotOptimize(top);
        KD_Action_Draw_DC_Polyline(top, nullptr, 2, points);
    }
    benchmark::DoNotOptimize(calls);
}
BENCHMARK(BM_Action_Call_Through_Three_Layers);

void BM_Direct_Call_Through_Pointer(benchmark::State& state) {
    const KT_Point points[2] = {{0, 0, 0}, {1, 1, 0}};
    KT_Draw_DC_Polyline_Action routine = count_polyline;
    for (auto _ : state) {
        benchmark::DoNotOptimize(routine);
        routine(nullptr, nullptr, 2, points);
    }
    benchmark::DoNotOptimize(calls);
}
BENCHMARK(BM_Direct_Call_Through_Pointer);

void BM_Establish_All_Three_Layers(benchmark::State& state) {
    Three_Layers stack;
    for (auto _ : state)
        benchmark::DoNotOptimize(stack.top->establish_all());
}
BENCHMARK(BM_Establish_All_Three_Layers);

void BM_Build_Three_Layer_Stack(benchmark::State& state) {
    for (auto _ : state) {
        Three_Layers stack;
        benchmark::DoNotOptimize(stack.top.body());
    }
}
BENCHMARK(BM_Build_Three_Layer_Stack);

} // namespace

BENCHMARK_MAIN();
