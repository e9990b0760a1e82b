#include "draw2d/image_convert.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "foundation/heap.h"
#include "foundation/shared.h"

namespace {

constexpr std::int32_t unit = 0x10000; // 1.0 in 16.16
constexpr int widest_stack_row = 1024; // pixels of row scratch kept on the stack
constexpr int largest_level_count = 256;
constexpr KT_RGB32 bright_pixel = {255, 255, 255, 255};
constexpr KT_RGB32 dark_pixel = {0, 0, 0, 255};

bool is_resolution(std::int32_t levels) {
    return levels >= 2 && levels <= largest_level_count;
}

// Every channel named exactly once, and nothing but indices in the word.
bool is_packing(KT_Packing packing) {
    if (packing.word() & ~0x03030303u) return false;
    int seen = 0;
    for (int channel = 0; channel < 4; ++channel)
        seen |= 1 << packing.index_of(channel);
    return seen == 0xF;
}

// 16.16 factor taking source levels to device levels.
std::int32_t level_scale(std::int32_t device_levels, std::int32_t source_levels) {
    return ((device_levels << 16) - unit) / (source_levels - 1);
}

struct Luminance_Weights {
    std::int32_t red;   // 0.3125 of the scale, truncated
    std::int32_t green; // 0.5
    std::int32_t blue;  // 0.1875
};

Luminance_Weights weights_for(std::int32_t scale) {
    return {static_cast<std::int32_t>(scale * 0.3125), static_cast<std::int32_t>(scale * 0.5),
            static_cast<std::int32_t>(scale * 0.1875)};
}

inline std::int32_t weighted(KT_RGB32 c, const Luminance_Weights& w) {
    return c.r * w.red + c.g * w.green + c.b * w.blue;
}

// The dither thresholds of device row y: entry (x mod 8) for column x.
inline const std::uint16_t* dither_row(std::int32_t y) {
    return SHARED.dither_thresholds[y & 7];
}

// Canonical colours of one source row, and the levels they count in.
class Colour_Reader {
public:
    Colour_Reader(const KT_Pixel_Rectangle& source, const KT_Palette* palette)
        : source_(source), scratch_(static_cast<std::size_t>(source.width)) {
        if (source.format == KT_Image_Format::Index8) {
            for (int i = 0; i < KT_Palette_Data::entry_count; ++i)
                index_colours_[i] = palette && !palette->empty() ? (*palette)->entries[i].color
                                                                 : KT_RGB32{0, 0, 0, 255};
        }
    }
    bool ready() const { return static_cast<bool>(scratch_); }

    std::int32_t levels() const {
        const KT_Image_Format f = source_.format;
        return f == KT_Image_Format::RGB32 || f == KT_Image_Format::Gray8 ? source_.resolution
                                                                          : largest_level_count;
    }

