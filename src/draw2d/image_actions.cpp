// The standard image actions: whole images placed by their top-left pixel,
// and rectangles of raw pixels converted into the device's native format.
// Every step reaches the next through the top renderer's action table.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "draw2d/image_clip.h"
#include "draw2d/image_convert.h"
#include "foundation/heap.h"
#include "image/image_data.h"
#include "renderer/next_action.h"
#include "rendition/rendition.h"

namespace {

constexpr int stack_units = 1280; // four-byte units of converted pixels kept on the stack
constexpr float largest_device_coordinate = 2.0e9f;
// Levels per channel of pixels whose action carries no resolution.
constexpr std::int32_t full_resolution = 256;

// A rendition that draws for some renderer: the one whose table every next
// step is looked up in.
bool draws(const KT_Rendition* rendition) {
    return rendition && rendition->renderer();
}

// Device rounding of a point that has a device position at all.
bool to_device(const KT_Point& p, KT_DCI_Point* out) {
    const auto usable = [](float v) { return std::fabs(v) < largest_device_coordinate; };
    if (!usable(p.x) || !usable(p.y) || !usable(p.z)) return false;
    *out = {KD_Round(p.x), KD_Round(p.y), KD_Round(p.z)};
    return true;
}

bool has_pixels(const KT_Shared_Image* image) {
    return image && !image->empty() && !(*image)->is_empty();
}

// The pixels of a whole image.
KT_Pixel_Rectangle rectangle_of(const KT_Image_Data& image) {
    return {image.format(), image.pixels(),           image.row_bytes(), image.width(),
            image.height(), image.color_resolution(), image.packing(),   image.bitonal_format()};
}

// The pixels between two corners of a per-format action.
KT_Pixel_Rectangle rectangle_of(KT_Image_Format format, const KT_DCI_Point* start,
                                const KT_DCI_Point* end, int row_bytes, const void* pixels) {
    KT_Pixel_Rectangle r = {format,
                            static_cast<const std::uint8_t*>(pixels),
                            row_bytes,
                            0,
                            0,
                            full_resolution,
                            KT_Packing(),
                            KT_Bitonal_Format()};
    if (!start || !end) return r;
    const std::int64_t width = std::int64_t{end->x} - start->x + 1;
    const std::int64_t height = std::int64_t{start->y} - end->y + 1;
    // Corners the wrong way round, or further apart than any image, draw nothing.
    if (width <= 0 || height <= 0 || width > KT_Largest_Pixel_Rectangle / height) return r;
    r.width = static_cast<std::int32_t>(width);
    r.height = static_cast<std::int32_t>(height);
    return r;
}

// The part of pixels from column, row on, width x height. Bitonal rows that
// would start inside a byte are shifted into scratch first.
template <class Use>
void with_window(const KT_Pixel_Rectangle& pixels, std::int32_t column, std::int32_t row,
                 std::int32_t width, std::int32_t height, Use use) {
    KT_Pixel_Rectangle window = pixels;
    window.width = width;
    window.height = height;
    window.top_row = pixels.row(row);
    if (pixels.format != KT_Image_Format::Bitonal) {
        window.top_row += std::int64_t{column} * static_cast<int>(pixels.format.bytes_per_pixel());
        use(window);
        return;
    }
    window.top_row += column / 8;
    const int shift = column % 8;
    if (shift == 0) {
        use(window);
        return;
    }
    const std::int32_t row_bytes = (width + 7) / 8;
    KT_Stack_Scratch<std::uint8_t, 4 * stack_units> shifted(static_cast<std::size_t>(row_bytes) *
                                                            static_cast<std::size_t>(height));
    if (!shifted) return;
    const bool msb_first = pixels.bitonal_format.leftmost_is_msb();
    std::memset(shifted.get(), 0, static_cast<std::size_t>(row_bytes) * height);
    for (int i = 0; i < height; ++i) {
        const std::uint8_t* in = window.row(i);
        std::uint8_t* out = shifted.get() + std::int64_t{i} * row_bytes;
        for (int x = 0; x < width; ++x) {
            const int from = shift + x;
            const int from_bit = msb_first ? 7 - (from & 7) : from & 7;
            const int to_bit = msb_first ? 7 - (x & 7) : x & 7;
            if ((in[from >> 3] >> from_bit) & 1)
                out[x >> 3] |= static_cast<std::uint8_t>(1 << to_bit);
        }
    }
    window.top_row = shifted.get();
    window.row_bytes = row_bytes;
    use(window);
}

// Hands pixels to the top renderer's per-format action of their format.
void draw_by_format(const KT_Rendition* rendition, const KT_Pixel_Rectangle& p,
                    const KT_DCI_Point& start) {
    if (!draws(rendition)) return;
    const KT_DCI_Point end = {start.x + p.width - 1, start.y - p.height + 1, start.z};
    switch (p.format) {
    case KT_Image_Format::Bitonal:
        KD_Next_Action<KT_Slot_Draw_DCI_Bitonal_Image>(rendition, &start, &end, p.row_bytes,
                                                       p.top_row, &p.bitonal_format);
        break;
    case KT_Image_Format::Index8:
        KD_Next_Action<KT_Slot_Draw_DCI_Index8_Image>(rendition, &start, &end, p.row_bytes,
                                                      p.top_row);
        break;
    case KT_Image_Format::RGB32:
        KD_Next_Action<KT_Slot_Draw_DCI_RGB32_Image>(rendition, &start, &end, p.row_bytes,
                                                     reinterpret_cast<const KT_RGB32*>(p.top_row),
                                                     p.resolution, &p.packing);
        break;
    case KT_Image_Format::Depth16:
        KD_Next_Action<KT_Slot_Draw_DCI_Depth16_Image>(
            rendition, &start, &end, p.row_bytes,
            reinterpret_cast<const unsigned short*>(p.top_row));
        break;
    case KT_Image_Format::Depth32:
        KD_Next_Action<KT_Slot_Draw_DCI_Depth32_Image>(
            rendition, &start, &end, p.row_bytes,
            reinterpret_cast<const std::uint32_t*>(p.top_row));
        break;
    case KT_Image_Format::Gray8:
        KD_Next_Action<KT_Slot_Draw_DCI_Gray8_Image>(rendition, &start, &end, p.row_bytes,
                                                     p.top_row, p.resolution);
        break;
    case KT_Image_Format::CMYK32:
        KD_Next_Action<KT_Slot_Draw_DCI_CMYK32_Image>(rendition, &start, &end, p.row_bytes,
                                                      reinterpret_cast<const KT_CMYK32*>(p.top_row),
                                                      p.resolution);
        break;
    default:
        break;
    }
}

// Each rectangle of the clip region is drawn on its own with the complex
// clip removed, so the per-format actions below see plain rectangles.
struct Clip_Drawing {
    KT_Rendition clipped;
    const KT_Pixel_Rectangle* pixels;
    KT_DCI_Point start;

