// Raster engine throughput: every span rasterizer on rows of 16, 256 and
// 4096 pixels, DCI Gouraud polytriangles filling 1024 x 1024 with two
// triangles (both as pixels per second, "pixels" column: 1.2G/s is
// 1200 Mpx/s), and 100,000 small Gouraud triangles ("per_triangle": time
// per triangle, rows included). Rows go to a device that discards them, so
// the figures are the raster engine's own cost. Rates use CPU time.
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "raster/span.h"
#include "renderer/device_data.h"
#include "rendition/rendition.h"

namespace {

// A true-colour device whose image actions drop every row.
class Sink : public KT_Device_Data {
public:
    explicit Sink(int size) {
        KT_Renderer_Options& o = current_renderer_options;
        o.set_window_origin({0, 0});
        o.set_window_size({size, size});
        o.set_buffer_depth(16);
        o.set_pixel_aspect(1.0f);
        o.set_color_system(KT_Color_System::True_Color);
        set_action<KT_Slot_Draw_DCI_RGB32_Image>(&drop_rgb32);
        set_action<KT_Slot_Draw_DCI_Index8_Image>(&drop_index8);
    }
    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}

private:
    // Reading one pixel keeps the row from being optimised away.
    static void drop_rgb32(const KT_Renderer_Data*, const KT_Rendition*, const KT_DCI_Point*,
                           const KT_DCI_Point*, int, const KT_RGB32* row, int, const KT_Packing*) {
        benchmark::DoNotOptimize(row[0]);
    }
    static void drop_index8(const KT_Renderer_Data*, const KT_Rendition*, const KT_DCI_Point*,
                            const KT_DCI_Point*, int, const unsigned char* row) {
        benchmark::DoNotOptimize(row[0]);
    }
};

struct Named_Rasterizer {
    const char* name;
    KT_Span_Rasterizer rasterizer;
};

const Named_Rasterizer rasterizers[] = {
    {"C08_U", &KD_Rasterize_DC_Spans_C08_U},   {"C24_C", &KD_Rasterize_DC_Spans_C24_C},
    {"C24_G", &KD_Rasterize_DC_Spans_C24_G},   {"C24_R", &KD_Rasterize_DC_Spans_C24_R},
    {"C24_T", &KD_Rasterize_DC_Spans_C24_T},   {"C24_TF", &KD_Rasterize_DC_Spans_C24_TF},
    {"C24_TG", &KD_Rasterize_DC_Spans_C24_TG}, {"C24_TR", &KD_Rasterize_DC_Spans_C24_TR},
};

KT_Span_Edge edge(int column, int shade) {
    KT_Span_Edge e{};
    e.x.value = column << 16;
    e.depth = std::uint32_t(column);
    for (KT_Fixed_Interpolant& c : e.colour)
        c.value = (shade << 16) | 0x8000;
    for (int i = 0; i < 3; ++i) {
        e.normal[i].value = i == 2 ? 1.0f : 0.1f * float(shade) / 255.0f;
        e.multiplier[i].value = 1.0f;
        e.parameter[i].value = float(column) / 4096.0f;
    }
    e.w.value = 1.0f;
    return e;
}

void rasterize_rows(benchmark::State& state, KT_Span_Rasterizer rasterizer) {
    const int width = int(state.range(0));
    Sink sink(4096);
    const KT_Rendition rendition(&sink);
    KT_Span_Data data{};
    data.colour.rgb = {10, 20, 30, 255};
    data.colour.index = 3;
    data.parameter_width = 1;
    std::vector<KT_Span> spans(KD_SPAN_BATCH, KT_Span{edge(0, 0), edge(width, 255)});
    for (auto _ : state)
        rasterizer(&sink, &rendition, &data, spans.data(), KD_SPAN_BATCH, 0);
    const double pixels = double(state.iterations()) * KD_SPAN_BATCH * width;
    state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kIsRate);
}

void register_rasterizers() {
    for (const Named_Rasterizer& r : rasterizers)
        benchmark::RegisterBenchmark((std::string("rasterize_") + r.name).c_str(), rasterize_rows,
                                     r.rasterizer)
            ->Arg(16)
            ->Arg(256)
            ->Arg(4096);
}

void gouraud_screen(benchmark::State& state) {
    const int size = 1024;
    Sink sink(size);
    const KT_Rendition rendition(&sink);
    // Two triangles of a strip covering the square.
    const KT_DCI_Point points[4] = {{0, 0, 0}, {size, 0, 1000}, {0, size, 2000}, {size, size, 0}};
    const KT_RGB32 colours[4] = {
        {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
    for (auto _ : state)
        KD_Action_Draw_DCI_Gouraud_Polytriangle(&sink, &rendition, 4, points, colours);
    const double pixels = double(state.iterations()) * size * size;
    state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kIsRate);
}
BENCHMARK(gouraud_screen)->Unit(benchmark::kMillisecond);

void gouraud_small_triangles(benchmark::State& state) {
    const int count = 100000;
    Sink sink(1024);
    const KT_Rendition rendition(&sink);
    // Right triangles with legs of 4 or 5 pixels: about 10 pixels each.
    std::mt19937 random(3);
    std::vector<KT_DCI_Point> points;
    std::vector<KT_RGB32> colours;
    for (int i = 0; i < count; ++i) {
        const int x = int(random() % 1000);
        const int y = int(random() % 1000);
        const int leg = 4 + int(random() % 2);
        points.insert(points.end(), {{x, y, 10}, {x + leg, y, 20}, {x, y + leg, 30}});
        for (int k = 0; k < 3; ++k)
            colours.push_back(
                {std::uint8_t(random()), std::uint8_t(random()), std::uint8_t(random()), 255});
    }
    for (auto _ : state)
        for (int i = 0; i < count; ++i)
            KD_Action_Draw_DCI_Gouraud_Polytriangle(&sink, &rendition, 3, &points[3 * i],
                                                    &colours[3 * i]);
    state.counters["per_triangle"] =
        benchmark::Counter(double(state.iterations()) * count,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(gouraud_small_triangles)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    register_rasterizers();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
