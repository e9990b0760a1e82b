// What lies behind the scene. The kind is stored in the body, so a copy
// reports the same kind without a virtual call of its own; renderers read the
// fields of the kinds they draw.
#pragma once

#include <cstdint>

#include "appearance/typed_handle.h"
#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"
#include "image/image_data.h"
#include "math/vector.h"

enum class KT_Background_Type : std::int32_t {
    None = 0,
    Solid = 1,
    Gradient = 2,
    Image = 3,
    Groundplane = 4,
    Skybox = 5,
};

class KAVRI_API KT_Background_Data : public KT_Counted {
public:
    KT_Background_Data() : KT_Background_Data(KT_Background_Type::None) {}
    KT_Background_Data* copy() const override { return new KT_Background_Data(*this); }

    virtual KT_Background_Type type() const { return kind_; }

protected:
    explicit KT_Background_Data(KT_Background_Type kind) : kind_(kind) {}

private:
    KT_Background_Type kind_;
};

class KAVRI_API KT_Solid_Background_Data : public KT_Background_Data {
public:
    KT_Solid_Background_Data() : KT_Background_Data(KT_Background_Type::Solid) {}
    KT_Solid_Background_Data* copy() const override { return new KT_Solid_Background_Data(*this); }

    KT_RGB32 colour() const { return colour_; }
    void set_colour(KT_RGB32 colour) { colour_ = colour; }

private:
    KT_RGB32 colour_ = {0, 0, 0, 0};
};

// A vertical blend from the top colour to the bottom colour.
class KAVRI_API KT_Gradient_Background_Data : public KT_Background_Data {
public:
    KT_Gradient_Background_Data() : KT_Background_Data(KT_Background_Type::Gradient) {}
    KT_Gradient_Background_Data* copy() const override {
        return new KT_Gradient_Background_Data(*this);
    }

    const KT_RGB& top_colour() const { return top_colour_; }
    const KT_RGB& bottom_colour() const { return bottom_colour_; }
    void set_colours(const KT_RGB& top, const KT_RGB& bottom) {
        top_colour_ = top;
        bottom_colour_ = bottom;
    }

private:
    KT_RGB top_colour_ = {0.0f, 0.0f, 0.0f};
    KT_RGB bottom_colour_ = {0.0f, 0.0f, 0.0f};
};

// How an image background is placed in the window. Sizes and offsets are
// in pixels; a zero size means the image's own.
struct KAVRI_API KT_Image_Placement {
    KT_Int_XY offset = {0, 0};
    bool fit_to_window = true;
    bool keep_aspect = true;
    bool centred = true;
    bool tiled = false;
    KT_Int_XY size = {0, 0};
    std::int32_t flags = 0;
};

class KAVRI_API KT_Image_Background_Data : public KT_Background_Data {
public:
    explicit KT_Image_Background_Data(const KT_Shared_Image& image = KT_Shared_Image())
        : KT_Background_Data(KT_Background_Type::Image), image_(image) {}
    KT_Image_Background_Data* copy() const override { return new KT_Image_Background_Data(*this); }

    const KT_Shared_Image& image() const { return image_; }
    void set_image(const KT_Shared_Image& image) { image_ = image; }
    const KT_Image_Placement& placement() const { return placement_; }
    void set_placement(const KT_Image_Placement& placement) { placement_ = placement; }

private:
    KT_Shared_Image image_;
    KT_Image_Placement placement_;
};

// The ground plane's geometry and shading come from the renderer.
class KAVRI_API KT_Groundplane_Background_Data : public KT_Background_Data {
public:
    KT_Groundplane_Background_Data() : KT_Background_Data(KT_Background_Type::Groundplane) {}
    KT_Groundplane_Background_Data* copy() const override {
        return new KT_Groundplane_Background_Data(*this);
    }
};

