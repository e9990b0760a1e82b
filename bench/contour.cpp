// Contour sets against the GLU tessellator and Clipper 1 on the same input,
// in the same program: triangulation of stars, circles and a star with eight
// holes, and the four booleans of two 1,000-point stars and of two
// 1,000-point self-intersecting scribbles, and the union of a rectangle with a
// comb sharing its side. After the runs one table puts the
// three side by side (medians when --benchmark_repetitions is given).
#include <GL/glu.h>
#include <benchmark/benchmark.h>
#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "contour/contour_set.h"

namespace {

using Contour = std::vector<KT_Point_D>;
using Shape = std::vector<Contour>;

// A simple but very concave outline: a star with random radii.
Contour star(int n, unsigned seed, double cx, double cy) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> radius(0.3, 1.0);
    Contour p;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n, r = 100 * radius(rng);
        p.push_back(KT_Point_D{cx + r * std::cos(a), cy + r * std::sin(a), 0});
    }
    return p;
}

Contour circle(int n, double cx, double cy, double r, bool clockwise) {
    Contour p;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n * (clockwise ? -1 : 1);
        p.push_back(KT_Point_D{cx + r * std::cos(a), cy + r * std::sin(a), 0});
    }
    return p;
}

// A star of outline points with eight clockwise round holes inside its
// inner radius, hole_points points each.
Shape star_with_holes(int outline, int hole_points) {
    Shape s{star(outline, 7, 0, 0)};
    constexpr int holes = 8;
    constexpr double ring = 18, hole_radius = 5;
    for (int h = 0; h < holes; ++h) {
        const double a = 2 * M_PI * h / holes;
        s.push_back(circle(hole_points, ring * std::cos(a), ring * std::sin(a), hole_radius, true));
    }
    return s;
}

// Random points: a self-intersecting polygon with about n^2/10 crossings.
Contour scribble(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> coord(0, 100);
    Contour p;
    for (int i = 0; i < n; ++i)
        p.push_back(KT_Point_D{coord(rng), coord(rng), 0});
    return p;
}

// A rectangle's bottom side shared with the top of a comb hanging below it,
// whose straight top has a vertex above every tooth: about n points.
Shape rectangle_on_comb(int n) {
    const int teeth = n / 5;
    const double width = 1000.0 / teeth;
    Contour comb;
    for (int i = 0; i < teeth; ++i) {
        const double x = i * width;
        comb.push_back(KT_Point_D{x, -100, 0});
        comb.push_back(KT_Point_D{x + width / 2, -100, 0});
        comb.push_back(KT_Point_D{x + width / 2, -20, 0});
        comb.push_back(KT_Point_D{x + width, -20, 0});
    }
    for (int i = teeth; i >= 0; --i)
        comb.push_back(KT_Point_D{i * width, 0, 0});
    const Contour rectangle{{0, 0, 0}, {1000, 0, 0}, {1000, 100, 0}, {0, 100, 0}};
    return {rectangle, comb};
}

Contour reversed(Contour c) {
    std::reverse(c.begin(), c.end());
    return c;
}

// The library ---------------------------------------------------------------

struct Flat_Shape {
    std::vector<int> counts;
    std::vector<KT_Point_D> points;
    explicit Flat_Shape(const Shape& s) {
        for (const Contour& c : s) {
            counts.push_back(static_cast<int>(c.size()));
            points.insert(points.end(), c.begin(), c.end());
        }
    }
    KT_Contour_Set set() const {
        KT_Contour_Set set(static_cast<int>(counts.size()), counts.data(), points.data(), false);
        set.set_fill_rule(1); // non-zero winding
        return set;
    }
};

void count_triangle(const KT_Point_D*, const KT_Point_D*, const KT_Point_D*, void* user) {
    ++*static_cast<long*>(user);
}

void kavri_triangulate(benchmark::State& state, const Shape& shape) {
    const Flat_Shape flat(shape);
    long triangles = 0;
    for (auto _ : state) {
        triangles = 0;
        flat.set()->triangulate(count_triangle, &triangles);
    }
    state.counters["triangles"] = double(triangles);
}

enum class Boolean { intersection, union_, difference, xor_ };

// The library has no exclusive-or operation: it is the two differences,
// whose contours never overlap.
void kavri_boolean(benchmark::State& state, const Shape& a_shape, const Shape& b_shape,
                   Boolean op) {
    const Flat_Shape fa(a_shape), fb(b_shape);
    double points = 0;
    for (auto _ : state) {
        const KT_Contour_Set a = fa.set(), b = fb.set();
        points = 0;
        auto run = [&](KT_Contour_Operation operation) {
            KT_Contour_Set r(a->process(operation, b.body()));
            points += r->total_points;
        };
        switch (op) {
        case Boolean::intersection:
            run(KT_Contour_Intersection);
            break;
        case Boolean::union_:
            run(KT_Contour_Union);
            break;
        case Boolean::difference:
            run(KT_Contour_A_Minus_B);
            break;
        case Boolean::xor_:
            run(KT_Contour_A_Minus_B);
            run(KT_Contour_B_Minus_A);
            break;
        }
    }
    state.counters["points"] = points;
}

