// The software z-buffer renderer: draws into the RGB32 image named by
// "Color Buffer", keeping one 16-bit depth word per window pixel. Rows reach
// it through its DCI RGB32 image slot with the depth of their first and last
// pixel; it steps depth between them and keeps the pixels that are nearer
// than or as near as what is drawn.
//
// Stacked on a selector it draws no colour: its window is the pick region,
// and it reports for each primitive whether a pixel reached the window,
// whether every such pixel was hidden, and the nearest depth.
#include <algorithm>
#include <cstring>

#include "depth_rows.h"
#include "foundation/heap.h"
#include "image/image_data.h"
#include "raster/frame_buffer_mask.h"
#include "renderer/module_contract.h"
#include "rendition/rendition.h"
#include "select/selector.h"

KAVRI_MODULE_VERSION(12, 0);

namespace {

constexpr const wchar_t* color_buffer_option = L"Color Buffer";
constexpr const wchar_t* use_mask_option = L"Use Mask";
constexpr int chunk_pixels = 1024; // rows needing conversion go through in pieces

// A visible rectangle in window pixels: columns from the left of the
// window, rows from its bottom.
struct Window_Span {
    std::int64_t skip; // source pixels left of the window
    int column;        // first window column written
    int count;         // pixels per row
    int lowest_row;    // window row of the bottom source row drawn
    int highest_row;   // window row of the top source row drawn
};

// The depths a row carries at its two ends and how many pixels lie from one
// to the other.
struct Row_Ends {
    std::int32_t first_z;
    std::int32_t last_z;
    std::int64_t count;

    template <class Stepper> Stepper from(std::int64_t index) const {
        return Stepper::of(first_z, last_z, count, index);
    }
    bool fixed_point() const { return count - 1 <= szb::fixed_point_steps; }
};

// How the incoming pixels are laid out; other than canonical RGB32 at 256
// levels, they are converted a piece at a time.
struct Row_Format {
    int resolution;
    KT_Packing packing;
    bool converted() const {
        return !packing.is_canonical() || (resolution >= 2 && resolution < 256);
    }
};

class Z_Buffer_Renderer : public KT_Renderer_Data {
public:
    explicit Z_Buffer_Renderer(const KT_Renderer_Data* beneath) : KT_Renderer_Data(beneath) {
        options.add(KT_Option(color_buffer_option, KT_Option_Enum::Local,
                              static_cast<const void*>(nullptr)));
        options.add(KT_Option(use_mask_option, KT_Option_Enum::Local, false));
        set_action<KT_Slot_Draw_DCI_RGB32_Image>(&draw_rgb32);
        set_action<KT_Slot_Draw_DCI_Depth16_Image>(&draw_depth16);
        set_action<KT_Slot_Draw_DCI_Depth32_Image>(&draw_depth32);
        set_action<KT_Slot_Read_DCI_Color_Image>(&read_colour);
        set_action<KT_Slot_Read_DCI_Depth_Image>(&read_depth);
        set_action<KT_Slot_Clear_Drawing_Buffer>(&clear_colour);
        set_action<KT_Slot_Clear_Z_Buffer>(&clear_depth);
    }
    ~Z_Buffer_Renderer() override { KD_ReleaseMemory(depths_); }

    using KT_Renderer_Data::update;
    using KT_Renderer_Data::update_all;

    int establish_driver() override;
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}

private:
    static const Z_Buffer_Renderer& self(const KT_Renderer_Data* owner) {
        return *static_cast<const Z_Buffer_Renderer*>(owner);
    }

    // Slots.
    static void draw_rgb32(const KT_Renderer_Data* owner, const KT_Rendition*,
                           const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                           const KT_RGB32* pixels, int resolution, const KT_Packing* packing);
    static void draw_depth16(const KT_Renderer_Data* owner, const KT_Rendition*,
                             const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                             const unsigned short* values);
    static void draw_depth32(const KT_Renderer_Data* owner, const KT_Rendition*,
                             const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                             const std::uint32_t* values);
    static void read_colour(const KT_Renderer_Data* owner, const KT_Rendition*,
                            const KT_DCI_Point* a, const KT_DCI_Point* b,
                            const KT_Image_Format* format, KT_Shared_Image* out);
    static void read_depth(const KT_Renderer_Data* owner, const KT_Rendition*,
                           const KT_DCI_Point* a, const KT_DCI_Point* b,
                           const KT_Image_Format* format, KT_Shared_Image* out);
    static void clear_colour(const KT_Renderer_Data* owner, const KT_Rendition* rendition);
    static void clear_depth(const KT_Renderer_Data* owner, const KT_Rendition* rendition);

