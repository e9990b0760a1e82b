// A device that stores the pixels reaching its native image action, by
// device position, as a device that keeps a frame buffer would. Pixels in
// any other form it hands to the standard action, which converts them and
// calls it again.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <utility>

#include "image/image_data.h"
#include "image/palette.h"
#include "renderer/device_data.h"
#include "rendition/rendition.h"

namespace images_test {

using Stored_Pixel = std::array<std::uint8_t, 4>;
using Position = std::pair<int, int>; // device x, y

class Capture_Device : public KT_Device_Data {
public:
    static constexpr int full_resolution = 256;

    Capture_Device(KT_Color_System system, int width, int height) {
        KT_Renderer_Options& o = current_renderer_options;
        o.set_window_origin({0, 0});
        o.set_window_size({width, height});
        o.set_pixel_aspect(1.0f);
        o.set_color_system(system);
        o.set_color_resolution(full_resolution);
        o.set_packing_order(KT_Packing());
        o.set_bitonal_format(KT_Bitonal_Format());
        set_action<KT_Slot_Draw_DCI_RGB32_Image>(&rgb32);
        set_action<KT_Slot_Draw_DCI_Index8_Image>(&index8);
        set_action<KT_Slot_Draw_DCI_Gray8_Image>(&gray8);
        set_action<KT_Slot_Draw_DCI_Bitonal_Image>(&bitonal);
        set_action<KT_Slot_Draw_DCI_CMYK32_Image>(&cmyk32);
    }

    KT_Renderer_Options& options() { return current_renderer_options; }
    KT_Color_System system() const { return current_renderer_options.color_system(); }

    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}

    // Stored bytes of each pixel drawn: RGB32 and CMYK32 in device order,
    // Index8 and Gray8 in byte 0, Bitonal as the raw bit in byte 0.
    std::map<Position, Stored_Pixel> pixels;
    int native_calls = 0;
    // A device may store native pixels without looking at the complex
    // clip, trusting what reaches it to be clipped already.
    bool stores_clipped_pixels = false;
    // Whether the rendition of the last native call tested depth.
    bool last_depth_buffered = false;

    bool has(int x, int y) const { return pixels.count({x, y}) != 0; }
    const Stored_Pixel& at(int x, int y) const { return pixels.at({x, y}); }

    // The colour a stored pixel shows; opaque black where nothing is drawn.
    KT_RGB32 colour_at(int x, int y) const {
        if (!has(x, y)) return {0, 0, 0, 255};
        const Stored_Pixel& p = at(x, y);
        const KT_Color_System s = system();
        if (s.is_cmyk())
            return {static_cast<std::uint8_t>(255 - p[2] - p[3]),
                    static_cast<std::uint8_t>(255 - p[1] - p[3]),
                    static_cast<std::uint8_t>(255 - p[0] - p[3]), 255};
        switch (s) {
        case KT_Color_System::True_Color:
            return current_renderer_options.packing_order().to_canonical(p.data());
        case KT_Color_System::Mapped:
            return current_renderer_options.palette().color(p[0]);
        case KT_Color_System::Bitonal:
            return p[0] ? KT_RGB32{255, 255, 255, 255} : KT_RGB32{0, 0, 0, 255};
        default:
            return {p[0], p[0], p[0], 255};
        }
    }

    // Answers colour reads with what is stored, as a device with a frame
    // buffer does.
    void enable_read_back() { set_action<KT_Slot_Read_DCI_Color_Image>(&read_colour); }

private:
    static Capture_Device* self(const KT_Renderer_Data* r) {
        return static_cast<Capture_Device*>(const_cast<KT_Renderer_Data*>(r));
    }
    bool clipped(const KT_Rendition* rendition) const {
        return !stores_clipped_pixels && !rendition->transform().complex_clip.empty();
    }

    template <class Store>
    void store(const KT_Rendition* rendition, const KT_DCI_Point* start, const KT_DCI_Point* end,
               int row_bytes, const void* pixels_in, Store stored) {
        ++native_calls;
        last_depth_buffered = rendition->transform().depth_buffer;
        const auto* top = static_cast<const std::uint8_t*>(pixels_in);
        for (int y = start->y; y >= end->y; --y) {
            const std::uint8_t* row = top + std::int64_t{start->y - y} * row_bytes;
            for (int x = start->x; x <= end->x; ++x)
                pixels[{x, y}] = stored(row, x - start->x);
        }
    }