// Clipper 1 -------------------------------------------------------------------

ClipperLib::Paths to_paths(const Shape& s) {
    ClipperLib::Paths paths;
    for (const Contour& c : s) {
        ClipperLib::Path path;
        for (const KT_Point_D& q : c)
            path.push_back(
                ClipperLib::IntPoint(static_cast<ClipperLib::cInt>(std::llround(q.x * 1e6)),
                                     static_cast<ClipperLib::cInt>(std::llround(q.y * 1e6))));
        paths.push_back(path);
    }
    return paths;
}

ClipperLib::ClipType clip_type(Boolean op) {
    switch (op) {
    case Boolean::intersection:
        return ClipperLib::ctIntersection;
    case Boolean::union_:
        return ClipperLib::ctUnion;
    case Boolean::difference:
        return ClipperLib::ctDifference;
    case Boolean::xor_:
        break;
    }
    return ClipperLib::ctXor;
}

void clipper_boolean(benchmark::State& state, const Shape& a_shape, const Shape& b_shape,
                     Boolean op) {
    const ClipperLib::Paths a = to_paths(a_shape), b = to_paths(b_shape);
    double points = 0;
    for (auto _ : state) {
        ClipperLib::Clipper c;
        c.AddPaths(a, ClipperLib::ptSubject, true);
        c.AddPaths(b, ClipperLib::ptClip, true);
        ClipperLib::Paths out;
        c.Execute(clip_type(op), out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        points = 0;
        for (const auto& path : out)
            points += double(path.size());
    }
    state.counters["points"] = points;
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
    Glu_Run(const Glu_Run&) = delete;
    Glu_Run& operator=(const Glu_Run&) = delete;
    ~Glu_Run() { gluDeleteTess(tess); }
    void run(const Shape& contours) {
        combined.clear();
        combined.reserve(1 << 16);
        gluTessBeginPolygon(tess, static_cast<void*>(user));
        for (const Contour& c : contours) {
            gluTessBeginContour(tess);
            for (const KT_Point_D& p : c)
                gluTessVertex(tess, const_cast<GLdouble*>(&p.x), const_cast<GLdouble*>(&p.x));
            gluTessEndContour(tess);
        }
        gluTessEndPolygon(tess);
    }
};

void glu_triangulate(benchmark::State& state, const Shape& shape) {
    Glu_Run glu(GLU_TESS_WINDING_NONZERO, false);
    for (auto _ : state) {
        glu.count.vertices = 0;
        glu.run(shape);
    }
    state.counters["triangles"] = double(glu.count.vertices) / 3;
}

// GLU combines two simple counter-clockwise outlines by their winding sum:
// at least two is the intersection, positive the union; B reversed and
// positive is the difference, odd the exclusive or. It has no operand-aware
// rule for self-intersecting input.
void glu_boolean(benchmark::State& state, const Shape& a, const Shape& b, Boolean op) {
    Shape both = a;
    GLdouble rule = GLU_TESS_WINDING_POSITIVE;
    for (const Contour& c : b)
        both.push_back(op == Boolean::difference ? reversed(c) : c);
    if (op == Boolean::intersection) rule = GLU_TESS_WINDING_ABS_GEQ_TWO;
    if (op == Boolean::xor_) rule = GLU_TESS_WINDING_ODD;
    Glu_Run glu(rule, true);
    for (auto _ : state) {
        glu.count.vertices = 0;
        glu.run(both);
    }
    state.counters["points"] = double(glu.count.vertices);
}

// The table ---------------------------------------------------------------

enum Peer { kavri, clipper, glu, peer_count };
constexpr const char* peer_names[peer_count] = {"kavri", "clipper", "glu"};

// Keeps every iteration run's time per benchmark; the table prints medians.
class Table_Reporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times[r.run_name.function_name].push_back(r.GetAdjustedCPUTime());
        ConsoleReporter::ReportRuns(runs);
    }
    // Microseconds, or a negative value when the benchmark did not run.
    double median(const std::string& name) const {
        const auto found = times.find(name);
        if (found == times.end()) return -1;
        std::vector<double> t = found->second;
        std::sort(t.begin(), t.end());
        const std::size_t n = t.size();
        return n % 2 ? t[n / 2] : (t[n / 2 - 1] + t[n / 2]) / 2;
    }
    std::map<std::string, std::vector<double>> times;
};

