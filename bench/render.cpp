// Rendering through the ready-made render stack.
//
// Spheres: the lit, depth-tested UV sphere of the comparison users ask
// about (unit radius, normals = positions, one distant light towards
// (0.3, 0.5, 1.0), Gouraud shading, a frustum of +-0.2 at near 0.5, the
// sphere 2.6 in front of the eye, white background), drawn as one shell
// over shared vertices; each frame clears colour and depth, draws and
// finishes. When OSMesa is found at configure time (bench/render.cmake),
// the same indexed mesh goes through glDrawElements in the same program.
//
// Rows: whole 1024 x 1024 frames sent as rows straight to the z-buffer
// renderer's RGB32 image slot: rows that all pass the depth test, a near
// frame followed by a hidden one, and rows blended by alpha.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "appearance/light.h"
#include "appearance/light_set.h"
#include "geometry/complex_segment_set.h"
#include "renderer/render_stack.h"
#include "rendition/rendition.h"

#ifdef KAVRI_BENCH_OSMESA
#include "render_osmesa.h"
#endif

namespace {

// ---------------------------------------------------------------------------
// The sphere scenes

struct Sphere_Mesh {
    std::vector<KT_Point> points; // also the normals: unit radius
    std::vector<KT_Vector> normals;
    std::vector<int> triangles; // three indices each
};

Sphere_Mesh sphere_mesh(int stacks, int slices) {
    Sphere_Mesh m;
    for (int i = 0; i <= stacks; ++i) {
        const double theta = std::numbers::pi * i / stacks;
        for (int j = 0; j <= slices; ++j) {
            const double phi = 2 * std::numbers::pi * j / slices;
            const float x = float(std::sin(theta) * std::cos(phi)), y = float(std::cos(theta)),
                        z = float(std::sin(theta) * std::sin(phi));
            m.points.push_back({x, y, z});
            m.normals.push_back({x, y, z});
        }
    }
    const int columns = slices + 1;
    for (int i = 0; i < stacks; ++i)
        for (int j = 0; j < slices; ++j) {
            const int a = i * columns + j, b = a + columns;
            m.triangles.insert(m.triangles.end(), {a, b, a + 1, a + 1, b, b + 1});
        }
    return m;
}

struct Scene {
    int stacks;
    int slices;
    int size;
};

// The eye at the origin looking down -z; the field through the sphere's
// centre is what the +-0.2 frustum at 0.5 sees there.
constexpr float sphere_distance = 2.6f;
constexpr float field_at_sphere = 2.0f * 0.2f / 0.5f * sphere_distance;

class Kavri_Sphere {
public:
    Kavri_Sphere(const Scene& scene)
        : mesh_(sphere_mesh(scene.stacks, scene.slices)), faces_(mesh_.triangles.size() / 3, 3) {
        KT_Int_XY origin = {0, 0}, size = {scene.size, scene.size};
        ready_ = stack_.configure(origin, size);
        if (!ready_) return;
        std::vector<KT_Point> moved = mesh_.points;
        for (KT_Point& p : moved)
            p.z -= sphere_distance;
        moved_ = moved;
        shell_ = KT_Shell(int(moved_.size()), moved_.data(), false);
        KT_Complex_Segment_Set_Data* d = shell_.edit_data();
        d->set_indices(int(faces_.size()), faces_.data(), mesh_.triangles.data(), false);
        d->set_vertex_normals(mesh_.normals.data(), false);

        rendition_ = KT_Rendition(stack_.renderer());
        KT_Camera camera;
        camera.set_position({0, 0, 0}, {0, 0, -sphere_distance}, {0, 1, 0});
        camera.set_field({field_at_sphere, field_at_sphere});
        rendition_.set_camera(camera, false);
        rendition_.modify_color().light_set = KT_Light_Set(KT_Distant_Light({0.3f, 0.5f, 1.0f}));
        rendition_.set_color({255, 255, 255, 255}, false);
    }

    bool ready() const { return ready_; }

    void frame() {
        const KT_Renderer_Data* top = stack_.renderer().body();
        KD_Action_Clear_Drawing_Buffer(top, &rendition_);
        KD_Action_Clear_Z_Buffer(top, &rendition_);
        KD_Action_Draw_3D_Shell(top, &rendition_, &shell_);
    }