    // The part of the rectangle from start (left, top) to end (right,
    // bottom) that lies in the window; false when none does.
    bool visible(const KT_DCI_Point& start, const KT_DCI_Point& end, Window_Span& out) const;
    // The hard clip in window pixels, or false when it misses the window.
    bool clip_in_window(const KT_Rendition* rendition, KT_Int_Rectangle& out) const;
    szb::Depth* depth_row_at(int row) const { return depths_ + std::int64_t{row} * size_.x; }
    KT_RGB32* colour_row_at(int row) const {
        return reinterpret_cast<KT_RGB32*>(colour_->reversed_rows()[row]);
    }

    void draw_rows(const KT_RGB32* pixels, std::int64_t row_stride, const Window_Span& span,
                   const Row_Ends& ends, const Row_Format& format,
                   const Frame_Buffer_Mask* mask) const;
    template <class Stepper>
    void draw_rows_with(const KT_RGB32* pixels, std::int64_t row_stride, const Window_Span& span,
                        const Row_Ends& ends, const Row_Format& format,
                        const Frame_Buffer_Mask* mask) const;
    template <class Stepper, class Mask>
    void draw_row(const KT_RGB32* source, int row, const Window_Span& span, const Row_Ends& ends,
                  const Row_Format& format, Mask mask) const;
    const Frame_Buffer_Mask* mask_for(const KT_Rendition* rendition) const;
    template <class Stepper> bool test_rows(const Window_Span& span, const Row_Ends& ends) const;
    void pick_rows(const Window_Span& span, const Row_Ends& ends) const;
    template <class Value>
    void store_depths(const KT_DCI_Point* start, const KT_DCI_Point* end, int row_bytes,
                      const Value* values, int shift) const;
    void read(const KT_DCI_Point* a, const KT_DCI_Point* b, KT_Image_Format format,
              KT_Shared_Image* out) const;
    bool size_depth_buffer();
    void forget_stale_mask();
    void fill_depth(const KT_Int_Rectangle& r, szb::Depth value) const;

    KT_Int_XY origin_ = {0, 0};
    KT_Int_XY size_ = {0, 0};
    KT_Image_Data* colour_ = nullptr; // the client's; null when unusable
    szb::Depth* depths_ = nullptr;    // size_.x * size_.y words, bottom row first
    std::int64_t depth_words_ = 0;
    KT_Selector_Data* selector_ = nullptr; // set while picking
    bool blending_ = false;
    bool use_mask_ = false;
    mutable Frame_Buffer_Mask mask_; // the complex clip, when "Use Mask" is on
};

template <class T> T option_element(const KT_Option_Table& table, const wchar_t* name) {
    const KT_Option* option = table.find(name);
    return option ? option->value.element<T>(0) : T();
}

// A layer that draws for a selector finds the selector's local option on
// the device beneath it.
bool drawing_for_selector(const KT_Renderer_Data& renderer) {
    const KT_Renderer_Data* device = renderer.device;
    return device && device != &renderer &&
           option_element<bool>(device->options, KD_Is_Selector_Option);
}

bool fits(const KT_Image_Data* image, KT_Int_XY size) {
    return image && !image->is_empty() && image->format() == KT_Image_Format::RGB32 &&
           image->width() == size.x && image->height() == size.y;
}

