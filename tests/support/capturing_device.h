// A device that keeps what reaches its native image actions as a picture
// with depth, so pixel tests compare whole pictures instead of call logs.
//
// By default every RGB32 and Index8 row and every DCI dot is kept as it
// arrives. A device set to keep only its own form behaves like one with a
// frame buffer: it stores pixels in the form its colour system, resolution
// and packing name, and hands any other form to the standard action, which
// converts (and clips) them and calls it again.
//
// Depth across a row is stepped from the row's first to its last pixel by
// capture::row_depth; a reference that predicts pictures uses the same rule.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "image/image_data.h"
#include "image/palette.h"
#include "renderer/device_data.h"
#include "rendition/rendition.h"

namespace capture {

// Depth of pixel i of a row of n pixels whose ends carry first and last.
inline std::uint32_t row_depth(std::uint32_t first, std::uint32_t last, std::int64_t n,
                               std::int64_t i) {
    if (n <= 1) return first;
    const std::int64_t difference = static_cast<std::int64_t>(last) - first;
    return static_cast<std::uint32_t>(first + difference * i / (n - 1));
}

// The bytes a pixel was stored as: RGB32 and CMYK32 in device order,
// Index8 and Gray8 in byte 0, Bitonal as the raw bit in byte 0.
using Stored_Bytes = std::array<std::uint8_t, 4>;

struct Pixel {
    KT_RGB32 colour = {0, 0, 0, 0}; // the four bytes of RGB32 and CMYK32 pixels
    std::int32_t index = -1;        // the byte of one-byte formats, -1 otherwise
    std::uint32_t depth = 0;
    std::int32_t hits = 0; // how many rows or dots wrote the pixel

    bool operator==(const Pixel& other) const {
        return colour.b == other.colour.b && colour.g == other.colour.g &&
               colour.r == other.colour.r && colour.a == other.colour.a && index == other.index &&
               depth == other.depth && hits == other.hits;
    }

    Stored_Bytes bytes() const {
        if (index >= 0) return {static_cast<std::uint8_t>(index), 0, 0, 0};
        Stored_Bytes b;
        std::memcpy(b.data(), &colour, 4);
        return b;
    }
};

inline std::string describe(const Pixel& p) {
    std::ostringstream text;
    text << "rgba(" << int(p.colour.r) << "," << int(p.colour.g) << "," << int(p.colour.b) << ","
         << int(p.colour.a) << ") index " << p.index << " depth " << p.depth << " hits " << p.hits;
    return text.str();
}

// Pixels of a window, row 0 at the bottom as in device coordinates.
class Picture {
public:
    Picture(int width, int height)
        : width_(width), height_(height), pixels_(std::size_t(width) * height) {}

    int width() const { return width_; }
    int height() const { return height_; }
    bool contains(std::int64_t x, std::int64_t y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }
    Pixel& at(int x, int y) { return pixels_[std::size_t(y) * width_ + x]; }
    const Pixel& at(int x, int y) const { return pixels_[std::size_t(y) * width_ + x]; }
    bool drawn(std::int64_t x, std::int64_t y) const {
        return contains(x, y) && at(int(x), int(y)).hits > 0;
    }

    // Writes one pixel; false when it lies outside the window.
    bool put(std::int64_t x, std::int64_t y, const Pixel& value) {
        if (!contains(x, y)) return false;
        Pixel& p = at(int(x), int(y));
        const int hits = p.hits;
        p = value;
        p.hits = hits + 1;
        return true;
    }

    int covered_count() const {
        int n = 0;
        for (const Pixel& p : pixels_)
            n += p.hits > 0;
        return n;
    }
    int max_hits() const {
        int most = 0;
        for (const Pixel& p : pixels_)
            most = p.hits > most ? p.hits : most;
        return most;
    }

