// Baselines for the foundation: what sharing a body costs and what copy on
// write costs for a sole and for a shared holder.
#include <benchmark/benchmark.h>

#include <string>

#include "foundation/variant.h"

namespace {

void BM_Handle_Copy(benchmark::State& state) {
    static KT_Variant shared(42);
    for (auto _ : state) {
        KT_Variant copy = shared;
        benchmark::DoNotOptimize(copy.body());
    }
}
BENCHMARK(BM_Handle_Copy);
BENCHMARK(BM_Handle_Copy)->Threads(2);

void BM_Modify_Sole_Holder(benchmark::State& state) {
    KT_Variant value(0);
    int i = 0;
    for (auto _ : state)
        value.set_int(++i);
    benchmark::DoNotOptimize(value.as_int());
}
BENCHMARK(BM_Modify_Sole_Holder);

void BM_Modify_Shared_Scalar(benchmark::State& state) {
    KT_Variant original(0);
    int i = 0;
    for (auto _ : state) {
        KT_Variant writer = original;
        writer.set_int(++i);
        benchmark::DoNotOptimize(writer.body());
    }
}
BENCHMARK(BM_Modify_Shared_Scalar);

// A shared element list is copied element by element (names duplicated,
// element bodies shared) before the write.
void BM_Modify_Shared_Elements(benchmark::State& state) {
    KT_Variant original;
    for (int i = 0; i < state.range(0); ++i)
        original.set_elem((L"element " + std::to_wstring(i)).c_str(), KT_Variant(i));
    for (auto _ : state) {
        KT_Variant writer = original;
        writer.set_elem(L"element 0", KT_Variant(-1));
        benchmark::DoNotOptimize(writer.body());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Modify_Shared_Elements)->RangeMultiplier(4)->Range(1, 64)->Complexity();

} // namespace

BENCHMARK_MAIN();