    static void draw(const KT_Int_Rectangle& r, void* user) {
        auto* self = static_cast<Clip_Drawing*>(user);
        self->clipped.set_hard_clip_unrestricted(r, false);
        const KT_DCI_Point corner = {r.left, r.top, self->start.z};
        with_window(*self->pixels, r.left - self->start.x, self->start.y - r.top,
                    r.right - r.left + 1, r.top - r.bottom + 1,
                    [&](const KT_Pixel_Rectangle& window) {
                        draw_by_format(&self->clipped, window, corner);
                    });
    }
};

bool has_complex_clip(const KT_Rendition* rendition) {
    return !rendition->transform().complex_clip.empty();
}

void draw_through_complex_clip(const KT_Rendition* rendition, const KT_Pixel_Rectangle& pixels,
                               const KT_DCI_Point& start) {
    const KT_Contour_Set region = rendition->transform().complex_clip;
    Clip_Drawing drawing = {*rendition, &pixels, start};
    drawing.clipped.set_complex_clip(nullptr, false);
    const KT_Int_Rectangle& hard = rendition->transform().hard_clip;
    const KT_Int_Rectangle bounds = {
        std::max(start.x, hard.left), std::min(start.x + pixels.width - 1, hard.right),
        std::max(start.y - pixels.height + 1, hard.bottom), std::min(start.y, hard.top)};
    KD_Clip_Rectangles(*region, bounds, &Clip_Drawing::draw, &drawing);
}

// Whole images honour the complex clip before any per-format action sees
// them, so a device that stores its native pixels directly needs no clip
// test of its own for them.
void draw_image_pixels(const KT_Rendition* rendition, const KT_Pixel_Rectangle& pixels,
                       const KT_DCI_Point& start) {
    if (!draws(rendition)) return;
    if (has_complex_clip(rendition))
        draw_through_complex_clip(rendition, pixels, start);
    else
        draw_by_format(rendition, pixels, start);
}

bool is_native(const KT_Pixel_Rectangle& p, const KT_Device_Pixels& device) {
    if (p.format != device.native_format()) return false;
    switch (p.format) {
    case KT_Image_Format::RGB32:
        return p.packing == device.packing && p.resolution == device.resolution;
    case KT_Image_Format::Gray8:
        return p.resolution == device.resolution;
    case KT_Image_Format::Bitonal:
        return p.bitonal_format == device.bitonal_format;
    default:
        return true;
    }
}

// Calls the top renderer's action for the device's native format with
// converted pixels.
void draw_native(const KT_Rendition* rendition, const KT_Device_Pixels& device,
                 const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                 const std::uint8_t* pixels) {
    switch (device.native_format()) {
    case KT_Image_Format::RGB32:
        KD_Next_Action<KT_Slot_Draw_DCI_RGB32_Image>(rendition, start, end, row_bytes,
                                                     reinterpret_cast<const KT_RGB32*>(pixels),
                                                     device.resolution, &device.packing);
        break;
    case KT_Image_Format::Index8:
        KD_Next_Action<KT_Slot_Draw_DCI_Index8_Image>(rendition, start, end, row_bytes, pixels);
        break;
    case KT_Image_Format::Gray8:
        KD_Next_Action<KT_Slot_Draw_DCI_Gray8_Image>(rendition, start, end, row_bytes, pixels,
                                                     device.resolution);
        break;
    case KT_Image_Format::Bitonal:
        KD_Next_Action<KT_Slot_Draw_DCI_Bitonal_Image>(rendition, start, end, row_bytes, pixels,
                                                       &device.bitonal_format);
        break;
    case KT_Image_Format::CMYK32:
        KD_Next_Action<KT_Slot_Draw_DCI_CMYK32_Image>(rendition, start, end, row_bytes,
                                                      reinterpret_cast<const KT_CMYK32*>(pixels),
                                                      device.resolution);
        break;
    default:
        break;
    }
}

// Converts pixels into the device's native format and hands them to the
// device's action for it.
void convert_and_draw(const KT_Rendition* rendition, const KT_Pixel_Rectangle& pixels,
                      const KT_Device_Pixels& device, const KT_DCI_Point* start,
                      const KT_DCI_Point* end) {
    const std::int32_t row_bytes =
        KD_Converted_Row_Bytes(device.native_format(), pixels.width, pixels.height);
    const std::int64_t size = std::int64_t{row_bytes} * pixels.height;
    KT_Stack_Scratch<std::uint32_t, stack_units> converted(
        static_cast<std::size_t>((size + 3) / 4));
    if (!converted) return;
    auto* bytes = reinterpret_cast<std::uint8_t*>(converted.get());
    if (!KD_Convert_Pixels(pixels, device, start->x, start->y, bytes)) return;
    draw_native(rendition, device, start, end, row_bytes, bytes);
}

// RGB32 pixels that a device without colour channels of its own is to
// blend: what is drawn is read back through the top renderer.
bool blends(const KT_Pixel_Rectangle& pixels, const KT_Device_Pixels& device) {
    const KT_Image_Format to = device.native_format();
    return device.alpha_blending && pixels.format == KT_Image_Format::RGB32 &&
           (to == KT_Image_Format::Index8 || to == KT_Image_Format::Gray8 ||
            to == KT_Image_Format::CMYK32);
}

// A device that cannot read back gets the pixels opaque.
void draw_blended(const KT_Rendition* rendition, const KT_Pixel_Rectangle& pixels,
                  const KT_Device_Pixels& device, const KT_DCI_Point* start,
                  const KT_DCI_Point* end) {
    KT_Shared_Image drawn;
    const KT_Image_Format wanted = KT_Image_Format::RGB32;
    KD_Next_Action<KT_Slot_Read_DCI_Color_Image>(rendition, start, end, &wanted, &drawn);
    const std::size_t count = static_cast<std::size_t>(pixels.width) * pixels.height;
    KT_Stack_Scratch<KT_RGB32, stack_units> mixed(count);
    if (!mixed) return;
    KD_Blend_Over(pixels, drawn.body(), mixed.get());
    KT_Pixel_Rectangle over = pixels;
    over.top_row = reinterpret_cast<const std::uint8_t*>(mixed.get());
    over.row_bytes = 4 * pixels.width;
    over.packing = KT_Packing();
    convert_and_draw(rendition, over, device, start, end);
}

// The work of every per-format DCI action: clip, leave native pixels to
// the device's own action, convert the rest.
void draw_pixels(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                 const KT_Pixel_Rectangle& pixels, const KT_DCI_Point* start,
                 const KT_DCI_Point* end) {
    if (!renderer || !draws(rendition) || !KD_Is_Drawable(pixels)) return;
    if (pixels.format == KT_Image_Format::CMYK32) return; // no colour system takes inks
    if (has_complex_clip(rendition)) {
        draw_through_complex_clip(rendition, pixels, *start);
        return;
    }
    const KT_Device_Pixels device = KD_Device_Pixels(renderer->current_renderer_options);
    if (is_native(pixels, device)) return;
    if (blends(pixels, device))
        draw_blended(rendition, pixels, device, start, end);
    else
        convert_and_draw(rendition, pixels, device, start, end);
}

bool misses(const KT_Int_Rectangle& clip, std::int64_t left, std::int64_t right,
            std::int64_t bottom, std::int64_t top) {
    return clip.left > right || left > clip.right || clip.bottom > top || bottom > clip.top;
}

} // namespace