    const KT_RGB32* row(int i) {
        const std::uint8_t* in = source_.row(i);
        KT_RGB32* out = scratch_.get();
        const int w = source_.width;
        switch (source_.format) {
        case KT_Image_Format::RGB32:
            if (source_.packing.is_canonical()) return reinterpret_cast<const KT_RGB32*>(in);
            for (int x = 0; x < w; ++x)
                out[x] = source_.packing.to_canonical(in + 4 * x);
            break;
        case KT_Image_Format::Index8:
            for (int x = 0; x < w; ++x)
                out[x] = index_colours_[in[x]];
            break;
        case KT_Image_Format::Gray8: {
            const auto opaque = static_cast<std::uint8_t>(source_.resolution - 1);
            for (int x = 0; x < w; ++x)
                out[x] = {in[x], in[x], in[x], opaque};
            break;
        }
        default: { // Bitonal
            const bool msb_first = source_.bitonal_format.leftmost_is_msb();
            const bool set_dark = source_.bitonal_format.set_bit_is_dark();
            for (int x = 0; x < w; ++x) {
                const int bit = msb_first ? 7 - (x & 7) : x & 7;
                const bool set = (in[x >> 3] >> bit) & 1;
                out[x] = set != set_dark ? bright_pixel : dark_pixel;
            }
            break;
        }
        }
        return out;
    }

private:
    const KT_Pixel_Rectangle& source_;
    KT_Stack_Scratch<KT_RGB32, widest_stack_row> scratch_;
    KT_RGB32 index_colours_[KT_Palette_Data::entry_count];
};

// Each writer turns one row of canonical colours (or grays) into device
// pixels; setup computes every scale once.

class RGB32_Writer {
public:
    RGB32_Writer(std::int32_t source_levels, const KT_Device_Pixels& device)
        : scale_(level_scale(device.resolution, source_levels)) {
        for (int channel = 0; channel < 4; ++channel)
            place_[channel] = device.packing.index_of(channel);
    }
    void row(const KT_RGB32* in, int width, const std::uint16_t* dither, std::int32_t left,
             std::uint8_t* out) const {
        const int pa = place_[0], pb = place_[1], pg = place_[2], pr = place_[3];
        if (scale_ == unit) {
            // Equal resolutions: the dither never reaches a whole level.
            for (int x = 0; x < width; ++x, out += 4) {
                const KT_RGB32 c = in[x];
                out[pa] = c.a;
                out[pb] = c.b;
                out[pg] = c.g;
                out[pr] = c.r;
            }
            return;
        }
        const std::int32_t k = scale_;
        for (int x = 0; x < width; ++x, out += 4) {
            const KT_RGB32 c = in[x];
            const std::int32_t d = dither[(left + x) & 7];
            out[pa] = static_cast<std::uint8_t>((d + c.a * k) >> 16);
            out[pb] = static_cast<std::uint8_t>((d + c.b * k) >> 16);
            out[pg] = static_cast<std::uint8_t>((d + c.g * k) >> 16);
            out[pr] = static_cast<std::uint8_t>((d + c.r * k) >> 16);
        }
    }

private:
    std::int32_t scale_;
    int place_[4]; // stored byte of alpha, blue, green, red
};

class Gray8_Writer {
public:
    Gray8_Writer(std::int32_t source_levels, const KT_Device_Pixels& device)
        : scale_(level_scale(device.resolution, source_levels)), weights_(weights_for(scale_)) {}
    void row(const KT_RGB32* in, int width, const std::uint16_t* dither, std::int32_t left,
             std::uint8_t* out) const {
        for (int x = 0; x < width; ++x)
            out[x] = static_cast<std::uint8_t>(
                (dither[(left + x) & 7] + weighted(in[x], weights_)) >> 16);
    }
    void row(const std::uint8_t* in, int width, const std::uint16_t* dither, std::int32_t left,
             std::uint8_t* out) const {
        for (int x = 0; x < width; ++x)
            out[x] = static_cast<std::uint8_t>((dither[(left + x) & 7] + in[x] * scale_) >> 16);
    }

private:
    std::int32_t scale_;
    Luminance_Weights weights_;
};

class CMYK32_Writer {
public:
    CMYK32_Writer(std::int32_t source_levels, const KT_Device_Pixels& device)
        : resolution_(device.resolution),
          scale_(level_scale(std::abs(device.resolution), source_levels)),
          with_black_(device.resolution > 0) {}
    void row(const KT_RGB32* in, int width, const std::uint16_t* dither, std::int32_t left,
             std::uint8_t* out) const {
        for (int x = 0; x < width; ++x, out += 4) {
            const KT_RGB32 c = in[x];
            const std::int32_t d = dither[(left + x) & 7];
            // A zero channel gives -1 here, whose low byte is the full ink.
            auto c_ink = static_cast<std::uint8_t>((resolution_ - c.r * scale_ - d) >> 16);
            auto m_ink = static_cast<std::uint8_t>((resolution_ - c.g * scale_ - d) >> 16);
            auto y_ink = static_cast<std::uint8_t>((resolution_ - c.b * scale_ - d) >> 16);
            std::uint8_t black = 0;
            if (with_black_) {
                black = std::min({c_ink, m_ink, y_ink});
                c_ink = static_cast<std::uint8_t>(c_ink - black);
                m_ink = static_cast<std::uint8_t>(m_ink - black);
                y_ink = static_cast<std::uint8_t>(y_ink - black);
            }
            out[0] = c_ink;
            out[1] = m_ink;
            out[2] = y_ink;
            out[3] = black;
        }
    }

private:
    std::int32_t resolution_;
    std::int32_t scale_;
    bool with_black_;
};

// Bits gathered least significant first, then brought into the device's
// bit order and polarity a byte at a time.
class Bitonal_Writer {
public:
    Bitonal_Writer(std::int32_t source_levels, const KT_Device_Pixels& device)
        : scale_(unit / (source_levels - 1)), weights_(weights_for(scale_)),
          reverse_(device.bitonal_format.leftmost_is_msb()),
          invert_(device.bitonal_format.set_bit_is_dark()) {}
    void row(const KT_RGB32* in, int width, const std::uint16_t* dither, std::int32_t left,
             std::uint8_t* out) const {
        gather(width, out,
               [&](int x) { return dither[(left + x) & 7] + weighted(in[x], weights_) >= unit; });
    }
    void row(const std::uint8_t* in, int width, const std::uint16_t* dither, std::int32_t left,
             std::uint8_t* out) const {
        gather(width, out, [&](int x) { return dither[(left + x) & 7] + in[x] * scale_ >= unit; });
    }

private:
    template <class Bright> void gather(int width, std::uint8_t* out, Bright bright) const {
        for (int x0 = 0; x0 < width; x0 += 8) {
            const int n = std::min(8, width - x0);
            std::uint8_t bits = 0;
            for (int b = 0; b < n; ++b)
                bits = static_cast<std::uint8_t>(bits | (bright(x0 + b) ? 1 << b : 0));
            if (invert_) bits = static_cast<std::uint8_t>(~bits);
            if (reverse_) bits = SHARED.bit_reversal[bits];
            *out++ = bits;
        }
    }

