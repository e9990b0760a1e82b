// Lines through the whole pipeline: thin lines (pixels per second), wide
// polylines with round joins (segments per second) and markers (markers per
// second), drawn into a device that counts the pixels it receives. With
// Cairo installed the same shapes are drawn into a Cairo image surface with
// antialiasing off, and the ratio of the times is printed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "renderer/device_data.h"
#include "rendition/rendition.h"

#ifdef KAVRI_BENCH_CAIRO
#include <cairo.h>
#endif

namespace {

constexpr int window = 1024;
constexpr int thin_line_count = 1000;
constexpr int wide_polyline_count = 100;
constexpr int wide_segments = 10;
constexpr int wide_weight = 9;
constexpr int marker_count = 1000;
constexpr int marker_size = 10;
constexpr int circle_symbol = 4;
constexpr int round_style = 2;

// A device that only counts the pixels of the rows it is handed.
class Counting_Device : public KT_Device_Data {
public:
    Counting_Device() {
        KT_Renderer_Options& o = current_renderer_options;
        o.set_window_origin({0, 0});
        o.set_window_size({window, window});
        o.set_buffer_depth(16);
        o.set_pixel_aspect(1.0f);
        o.set_color_system(KT_Color_System::True_Color);
        set_action<KT_Slot_Draw_DCI_RGB32_Image>(&count_row);
    }
    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}

    mutable std::int64_t pixels = 0;

private:
    static void count_row(const KT_Renderer_Data* owner, const KT_Rendition*,
                          const KT_DCI_Point* start, const KT_DCI_Point* end, int, const KT_RGB32*,
                          int, const KT_Packing*) {
        static_cast<const Counting_Device*>(owner)->pixels += end->x - start->x + 1;
    }
};

struct Scene {
    std::vector<KT_Point> thin; // pairs of ends
    std::vector<KT_Point> wide; // wide_polyline_count runs of wide_segments + 1 points
    std::vector<KT_Point> markers;
    std::int64_t thin_pixels = 0; // what a one-pixel line touches: its major extent + 1

    Scene() {
        std::mt19937 random(1024);
        std::uniform_real_distribution<float> anywhere(20, window - 20);
        for (int i = 0; i < 2 * thin_line_count; ++i)
            thin.push_back({anywhere(random), anywhere(random), 0});
        for (int i = 0; i < thin_line_count; ++i)
            thin_pixels += 1 + static_cast<std::int64_t>(
                                   std::max(std::fabs(thin[2 * i + 1].x - thin[2 * i].x),
                                            std::fabs(thin[2 * i + 1].y - thin[2 * i].y)));
        std::uniform_real_distribution<float> step(-60, 60);
        for (int i = 0; i < wide_polyline_count; ++i) {
            KT_Point p = {anywhere(random), anywhere(random), 0};
            for (int k = 0; k <= wide_segments; ++k) {
                wide.push_back(p);
                p.x = std::fmin(std::fmax(p.x + step(random), 20.0f), window - 20.0f);
                p.y = std::fmin(std::fmax(p.y + step(random), 20.0f), window - 20.0f);
            }
        }
        for (int i = 0; i < marker_count; ++i)
            markers.push_back({anywhere(random), anywhere(random), 0});
    }
};

const Scene& scene() {
    static const Scene s;
    return s;
}

struct Stage {
    KT_Renderer device{new Counting_Device};
    Counting_Device& counter = *static_cast<Counting_Device*>(device.body());
    KT_Rendition rendition{device.body()};
};

void note_missing_pixels(benchmark::State& state, const Counting_Device& device) {
    if (device.pixels == 0) state.SetLabel("no pixels reached the device: the drawer is missing");
}

void BM_Kavri_Thin_Lines(benchmark::State& state) {
    Stage stage;
    const Scene& s = scene();
    for (auto _ : state)
        for (int i = 0; i < thin_line_count; ++i)
            KD_Action_Draw_DC_Polyline(stage.device.body(), &stage.rendition, 2, &s.thin[2 * i]);
    state.counters["px/s"] = benchmark::Counter(
        static_cast<double>(s.thin_pixels) * state.iterations(), benchmark::Counter::kIsRate);
    note_missing_pixels(state, stage.counter);
}
BENCHMARK(BM_Kavri_Thin_Lines);

void BM_Kavri_Wide_Round_Polylines(benchmark::State& state) {
    Stage stage;
    KT_Line_Data& line = stage.rendition.modify_line();
    line.line_weight = wide_weight;
    line.join_style = round_style;
    const Scene& s = scene();
    for (auto _ : state)
        for (int i = 0; i < wide_polyline_count; ++i)
            KD_Action_Draw_DC_Polyline(stage.device.body(), &stage.rendition, wide_segments + 1,
                                       &s.wide[i * (wide_segments + 1)]);
    state.counters["segments/s"] =
        benchmark::Counter(double(wide_polyline_count) * wide_segments * state.iterations(),
                           benchmark::Counter::kIsRate);
    note_missing_pixels(state, stage.counter);
}
BENCHMARK(BM_Kavri_Wide_Round_Polylines);