void KD_Standard_Draw_2D_Image(const KT_Renderer_Data*, const KT_Rendition* rendition,
                               const KT_Point* position, const KT_Shared_Image* image) {
    KT_DCI_Point at;
    if (!draws(rendition) || !position || !has_pixels(image) || !to_device(*position, &at)) return;
    const KT_Image_Data& body = **image;
    const KT_Int_Rectangle& clip = rendition->transform().hard_clip;
    const double x = position->x, y = position->y;
    if (clip.left > x + body.width() - 1 || x > clip.right || clip.bottom > y ||
        y - body.height() + 1 > clip.top)
        return;
    KD_Next_Action<KT_Slot_Draw_2DI_Image>(rendition, &at, image);
}

void KD_Standard_Draw_DC_Image(const KT_Renderer_Data*, const KT_Rendition* rendition,
                               const KT_Point* position, const KT_Shared_Image* image) {
    KT_DCI_Point at;
    if (!draws(rendition) || !position || !to_device(*position, &at)) return;
    KD_Next_Action<KT_Slot_Draw_DCI_Image>(rendition, &at, image);
}

void KD_Standard_Draw_2DI_Image(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                const KT_DCI_Point* position, const KT_Shared_Image* image) {
    if (!draws(rendition) || !position || !has_pixels(image)) return;
    const KT_Image_Data& body = **image;
    const KT_Int_Rectangle& clip = rendition->transform().hard_clip;
    const std::int64_t left = position->x, top_row = position->y;
    const std::int64_t right = left + body.width() - 1, bottom = top_row - body.height() + 1;
    if (misses(clip, left, right, bottom, top_row)) return;
    if (left >= clip.left && right <= clip.right && bottom >= clip.bottom && top_row <= clip.top) {
        KD_Next_Action<KT_Slot_Draw_DCI_Image>(rendition, position, image);
        return;
    }
    const std::int64_t skip_columns = std::max<std::int64_t>(clip.left - left, 0);
    const std::int64_t skip_rows = std::max<std::int64_t>(top_row - clip.top, 0);
    const auto width = static_cast<std::int32_t>(std::min<std::int64_t>(right, clip.right) -
                                                 (left + skip_columns) + 1);
    const auto height = static_cast<std::int32_t>((top_row - skip_rows) -
                                                  std::max<std::int64_t>(bottom, clip.bottom) + 1);
    const KT_DCI_Point corner = {static_cast<std::int32_t>(left + skip_columns),
                                 static_cast<std::int32_t>(top_row - skip_rows), position->z};
    with_window(
        rectangle_of(body), static_cast<std::int32_t>(skip_columns),
        static_cast<std::int32_t>(skip_rows), width, height,
        [&](const KT_Pixel_Rectangle& window) { draw_image_pixels(rendition, window, corner); });
}