    std::int32_t scale_;
    Luminance_Weights weights_;
    bool reverse_;
    bool invert_;
};

// Colour cube and gray ramp levels are dithered like any device channel;
// a palette without either gets the closest entry.
class Index8_Writer {
public:
    Index8_Writer(std::int32_t source_levels, const KT_Device_Pixels& device)
        : palette_(device.palette), source_levels_(source_levels) {
        if (const KT_Color_Cube* cube = palette_->installed_cube()) {
            const KT_Int_RGB sizes = cube->sizes();
            cube_ = true;
            cube_base_ = cube->base();
            red_ = {level_scale(sizes.red, source_levels), sizes.green * sizes.blue};
            green_ = {level_scale(sizes.green, source_levels), sizes.blue};
            blue_ = {level_scale(sizes.blue, source_levels), 1};
        }
        if (const KT_Gray_Ramp* ramp = palette_->installed_ramp()) {
            ramp_ = true;
            ramp_base_ = ramp->base();
            ramp_weights_ = weights_for(level_scale(ramp->size(), source_levels));
        }
    }
    void row(const KT_RGB32* in, int width, const std::uint16_t* dither, std::int32_t left,
             std::uint8_t* out) {
        for (int x = 0; x < width; ++x) {
            const KT_RGB32 c = in[x];
            const std::int32_t d = dither[(left + x) & 7];
            if (ramp_ && nearly_gray(c))
                out[x] = static_cast<std::uint8_t>(ramp_base_ +
                                                   ((d + weighted(c, ramp_weights_)) >> 16));
            else if (cube_)
                out[x] = static_cast<std::uint8_t>(cube_base_ + red_.level(c.r, d) +
                                                   green_.level(c.g, d) + blue_.level(c.b, d));
            else
                out[x] = closest(c);
        }
    }

private:
    struct Channel {
        std::int32_t scale;  // source levels to cube levels, 16.16
        std::int32_t stride; // index step of one level
        std::int32_t level(std::int32_t v, std::int32_t d) const {
            return ((d + v * scale) >> 16) * stride;
        }
    };

    // No two channels apart by 4 of 256 levels or more.
    bool nearly_gray(KT_RGB32 c) const {
        const int spread = std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b});
        return spread * (largest_level_count - 1) < 4 * (source_levels_ - 1);
    }

    std::uint8_t closest(KT_RGB32 c) {
        const std::uint32_t key = c.b | c.g << 8 | c.r << 16;
        if (key == last_key_) return last_index_;
        const auto full = [&](std::uint8_t v) {
            return static_cast<std::uint8_t>(v * (largest_level_count - 1) / (source_levels_ - 1));
        };
        const std::int32_t match =
            palette_->closest_match({full(c.b), full(c.g), full(c.r), 255}, false);
        last_key_ = key;
        last_index_ = static_cast<std::uint8_t>(std::max(match, 0));
        return last_index_;
    }

    const KT_Palette* palette_;
    std::int32_t source_levels_;
    bool cube_ = false;
    bool ramp_ = false;
    std::int32_t cube_base_ = 0;
    Channel red_ = {0, 0}, green_ = {0, 0}, blue_ = {0, 0};
    std::int32_t ramp_base_ = 0;
    Luminance_Weights ramp_weights_ = {0, 0, 0};
    std::uint32_t last_key_ = 0xFFFFFFFFu; // no colour has this key: alpha is left out
    std::uint8_t last_index_ = 0;
};

