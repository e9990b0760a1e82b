// Option lookup by name and by path, as renderers and modules do it when
// they read options they did not define.
#include <benchmark/benchmark.h>

#include "options/option_table.h"

namespace {

// A table shaped like a renderer's: sixteen plain options, then an
// aggregate whose nested table holds sixteen more.
struct Renderer_Like_Table {
    Renderer_Like_Table() {
        static const wchar_t* const names[] = {
            L"Alpha Blending", L"Backing Store",         L"Bitonal Format",
            L"Buffer Depth",   L"Color System",          L"Color Resolution",
            L"Double Buffer",  L"Line Thickness",        L"Local Coordinates",
            L"Palette",        L"Pattern_Scale",         L"Pixel Aspect",
            L"Packing Order",  L"Supports Complex Clip", L"Window Origin",
            L"Window Size"};
        KT_Aggregate_Option group;
        for (const wchar_t* name : names) {
            table.add(KT_Option(name, KT_Option_Enum::Global, 1));
            group.table()->add(KT_Option(name, KT_Option_Enum::Global, 2));
        }
        table.add(KT_Option(L"Module", KT_Option_Enum::Global, group));
    }
    KT_Option_Table table;
};

void find_name(benchmark::State& state, const wchar_t* name) {
    Renderer_Like_Table t;
    const KT_String key(name);
    for (auto _ : state)
        benchmark::DoNotOptimize(t.table.find(key));
}

BENCHMARK_CAPTURE(find_name, first, L"Alpha Blending");
BENCHMARK_CAPTURE(find_name, last, L"Window Size");
BENCHMARK_CAPTURE(find_name, missing, L"Native Rasterization");
BENCHMARK_CAPTURE(find_name, path, L"Module/Window Size");
BENCHMARK_CAPTURE(find_name, backslash_path, L"Module\\Pattern_Scale");

} // namespace

BENCHMARK_MAIN();
