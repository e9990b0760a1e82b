// Image conversion and drawing speed: RGB32 rows repacked and drawn
// against a plain memcpy of the same bytes, and dithering to palette
// indices.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "draw2d/image_convert.h"
#include "image/image_data.h"
#include "renderer/device_data.h"
#include "rendition/rendition.h"

namespace {

constexpr int frame_width = 1920;
constexpr int frame_height = 1080;
constexpr std::int64_t frame_bytes = std::int64_t{frame_width} * frame_height * 4;
// Red, green, blue, alpha in memory: a common client order.
const KT_Packing client_packing(0x03000102);

std::vector<std::uint8_t> random_bytes(std::size_t n) {
    std::mt19937 random(1);
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

KT_Pixel_Rectangle frame_of(const std::vector<std::uint8_t>& bytes, KT_Packing packing) {
    return {KT_Image_Format::RGB32, bytes.data(), frame_width * 4, frame_width,
            frame_height,           256,          packing,         KT_Bitonal_Format()};
}

KT_Device_Pixels true_colour() {
    static const KT_Palette palette;
    return {KT_Color_System::True_Color, 256, KT_Packing(), KT_Bitonal_Format(), &palette};
}

void BM_Memcpy(benchmark::State& state) {
    const std::vector<std::uint8_t> in = random_bytes(frame_bytes);
    std::vector<std::uint8_t> out(frame_bytes);
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), frame_bytes);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * frame_bytes);
}
BENCHMARK(BM_Memcpy);

void BM_RGB32_Repack(benchmark::State& state) {
    const std::vector<std::uint8_t> in = random_bytes(frame_bytes);
    std::vector<std::uint8_t> out(frame_bytes);
    const KT_Pixel_Rectangle source = frame_of(in, client_packing);
    const KT_Device_Pixels device = true_colour();
    for (auto _ : state) {
        KD_Convert_Pixels(source, device, 0, frame_height - 1, out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * frame_bytes);
}
BENCHMARK(BM_RGB32_Repack);

void BM_RGB32_Rescale(benchmark::State& state) {
    const std::vector<std::uint8_t> in = random_bytes(frame_bytes);
    std::vector<std::uint8_t> out(frame_bytes);
    const KT_Pixel_Rectangle source = frame_of(in, KT_Packing());
    KT_Device_Pixels device = true_colour();
    device.resolution = 32;
    for (auto _ : state) {
        KD_Convert_Pixels(source, device, 0, frame_height - 1, out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * frame_bytes);
}
BENCHMARK(BM_RGB32_Rescale);

// A true-colour device that copies the rows it is given into its frame.
class Frame_Device : public KT_Device_Data {
public:
    Frame_Device() : frame(frame_width, frame_height, KT_Image_Format::RGB32, 0, nullptr, false) {
        current_renderer_options.set_window_size({frame_width, frame_height});
        current_renderer_options.set_color_system(KT_Color_System::True_Color);
        set_action<KT_Slot_Draw_DCI_RGB32_Image>(&store);
    }
    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}

    KT_Shared_Image frame;

private:
    static void store(const KT_Renderer_Data* r, const KT_Rendition* rendition,
                      const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                      const KT_RGB32* pixels, int resolution, const KT_Packing* packing) {
        if (!packing->is_canonical() || resolution != 256) {
            KD_Standard_Draw_DCI_RGB32_Image(r, rendition, start, end, row_bytes, pixels,
                                             resolution, packing);
            return;
        }
        const auto* self = static_cast<const Frame_Device*>(r);
        const KT_Image_Data& frame = *self->frame;
        const std::size_t bytes = 4 * static_cast<std::size_t>(end->x - start->x + 1);
        const auto* in = reinterpret_cast<const std::uint8_t*>(pixels);
        for (int y = start->y; y >= end->y; --y, in += row_bytes)
            std::memcpy(frame.reversed_rows()[y] + 4 * start->x, in, bytes);
    }
};

void draw_frame(benchmark::State& state, KT_Packing packing) {
    auto* device = new Frame_Device;
    device->add_reference();
    {
        const KT_Rendition rendition(device);
        KT_Shared_Image image(frame_width, frame_height, KT_Image_Format::RGB32, 4, nullptr, 256,
                              packing, false);
        const std::vector<std::uint8_t> bytes = random_bytes(frame_bytes);
        std::memcpy(image->pixels(), bytes.data(), frame_bytes);
        const KT_DCI_Point top_left = {0, frame_height - 1, 0};
        for (auto _ : state) {
            KD_Action_Draw_DCI_Image(device, &rendition, &top_left, &image);
            benchmark::ClobberMemory();
        }
        state.SetBytesProcessed(state.iterations() * frame_bytes);
    }
    device->remove_reference();
}

void BM_RGB32_Draw_Native(benchmark::State& state) {
    draw_frame(state, KT_Packing());
}
BENCHMARK(BM_RGB32_Draw_Native);

void BM_RGB32_Draw_Repacked(benchmark::State& state) {
    draw_frame(state, client_packing);
}
BENCHMARK(BM_RGB32_Draw_Repacked);

void BM_Index8_Dither(benchmark::State& state) {
    KT_Palette palette;
    palette.install(KT_Color_Cube({6, 6, 6}, 1.0f, 16));
    const KT_Device_Pixels mapped = {KT_Color_System::Mapped, 256, KT_Packing(),
                                     KT_Bitonal_Format(), &palette};
    const std::vector<std::uint8_t> in = random_bytes(frame_bytes);
    std::vector<std::uint8_t> out(std::size_t{frame_width} * frame_height);
    const KT_Pixel_Rectangle source = frame_of(in, KT_Packing());
    for (auto _ : state) {
        KD_Convert_Pixels(source, mapped, 0, frame_height - 1, out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * frame_width * frame_height);
}
BENCHMARK(BM_Index8_Dither);

} // namespace

BENCHMARK_MAIN();