template <class Writer>
bool write_colours(const KT_Pixel_Rectangle& source, const KT_Device_Pixels& device,
                   std::int32_t left, std::int32_t top, std::uint8_t* out) {
    Colour_Reader reader(source, device.palette);
    if (!reader.ready()) return false;
    Writer writer(reader.levels(), device);
    const std::int32_t out_row_bytes =
        KD_Converted_Row_Bytes(device.native_format(), source.width, source.height);
    for (int i = 0; i < source.height; ++i, out += out_row_bytes)
        writer.row(reader.row(i), source.width, dither_row(top - i), left, out);
    return true;
}

template <class Writer>
void write_grays(const KT_Pixel_Rectangle& source, const KT_Device_Pixels& device,
                 std::int32_t left, std::int32_t top, std::uint8_t* out) {
    const Writer writer(source.resolution, device);
    const std::int32_t out_row_bytes =
        KD_Converted_Row_Bytes(device.native_format(), source.width, source.height);
    for (int i = 0; i < source.height; ++i, out += out_row_bytes)
        writer.row(source.row(i), source.width, dither_row(top - i), left, out);
}

// Equal resolutions between RGB32 packings: each stored byte of a device
// pixel is one stored byte of the source pixel, moved within the word.
void repack(const KT_Pixel_Rectangle& source, KT_Packing to, std::uint8_t* out) {
    static_assert(std::endian::native == std::endian::little, "byte i of a word is stored byte i");
    std::uint32_t shift[4]; // where device byte j sits in the source word
    for (int channel = 0; channel < 4; ++channel)
        shift[to.index_of(channel)] =
            8 * static_cast<std::uint32_t>(source.packing.index_of(channel));
    const std::uint32_t s0 = shift[0], s1 = shift[1], s2 = shift[2], s3 = shift[3];
    const std::int32_t out_row_bytes =
        KD_Converted_Row_Bytes(KT_Image_Format::RGB32, source.width, source.height);
    const int width = source.width; // out may alias anything: keep the bound in a register
    for (int i = 0; i < source.height; ++i, out += out_row_bytes) {
        const std::uint8_t* in = source.row(i);
        for (int x = 0; x < width; ++x) {
            std::uint32_t w;
            std::memcpy(&w, in + 4 * x, 4);
            const std::uint32_t v = ((w >> s0) & 0xFF) | ((w >> s1) & 0xFF) << 8 |
                                    ((w >> s2) & 0xFF) << 16 | ((w >> s3) & 0xFF) << 24;
            std::memcpy(out + 4 * x, &v, 4);
        }
    }
}

void convert_bitonal(const KT_Pixel_Rectangle& source, KT_Bitonal_Format target,
                     std::uint8_t* out) {
    const std::int32_t out_row_bytes =
        KD_Converted_Row_Bytes(KT_Image_Format::Bitonal, source.width, source.height);
    const int bytes = (source.width + 7) / 8;
    for (int i = 0; i < source.height; ++i, out += out_row_bytes)
        source.bitonal_format.convert(source.row(i), out, bytes, target);
}

bool device_is_usable(const KT_Device_Pixels& device) {
    switch (device.native_format()) {
    case KT_Image_Format::RGB32:
        return is_resolution(device.resolution) && is_packing(device.packing);
    case KT_Image_Format::CMYK32:
        return is_resolution(std::abs(device.resolution));
    case KT_Image_Format::Gray8:
        return is_resolution(device.resolution);
    case KT_Image_Format::Index8:
        return device.palette && !device.palette->empty();
    default:
        return true;
    }
}

} // namespace

KT_Image_Format KT_Device_Pixels::native_format() const {
    if (system.is_cmyk()) return KT_Image_Format::CMYK32;
    switch (system) {
    case KT_Color_System::Mapped:
        return KT_Image_Format::Index8;
    case KT_Color_System::True_Color:
        return KT_Image_Format::RGB32;
    case KT_Color_System::Bitonal:
        return KT_Image_Format::Bitonal;
    case KT_Color_System::Gray:
        return KT_Image_Format::Gray8;
    default:
        return KT_Image_Format::Opaque_Block; // a negative system shows nothing
    }
}

KT_Device_Pixels KD_Device_Pixels(const KT_Renderer_Options& options) {
    return {options.color_system(),   options.color_resolution(), options.packing_order(),
            options.bitonal_format(), &options.palette(),         options.alpha_blending()};
}

