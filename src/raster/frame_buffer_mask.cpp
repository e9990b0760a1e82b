#include "raster/frame_buffer_mask.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "draw2d/image_convert.h"

namespace {

constexpr std::uint8_t all_closed = 0xFF;
constexpr std::uint8_t all_open = 0x00;
constexpr std::int32_t mask_row_alignment = 8;
// Vertices further out than this lie far outside any window; clamping them
// keeps the fixed-point edge steps within 64 bits.
constexpr double farthest_vertex = 1.0e9;

constexpr std::int64_t fixed_half = 0x8000; // 0.5 in 16.16

std::int64_t to_pixel(double v) {
    if (!(v > -farthest_vertex)) return static_cast<std::int64_t>(-farthest_vertex);
    if (!(v < farthest_vertex)) return static_cast<std::int64_t>(farthest_vertex);
    return static_cast<std::int64_t>(std::trunc(v + 0.5));
}

// The 16.16 step of an edge from x0 to x1 over rows rows.
std::int64_t edge_step(std::int64_t x0, std::int64_t x1, std::int64_t rows) {
    return rows > 0 ? ((x1 - x0) * 65536) / rows : 0;
}

std::int64_t edge_start(std::int64_t x) {
    return x * 65536 + fixed_half;
}

std::int64_t integer_part(std::int64_t fixed) {
    return fixed >> 16; // arithmetic: floor for negative positions
}

// The pixel squares of the window: its far sides lie one past its last
// pixel, so a region covering the window opens every pixel of it.
KT_Contour_Set window_of(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) {
    const auto fx = static_cast<float>(x), fy = static_cast<float>(y);
    const float right = static_cast<float>(std::int64_t{x} + width);
    const float top = static_cast<float>(std::int64_t{y} + height);
    const KT_Point corners[4] = {
        {fx, fy, 0.0f}, {right, fy, 0.0f}, {right, top, 0.0f}, {fx, top, 0.0f}};
    return KT_Contour_Set(4, corners, true);
}

// The window in the precision of region, so the two can be combined.
KT_Contour_Set window_like(const KT_Contour_Set& window, const KT_Contour_Set_Data& region) {
    if (!region.is_double() || !window || !window->points) return window;
    KT_Point_D corners[4];
    for (int i = 0; i < 4; ++i)
        corners[i] = {window->points[i].x, window->points[i].y, 0.0};
    return KT_Contour_Set(4, corners, true);
}

} // namespace

int Frame_Buffer_Mask::establish_configuration(std::int32_t width, std::int32_t height,
                                               std::int32_t x, std::int32_t y) {
    if (mask && mask->width() == width && mask->height() == height) return 0;
    // A window larger than any frame buffer gets the empty mask, which
    // closes every pixel.
    const bool too_large =
        width > 0 && height > 0 && std::int64_t{width} * height > KT_Largest_Pixel_Rectangle;
    mask = too_large
               ? KT_Shared_Image(0, 0, KT_Image_Format::Bitonal, mask_row_alignment, nullptr, false)
               : KT_Shared_Image(width, height, KT_Image_Format::Bitonal, mask_row_alignment,
                                 nullptr, false);
    clip_region.reset();
    clip_serial = 0;
    window = window_of(width, height, x, y);
    origin_x = x;
    origin_y = y;
    return 0;
}

void Frame_Buffer_Mask::clear_and_rasterize_mask(const KT_Contour_Set& region) {
    if (!mask || mask->is_empty()) return;
    clip_region.reset();
    clip_serial = 0;
    if (region) {
        const KT_Contour_Set frame = window_like(window, *region);
        clip_region = KT_Contour_Set(region->process(KT_Contour_Intersection, frame.body()));
        clip_serial = region->change_serial();
    }
    const KT_Image_Data& image = *mask;
    for (int i = 0; i < image.height(); ++i)
        std::memset(image.row(i), all_closed, static_cast<std::size_t>(image.row_bytes()));
    fill_region(all_open);
}

void Frame_Buffer_Mask::rasterize_mask(std::uint8_t value) {
    if (!mask || mask->is_empty()) return;
    fill_region(value);
}