std::string benchmark_name(const std::string& case_name, Peer peer) {
    return case_name + "/" + peer_names[peer];
}

void print_time(double us) {
    if (us < 0)
        std::printf(" %12s", "-");
    else if (us < 1000)
        std::printf(" %9.1f us", us);
    else if (us < 1e6)
        std::printf(" %9.2f ms", us / 1000);
    else
        std::printf(" %9.3f s ", us / 1e6);
}

void print_ratio(double peer, double ours) {
    if (peer < 0 || ours <= 0)
        std::printf(" %10s", "-");
    else
        std::printf(" %9.2fx", peer / ours);
}

void print_table(const Table_Reporter& reporter, const std::vector<std::string>& cases) {
    std::printf("\n%-30s %12s %12s %12s %10s %10s\n", "case", "Kavri", "Clipper 1", "GLU",
                "Clip/Kav", "GLU/Kav");
    for (const std::string& name : cases) {
        double t[peer_count];
        for (int p = 0; p < peer_count; ++p)
            t[p] = reporter.median(benchmark_name(name, Peer(p)));
        if (t[kavri] < 0 && t[clipper] < 0 && t[glu] < 0) continue;
        std::printf("%-30s", name.c_str());
        for (const double time : t)
            print_time(time);
        print_ratio(t[clipper], t[kavri]);
        print_ratio(t[glu], t[kavri]);
        std::printf("\n");
    }
    std::printf("(a ratio above 1: the library is faster; exclusive or in the library is two "
                "differences)\n");
}

template <class Fn> void add(const std::string& name, Fn&& fn) {
    benchmark::RegisterBenchmark(name.c_str(), std::forward<Fn>(fn))->Unit(benchmark::kMicrosecond);
}

std::vector<std::string> register_cases() {
    std::vector<std::string> cases;
    auto triangulation = [&](const std::string& name, const Shape& shape) {
        add(benchmark_name(name, kavri),
            [shape](benchmark::State& s) { kavri_triangulate(s, shape); });
        add(benchmark_name(name, glu), [shape](benchmark::State& s) { glu_triangulate(s, shape); });
        cases.push_back(name);
    };
    for (const int n : {100, 1000, 10000, 100000}) {
        triangulation("triangulate star " + std::to_string(n), Shape{star(n, 7, 0, 0)});
        triangulation("triangulate circle " + std::to_string(n),
                      Shape{circle(n, 0, 0, 100, false)});
    }
    // 148, 1,496 and 15,000 points in all.
    const struct { int outline, hole; } holed[] = {{100, 6}, {1000, 62}, {10000, 625}};
    for (const auto& h : holed)
        triangulation("triangulate holes " + std::to_string(h.outline + 8 * h.hole),
                      star_with_holes(h.outline, h.hole));
    const struct {
        const char* name;
        Boolean op;
    } ops[] = {{"intersect", Boolean::intersection},
               {"union", Boolean::union_},
               {"difference", Boolean::difference},
               {"xor", Boolean::xor_}};
    for (const bool scribbles : {false, true}) {
        const Shape a{scribbles ? scribble(1000, 11) : star(1000, 11, 0, 0)};
        const Shape b{scribbles ? scribble(1000, 12) : star(1000, 12, 40, 20)};
        for (const auto& op : ops) {
            const std::string name =
                std::string(op.name) + (scribbles ? " scribbles 1000" : " stars 1000");
            const Boolean o = op.op;
            add(benchmark_name(name, kavri),
                [a, b, o](benchmark::State& s) { kavri_boolean(s, a, b, o); });
            add(benchmark_name(name, clipper),
                [a, b, o](benchmark::State& s) { clipper_boolean(s, a, b, o); });
            if (!scribbles)
                add(benchmark_name(name, glu),
                    [a, b, o](benchmark::State& s) { glu_boolean(s, a, b, o); });
            cases.push_back(name);
        }
    }
    const Shape comb = rectangle_on_comb(1000);
    const Shape rectangle{comb[0]}, teeth{comb[1]};
    add(benchmark_name("union comb 1000", kavri), [rectangle, teeth](benchmark::State& s) {
        kavri_boolean(s, rectangle, teeth, Boolean::union_);
    });
    add(benchmark_name("union comb 1000", clipper), [rectangle, teeth](benchmark::State& s) {
        clipper_boolean(s, rectangle, teeth, Boolean::union_);
    });
    cases.push_back("union comb 1000");
    return cases;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> cases = register_cases();
    benchmark::Initialize(&argc, argv);
    Table_Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_table(reporter, cases);
    benchmark::Shutdown();
    return 0;
}