    // "" when equal, else where and how the first difference shows.
    std::string first_difference(const Picture& expected) const {
        if (expected.width_ != width_ || expected.height_ != height_)
            return "pictures differ in size";
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (!(at(x, y) == expected.at(x, y))) {
                    std::ostringstream text;
                    text << "pixel (" << x << ", " << y << "): drawn " << describe(at(x, y))
                         << ", expected " << describe(expected.at(x, y));
                    return text.str();
                }
        return "";
    }

private:
    int width_;
    int height_;
    std::vector<Pixel> pixels_;
};

// One row (or rectangle of rows) as the device received it.
struct Row {
    KT_DCI_Point start;
    KT_DCI_Point end;
    bool index8;
    bool depth_buffered = false; // whether its rendition tested depth
};

class Device : public KT_Device_Data {
public:
    Device(int width, int height, int buffer_depth = 16,
           KT_Color_System colours = KT_Color_System::True_Color)
        : picture(width, height) {
        KT_Renderer_Options& o = current_renderer_options;
        o.set_window_origin({0, 0});
        o.set_window_size({width, height});
        o.set_buffer_depth(buffer_depth);
        o.set_pixel_aspect(1.0f);
        o.set_color_system(colours);
        set_action<KT_Slot_Draw_DCI_RGB32_Image>(&take_rgb32);
        set_action<KT_Slot_Draw_DCI_Index8_Image>(&take_index8);
        set_action<KT_Slot_Draw_DCI_Gray8_Image>(&take_gray8);
        set_action<KT_Slot_Draw_DCI_Bitonal_Image>(&take_bitonal);
        set_action<KT_Slot_Draw_DCI_CMYK32_Image>(&take_cmyk32);
        set_action<KT_Slot_Draw_DCI_Dot>(&take_dot);
    }

    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}

    KT_Renderer_Options& options() { return current_renderer_options; }
    KT_Color_System system() const { return current_renderer_options.color_system(); }

    // Forgets everything drawn so far.
    void clear() {
        picture = Picture(picture.width(), picture.height());
        rows.clear();
        dots = 0;
        outside = 0;
        malformed = 0;
    }