void KD_Standard_Draw_DCI_Image(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                const KT_DCI_Point* position, const KT_Shared_Image* image) {
    if (!position || !has_pixels(image)) return;
    const KT_Image_Data& body = **image;
    // A far corner beyond the device's coordinates draws nothing.
    if (std::int64_t{position->x} + body.width() - 1 > INT32_MAX ||
        std::int64_t{position->y} - body.height() + 1 < INT32_MIN)
        return;
    draw_image_pixels(rendition, rectangle_of(body), *position);
}

// The per-format DC actions round both corners for their DCI slot.
namespace {
// Both corners in device integers, or false for corners with no position.
bool corners(const KT_Rendition* rendition, const KT_Point* start, const KT_Point* end,
             KT_DCI_Point* s, KT_DCI_Point* e) {
    return draws(rendition) && start && end && to_device(*start, s) && to_device(*end, e);
}
} // namespace

void KD_Standard_Draw_DC_RGB32_Image(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                     const KT_Point* start, const KT_Point* end, int row_bytes,
                                     const KT_RGB32* pixels, int resolution,
                                     const KT_Packing* packing) {
    KT_DCI_Point s, e;
    if (!corners(rendition, start, end, &s, &e)) return;
    KD_Next_Action<KT_Slot_Draw_DCI_RGB32_Image>(rendition, &s, &e, row_bytes, pixels, resolution,
                                                 packing);
}

