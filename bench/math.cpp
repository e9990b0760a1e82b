// Points per second of the array point transform, per classification class
// and precision: the per-vertex cost of the 3D pipeline. The full-product
// reference runs beside each class for comparison.
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "math/matrix.h"

namespace {

constexpr int point_count = 1'000'000;

enum Class_Case { Identity, Scale_2D, Affine_2D, Affine_3D, Perspective };

template <class Handle> Handle matrix_for(Class_Case c) {
    Handle m;
    switch (c) {
    case Identity:
        break;
    case Scale_2D:
        m.scale(2, 3, 1);
        break;
    case Affine_2D:
        m.rotate_z(0.3);
        m.scale(2, 3, 1);
        m.translate(5, -7, 0);
        break;
    case Affine_3D:
        m.rotate_x(0.3);
        m.rotate_y(0.5);
        m.scale(2, 3, 4);
        m.translate(5, -7, 9);
        break;
    case Perspective:
        m.rotate_x(0.3);
        m.translate(1, 2, 30);
        m.project(2, 2, 30, true);
        m.scale(320, 240, 1000);
        m.translate(320, 240, 0);
        break;
    }
    return m;
}

template <class P> std::vector<P> random_points() {
    std::mt19937 random(42);
    using Real = decltype(P::x);
    std::uniform_real_distribution<Real> coordinate(-10, 10);
    std::vector<P> points(point_count);
    for (P& p : points)
        p = {coordinate(random), coordinate(random), coordinate(random)};
    return points;
}

template <class Handle, class P, bool Reference> void transform_points(benchmark::State& state) {
    const Handle m = matrix_for<Handle>(static_cast<Class_Case>(state.range(0)));
    const std::vector<P> in = random_points<P>();
    std::vector<P> out(point_count);
    std::vector<float> w(point_count);
    state.SetLabel("class " + std::to_string(m.classification()));
    for (auto _ : state) {
        if constexpr (Reference)
            m.transform_reference(point_count, in.data(), out.data(), w.data(), 0.05f);
        else
            m.transform(point_count, in.data(), out.data(), w.data(), 0.05f);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * point_count);
}

void classes(benchmark::internal::Benchmark* b) {
    b->ArgName("case");
    for (int c = Identity; c <= Perspective; ++c)
        b->Arg(c);
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(transform_points<KT_Matrix_Single, KT_Point, false>)->Name("single")->Apply(classes);
BENCHMARK(transform_points<KT_Matrix_Double, KT_Point_D, false>)->Name("double")->Apply(classes);
BENCHMARK(transform_points<KT_Matrix_Double, KT_Point, false>)
    ->Name("double_matrix_single_points")
    ->Apply(classes);
BENCHMARK(transform_points<KT_Matrix_Single, KT_Point, true>)
    ->Name("single_reference")
    ->Apply(classes);
BENCHMARK(transform_points<KT_Matrix_Double, KT_Point_D, true>)
    ->Name("double_reference")
    ->Apply(classes);

} // namespace

BENCHMARK_MAIN();
