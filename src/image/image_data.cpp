#include "image/image_data.h"

#include <cstring>
#include <limits>

#include "foundation/heap.h"

namespace {

constexpr std::int32_t default_alignment = 8;

// ceil(width x bytes per pixel) rounded up to a multiple of alignment, or
// -1 when it does not fit 32 bits.
std::int64_t aligned_row_bytes(std::int32_t width, float bytes_per_pixel, std::int32_t alignment) {
    const std::int64_t bits = std::int64_t{width} * static_cast<std::int64_t>(bytes_per_pixel * 8);
    const std::int64_t bytes = (bits + 7) / 8;
    const std::int64_t aligned = (bytes + alignment - 1) / alignment * alignment;
    return aligned <= std::numeric_limits<std::int32_t>::max() ? aligned : -1;
}

std::uint8_t** allocate_row_table(std::int32_t height) {
    return static_cast<std::uint8_t**>(
        KD_AllocateMemory(sizeof(std::uint8_t*) * static_cast<std::size_t>(height)));
}

} // namespace

KT_Image_Data::KT_Image_Data(std::int32_t width, std::int32_t height, KT_Image_Format format,
                             std::int32_t row_alignment, void* pixels, bool borrow)
    : width_(width), height_(height), format_(format), bytes_per_pixel_(0.0f),
      color_resolution_(256), packing_(KT_Packing::canonical_word), bitonal_format_(0) {
    build(pixels, row_alignment, borrow);
}

KT_Image_Data::KT_Image_Data(std::int32_t width, std::int32_t height, KT_Image_Format format,
                             std::int32_t row_alignment, void* pixels,
                             std::int32_t color_resolution, KT_Packing packing, bool borrow)
    : width_(width), height_(height), format_(format), bytes_per_pixel_(0.0f),
      color_resolution_(color_resolution), packing_(packing), bitonal_format_(0) {
    build(pixels, row_alignment, borrow);
}

KT_Image_Data::KT_Image_Data(std::int32_t width, std::int32_t height, KT_Image_Format format,
                             std::int32_t row_alignment, void* pixels,
                             std::int32_t color_resolution, bool borrow)
    : width_(width), height_(height), format_(format), bytes_per_pixel_(0.0f),
      color_resolution_(color_resolution), packing_(0), bitonal_format_(0) {
    build(pixels, row_alignment, borrow);
}

KT_Image_Data::KT_Image_Data(std::int32_t width, std::int32_t height, KT_Image_Format format,
                             std::int32_t row_alignment, void* pixels,
                             KT_Bitonal_Format bitonal_format, bool borrow)
    : width_(width), height_(height), format_(format), bytes_per_pixel_(0.0f), color_resolution_(0),
      packing_(KT_Packing::canonical_word), bitonal_format_(bitonal_format) {
    build(pixels, row_alignment, borrow);
}

void KT_Image_Data::build(void* pixels, std::int32_t row_alignment, bool borrow) {
    bytes_per_pixel_ = format_.bytes_per_pixel();
    if (format_ == KT_Image_Format::Opaque_Block) {
        byte_size_ = row_alignment;
        if (byte_size_ < 1 || !take_pixels(pixels, borrow)) make_empty();
        return;
    }
    if (width_ < 1 || height_ < 1 || !format_.has_rows()) return make_empty();
    const std::int64_t row_bytes = aligned_row_bytes(
        width_, bytes_per_pixel_, row_alignment < 1 ? default_alignment : row_alignment);
    if (row_bytes < 1) return make_empty();
    row_bytes_ = static_cast<std::int32_t>(row_bytes);
    byte_size_ = row_bytes * height_;
    if (!take_pixels(pixels, borrow) || !build_row_tables()) make_empty();
}

bool KT_Image_Data::take_pixels(void* pixels, bool borrow) {
    pixels_borrowed_ = borrow && pixels;
    if (pixels_borrowed_) {
        pixels_ = static_cast<std::uint8_t*>(pixels);
        return true;
    }
    pixels_ = static_cast<std::uint8_t*>(KD_AllocateMemory(static_cast<std::uint64_t>(byte_size_)));
    if (pixels_ && pixels) std::memcpy(pixels_, pixels, static_cast<std::size_t>(byte_size_));
    return pixels_ != nullptr;
}

bool KT_Image_Data::build_row_tables() {
    rows_ = allocate_row_table(height_);
    reversed_rows_ = allocate_row_table(height_);
    if (!rows_ || !reversed_rows_) return false;
    for (std::int32_t i = 0; i < height_; ++i) {
        rows_[i] = pixels_ + std::int64_t{i} * row_bytes_;
        reversed_rows_[height_ - 1 - i] = rows_[i];
    }
    return true;
}

// Keeps the format and the argument-specific fields.
void KT_Image_Data::make_empty() {
    release_memory();
    pixels_borrowed_ = false;
    width_ = height_ = row_bytes_ = 0;
    byte_size_ = 0;
}

void KT_Image_Data::release_memory() {
    if (!pixels_borrowed_) KD_ReleaseMemory(pixels_);
    KD_ReleaseMemory(rows_);
    KD_ReleaseMemory(reversed_rows_);
    pixels_ = nullptr;
    rows_ = reversed_rows_ = nullptr;
}

KT_Image_Data::KT_Image_Data(const KT_Image_Data& other)
    : KT_Counted(other), width_(other.width_), height_(other.height_), row_bytes_(other.row_bytes_),
      format_(other.format_), bytes_per_pixel_(other.bytes_per_pixel_),
      pixels_borrowed_(other.pixels_borrowed_), user_flag_(other.user_flag_),
      color_resolution_(other.color_resolution_), packing_(other.packing_),
      bitonal_format_(other.bitonal_format_), filename_(other.filename_),
      filename_serial_(other.filename_serial_ == other.change_serial() ? change_serial() : 0),
      byte_size_(other.byte_size_) {
    const bool copied = !other.is_empty() && take_pixels(other.pixels_, pixels_borrowed_) &&
                        (format_ == KT_Image_Format::Opaque_Block || build_row_tables());
    if (!copied) make_empty();
}

KT_Image_Data::~KT_Image_Data() {
    release_memory();
}

void KT_Image_Data::set_image_filename(const KT_String& name) {
    filename_ = name;
    filename_serial_ = change_serial();
}
