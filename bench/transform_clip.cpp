// Points per second of KD_Transform_And_Clip through a perspective camera,
// with and without classification, and the routing cost per triangle of 2D
// strips down to DCI slots that discard them: strips inside the hard clip
// and strips whose every triangle crosses it.
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "draw3d/transform_clip.h"
#include "renderer/device_data.h"
#include "renderer/next_action.h"

namespace {

constexpr int window = 1024;
constexpr int point_count = 100'000;

// A device whose DCI polytriangle slots drop what they get.
class Sink_Device : public KT_Device_Data {
public:
    Sink_Device() {
        KT_Renderer_Options& o = current_renderer_options;
        o.set_window_origin({0, 0});
        o.set_window_size({window, window});
        o.set_buffer_depth(16);
        o.set_pixel_aspect(1.0f);
        set_action<KT_Slot_Draw_DCI_Polytriangle>(KD_Nothing<KT_Slot_Draw_DCI_Polytriangle>);
        set_action<KT_Slot_Draw_DCI_Gouraud_Polytriangle>(
            KD_Nothing<KT_Slot_Draw_DCI_Gouraud_Polytriangle>);
    }
    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}
};

struct Stack {
    KT_Pointer<Sink_Device> device{new Sink_Device};
    KT_Rendition rendition{device.body()};
};

std::vector<KT_Point> random_points(float low, float high) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(low, high);
    std::vector<KT_Point> points(point_count);
    for (KT_Point& p : points)
        p = {coordinate(random), coordinate(random), coordinate(random)};
    return points;
}

void transform_and_clip(benchmark::State& state) {
    Stack stack;
    const bool classify = state.range(0) != 0;
    const std::vector<KT_Point> in = random_points(-1.5f, 1.5f);
    std::vector<KT_Point> out(point_count);
    std::vector<float> w(point_count);
    std::vector<short> codes(point_count);
    for (auto _ : state) {
        const int result = KD_Transform_And_Clip(&stack.rendition, point_count, in.data(),
                                                 out.data(), w.data(),
                                                 classify ? codes.data() : nullptr, nullptr);
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * point_count);
    state.SetLabel(classify ? "points/s, classified" : "points/s, transform only");
}
BENCHMARK(transform_and_clip)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A strip of 2D triangles of about ten pixels each, placed inside the
// window or straddling its right edge.
std::vector<KT_Point> strip(bool straddling) {
    std::vector<KT_Point> points;
    const float x0 = straddling ? window - 3.0f : 100.0f;
    for (int i = 0; i < 1000; ++i)
        points.push_back({x0 + (i % 2) * 4.0f, 100.0f + 2.0f * i, 0.0f});
    return points;
}

void route_2d_strip(benchmark::State& state) {
    Stack stack;
    const bool straddling = state.range(0) != 0;
    const std::vector<KT_Point> points = strip(straddling);
    std::vector<KT_RGB32> colors(points.size(), KT_RGB32{10, 20, 30, 255});
    const int count = static_cast<int>(points.size());
    for (auto _ : state)
        KD_Next_Action<KT_Slot_Draw_2D_Gouraud_Polytriangle>(&stack.rendition, count,
                                                             points.data(), colors.data());
    state.SetItemsProcessed(state.iterations() * (count - 2));
    state.SetLabel(straddling ? "triangles/s, each crossing the clip"
                              : "triangles/s, inside the clip");
}
BENCHMARK(route_2d_strip)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