int Z_Buffer_Renderer::establish_driver() {
    KT_Renderer_Options& o = current_renderer_options;
    o.set_buffer_depth(szb::depth_bits);
    origin_ = o.local_coordinates() ? KT_Int_XY{0, 0} : o.window_origin();
    size_ = o.window_size();
    if (size_.x <= 0 || size_.y <= 0) size_ = {0, 0};
    selector_ = drawing_for_selector(*this) ? KD_Find_Selector(this) : nullptr;
    auto* image = static_cast<KT_Image_Data*>(
        const_cast<void*>(option_element<const void*>(current_options, color_buffer_option)));
    colour_ = fits(image, size_) ? image : nullptr;
    blending_ = o.alpha_blending();
    use_mask_ = option_element<bool>(current_options, use_mask_option);
    if (!size_depth_buffer()) return 1;
    forget_stale_mask();
    fill_depth({0, size_.x - 1, 0, size_.y - 1}, szb::far_depth);
    return size_.x > 0 ? 0 : 1;
}

// The buffer is only reallocated when the window grows past it, so frames
// after the first take nothing from the heap.
bool Z_Buffer_Renderer::size_depth_buffer() {
    const std::int64_t words = std::int64_t{size_.x} * size_.y;
    if (words <= depth_words_) return true;
    KD_ReleaseMemory(depths_);
    depths_ = KD_Allocate_Elements<szb::Depth>(static_cast<std::size_t>(words));
    depth_words_ = depths_ ? words : 0;
    if (!depths_) size_ = {0, 0};
    return depths_ != nullptr;
}

// The mask is made when a complex clip first needs it. One made for another
// window is dropped (a mask of the same size would keep its old origin).
void Z_Buffer_Renderer::forget_stale_mask() {
    const KT_Image_Data* image = mask_.mask.body();
    if (!image) return;
    const bool same_window = mask_.origin_x == origin_.x && mask_.origin_y == origin_.y &&
                             image->width() == size_.x && image->height() == size_.y;
    if (!same_window) mask_.mask.reset();
}

void Z_Buffer_Renderer::fill_depth(const KT_Int_Rectangle& r, szb::Depth value) const {
    for (int row = r.bottom; row <= r.top; ++row)
        std::fill_n(depth_row_at(row) + r.left, r.right - r.left + 1, value);
}

bool Z_Buffer_Renderer::visible(const KT_DCI_Point& start, const KT_DCI_Point& end,
                                Window_Span& out) const {
    const std::int64_t left = std::int64_t{start.x} - origin_.x;
    const std::int64_t right = std::int64_t{end.x} - origin_.x;
    const std::int64_t top = std::int64_t{start.y} - origin_.y;
    const std::int64_t bottom = std::int64_t{end.y} - origin_.y;
    if (right < left || top < bottom) return false;
    const std::int64_t first = std::max<std::int64_t>(left, 0);
    const std::int64_t last = std::min<std::int64_t>(right, size_.x - 1);
    const std::int64_t low = std::max<std::int64_t>(bottom, 0);
    const std::int64_t high = std::min<std::int64_t>(top, size_.y - 1);
    if (last < first || high < low) return false;
    out = {first - left, static_cast<int>(first), static_cast<int>(last - first + 1),
           static_cast<int>(low), static_cast<int>(high)};
    return true;
}

// Pixels in another packing or resolution are brought to the canonical
// form a piece at a time, on the stack.
void normalise(const KT_RGB32* source, KT_RGB32* out, int count, int resolution,
               KT_Packing packing) {
    const bool rescale = resolution >= 2 && resolution < 256;
    const std::uint32_t top = static_cast<std::uint32_t>(resolution - 1);
    auto level = [&](std::uint8_t v) {
        return rescale ? static_cast<std::uint8_t>(std::min<std::uint32_t>(v, top) * 255 / top) : v;
    };
    for (int i = 0; i < count; ++i) {
        KT_RGB32 c = packing.to_canonical(reinterpret_cast<const std::uint8_t*>(source + i));
        out[i] = {level(c.b), level(c.g), level(c.r), level(c.a)};
    }
}

