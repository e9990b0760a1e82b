// Rendering through the ready-made render stack.
//
// Rows: whole 1024 x 1024 frames sent as rows to the z-buffer renderer's
// RGB32 image slot, the way the span rasterizers hand them down: rows that
// all pass the depth test, a near frame followed by a hidden one, and rows
// blended by alpha. Each frame clears colour and depth first, as a picture
// does.
#include <benchmark/benchmark.h>

#include <vector>

#include "renderer/render_stack.h"
#include "rendition/rendition.h"

namespace {

constexpr int frame_size = 1024;

enum class Row_Kind { Visible, Hidden, Blended };

void frame_of_rows(benchmark::State& state, Row_Kind kind) {
    szb_render_stack stack;
    KT_Int_XY origin = {0, 0}, size = {frame_size, frame_size};
    if (!stack.configure(origin, size)) {
        state.SkipWithError("the render stack's modules did not load");
        return;
    }
    const KT_Renderer_Data* top = stack.renderer().body();
    // The stack asks for blending; the opaque runs turn it off again.
    stack.renderer()->renderer_options.set_alpha_blending(kind == Row_Kind::Blended);
    stack.renderer()->establish();
    KT_Rendition rendition(top);
    const std::uint8_t alpha = kind == Row_Kind::Blended ? 128 : 255;
    std::vector<KT_RGB32> row(frame_size, KT_RGB32{40, 80, 160, alpha});
    const KT_Packing packing;
    const int near = 1000, far = 60000;
    for (auto _ : state) {
        KD_Action_Clear_Drawing_Buffer(top, &rendition);
        KD_Action_Clear_Z_Buffer(top, &rendition);
        // Hidden frames draw a near frame first; only the second one counts
        // as hidden, but both are timed.
        const int passes = kind == Row_Kind::Hidden ? 2 : 1;
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
    const int passes = kind == Row_Kind::Hidden ? 2 : 1;
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

} // namespace

BENCHMARK_MAIN();
