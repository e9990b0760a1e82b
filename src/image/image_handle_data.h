// A body that names an image kept elsewhere (a depth buffer held by a
// driver, say) by format and size, with no pixels of its own.
#pragma once

#include <cstdint>

#include "foundation/counted.h"
#include "foundation/export.h"
#include "image/pixel_format.h"

class KAVRI_API KT_Image_Handle_Data : public KT_Counted {
public:
    KT_Counted* copy() const override { return new KT_Image_Handle_Data(*this); }

    KT_Image_Format format() const { return format_; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }

    const KT_Cached_Data* cached_data() const { return cached_.get(); }
    // Takes ownership; a previous object is not released (invalidate first).
    void set_cached_data(const KT_Cached_Data* data) { cached_.set(data); }
    void invalidate_cached_data() { cached_.invalidate(); }

protected:
    KT_Image_Handle_Data(KT_Image_Format format, std::int32_t width, std::int32_t height)
        : format_(format), width_(width), height_(height) {}
    // The cached data stays behind: it belongs to the original's driver.
    KT_Image_Handle_Data(const KT_Image_Handle_Data& other)
        : KT_Counted(other), format_(other.format_), width_(other.width_), height_(other.height_) {}

private:
    KT_Image_Format format_;
    std::int32_t width_;
    std::int32_t height_;
    KT_Cached_Data_Slot cached_;
};