template <class Stepper, class Mask>
void Z_Buffer_Renderer::draw_row(const KT_RGB32* source, int row, const Window_Span& span,
                                 const Row_Ends& ends, const Row_Format& format, Mask mask) const {
    const auto kernel = blending_ ? &szb::blend_row<Stepper, Mask> : &szb::write_row<Stepper, Mask>;
    KT_RGB32* colour = colour_row_at(row) + span.column;
    szb::Depth* depth = depth_row_at(row) + span.column;
    if (!format.converted()) {
        // Blending an opaque pixel gives the pixel itself: opaque rows, the
        // usual ones, skip the arithmetic.
        const bool opaque = blending_ && szb::opaque(source, span.count);
        const auto row_kernel = opaque ? &szb::write_row<Stepper, Mask> : kernel;
        return row_kernel(source, colour, depth, span.count, ends.from<Stepper>(span.skip), mask);
    }
    KT_RGB32 piece[chunk_pixels];
    for (int done = 0; done < span.count; done += chunk_pixels) {
        const int n = std::min(chunk_pixels, span.count - done);
        normalise(source + done, piece, n, format.resolution, format.packing);
        kernel(piece, colour + done, depth + done, n, ends.from<Stepper>(span.skip + done),
               mask.advanced(done));
    }
}

template <class Stepper>
void Z_Buffer_Renderer::draw_rows_with(const KT_RGB32* pixels, std::int64_t row_stride,
                                       const Window_Span& span, const Row_Ends& ends,
                                       const Row_Format& format,
                                       const Frame_Buffer_Mask* mask) const {
    const auto* base = reinterpret_cast<const std::uint8_t*>(pixels + span.skip);
    for (int row = span.highest_row, index = 0; row >= span.lowest_row; --row, ++index) {
        const auto* source = reinterpret_cast<const KT_RGB32*>(base + index * row_stride);
        if (mask)
            draw_row<Stepper>(source, row, span, ends, format,
                              szb::Mask_Row{mask->mask->reversed_rows()[row], span.column});
        else
            draw_row<Stepper>(source, row, span, ends, format, szb::No_Mask{});
    }
}

void Z_Buffer_Renderer::draw_rows(const KT_RGB32* pixels, std::int64_t row_stride,
                                  const Window_Span& span, const Row_Ends& ends,
                                  const Row_Format& format, const Frame_Buffer_Mask* mask) const {
    if (ends.fixed_point())
        draw_rows_with<szb::Fixed_Point_Depth>(pixels, row_stride, span, ends, format, mask);
    else
        draw_rows_with<szb::Error_Term_Depth>(pixels, row_stride, span, ends, format, mask);
}

// The mask for the rendition's complex clip, rebuilt when the clip changed;
// null when no mask is asked for or there is no complex clip.
const Frame_Buffer_Mask* Z_Buffer_Renderer::mask_for(const KT_Rendition* rendition) const {
    if (!use_mask_ || !rendition || rendition->empty()) return nullptr;
    if (rendition->transform().complex_clip.empty()) return nullptr;
    const KT_Contour_Set clip = rendition->shifted_complex_clip();
    if (clip.empty() || size_.x <= 0) return nullptr;
    if (!mask_.mask) {
        mask_.establish_configuration(size_.x, size_.y, origin_.x, origin_.y);
    }
    if (mask_.clip_serial != clip->change_serial()) mask_.clear_and_rasterize_mask(clip);
    return mask_.mask && !mask_.mask->is_empty() ? &mask_ : nullptr;
}

template <class Stepper>
bool Z_Buffer_Renderer::test_rows(const Window_Span& span, const Row_Ends& ends) const {
    const Stepper z = ends.from<Stepper>(span.skip);
    bool passed = false;
    for (int row = span.lowest_row; row <= span.highest_row; ++row)
        passed |= szb::test_row(depth_row_at(row) + span.column, span.count, z);
    return passed;
}

// Depth is linear along a row, so the nearest pixel in the window is one of
// the two ends drawn.
void Z_Buffer_Renderer::pick_rows(const Window_Span& span, const Row_Ends& ends) const {
    const bool passed = ends.fixed_point() ? test_rows<szb::Fixed_Point_Depth>(span, ends)
                                           : test_rows<szb::Error_Term_Depth>(span, ends);
    const std::uint32_t nearest =
        std::min(szb::depth_at(ends.first_z, ends.last_z, ends.count, span.skip),
                 szb::depth_at(ends.first_z, ends.last_z, ends.count, span.skip + span.count - 1));
    const float hit_z = static_cast<float>(nearest) / static_cast<float>(szb::far_depth);
    KT_Selector_Data& s = *selector_;
    if (!s.hit) {
        s.hit = true;
        s.hit_hidden = !passed;
        s.hit_z = hit_z;
        return;
    }
    s.hit_hidden = s.hit_hidden && !passed;
    s.hit_z = std::min(s.hit_z, hit_z);
}