// A physical sky drawn around the scene, with the sun it is lit by.
struct KAVRI_API KT_Skybox_Params {
    float haze = 0.025f;
    // Brings the sky's lux into display range.
    KT_RGB radiance_scale = {0.00066667f, 0.00066667f, 0.00066667f};
    std::int32_t mode = 0;
    float horizon_height = 0.25f;
    float horizon_blur = 0.5f;
    std::int32_t flags = 0;
    float ground_blend = 0.1f;
    KT_RGB32 ground_colour = {0x66, 0x66, 0x66, 0xFF};
    std::int16_t sun_samples = 0;
    std::int8_t sun_index = -1;
    KT_Vector_D sun_direction = {-0.35f, -1.0f, 0.45f};
    KT_RGB sky_tint = {1.0f, 1.0f, 1.0f};
    std::int32_t resolution = 0; // 0: the renderer's choice
    float radius = 10000.0f;
    std::int32_t user_data[2] = {0, 0};
};

class KAVRI_API KT_Skybox_Background_Data : public KT_Background_Data {
public:
    KT_Skybox_Background_Data() : KT_Background_Data(KT_Background_Type::Skybox) {}
    KT_Skybox_Background_Data* copy() const override {
        return new KT_Skybox_Background_Data(*this);
    }

    const KT_Skybox_Params& params() const { return params_; }
    void set_params(const KT_Skybox_Params& params) { params_ = params; }

private:
    KT_Skybox_Params params_;
};

// Handle of any background; the default one holds a background of no kind.
class KAVRI_API KT_Background : public KT_Typed_Handle<KT_Background_Data> {
public:
    KT_Background() : KT_Background(new KT_Background_Data) {}
    explicit KT_Background(KT_Background_Data* body) : KT_Typed_Handle(body) {}

    KT_Background_Type type() const { return body_ ? body_->type() : KT_Background_Type::None; }
};

class KAVRI_API KT_Solid_Background : public KT_Background {
public:
    explicit KT_Solid_Background(KT_RGB32 colour = {0, 0, 0, 0});

    KT_RGB32 colour() const { return view<KT_Solid_Background_Data>()->colour(); }
    void set_colour(KT_RGB32 colour) { edit<KT_Solid_Background_Data>()->set_colour(colour); }
};

class KAVRI_API KT_Gradient_Background : public KT_Background {
public:
    KT_Gradient_Background();
    KT_Gradient_Background(const KT_RGB& top, const KT_RGB& bottom);

    const KT_RGB& top_colour() const { return data()->top_colour(); }
    const KT_RGB& bottom_colour() const { return data()->bottom_colour(); }
    void set_colours(const KT_RGB& top, const KT_RGB& bottom) {
        edit<KT_Gradient_Background_Data>()->set_colours(top, bottom);
    }

private:
    const KT_Gradient_Background_Data* data() const { return view<KT_Gradient_Background_Data>(); }
};

class KAVRI_API KT_Image_Background : public KT_Background {
public:
    explicit KT_Image_Background(const KT_Shared_Image& image = KT_Shared_Image());

    const KT_Shared_Image& image() const { return view<Data>()->image(); }
    void set_image(const KT_Shared_Image& image) { edit<Data>()->set_image(image); }
    const KT_Image_Placement& placement() const { return view<Data>()->placement(); }
    void set_placement(const KT_Image_Placement& placement) {
        edit<Data>()->set_placement(placement);
    }

private:
    using Data = KT_Image_Background_Data;
};

class KAVRI_API KT_Groundplane_Background : public KT_Background {
public:
    KT_Groundplane_Background();
};

class KAVRI_API KT_Skybox_Background : public KT_Background {
public:
    KT_Skybox_Background();

    const KT_Skybox_Params& params() const { return view<KT_Skybox_Background_Data>()->params(); }
    void set_params(const KT_Skybox_Params& params) {
        edit<KT_Skybox_Background_Data>()->set_params(params);
    }
};