    static void rgb32(const KT_Renderer_Data* r, const KT_Rendition* rendition,
                      const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                      const KT_RGB32* in, int resolution, const KT_Packing* packing) {
        Capture_Device* d = self(r);
        const KT_Renderer_Options& o = d->current_renderer_options;
        if (d->system() != KT_Color_System::True_Color || d->clipped(rendition) ||
            resolution != o.color_resolution() || !(*packing == o.packing_order())) {
            KD_Standard_Draw_DCI_RGB32_Image(r, rendition, start, end, row_bytes, in, resolution,
                                             packing);
            return;
        }
        d->store(rendition, start, end, row_bytes, in, [](const std::uint8_t* row, int i) {
            return Stored_Pixel{row[4 * i], row[4 * i + 1], row[4 * i + 2], row[4 * i + 3]};
        });
    }

    static void index8(const KT_Renderer_Data* r, const KT_Rendition* rendition,
                       const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                       const unsigned char* in) {
        Capture_Device* d = self(r);
        if (d->system() != KT_Color_System::Mapped || d->clipped(rendition)) {
            KD_Standard_Draw_DCI_Index8_Image(r, rendition, start, end, row_bytes, in);
            return;
        }
        d->store(rendition, start, end, row_bytes, in, one_byte);
    }

    static void gray8(const KT_Renderer_Data* r, const KT_Rendition* rendition,
                      const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                      const unsigned char* in, int resolution) {
        Capture_Device* d = self(r);
        if (d->system() != KT_Color_System::Gray || d->clipped(rendition) ||
            resolution != d->current_renderer_options.color_resolution()) {
            KD_Standard_Draw_DCI_Gray8_Image(r, rendition, start, end, row_bytes, in, resolution);
            return;
        }
        d->store(rendition, start, end, row_bytes, in, one_byte);
    }

    static void bitonal(const KT_Renderer_Data* r, const KT_Rendition* rendition,
                        const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                        const unsigned char* in, const KT_Bitonal_Format* format) {
        Capture_Device* d = self(r);
        const KT_Bitonal_Format own = d->current_renderer_options.bitonal_format();
        if (d->system() != KT_Color_System::Bitonal || d->clipped(rendition) || !(*format == own)) {
            KD_Standard_Draw_DCI_Bitonal_Image(r, rendition, start, end, row_bytes, in, format);
            return;
        }
        d->store(rendition, start, end, row_bytes, in, [own](const std::uint8_t* row, int i) {
            const int bit = own.leftmost_is_msb() ? 7 - (i & 7) : i & 7;
            return Stored_Pixel{static_cast<std::uint8_t>((row[i >> 3] >> bit) & 1), 0, 0, 0};
        });
    }

    static void cmyk32(const KT_Renderer_Data* r, const KT_Rendition* rendition,
                       const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                       const KT_CMYK32* in, int resolution) {
        Capture_Device* d = self(r);
        if (!d->system().is_cmyk() || d->clipped(rendition)) {
            KD_Standard_Draw_DCI_CMYK32_Image(r, rendition, start, end, row_bytes, in, resolution);
            return;
        }
        d->store(rendition, start, end, row_bytes, in, [](const std::uint8_t* row, int i) {
            return Stored_Pixel{row[4 * i], row[4 * i + 1], row[4 * i + 2], row[4 * i + 3]};
        });
    }

    static void read_colour(const KT_Renderer_Data* r, const KT_Rendition*,
                            const KT_DCI_Point* start, const KT_DCI_Point* end,
                            const KT_Image_Format*, KT_Shared_Image* image) {
        const Capture_Device* d = self(r);
        const int width = end->x - start->x + 1, height = start->y - end->y + 1;
        *image = KT_Shared_Image(width, height, KT_Image_Format::RGB32, 0, nullptr, false);
        for (int row = 0; row < height; ++row)
            for (int x = 0; x < width; ++x) {
                const KT_RGB32 c = d->colour_at(start->x + x, start->y - row);
                std::memcpy((*image)->row(row) + 4 * x, &c, 4);
            }
    }

    static Stored_Pixel one_byte(const std::uint8_t* row, int i) { return {row[i], 0, 0, 0}; }
};

// A palette holding a 6 x 6 x 6 colour cube from index 16.
inline KT_Palette cube_palette() {
    KT_Palette palette;
    palette.install(KT_Color_Cube({6, 6, 6}, 1.0f, 16));
    return palette;
}

// A capturing device with a colour cube palette, and a rendition on it.
struct Stage {
    static constexpr int default_size = 64;

    explicit Stage(KT_Color_System system = KT_Color_System::True_Color, int width = default_size,
                   int height = default_size)
        : device(new Capture_Device(system, width, height)) {
        device->add_reference();
        device->options().set_palette(cube_palette());
        rendition = KT_Rendition(device);
    }
    ~Stage() {
        rendition.reset();
        device->remove_reference();
    }
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    Capture_Device* device;
    KT_Rendition rendition;
};

} // namespace images_test