    // The colour a stored pixel shows; opaque black where nothing is drawn.
    KT_RGB32 colour_at(int x, int y) const {
        if (!picture.drawn(x, y)) return {0, 0, 0, 255};
        const Stored_Bytes p = picture.at(x, y).bytes();
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

    Picture picture;
    std::vector<Row> rows;
    int dots = 0;
    int outside = 0;   // pixels that fell outside the window
    int malformed = 0; // rows ending left of or above their start
    // Keep only the form the options name; convert everything else.
    bool keeps_native_only = false;
    // A native-only device may store pixels without looking at the complex
    // clip, trusting what reaches it to be clipped already.
    bool stores_clipped_pixels = false;

private:
    static Device& self(const KT_Renderer_Data* owner) {
        return *const_cast<Device*>(static_cast<const Device*>(owner));
    }

    // Whether a native-only device hands a row of this form on.
    bool converts(const KT_Rendition* rendition, bool native_form) const {
        if (!keeps_native_only) return false;
        const bool clipped =
            !stores_clipped_pixels && rendition && !rendition->transform().complex_clip.empty();
        return !native_form || clipped;
    }

    bool accept(const KT_Rendition* rendition, const KT_DCI_Point* start, const KT_DCI_Point* end,
                bool index8) {
        if (!start || !end || end->y > start->y || end->x < start->x) {
            ++malformed;
            return false;
        }
        const bool depth = rendition && *rendition && rendition->transform().depth_buffer;
        rows.push_back({*start, *end, index8, depth});
        return true;
    }

    // Stores rows start.y down to end.y, pixel i of each row as
    // take(row bytes, i, depth); pixels outside the window are counted.
    template <class Take>
    void store(const KT_Rendition* rendition, const KT_DCI_Point* start, const KT_DCI_Point* end,
               int row_bytes, const void* pixels, bool index8, Take take) {
        if (!pixels || !accept(rendition, start, end, index8)) return;
        const std::int64_t n = std::int64_t(end->x) - start->x + 1;
        const auto* top = static_cast<const std::uint8_t*>(pixels);
        for (std::int64_t y = start->y; y >= end->y; --y) {
            const std::uint8_t* row = top + (start->y - y) * row_bytes;
            if (y < 0 || y >= picture.height()) {
                outside += int(n);
                continue;
            }
            const std::int64_t first = std::clamp<std::int64_t>(-std::int64_t(start->x), 0, n);
            const std::int64_t last =
                std::clamp<std::int64_t>(picture.width() - std::int64_t(start->x), first, n);
            outside += int(n - (last - first));
            for (std::int64_t i = first; i < last; ++i)
                picture.put(
                    start->x + i, y,
                    take(row, i, row_depth(std::uint32_t(start->z), std::uint32_t(end->z), n, i)));
        }
    }

    static Pixel four_bytes(const std::uint8_t* row, std::int64_t i, std::uint32_t depth) {
        Pixel p{{}, -1, depth, 0};
        std::memcpy(&p.colour, row + 4 * i, 4);
        return p;
    }
    static Pixel one_byte(const std::uint8_t* row, std::int64_t i, std::uint32_t depth) {
        return {{0, 0, 0, 0}, row[i], depth, 0};
    }

    static void take_rgb32(const KT_Renderer_Data* owner, const KT_Rendition* rendition,
                           const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                           const KT_RGB32* pixels, int resolution, const KT_Packing* packing) {
        Device& d = self(owner);
        const KT_Renderer_Options& o = d.current_renderer_options;
        if (d.converts(rendition, d.system() == KT_Color_System::True_Color &&
                                      resolution == o.color_resolution() && packing &&
                                      *packing == o.packing_order())) {
            KD_Standard_Draw_DCI_RGB32_Image(owner, rendition, start, end, row_bytes, pixels,
                                             resolution, packing);
            return;
        }
        d.store(rendition, start, end, row_bytes, pixels, false, four_bytes);
    }

    static void take_index8(const KT_Renderer_Data* owner, const KT_Rendition* rendition,
                            const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                            const unsigned char* pixels) {
        Device& d = self(owner);
        if (d.converts(rendition, d.system() == KT_Color_System::Mapped)) {
            KD_Standard_Draw_DCI_Index8_Image(owner, rendition, start, end, row_bytes, pixels);
            return;
        }
        d.store(rendition, start, end, row_bytes, pixels, true, one_byte);
    }

    // Gray, bitonal and ink pixels are kept only by a native-only device of
    // their colour system; any other device has them converted.
    static void take_gray8(const KT_Renderer_Data* owner, const KT_Rendition* rendition,
                           const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                           const unsigned char* pixels, int resolution) {
        Device& d = self(owner);
        if (!d.keeps_native_only ||
            d.converts(rendition,
                       d.system() == KT_Color_System::Gray &&
                           resolution == d.current_renderer_options.color_resolution())) {
            KD_Standard_Draw_DCI_Gray8_Image(owner, rendition, start, end, row_bytes, pixels,
                                             resolution);
            return;
        }
        d.store(rendition, start, end, row_bytes, pixels, false, one_byte);
    }

    static void take_bitonal(const KT_Renderer_Data* owner, const KT_Rendition* rendition,
                             const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                             const unsigned char* pixels, const KT_Bitonal_Format* format) {
        Device& d = self(owner);
        const KT_Bitonal_Format own = d.current_renderer_options.bitonal_format();
        if (!d.keeps_native_only || d.converts(rendition, d.system() == KT_Color_System::Bitonal &&
                                                              format && *format == own)) {
            KD_Standard_Draw_DCI_Bitonal_Image(owner, rendition, start, end, row_bytes, pixels,
                                               format);
            return;
        }
        d.store(rendition, start, end, row_bytes, pixels, false,
                [own](const std::uint8_t* row, std::int64_t i, std::uint32_t depth) {
                    const int bit = own.leftmost_is_msb() ? 7 - (i & 7) : i & 7;
                    return Pixel{{0, 0, 0, 0}, (row[i >> 3] >> bit) & 1, depth, 0};
                });
    }

    static void take_cmyk32(const KT_Renderer_Data* owner, const KT_Rendition* rendition,
                            const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                            const KT_CMYK32* pixels, int resolution) {
        Device& d = self(owner);
        if (!d.keeps_native_only || d.converts(rendition, d.system().is_cmyk())) {
            KD_Standard_Draw_DCI_CMYK32_Image(owner, rendition, start, end, row_bytes, pixels,
                                              resolution);
            return;
        }
        d.store(rendition, start, end, row_bytes, pixels, false, four_bytes);
    }

    // A dot without colour takes the rendition's front colour.
    static void take_dot(const KT_Renderer_Data* owner, const KT_Rendition* rendition,
                         const KT_DCI_Point* point, const KT_RGB32* colour) {
        Device& d = self(owner);
        if (!point) return;
        ++d.dots;
        KT_RGB32 c = colour ? *colour : KT_RGB32{0, 0, 0, 255};
        if (!colour && rendition && *rendition) c = rendition->color().front.device_rgb;
        if (!d.picture.put(point->x, point->y, {c, -1, std::uint32_t(point->z), 0})) ++d.outside;
    }

    static void read_colour(const KT_Renderer_Data* owner, const KT_Rendition*,
                            const KT_DCI_Point* start, const KT_DCI_Point* end,
                            const KT_Image_Format*, KT_Shared_Image* image) {
        const Device& d = self(owner);
        const int width = end->x - start->x + 1, height = start->y - end->y + 1;
        *image = KT_Shared_Image(width, height, KT_Image_Format::RGB32, 0, nullptr, false);
        for (int row = 0; row < height; ++row)
            for (int x = 0; x < width; ++x) {
                const KT_RGB32 c = d.colour_at(start->x + x, start->y - row);
                std::memcpy((*image)->row(row) + 4 * x, &c, 4);
            }
    }
};

} // namespace capture