    // Pixels the sphere covers: those whose depth is not the far clear
    // value (lit white pixels look like the background).
    long covered() {
        const KT_Renderer_Data* top = stack_.renderer().body();
        const int side = stack_.image_data()->width();
        const KT_DCI_Point a = {0, side - 1, 0}, b = {side - 1, 0, 0};
        const KT_Image_Format format = KT_Image_Format::Depth16;
        KT_Shared_Image depths;
        KD_Action_Read_DCI_Depth_Image(top, &rendition_, &a, &b, &format, &depths);
        if (depths.empty()) return 0;
        long n = 0;
        for (int y = 0; y < depths->height(); ++y) {
            const auto* row = reinterpret_cast<const std::uint16_t*>(depths->row(y));
            for (int x = 0; x < depths->width(); ++x)
                n += row[x] != 0xFFFF;
        }
        return n;
    }

private:
    szb_render_stack stack_;
    Sphere_Mesh mesh_;
    std::vector<KT_Point> moved_;
    std::vector<int> faces_;
    KT_Shell shell_;
    KT_Rendition rendition_;
    bool ready_ = false;
};

const Scene scenes[] = {{32, 64, 1024}, {32, 64, 2048}, {256, 512, 1024}};

std::string scene_name(const Scene& s) {
    return std::to_string(2 * s.stacks * s.slices) + " triangles at " + std::to_string(s.size);
}

// Milliseconds per frame and covered pixels, by renderer and scene.
struct Result {
    double ms;
    long covered;
};
std::map<std::string, std::map<std::string, Result>>& results() {
    static std::map<std::string, std::map<std::string, Result>> r;
    return r;
}

void BM_Sphere_Kavri(benchmark::State& state) {
    const Scene& scene = scenes[state.range(0)];
    Kavri_Sphere sphere(scene);
    if (!sphere.ready()) {
        state.SkipWithError("the render stack's modules did not load");
        return;
    }
    for (auto _ : state)
        sphere.frame();
    const long covered = sphere.covered();
    state.counters["covered"] = double(covered);
    state.SetLabel(scene_name(scene));
    results()["Kavri"][scene_name(scene)] = {0, covered};
}
BENCHMARK(BM_Sphere_Kavri)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef KAVRI_BENCH_OSMESA
// Frames per measurement: fewer for the slow scenes.
int frames_for(const Scene& s) {
    return s.stacks > 32 ? 4 : s.size > 1024 ? 10 : 20;
}

void sphere_osmesa(benchmark::State& state, osmesa_bench::Configuration c) {
    const Scene& scene = scenes[state.range(0)];
    const Sphere_Mesh mesh = sphere_mesh(scene.stacks, scene.slices);
    std::vector<float> points, normals;
    for (const KT_Point& p : mesh.points)
        points.insert(points.end(), {p.x, p.y, p.z});
    for (const KT_Vector& n : mesh.normals)
        normals.insert(normals.end(), {n.x, n.y, n.z});
    const std::vector<unsigned> indices(mesh.triangles.begin(), mesh.triangles.end());
    osmesa_bench::Measurement m;
    for (auto _ : state) {
        m = osmesa_bench::measure(c, points, normals, indices, scene.size, frames_for(scene));
        if (m.ms < 0) {
            state.SkipWithError("OSMesa could not draw");
            return;
        }
        state.SetIterationTime(m.ms / 1000.0);
    }
    state.counters["covered"] = m.covered;
    state.SetLabel(scene_name(scene));
}

void BM_Sphere_llvmpipe_one_thread(benchmark::State& state) {
    sphere_osmesa(state, {"llvmpipe", "0"});
}
void BM_Sphere_llvmpipe_every_core(benchmark::State& state) {
    sphere_osmesa(state, {"llvmpipe", nullptr});
}
void BM_Sphere_softpipe(benchmark::State& state) {
    sphere_osmesa(state, {"softpipe", nullptr});
}
BENCHMARK(BM_Sphere_llvmpipe_one_thread)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK(BM_Sphere_llvmpipe_every_core)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK(BM_Sphere_softpipe)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
#endif

// ---------------------------------------------------------------------------
// Rows straight into the z-buffer

constexpr int frame_size = 1024;

enum class Row_Kind { Visible, Hidden, Blended };

void frame_of_rows(benchmark::State& state, Row_Kind kind) {
    szb_render_stack stack;
    KT_Int_XY origin = {0, 0}, size = {frame_size, frame_size};
    if (!stack.configure(origin, size)) {
        state.SkipWithError("the render stack's modules did not load");
        return;
    }
    // The stack asks for blending; the opaque runs turn it off again.
    stack.renderer()->renderer_options.set_alpha_blending(kind == Row_Kind::Blended);
    stack.renderer()->establish();
    const KT_Renderer_Data* top = stack.renderer().body();
    KT_Rendition rendition(top);
    const std::uint8_t alpha = kind == Row_Kind::Blended ? 128 : 255;
    std::vector<KT_RGB32> row(frame_size, KT_RGB32{40, 80, 160, alpha});
    const KT_Packing packing;
    const int near = 1000, far = 60000;
    const int passes = kind == Row_Kind::Hidden ? 2 : 1;
    for (auto _ : state) {
        KD_Action_Clear_Drawing_Buffer(top, &rendition);
        KD_Action_Clear_Z_Buffer(top, &rendition);
        // Hidden frames draw a near frame first; only the second one counts
        // as hidden, but both are timed.
        for (int pass = 0; pass < passes; ++pass) {
            const int depth = passes == 2 && pass == 0 ? near : far;
            for (int y = 0; y < frame_size; ++y) {
                const KT_DCI_Point start = {0, y, depth - y / 2},
                                   end = {frame_size - 1, y, depth - y};
                KD_Action_Draw_DCI_RGB32_Image(top, &rendition, &start, &end, 0, row.data(), 256,
                                               &packing);
            }
        }
        benchmark::DoNotOptimize(stack.image_data()->pixels());
    }
    state.SetItemsProcessed(state.iterations() * passes * frame_size * frame_size);
}

void BM_Rows_Visible(benchmark::State& state) {
    frame_of_rows(state, Row_Kind::Visible);
}
void BM_Rows_Hidden(benchmark::State& state) {
    frame_of_rows(state, Row_Kind::Hidden);
}
void BM_Rows_Blended(benchmark::State& state) {
    frame_of_rows(state, Row_Kind::Blended);
}

BENCHMARK(BM_Rows_Visible)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rows_Hidden)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rows_Blended)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------
// The summary table