bool Frame_Buffer_Mask::masked(std::int32_t x, std::int32_t y) const {
    if (!mask || mask->is_empty()) return true;
    const std::int64_t column = std::int64_t{x} - origin_x;
    const std::int64_t row = std::int64_t{y} - origin_y;
    if (column < 0 || row < 0 || column >= mask->width() || row >= mask->height()) return true;
    const std::uint8_t byte = mask->reversed_rows()[row][column >> 3];
    return (byte >> (7 - (column & 7))) & 1;
}

// Hands the triangles of the clip region, in window pixels, to the mask.
struct Frame_Buffer_Mask_Filling {
    Frame_Buffer_Mask* mask;
    std::uint8_t value;

    template <class P> static void triangle(const P* a, const P* b, const P* c, void* user) {
        auto* f = static_cast<Frame_Buffer_Mask_Filling*>(user);
        f->mask->fill_triangle(f->at(*a), f->at(*b), f->at(*c), f->value);
    }
    template <class P> Frame_Buffer_Mask::Vertex at(const P& p) const {
        // Relative to the origin first: the region is cut to the window, so
        // what is truncated is never negative and truncation rounds.
        return {to_pixel(static_cast<double>(p.x) - mask->origin_x),
                to_pixel(static_cast<double>(p.y) - mask->origin_y)};
    }
};

void Frame_Buffer_Mask::fill_region(std::uint8_t value) {
    if (!clip_region) return;
    Frame_Buffer_Mask_Filling filling = {this, value};
    if (clip_region->is_double())
        clip_region->triangulate(&Frame_Buffer_Mask_Filling::triangle<KT_Point_D>, &filling);
    else
        clip_region->triangulate(&Frame_Buffer_Mask_Filling::triangle<KT_Point>, &filling);
}

// Rows from the lowest vertex's up to, not including, the highest's; in
// each row the pixels from the left edge's integer part up to, not
// including, the right edge's. Triangles sharing an edge meet without gap
// or overlap.
void Frame_Buffer_Mask::fill_triangle(Vertex a, Vertex b, Vertex c, std::uint8_t value) {
    if (b.y < a.y) std::swap(a, b);
    if (c.y < a.y) std::swap(a, c);
    if (c.y < b.y) std::swap(b, c);
    if (c.y == a.y) return;
    std::int64_t long_x = edge_start(a.x);
    const std::int64_t long_step = edge_step(a.x, c.x, c.y - a.y); // a to c
    std::int64_t short_x = long_x;
    std::int64_t short_step = edge_step(a.x, b.x, b.y - a.y); // a to b
    const std::int64_t first = std::max<std::int64_t>(a.y, 0);
    const std::int64_t last = std::min<std::int64_t>(c.y, mask->height()); // exclusive
    for (std::int64_t y = a.y; y < c.y; ++y) {
        if (y == b.y) {
            short_x = edge_start(b.x);
            short_step = edge_step(b.x, c.x, c.y - b.y); // b to c
        }
        if (y >= first && y < last) {
            const std::int64_t from = integer_part(std::min(long_x, short_x));
            const std::int64_t to = integer_part(std::max(long_x, short_x));
            fill_run(y, from, to, value);
        }
        long_x += long_step;
        short_x += short_step;
    }
}

// Bits from column from up to, not including, column to take the matching
// bits of value: the ends bit by bit, whole bytes between.
void Frame_Buffer_Mask::fill_run(std::int64_t row, std::int64_t from, std::int64_t to,
                                 std::uint8_t value) const {
    from = std::max<std::int64_t>(from, 0);
    to = std::min<std::int64_t>(to, mask->width());
    if (from >= to) return;
    std::uint8_t* bytes = mask->reversed_rows()[row];
    const auto set_bit = [&](std::int64_t column) {
        const auto bit = static_cast<std::uint8_t>(0x80 >> (column & 7));
        std::uint8_t& byte = bytes[column >> 3];
        byte = static_cast<std::uint8_t>((byte & ~bit) | (value & bit));
    };
    std::int64_t column = from;
    for (; column < to && (column & 7) != 0; ++column)
        set_bit(column);
    for (; column + 8 <= to; column += 8)
        bytes[column >> 3] = value;
    for (; column < to; ++column)
        set_bit(column);
}
