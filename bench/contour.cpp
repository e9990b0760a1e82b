// Contour sets against the GLU tessellator and Clipper 1 on the same input:
// triangulating star-shaped polygons of 100, 10,000 and 100,000 vertices,
// and intersecting pairs of random 1,000-vertex polygons. After the runs a
// table gives each peer's time divided by the library's.
#include <GL/glu.h>
#include <benchmark/benchmark.h>
#include <polyclipping/clipper.hpp>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "contour/contour_set.h"

namespace {

// A simple but very concave outline: a star with random radii.
std::vector<KT_Point_D> star(int n, unsigned seed, double cx, double cy) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> radius(0.3, 1.0);
    std::vector<KT_Point_D> p;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n, r = 100 * radius(rng);
        p.push_back(KT_Point_D{cx + r * std::cos(a), cy + r * std::sin(a), 0});
    }
    return p;
}

// Random points: a self-intersecting polygon with about n^2/10 crossings.
std::vector<KT_Point_D> scribble(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> coord(0, 100);
    std::vector<KT_Point_D> p;
    for (int i = 0; i < n; ++i)
        p.push_back(KT_Point_D{coord(rng), coord(rng), 0});
    return p;
}

void count_triangle(const KT_Point_D*, const KT_Point_D*, const KT_Point_D*, void* user) {
    ++*static_cast<long*>(user);
}

void kavri_triangulate(benchmark::State& state, int rule) {
    const std::vector<KT_Point_D> p = star(static_cast<int>(state.range(0)), 7, 0, 0);
    long triangles = 0;
    for (auto _ : state) {
        triangles = 0;
        KT_Contour_Set set(static_cast<int>(p.size()), p.data(), false);
        set.set_fill_rule(rule);
        set->triangulate(count_triangle, &triangles);
    }
    state.counters["triangles"] = double(triangles);
}

// GLU ---------------------------------------------------------------------

struct Glu_Count {
    long vertices = 0;
};

void GLAPIENTRY glu_begin(GLenum) {}
void GLAPIENTRY glu_end() {}
void GLAPIENTRY glu_edge(GLboolean) {} // forces separate triangles
// user is the run's pair {count, combined vertices}.
void GLAPIENTRY glu_vertex(void*, void* user) {
    ++static_cast<Glu_Count*>(static_cast<void**>(user)[0])->vertices;
}
void GLAPIENTRY glu_combine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* user) {
    auto* store = static_cast<std::vector<std::vector<GLdouble>>*>(static_cast<void**>(user)[1]);
    store->push_back({coords[0], coords[1], coords[2]});
    *out = store->back().data();
}

struct Glu_Run {
    GLUtesselator* tess = gluNewTess();
    Glu_Count count;
    std::vector<std::vector<GLdouble>> combined;
    void* user[2] = {&count, &combined};
    Glu_Run(GLdouble winding, bool boundary_only) {
        gluTessCallback(tess, GLU_TESS_BEGIN, reinterpret_cast<void(GLAPIENTRY*)()>(glu_begin));
        gluTessCallback(tess, GLU_TESS_END, reinterpret_cast<void(GLAPIENTRY*)()>(glu_end));
        gluTessCallback(tess, GLU_TESS_EDGE_FLAG, reinterpret_cast<void(GLAPIENTRY*)()>(glu_edge));
        gluTessCallback(tess, GLU_TESS_VERTEX_DATA,
                        reinterpret_cast<void(GLAPIENTRY*)()>(glu_vertex));
        gluTessCallback(tess, GLU_TESS_COMBINE_DATA,
                        reinterpret_cast<void(GLAPIENTRY*)()>(glu_combine));
        gluTessProperty(tess, GLU_TESS_WINDING_RULE, winding);
        gluTessProperty(tess, GLU_TESS_BOUNDARY_ONLY, boundary_only ? GL_TRUE : GL_FALSE);
        gluTessNormal(tess, 0, 0, 1);
    }
    ~Glu_Run() { gluDeleteTess(tess); }
    void run(const std::vector<const std::vector<KT_Point_D>*>& contours) {
        combined.clear();
        combined.reserve(1 << 16);
        gluTessBeginPolygon(tess, static_cast<void*>(user));
        for (const auto* c : contours) {
            gluTessBeginContour(tess);
            for (const KT_Point_D& p : *c)
                gluTessVertex(tess, const_cast<GLdouble*>(&p.x), const_cast<GLdouble*>(&p.x));
            gluTessEndContour(tess);
        }
        gluTessEndPolygon(tess);
    }
};