void Z_Buffer_Renderer::draw_rgb32(const KT_Renderer_Data* owner, const KT_Rendition* rendition,
                                   const KT_DCI_Point* start, const KT_DCI_Point* end,
                                   int row_bytes, const KT_RGB32* pixels, int resolution,
                                   const KT_Packing* packing) {
    const Z_Buffer_Renderer& r = self(owner);
    Window_Span span;
    if (!start || !end || !r.depths_ || !r.visible(*start, *end, span)) return;
    const std::int64_t width = std::int64_t{end->x} - start->x + 1;
    const Row_Ends ends = {start->z, end->z, width};
    if (r.selector_) return r.pick_rows(span, ends);
    if (!pixels || !r.colour_) return;
    const std::int64_t stride = row_bytes != 0 ? row_bytes : width * 4;
    // Rows above the window are skipped in the source.
    const std::int64_t rows_above = std::int64_t{start->y} - r.origin_.y - span.highest_row;
    const auto* first = reinterpret_cast<const std::uint8_t*>(pixels) + rows_above * stride;
    const Row_Format format = {resolution, packing ? *packing : KT_Packing()};
    r.draw_rows(reinterpret_cast<const KT_RGB32*>(first), stride, span, ends, format,
                r.mask_for(rendition));
}

// Depth images replace the stored depth in their rectangle; 32-bit depths
// keep their top 16 bits.
template <class Value>
void Z_Buffer_Renderer::store_depths(const KT_DCI_Point* start, const KT_DCI_Point* end,
                                     int row_bytes, const Value* values, int shift) const {
    Window_Span span;
    if (!start || !end || !values || !depths_ || !visible(*start, *end, span)) return;
    const std::int64_t width = std::int64_t{end->x} - start->x + 1;
    const std::int64_t stride = row_bytes != 0 ? row_bytes : width * std::int64_t{sizeof(Value)};
    const std::int64_t rows_above = std::int64_t{start->y} - origin_.y - span.highest_row;
    const auto* base = reinterpret_cast<const std::uint8_t*>(values + span.skip);
    for (int row = span.highest_row, index = 0; row >= span.lowest_row; --row, ++index) {
        const auto* source = reinterpret_cast<const Value*>(base + (rows_above + index) * stride);
        szb::Depth* depth = depth_row_at(row) + span.column;
        for (int i = 0; i < span.count; ++i)
            depth[i] = static_cast<szb::Depth>(source[i] >> shift);
    }
}

void Z_Buffer_Renderer::draw_depth16(const KT_Renderer_Data* owner, const KT_Rendition*,
                                     const KT_DCI_Point* start, const KT_DCI_Point* end,
                                     int row_bytes, const unsigned short* values) {
    self(owner).store_depths(start, end, row_bytes, values, 0);
}

void Z_Buffer_Renderer::draw_depth32(const KT_Renderer_Data* owner, const KT_Rendition*,
                                     const KT_DCI_Point* start, const KT_DCI_Point* end,
                                     int row_bytes, const std::uint32_t* values) {
    self(owner).store_depths(start, end, row_bytes, values, 32 - szb::depth_bits);
}

