// Images: a rectangle of pixels in one of the pixel formats, held in a
// shared body and addressed by row.
#pragma once

#include <cstdint>

#include "foundation/counted.h"
#include "foundation/export.h"
#include "foundation/string.h"
#include "image/pixel_format.h"

class KAVRI_API KT_Image_Data : public KT_Counted {
public:
    // The pixel memory is copied from pixels (laid out with the computed
    // row bytes) unless borrow is set and pixels is not null, in which case
    // the image uses it in place and never frees it. A row alignment below
    // 1 means 8 bytes. Sizes of 0 or below, undefined formats and failed
    // allocations give the empty image. The opaque block format has no
    // rows: its byte size is the row alignment argument.
    KT_Image_Data(std::int32_t width, std::int32_t height, KT_Image_Format format,
                  std::int32_t row_alignment, void* pixels, bool borrow);
    KT_Image_Data(std::int32_t width, std::int32_t height, KT_Image_Format format,
                  std::int32_t row_alignment, void* pixels, std::int32_t color_resolution,
                  KT_Packing packing, bool borrow);
    // Packing word 0.
    KT_Image_Data(std::int32_t width, std::int32_t height, KT_Image_Format format,
                  std::int32_t row_alignment, void* pixels, std::int32_t color_resolution,
                  bool borrow);
    // Colour resolution 0.
    KT_Image_Data(std::int32_t width, std::int32_t height, KT_Image_Format format,
                  std::int32_t row_alignment, void* pixels, KT_Bitonal_Format bitonal_format,
                  bool borrow);
    // Borrowed pixels stay borrowed (shared with the source); owned ones
    // are copied. Cached data is not copied.
    KT_Image_Data(const KT_Image_Data& other);
    KT_Image_Data& operator=(const KT_Image_Data&) = delete;
    ~KT_Image_Data() override;

    KT_Counted* copy() const override { return new KT_Image_Data(*this); }

    bool is_empty() const { return pixels_ == nullptr; }
    std::uint8_t* pixels() const { return pixels_; }
    // Row 0 is the top row.
    std::uint8_t* const* rows() const { return rows_; }
    // The same rows bottom-up.
    std::uint8_t* const* reversed_rows() const { return reversed_rows_; }
    std::uint8_t* row(int i) const { return rows_[i]; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    std::int32_t row_bytes() const { return row_bytes_; }
    // Bytes of pixel memory: row bytes x height, or the opaque block's size.
    std::int64_t byte_size() const { return byte_size_; }
    KT_Image_Format format() const { return format_; }
    float bytes_per_pixel() const { return bytes_per_pixel_; }
    bool pixels_borrowed() const { return pixels_borrowed_; }
    // A flag for the image's users; false at construction, kept by copies.
    bool user_flag() const { return user_flag_; }
    void set_user_flag(bool v) { user_flag_ = v; }
    std::int32_t color_resolution() const { return color_resolution_; }
    KT_Packing packing() const { return packing_; }
    KT_Bitonal_Format bitonal_format() const { return bitonal_format_; }

    const KT_String& image_filename() const { return filename_; }
    std::uint32_t filename_serial() const { return filename_serial_; }
    // Records the name and the body's current serial.
    void set_image_filename(const KT_String& name);
    // True once the body changed since the name was recorded, and for a
    // body whose name was never set.
    bool base_image_modified() const { return filename_serial_ != change_serial(); }

    const KT_Cached_Data* cached_data() const { return cached_.get(); }
    // Takes ownership; a previous object is not released (invalidate first).
    void set_cached_data(const KT_Cached_Data* data) { cached_.set(data); }
    void invalidate_cached_data() { cached_.invalidate(); }

private:
    void build(void* pixels, std::int32_t row_alignment, bool borrow);
    bool take_pixels(void* pixels, bool borrow);
    bool build_row_tables();
    void make_empty();
    void release_memory();

    std::uint8_t* pixels_ = nullptr;
    std::uint8_t** rows_ = nullptr;
    std::uint8_t** reversed_rows_ = nullptr;
    std::int32_t width_;
    std::int32_t height_;
    std::int32_t row_bytes_ = 0;
    KT_Image_Format format_;
    float bytes_per_pixel_;
    bool pixels_borrowed_ = false;
    bool user_flag_ = false;
    std::int32_t color_resolution_;
    KT_Packing packing_;
    KT_Bitonal_Format bitonal_format_;
    KT_String filename_;
    std::uint32_t filename_serial_ = 0;
    KT_Cached_Data_Slot cached_;
    std::int64_t byte_size_ = 0;
};

class KAVRI_API KT_Shared_Image : public KT_Pointer<KT_Image_Data> {
public:
    KT_Shared_Image() = default;
    explicit KT_Shared_Image(KT_Image_Data* body) : KT_Pointer(body) {}
    KT_Shared_Image(std::int32_t width, std::int32_t height, KT_Image_Format format,
                    std::int32_t row_alignment, void* pixels, bool borrow)
        : KT_Pointer(new KT_Image_Data(width, height, format, row_alignment, pixels, borrow)) {}
    KT_Shared_Image(std::int32_t width, std::int32_t height, KT_Image_Format format,
                    std::int32_t row_alignment, void* pixels, std::int32_t color_resolution,
                    KT_Packing packing, bool borrow)
        : KT_Pointer(new KT_Image_Data(width, height, format, row_alignment, pixels,
                                       color_resolution, packing, borrow)) {}
    KT_Shared_Image(std::int32_t width, std::int32_t height, KT_Image_Format format,
                    std::int32_t row_alignment, void* pixels, std::int32_t color_resolution,
                    bool borrow)
        : KT_Pointer(new KT_Image_Data(width, height, format, row_alignment, pixels,
                                       color_resolution, borrow)) {}
    KT_Shared_Image(std::int32_t width, std::int32_t height, KT_Image_Format format,
                    std::int32_t row_alignment, void* pixels, KT_Bitonal_Format bitonal_format,
                    bool borrow)
        : KT_Pointer(new KT_Image_Data(width, height, format, row_alignment, pixels, bitonal_format,
                                       borrow)) {}
};