void glu_triangulate(benchmark::State& state) {
    const std::vector<KT_Point_D> p = star(static_cast<int>(state.range(0)), 7, 0, 0);
    Glu_Run glu(GLU_TESS_WINDING_NONZERO, false);
    for (auto _ : state) {
        glu.count.vertices = 0;
        glu.run({&p});
    }
    state.counters["triangles"] = double(glu.count.vertices) / 3;
}

// Intersection --------------------------------------------------------------

struct Pair {
    std::vector<KT_Point_D> a, b;
};

Pair intersection_input(bool self_intersecting) {
    if (self_intersecting) return Pair{scribble(1000, 11), scribble(1000, 12)};
    return Pair{star(1000, 11, 0, 0), star(1000, 12, 40, 20)};
}

void kavri_intersect(benchmark::State& state) {
    const Pair in = intersection_input(state.range(0) != 0);
    double points = 0;
    for (auto _ : state) {
        KT_Contour_Set a(1000, in.a.data(), false), b(1000, in.b.data(), false);
        a.set_fill_rule(1);
        b.set_fill_rule(1);
        KT_Contour_Set r(a->process(KT_Contour_Intersection, b.body()));
        points = r->total_points;
    }
    state.counters["points"] = points;
}

ClipperLib::Path to_path(const std::vector<KT_Point_D>& p) {
    ClipperLib::Path path;
    for (const KT_Point_D& q : p)
        path.push_back(
            ClipperLib::IntPoint(static_cast<ClipperLib::cInt>(std::llround(q.x * 1e6)),
                                 static_cast<ClipperLib::cInt>(std::llround(q.y * 1e6))));
    return path;
}

void clipper_intersect(benchmark::State& state) {
    const Pair in = intersection_input(state.range(0) != 0);
    const ClipperLib::Path a = to_path(in.a), b = to_path(in.b);
    double points = 0;
    for (auto _ : state) {
        ClipperLib::Clipper c;
        c.AddPath(a, ClipperLib::ptSubject, true);
        c.AddPath(b, ClipperLib::ptClip, true);
        ClipperLib::Paths out;
        c.Execute(ClipperLib::ctIntersection, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        points = 0;
        for (const auto& path : out)
            points += double(path.size());
    }
    state.counters["points"] = points;
}

// GLU intersects two simple counter-clockwise outlines as the region wound
// at least twice; it has no operand-aware rule for self-intersecting input.
void glu_intersect(benchmark::State& state) {
    const Pair in = intersection_input(false);
    Glu_Run glu(GLU_TESS_WINDING_ABS_GEQ_TWO, true);
    for (auto _ : state) {
        glu.count.vertices = 0;
        glu.run({&in.a, &in.b});
    }
    state.counters["points"] = double(glu.count.vertices);
}

BENCHMARK_CAPTURE(kavri_triangulate, resolved, 2)
    ->Name("triangulate/kavri_trusted")
    ->Arg(100)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(kavri_triangulate, winding, 1)
    ->Name("triangulate/kavri")
    ->Arg(100)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(glu_triangulate)
    ->Name("triangulate/glu")
    ->Arg(100)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(kavri_intersect)->Name("intersect/kavri")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(clipper_intersect)
    ->Name("intersect/clipper")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(glu_intersect)->Name("intersect/glu")->Arg(0)->Unit(benchmark::kMicrosecond);

// Collects every run's time so that the ratios can be printed at the end.
class Ratio_Reporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            times[r.benchmark_name()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

void print_ratio(const Ratio_Reporter& r, const std::string& ours, const std::string& peer) {
    const auto a = r.times.find(ours), b = r.times.find(peer);
    if (a == r.times.end() || b == r.times.end()) return;
    std::printf("%-34s / %-28s = %6.2f\n", peer.c_str(), ours.c_str(), b->second / a->second);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Ratio_Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nPeer time divided by the library's (above 1: the library is faster)\n");
    for (const char* n : {"100", "10000", "100000"}) {
        print_ratio(reporter, std::string("triangulate/kavri/") + n,
                    std::string("triangulate/glu/") + n);
        print_ratio(reporter, std::string("triangulate/kavri_trusted/") + n,
                    std::string("triangulate/glu/") + n);
    }
    print_ratio(reporter, "intersect/kavri/0", "intersect/clipper/0");
    print_ratio(reporter, "intersect/kavri/0", "intersect/glu/0");
    print_ratio(reporter, "intersect/kavri/1", "intersect/clipper/1");
    benchmark::Shutdown();
    return 0;
}
