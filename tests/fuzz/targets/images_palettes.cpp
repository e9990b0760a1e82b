// Images of any size, format and alignment, and palettes built from cubes,
// ramps and merges, with colours to match.
//
// Checked: an image either is empty or has rows that lie inside its block,
// aligned as asked and in order both ways, and every byte of every row can
// be written; a copy holds the same bytes. A palette match is an entry in
// use; removing a merged palette gives back the use counts it found.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "fuzz_input.h"
#include "image/color_cube.h"
#include "image/gray_ramp.h"
#include "image/image_data.h"
#include "image/palette.h"

namespace {

// Larger blocks are legitimate requests, not faults; the fuzzer's memory
// limit would stop the run on them.
constexpr std::int64_t largest_block = std::int64_t{64} << 20;
// Row tables and row walks of millions of rows take seconds under the
// sanitizers without finding more.
constexpr std::int32_t most_rows = 1 << 16;

struct Image_Request {
    std::int32_t width;
    std::int32_t height;
    KT_Image_Format format;
    std::int32_t alignment;
};

Image_Request take_request(Fuzz_Input& in) {
    Image_Request r{};
    r.format = KT_Image_Format(in.take_int(-1, 9));
    switch (in.take_int(0, 2)) {
    case 0: // everyday sizes, around the edges of empty
        r.width = in.take_int(-4, 300);
        r.height = in.take_int(-4, 300);
        break;
    case 1: // one side anything, the other small
        r.width = in.take_any_int();
        r.height = in.take_int(-2, 3);
        break;
    default:
        r.width = in.take_int(-2, 3);
        r.height = in.take_any_int();
        break;
    }
    r.alignment = in.take_bool() ? in.take_int(-4, 64) : in.take_any_int();
    return r;
}

// The bytes the request would take when the library accepts it, or -1 when
// a row cannot fit 32 bits (which the library must refuse).
std::int64_t requested_bytes(const Image_Request& r) {
    if (r.format == KT_Image_Format::Opaque_Block) return r.alignment;
    const double bits = double(r.width) * r.format.bytes_per_pixel() * 8;
    const double alignment = r.alignment < 1 ? 8 : r.alignment;
    const double row = std::ceil(std::ceil(bits / 8) / alignment) * alignment;
    if (row > 2147483647.0) return -1;
    return static_cast<std::int64_t>(row * std::fmax(r.height, 0));
}

void check_rows(Fuzz_Input& in, const KT_Image_Data& data, const Image_Request& request) {
    const std::int64_t width_bytes =
        static_cast<std::int64_t>(std::ceil(double(data.width()) * data.bytes_per_pixel()));
    FUZZ_CHECK(data.width() == request.width && data.height() == request.height);
    FUZZ_CHECK(data.row_bytes() >= width_bytes);
    if (request.alignment >= 1) FUZZ_CHECK(data.row_bytes() % request.alignment == 0);
    FUZZ_CHECK(data.byte_size() == std::int64_t{data.row_bytes()} * data.height());
    const std::uint8_t fill = in.take<std::uint8_t>();
    for (int i = 0; i < data.height(); ++i) {
        std::uint8_t* row = data.row(i);
        FUZZ_CHECK(row == data.pixels() + std::int64_t{i} * data.row_bytes());
        FUZZ_CHECK(data.reversed_rows()[data.height() - 1 - i] == row);
        std::memset(row, fill ^ i, static_cast<std::size_t>(data.row_bytes()));
    }
}

void check_image(Fuzz_Input& in, const Image_Request& request) {
    const std::int64_t bytes = requested_bytes(request);
    if (bytes > largest_block || (bytes > 0 && request.height > most_rows)) return;
    KT_Shared_Image image(request.width, request.height, request.format, request.alignment, nullptr,
                          false);
    FUZZ_CHECK(!image.empty());
    const KT_Image_Data& data = *image;
    if (data.is_empty()) {
        FUZZ_CHECK(data.width() == 0 && data.height() == 0 && data.byte_size() == 0);
        return;
    }
    FUZZ_CHECK(bytes > 0);
    if (request.format == KT_Image_Format::Opaque_Block) {
        FUZZ_CHECK(data.byte_size() == request.alignment);
        std::memset(data.pixels(), 0xA5, static_cast<std::size_t>(data.byte_size()));
    } else {
        check_rows(in, data, request);
    }
    KT_Shared_Image copy(static_cast<KT_Image_Data*>(image->copy()));
    FUZZ_CHECK(copy->byte_size() == data.byte_size());
    FUZZ_CHECK(std::memcmp(copy->pixels(), data.pixels(),
                           static_cast<std::size_t>(data.byte_size())) == 0);
}

KT_RGB32 take_colour(Fuzz_Input& in) {
    return {in.take<std::uint8_t>(), in.take<std::uint8_t>(), in.take<std::uint8_t>(),
            in.take<std::uint8_t>()};
}

KT_Palette take_palette(Fuzz_Input& in) {
    KT_Palette palette;
    const int blocks = in.take_int(0, 3);
    for (int i = 0; i < blocks; ++i) {
        const float gamma = in.take_coordinate<float>();
        const int base = in.take_int(-8, 260);
        if (in.take_bool()) {
            const KT_Int_RGB sizes = {in.take_int(-1, 8), in.take_int(-1, 8), in.take_int(-1, 8)};
            palette.install(KT_Color_Cube(sizes, gamma, base));
        } else {
            palette.install(KT_Gray_Ramp(in.take_int(-1, 260), gamma, base));
        }
    }
    return palette;
}

void check_match(const KT_Palette& palette, KT_RGB32 colour, bool exhaustive) {
    const std::int32_t index = palette.closest_match(colour, exhaustive);
    if (index == -1) return;
    FUZZ_CHECK(index >= 0 && index < 256);
    FUZZ_CHECK(palette.use_count(index) > 0);
}

void check_palettes(Fuzz_Input& in) {
    KT_Palette palette = take_palette(in);
    const KT_Palette other = take_palette(in);
    std::uint32_t counts_before[256];
    for (int i = 0; i < 256; ++i)
        counts_before[i] = palette.use_count(i);
    if (palette.install(other)) {
        FUZZ_CHECK(palette.remove(other));
        for (int i = 0; i < 256; ++i)
            FUZZ_CHECK(palette.use_count(i) == counts_before[i]);
    }
    const int matches = in.take_int(0, 8);
    for (int i = 0; i < matches; ++i) {
        const KT_RGB32 colour = take_colour(in);
        check_match(palette, colour, false);
        check_match(palette, colour, true);
    }
    const std::int32_t block = palette.first_available_block(in.take_int(-2, 300));
    FUZZ_CHECK(block >= -1 && block < 256);
    (void)palette.is_equal_to(other);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Input in(data, size);
    if (in.take_bool())
        check_palettes(in);
    else
        check_image(in, take_request(in));
    return 0;
}