// Notes each sphere run's time per frame beside its covered count.
class Table_Reporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const std::string name = run.benchmark_name();
            if (name.rfind("BM_Sphere_", 0) != 0 || run.iterations == 0) continue;
            const std::string renderer = name.substr(10, name.find('/') - 10);
            const double ms = run.GetAdjustedRealTime(); // manual time for the peers
            const auto covered = run.counters.find("covered");
            results()[renderer][run.report_label] = {
                ms, covered == run.counters.end() ? 0 : long(covered->second.value)};
        }
    }
};

void print_table() {
    const auto& all = results();
    const auto kavri = all.find("Kavri");
    if (kavri == all.end()) return;
    std::printf("\nms per frame (covered pixels)\n%-28s", "scene");
    for (const auto& [renderer, by_scene] : all)
        std::printf(" %22s", renderer.c_str());
    std::printf("\n");
    for (const Scene& s : scenes) {
        const std::string name = scene_name(s);
        std::printf("%-28s", name.c_str());
        for (const auto& [renderer, by_scene] : all) {
            const auto r = by_scene.find(name);
            if (r == by_scene.end())
                std::printf(" %22s", "-");
            else
                std::printf(" %9.2f (%10ld)", r->second.ms, r->second.covered);
        }
        std::printf("\n");
    }
    for (const auto& [renderer, by_scene] : all) {
        if (renderer == "Kavri") continue;
        std::printf("Kavri's speed relative to %s:", renderer.c_str());
        for (const Scene& s : scenes) {
            const auto mine = kavri->second.find(scene_name(s));
            const auto theirs = by_scene.find(scene_name(s));
            if (mine == kavri->second.end() || theirs == by_scene.end()) continue;
            const double agree = std::abs(double(mine->second.covered - theirs->second.covered)) /
                                 double(std::max(theirs->second.covered, 1L));
            std::printf("  %.2fx%s", theirs->second.ms / mine->second.ms,
                        agree > 0.005 ? " (coverage differs by more than 0.5%)" : "");
        }
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
#ifndef KAVRI_BENCH_OSMESA
    std::printf("OSMesa was not found at configure time: the sphere runs Kavri alone.\n");
#endif
    Table_Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    print_table();
    return 0;
}
