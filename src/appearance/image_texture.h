// Textures that sample an image: the simple one picks the nearest texel, the
// complex one filters and can restrict itself to a window of its image and
// take its opacity from a mask.
#pragma once

#include <cstdint>

#include "appearance/texture.h"
#include "foundation/export.h"

class KAVRI_API KT_Simple_Image_Texture_Data : public KT_Texture_Data {
public:
    explicit KT_Simple_Image_Texture_Data(const KT_Shared_Image& image) : source_(image) {}
    KT_Simple_Image_Texture_Data* copy() const override {
        return new KT_Simple_Image_Texture_Data(*this);
    }

    KT_Texture_Type type() const override { return KT_Texture_Type::Simple_Image; }
    // Nearest texel of the tiled parameter; transparent black where the
    // tiling leaves the unit square or the image is empty.
    KT_RGBA value(const KT_Parameter* parameters, int parameter_width, const KT_Point* point,
                  const KT_Vector* normal, const KT_Rendition* rendition) const override;
    KT_Shared_Image base_image() const override { return source_; }
    bool is_simple_image() const override { return true; }

    void set_image(const KT_Shared_Image& image) { source_ = image; }
    std::int32_t user_data() const { return user_data_; }
    void set_user_data(std::int32_t value) { user_data_ = value; }

protected:
    // Copies the nearest texels of a 32-bit source directly.
    void fill_baked(const KT_Shared_Image& target) const override;

private:
    KT_Shared_Image source_;
    std::int32_t user_data_ = 0;
};

enum class KT_Texture_Filter : std::int32_t {
    Bilinear = 0,
    Nearest = 1,
};

class KAVRI_API KT_Complex_Image_Texture_Data : public KT_Texture_Data {
public:
    explicit KT_Complex_Image_Texture_Data(const KT_Shared_Image& image) : source_(image) {}
    KT_Complex_Image_Texture_Data* copy() const override {
        return new KT_Complex_Image_Texture_Data(*this);
    }

    KT_Texture_Type type() const override { return KT_Texture_Type::Complex_Image; }
    // The tiled parameter addresses the window (the whole image when the
    // window has no area); outside the unit square it gives the border
    // colour. The mask's red channel (its grey level) scales the alpha.
    KT_RGBA value(const KT_Parameter* parameters, int parameter_width, const KT_Point* point,
                  const KT_Vector* normal, const KT_Rendition* rendition) const override;
    KT_Shared_Image base_image() const override { return source_; }

    void set_image(const KT_Shared_Image& image) { source_ = image; }
    const KT_Shared_Image& mask() const { return mask_; }
    void set_mask(const KT_Shared_Image& mask) { mask_ = mask; }
    KT_Texture_Filter filter() const { return filter_; }
    void set_filter(KT_Texture_Filter filter) { filter_ = filter; }
    // Pixels from the top-left corner of the image.
    KT_Int_XY window_origin() const { return window_origin_; }
    KT_Int_XY window_size() const { return window_size_; }
    void set_window(KT_Int_XY origin, KT_Int_XY size) {
        window_origin_ = origin;
        window_size_ = size;
    }
    KT_RGB32 border_colour() const { return border_colour_; }
    void set_border_colour(KT_RGB32 colour) { border_colour_ = colour; }

private:
    KT_Shared_Image source_;
    KT_Shared_Image mask_;
    KT_Texture_Filter filter_ = KT_Texture_Filter::Bilinear;
    KT_Int_XY window_origin_ = {0, 0};
    KT_Int_XY window_size_ = {0, 0};
    KT_RGB32 border_colour_ = {0, 0, 0, 0};
};

class KAVRI_API KT_Simple_Image_Texture : public KT_Texture {
public:
    explicit KT_Simple_Image_Texture(const KT_Shared_Image& image);

    void set_image(const KT_Shared_Image& image) { edit<Data>()->set_image(image); }
    std::int32_t user_data() const { return view<Data>()->user_data(); }
    void set_user_data(std::int32_t value) { edit<Data>()->set_user_data(value); }

private:
    using Data = KT_Simple_Image_Texture_Data;
};

class KAVRI_API KT_Complex_Image_Texture : public KT_Texture {
public:
    explicit KT_Complex_Image_Texture(const KT_Shared_Image& image);

    void set_image(const KT_Shared_Image& image) { edit<Data>()->set_image(image); }
    const KT_Shared_Image& mask() const { return view<Data>()->mask(); }
    void set_mask(const KT_Shared_Image& mask) { edit<Data>()->set_mask(mask); }
    KT_Texture_Filter filter() const { return view<Data>()->filter(); }
    void set_filter(KT_Texture_Filter filter) { edit<Data>()->set_filter(filter); }
    KT_Int_XY window_origin() const { return view<Data>()->window_origin(); }
    KT_Int_XY window_size() const { return view<Data>()->window_size(); }
    void set_window(KT_Int_XY origin, KT_Int_XY size) { edit<Data>()->set_window(origin, size); }
    KT_RGB32 border_colour() const { return view<Data>()->border_colour(); }
    void set_border_colour(KT_RGB32 colour) { edit<Data>()->set_border_colour(colour); }

private:
    using Data = KT_Complex_Image_Texture_Data;
};