void BM_Kavri_Circle_Markers(benchmark::State& state) {
    Stage stage;
    stage.rendition.modify_marker().marker_symbol = circle_symbol;
    stage.rendition.modify_marker().marker_size = marker_size;
    const Scene& s = scene();
    for (auto _ : state)
        KD_Action_Draw_DC_Polymarker(stage.device.body(), &stage.rendition, marker_count,
                                     s.markers.data());
    state.counters["markers/s"] =
        benchmark::Counter(double(marker_count) * state.iterations(), benchmark::Counter::kIsRate);
    note_missing_pixels(state, stage.counter);
}
BENCHMARK(BM_Kavri_Circle_Markers);

#ifdef KAVRI_BENCH_CAIRO
// A Cairo image surface of the window's size, antialiasing off.
struct Cairo_Stage {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, window, window);
    cairo_t* cr = cairo_create(surface);
    Cairo_Stage() {
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_set_source_rgb(cr, 1, 0, 0);
    }
    ~Cairo_Stage() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    Cairo_Stage(const Cairo_Stage&) = delete;
    Cairo_Stage& operator=(const Cairo_Stage&) = delete;
};

void BM_Cairo_Thin_Lines(benchmark::State& state) {
    Cairo_Stage stage;
    cairo_set_line_width(stage.cr, 1);
    const Scene& s = scene();
    for (auto _ : state) {
        for (int i = 0; i < thin_line_count; ++i) {
            cairo_move_to(stage.cr, s.thin[2 * i].x + 0.5, s.thin[2 * i].y + 0.5);
            cairo_line_to(stage.cr, s.thin[2 * i + 1].x + 0.5, s.thin[2 * i + 1].y + 0.5);
            cairo_stroke(stage.cr);
        }
        cairo_surface_flush(stage.surface);
    }
    state.counters["px/s"] = benchmark::Counter(
        static_cast<double>(s.thin_pixels) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Cairo_Thin_Lines);

void BM_Cairo_Wide_Round_Polylines(benchmark::State& state) {
    Cairo_Stage stage;
    cairo_set_line_width(stage.cr, wide_weight);
    cairo_set_line_join(stage.cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(stage.cr, CAIRO_LINE_CAP_BUTT);
    const Scene& s = scene();
    for (auto _ : state) {
        for (int i = 0; i < wide_polyline_count; ++i) {
            const KT_Point* p = &s.wide[i * (wide_segments + 1)];
            cairo_move_to(stage.cr, p[0].x, p[0].y);
            for (int k = 1; k <= wide_segments; ++k)
                cairo_line_to(stage.cr, p[k].x, p[k].y);
            cairo_stroke(stage.cr);
        }
        cairo_surface_flush(stage.surface);
    }
    state.counters["segments/s"] =
        benchmark::Counter(double(wide_polyline_count) * wide_segments * state.iterations(),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Cairo_Wide_Round_Polylines);

void BM_Cairo_Circle_Markers(benchmark::State& state) {
    Cairo_Stage stage;
    cairo_set_line_width(stage.cr, 1);
    const Scene& s = scene();
    for (auto _ : state) {
        for (const KT_Point& p : s.markers) {
            cairo_new_sub_path(stage.cr);
            cairo_arc(stage.cr, p.x, p.y, marker_size, 0, 2 * M_PI);
            cairo_stroke(stage.cr);
        }
        cairo_surface_flush(stage.surface);
    }
    state.counters["markers/s"] =
        benchmark::Counter(double(marker_count) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Cairo_Circle_Markers);
#endif

// Keeps each run's CPU time per iteration (the machine may be shared) so
// that the ratios can be printed.
class Ratio_Reporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            times[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    std::map<std::string, double> times;
};

void print_ratios(const Ratio_Reporter& reporter) {
#ifdef KAVRI_BENCH_CAIRO
    for (const char* name : {"Thin_Lines", "Wide_Round_Polylines", "Circle_Markers"}) {
        const auto kavri = reporter.times.find(std::string("BM_Kavri_") + name);
        const auto cairo = reporter.times.find(std::string("BM_Cairo_") + name);
        if (kavri == reporter.times.end() || cairo == reporter.times.end()) continue;
        std::printf("%-22s Kavri CPU time / Cairo CPU time = %.2f\n", name, kavri->second / cairo->second);
    }
#else
    (void)reporter;
    std::printf("Cairo not built in: no comparison\n");
#endif
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Ratio_Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_ratios(reporter);
    benchmark::Shutdown();
    return 0;
}