bool KD_Is_Drawable(const KT_Pixel_Rectangle& pixels) {
    if (!pixels.top_row || pixels.width <= 0 || pixels.height <= 0) return false;
    if (std::int64_t{pixels.width} * pixels.height > KT_Largest_Pixel_Rectangle) return false;
    switch (pixels.format) {
    case KT_Image_Format::RGB32:
        return is_resolution(pixels.resolution) && is_packing(pixels.packing);
    case KT_Image_Format::Gray8:
    case KT_Image_Format::CMYK32:
        return is_resolution(pixels.resolution);
    case KT_Image_Format::Index8:
    case KT_Image_Format::Bitonal:
    case KT_Image_Format::Depth16:
    case KT_Image_Format::Depth32:
        return true;
    default:
        return false;
    }
}

std::int32_t KD_Converted_Row_Bytes(KT_Image_Format format, std::int32_t width,
                                    std::int32_t height) {
    switch (format) {
    case KT_Image_Format::Bitonal: {
        const std::int32_t bytes = (width + 7) / 8;
        return height > 1 ? (bytes + 3) & ~3 : bytes;
    }
    case KT_Image_Format::Index8:
    case KT_Image_Format::Gray8:
        return (width + 3) & ~3;
    default:
        return 4 * width;
    }
}

bool KD_Convert_Pixels(const KT_Pixel_Rectangle& source, const KT_Device_Pixels& device,
                       std::int32_t left, std::int32_t top, std::uint8_t* out) {
    if (!out || !KD_Is_Drawable(source) || !device_is_usable(device)) return false;
    const KT_Image_Format from = source.format;
    if (from != KT_Image_Format::RGB32 && from != KT_Image_Format::Gray8 &&
        from != KT_Image_Format::Index8 && from != KT_Image_Format::Bitonal)
        return false;
    const KT_Image_Format to = device.native_format();
    if (from == KT_Image_Format::Bitonal && to == KT_Image_Format::Bitonal) {
        convert_bitonal(source, device.bitonal_format, out);
        return true;
    }
    if (from == KT_Image_Format::RGB32 && to == KT_Image_Format::RGB32 &&
        source.resolution == device.resolution) {
        repack(source, device.packing, out);
        return true;
    }
    if (from == KT_Image_Format::Gray8 && to == KT_Image_Format::Gray8) {
        write_grays<Gray8_Writer>(source, device, left, top, out);
        return true;
    }
    if (from == KT_Image_Format::Gray8 && to == KT_Image_Format::Bitonal) {
        write_grays<Bitonal_Writer>(source, device, left, top, out);
        return true;
    }
    switch (to) {
    case KT_Image_Format::RGB32:
        return write_colours<RGB32_Writer>(source, device, left, top, out);
    case KT_Image_Format::Gray8:
        return write_colours<Gray8_Writer>(source, device, left, top, out);
    case KT_Image_Format::CMYK32:
        return write_colours<CMYK32_Writer>(source, device, left, top, out);
    case KT_Image_Format::Bitonal:
        return write_colours<Bitonal_Writer>(source, device, left, top, out);
    case KT_Image_Format::Index8:
        return write_colours<Index8_Writer>(source, device, left, top, out);
    default:
        return false;
    }
}

void KD_Blend_Over(const KT_Pixel_Rectangle& source, const KT_Image_Data* drawn, KT_RGB32* out) {
    const std::int32_t top = source.resolution - 1; // full alpha and full channel
    const bool usable = drawn && !drawn->is_empty() && drawn->format() == KT_Image_Format::RGB32 &&
                        drawn->width() == source.width && drawn->height() == source.height &&
                        is_resolution(drawn->color_resolution()) && is_packing(drawn->packing());
    const std::int32_t drawn_top = usable ? drawn->color_resolution() - 1 : 1;
    const auto own_levels = [&](std::uint8_t v) { return (v * top + drawn_top / 2) / drawn_top; };
    const auto mix = [&](std::int32_t s, std::int32_t d, std::int32_t a) {
        return static_cast<std::uint8_t>((s * a + d * (top - a) + top / 2) / top);
    };
    const auto opaque = static_cast<std::uint8_t>(top);
    for (int i = 0; i < source.height; ++i) {
        const std::uint8_t* in = source.row(i);
        for (int x = 0; x < source.width; ++x, ++out) {
            const KT_RGB32 s = source.packing.to_canonical(in + 4 * x);
            if (!usable) {
                *out = {s.b, s.g, s.r, opaque};
                continue;
            }
            const KT_RGB32 d = drawn->packing().to_canonical(drawn->row(i) + 4 * x);
            const std::int32_t a = std::min<std::int32_t>(s.a, top);
            *out = {mix(s.b, own_levels(d.b), a), mix(s.g, own_levels(d.g), a),
                    mix(s.r, own_levels(d.r), a), opaque};
        }
    }
}