void KD_Standard_Draw_DC_CMYK32_Image(const KT_Renderer_Data* renderer,
                                      const KT_Rendition* rendition, const KT_Point* start,
                                      const KT_Point* end, int row_bytes, const KT_CMYK32* pixels,
                                      int resolution) {
    KT_DCI_Point s, e;
    if (!renderer || !renderer->current_renderer_options.color_system().is_cmyk()) return;
    if (!corners(rendition, start, end, &s, &e)) return;
    KD_Next_Action<KT_Slot_Draw_DCI_CMYK32_Image>(rendition, &s, &e, row_bytes, pixels, resolution);
}

void KD_Standard_Draw_DC_Index8_Image(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                      const KT_Point* start, const KT_Point* end, int row_bytes,
                                      const unsigned char* pixels) {
    KT_DCI_Point s, e;
    if (!corners(rendition, start, end, &s, &e)) return;
    KD_Next_Action<KT_Slot_Draw_DCI_Index8_Image>(rendition, &s, &e, row_bytes, pixels);
}

void KD_Standard_Draw_DC_Gray8_Image(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                     const KT_Point* start, const KT_Point* end, int row_bytes,
                                     const unsigned char* pixels, int resolution) {
    KT_DCI_Point s, e;
    if (!corners(rendition, start, end, &s, &e)) return;
    KD_Next_Action<KT_Slot_Draw_DCI_Gray8_Image>(rendition, &s, &e, row_bytes, pixels, resolution);
}

void KD_Standard_Draw_DC_Bitonal_Image(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                       const KT_Point* start, const KT_Point* end, int row_bytes,
                                       const unsigned char* pixels,
                                       const KT_Bitonal_Format* format) {
    KT_DCI_Point s, e;
    if (!corners(rendition, start, end, &s, &e)) return;
    KD_Next_Action<KT_Slot_Draw_DCI_Bitonal_Image>(rendition, &s, &e, row_bytes, pixels, format);
}

void KD_Standard_Draw_DC_Depth16_Image(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                       const KT_Point* start, const KT_Point* end, int row_bytes,
                                       const unsigned short* depths) {
    KT_DCI_Point s, e;
    if (!corners(rendition, start, end, &s, &e)) return;
    KD_Next_Action<KT_Slot_Draw_DCI_Depth16_Image>(rendition, &s, &e, row_bytes, depths);
}

