// Text through the FreeType font module: glyphs per second at 12 and 48
// pixels, as filled outlines (through the polygon actions and the raster
// engine) and as native coverage rows, with warm and with emptied glyph
// caches. Rows end in a device that discards them.
#include <benchmark/benchmark.h>

#include <cstring>

#include "font/font_engine.h"
#include "renderer/device_data.h"
#include "renderer/dynamic_load.h"
#include "renderer/module_contract.h"
#include "rendition/rendition.h"

namespace {

constexpr const char* sample = "The quick brown fox jumps over the lazy dog 0123456789";

class Discarding_Device : public KT_Device_Data {
public:
    Discarding_Device() {
        KT_Renderer_Options& o = current_renderer_options;
        o.set_window_origin({0, 0});
        o.set_window_size({2048, 256});
        o.set_buffer_depth(16);
        o.set_color_system(KT_Color_System::True_Color);
        set_action<KT_Slot_Draw_DCI_RGB32_Image>(KD_Nothing<KT_Slot_Draw_DCI_RGB32_Image>);
    }
    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}
};

enum class Path { Outlines, Native };
enum class Cache { Warm, Emptied };

void glyphs(benchmark::State& state, int pixels, Path path, Cache cache) {
    const auto entry = KD_Routine_As<KT_Font_Engine_Entry>(KD_Load_Dynamic_Routine(
        KD_Default_Font_Engine_Module, KD_Font_Engine_Tag, nullptr, nullptr));
    if (!entry) {
        state.SkipWithError("gdifont12.kdi did not load");
        return;
    }
    KT_Renderer device(new Discarding_Device);
    KT_Font_Engine engine(entry(&device));
    engine->establish();
    engine->options.find(L"Native Rasterization")->set(KT_Option_Value(path == Path::Native));
    KT_Rendition rendition(device);
    rendition.modify_text_attribute().font = engine->default_font();
    rendition.modify_text_attribute().text_size = float(pixels);
    const KT_DCI_Point at = {10, 128, 0};
    const int length = int(std::strlen(sample));
    for (auto _ : state) {
        if (cache == Cache::Emptied) engine->flush_cache();
        KD_Action_Draw_2DI_Text(device.body(), &rendition, &at, sample, length);
    }
    state.SetItemsProcessed(state.iterations() * length);
    state.counters["glyphs/s"] =
        benchmark::Counter(double(state.iterations()) * length, benchmark::Counter::kIsRate);
}

void BM_Outline_12px_Warm(benchmark::State& s) {
    glyphs(s, 12, Path::Outlines, Cache::Warm);
}
void BM_Outline_12px_Emptied(benchmark::State& s) {
    glyphs(s, 12, Path::Outlines, Cache::Emptied);
}
void BM_Outline_48px_Warm(benchmark::State& s) {
    glyphs(s, 48, Path::Outlines, Cache::Warm);
}
void BM_Outline_48px_Emptied(benchmark::State& s) {
    glyphs(s, 48, Path::Outlines, Cache::Emptied);
}
void BM_Native_12px_Warm(benchmark::State& s) {
    glyphs(s, 12, Path::Native, Cache::Warm);
}
void BM_Native_12px_Emptied(benchmark::State& s) {
    glyphs(s, 12, Path::Native, Cache::Emptied);
}
void BM_Native_48px_Warm(benchmark::State& s) {
    glyphs(s, 48, Path::Native, Cache::Warm);
}
void BM_Native_48px_Emptied(benchmark::State& s) {
    glyphs(s, 48, Path::Native, Cache::Emptied);
}

BENCHMARK(BM_Outline_12px_Warm);
BENCHMARK(BM_Outline_12px_Emptied);
BENCHMARK(BM_Outline_48px_Warm);
BENCHMARK(BM_Outline_48px_Emptied);
BENCHMARK(BM_Native_12px_Warm);
BENCHMARK(BM_Native_12px_Emptied);
BENCHMARK(BM_Native_48px_Warm);
BENCHMARK(BM_Native_48px_Emptied);

} // namespace

BENCHMARK_MAIN();