// The part of the rectangle between two corners that lies in the window,
// its top row first; RGB32 for colour, Depth16 or Depth32 for depth. Any
// other request leaves out empty.
void Z_Buffer_Renderer::read(const KT_DCI_Point* a, const KT_DCI_Point* b, KT_Image_Format format,
                             KT_Shared_Image* out) const {
    if (!out) return;
    out->reset();
    if (!a || !b) return;
    const KT_DCI_Point top_left = {std::min(a->x, b->x), std::max(a->y, b->y), 0};
    const KT_DCI_Point bottom_right = {std::max(a->x, b->x), std::min(a->y, b->y), 0};
    Window_Span span;
    if (!depths_ || !visible(top_left, bottom_right, span)) return;
    const int height = span.highest_row - span.lowest_row + 1;
    KT_Shared_Image image(span.count, height, format, 4, nullptr, false);
    if (image->is_empty()) return;
    for (int y = 0; y < height; ++y) {
        const int row = span.highest_row - y;
        std::uint8_t* target = image->row(y);
        const szb::Depth* depth = depth_row_at(row) + span.column;
        if (format == KT_Image_Format::RGB32)
            std::memcpy(target, colour_row_at(row) + span.column, 4 * std::size_t(span.count));
        else if (format == KT_Image_Format::Depth16)
            std::memcpy(target, depth, sizeof(szb::Depth) * std::size_t(span.count));
        else
            for (int i = 0; i < span.count; ++i)
                reinterpret_cast<std::uint32_t*>(target)[i] = std::uint32_t{depth[i]} << 16;
    }
    *out = image;
}

void Z_Buffer_Renderer::read_colour(const KT_Renderer_Data* owner, const KT_Rendition*,
                                    const KT_DCI_Point* a, const KT_DCI_Point* b,
                                    const KT_Image_Format* format, KT_Shared_Image* out) {
    const Z_Buffer_Renderer& r = self(owner);
    const bool readable = r.colour_ && format && *format == KT_Image_Format::RGB32;
    if (!readable) {
        if (out) out->reset();
        return;
    }
    r.read(a, b, *format, out);
}

void Z_Buffer_Renderer::read_depth(const KT_Renderer_Data* owner, const KT_Rendition*,
                                   const KT_DCI_Point* a, const KT_DCI_Point* b,
                                   const KT_Image_Format* format, KT_Shared_Image* out) {
    const bool readable =
        format && (*format == KT_Image_Format::Depth16 || *format == KT_Image_Format::Depth32);
    if (!readable) {
        if (out) out->reset();
        return;
    }
    self(owner).read(a, b, *format, out);
}

bool Z_Buffer_Renderer::clip_in_window(const KT_Rendition* rendition, KT_Int_Rectangle& out) const {
    if (!depths_) return false;
    KT_Int_Rectangle whole = {0, size_.x - 1, 0, size_.y - 1};
    if (!rendition || rendition->empty()) {
        out = whole;
        return true;
    }
    const KT_Int_Rectangle& clip = rendition->transform().hard_clip;
    out = {
        static_cast<int>(std::max<std::int64_t>(std::int64_t{clip.left} - origin_.x, 0)),
        static_cast<int>(std::min<std::int64_t>(std::int64_t{clip.right} - origin_.x, whole.right)),
        static_cast<int>(std::max<std::int64_t>(std::int64_t{clip.bottom} - origin_.y, 0)),
        static_cast<int>(std::min<std::int64_t>(std::int64_t{clip.top} - origin_.y, whole.top))};
    return out.left <= out.right && out.bottom <= out.top;
}

// Paints the hard clip in the background colour; nothing while picking.
void Z_Buffer_Renderer::clear_colour(const KT_Renderer_Data* owner, const KT_Rendition* rendition) {
    const Z_Buffer_Renderer& r = self(owner);
    KT_Int_Rectangle area;
    if (!r.colour_ || r.selector_ || !r.clip_in_window(rendition, area)) return;
    const KT_RGB32 background = rendition && !rendition->empty()
                                    ? rendition->color().background.device_rgb
                                    : KT_RGB32{255, 255, 255, 255};
    for (int row = area.bottom; row <= area.top; ++row)
        std::fill_n(r.colour_row_at(row) + area.left, area.right - area.left + 1, background);
}

void Z_Buffer_Renderer::clear_depth(const KT_Renderer_Data* owner, const KT_Rendition* rendition) {
    const Z_Buffer_Renderer& r = self(owner);
    KT_Int_Rectangle area;
    if (r.clip_in_window(rendition, area)) r.fill_depth(area, szb::far_depth);
}

} // namespace

KAVRI_MODULE_ENTRY KT_Renderer_Data* KD_Renderer(KT_Renderer* device) {
    if (!device || device->empty()) return nullptr;
    return new Z_Buffer_Renderer(device->body());
}