void KD_Standard_Draw_DC_Depth32_Image(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                       const KT_Point* start, const KT_Point* end, int row_bytes,
                                       const std::uint32_t* depths) {
    KT_DCI_Point s, e;
    if (!corners(rendition, start, end, &s, &e)) return;
    KD_Next_Action<KT_Slot_Draw_DCI_Depth32_Image>(rendition, &s, &e, row_bytes, depths);
}

void KD_Standard_Draw_DCI_RGB32_Image(const KT_Renderer_Data* renderer,
                                      const KT_Rendition* rendition, const KT_DCI_Point* start,
                                      const KT_DCI_Point* end, int row_bytes,
                                      const KT_RGB32* pixels, int resolution,
                                      const KT_Packing* packing) {
    KT_Pixel_Rectangle p = rectangle_of(KT_Image_Format::RGB32, start, end, row_bytes, pixels);
    if (!packing) return;
    p.resolution = resolution;
    p.packing = *packing;
    draw_pixels(renderer, rendition, p, start, end);
}

void KD_Standard_Draw_DCI_CMYK32_Image(const KT_Renderer_Data*, const KT_Rendition*,
                                       const KT_DCI_Point*, const KT_DCI_Point*, int,
                                       const KT_CMYK32*, int) {
    // Inks are drawn only by a device that replaces this action.
}

void KD_Standard_Draw_DCI_Index8_Image(const KT_Renderer_Data* renderer,
                                       const KT_Rendition* rendition, const KT_DCI_Point* start,
                                       const KT_DCI_Point* end, int row_bytes,
                                       const unsigned char* pixels) {
    draw_pixels(renderer, rendition,
                rectangle_of(KT_Image_Format::Index8, start, end, row_bytes, pixels), start, end);
}

void KD_Standard_Draw_DCI_Gray8_Image(const KT_Renderer_Data* renderer,
                                      const KT_Rendition* rendition, const KT_DCI_Point* start,
                                      const KT_DCI_Point* end, int row_bytes,
                                      const unsigned char* pixels, int resolution) {
    KT_Pixel_Rectangle p = rectangle_of(KT_Image_Format::Gray8, start, end, row_bytes, pixels);
    p.resolution = resolution;
    draw_pixels(renderer, rendition, p, start, end);
}

void KD_Standard_Draw_DCI_Bitonal_Image(const KT_Renderer_Data* renderer,
                                        const KT_Rendition* rendition, const KT_DCI_Point* start,
                                        const KT_DCI_Point* end, int row_bytes,
                                        const unsigned char* pixels,
                                        const KT_Bitonal_Format* format) {
    KT_Pixel_Rectangle p = rectangle_of(KT_Image_Format::Bitonal, start, end, row_bytes, pixels);
    if (!format) return;
    p.bitonal_format = *format;
    draw_pixels(renderer, rendition, p, start, end);
}

void KD_Standard_Read_DC_Color_Image(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                     const KT_Point* a, const KT_Point* b,
                                     const KT_Image_Format* format, KT_Shared_Image* image) {
    KT_DCI_Point s, e;
    if (!corners(rendition, a, b, &s, &e)) return;
    KD_Next_Action<KT_Slot_Read_DCI_Color_Image>(rendition, &s, &e, format, image);
}

void KD_Standard_Read_DC_Depth_Image(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                     const KT_Point* a, const KT_Point* b,
                                     const KT_Image_Format* format, KT_Shared_Image* image) {
    KT_DCI_Point s, e;
    if (!corners(rendition, a, b, &s, &e)) return;
    KD_Next_Action<KT_Slot_Read_DCI_Depth_Image>(rendition, &s, &e, format, image);
}

// Reading back needs a device that keeps its pixels; without one the
// result is the empty image.
void KD_Standard_Read_DCI_Color_Image(const KT_Renderer_Data*, const KT_Rendition*,
                                      const KT_DCI_Point*, const KT_DCI_Point*,
                                      const KT_Image_Format*, KT_Shared_Image* image) {
    if (image) image->reset();
}

void KD_Standard_Read_DCI_Depth_Image(const KT_Renderer_Data*, const KT_Rendition*,
                                      const KT_DCI_Point*, const KT_DCI_Point*,
                                      const KT_Image_Format*, KT_Shared_Image* image) {
    if (image) image->reset();
}
