// Textures map a texture parameter (u, v, w) to a colour. Every texture can
// be baked into an image of a requested size, which stays cached on the
// texture until a bake of another size replaces it.
#pragma once

#include <cstdint>

#include "appearance/typed_handle.h"
#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"
#include "image/image_data.h"
#include "math/vector.h"

class KT_Rendition;

enum class KT_Texture_Type : std::int32_t {
    Base = 0,
    Simple_Image = 1,
    Complex_Image = 2,
    Procedural = 3,
    Cube_Map = 4,
};

// Any other value leaves a coordinate as it is.
enum class KT_Tiling_Mode : std::int32_t {
    Clamp = 1,
    Repeat = 2,
    Mirror = 3,
};

class KAVRI_API KT_Texture_Data : public KT_Counted {
public:
    KT_Texture_Data() = default;
    KT_Texture_Data* copy() const override { return new KT_Texture_Data(*this); }

    virtual KT_Texture_Type type() const { return KT_Texture_Type::Base; }
    // The colour at the first of parameter_width parameters; a null
    // parameter (or a width below 1) is (0, 0, 0). The point, normal and
    // rendition are for textures that depend on them.
    virtual KT_RGBA value(const KT_Parameter* parameters, int parameter_width,
                          const KT_Point* point, const KT_Vector* normal,
                          const KT_Rendition* rendition) const;
    virtual KT_Shared_Image base_image() const { return KT_Shared_Image(); }
    // Bakes the texture at width x height (0 keeps the cached size, else the
    // base image's) and returns the cached image. A texture without a base
    // image bakes nothing and returns an empty image, which tells a renderer
    // to evaluate it itself.
    virtual KT_Shared_Image image(int width, int height);
    virtual bool is_dynamic() const { return false; }
    virtual bool is_simple_image() const { return false; }

    static float tile_value(float t, KT_Tiling_Mode mode);
    // Tiles each coordinate in its own mode and flips v, so that v = 0
    // addresses the bottom row of an image.
    KT_Parameter tile_parameter(const KT_Parameter& p) const;

    KT_Tiling_Mode tiling_u() const { return tiling_[0]; }
    KT_Tiling_Mode tiling_v() const { return tiling_[1]; }
    KT_Tiling_Mode tiling_w() const { return tiling_[2]; }
    void set_tiling(KT_Tiling_Mode u, KT_Tiling_Mode v, KT_Tiling_Mode w);

    // Hints for renderers that upload textures.
    bool mipmapped() const { return mipmapped_; }
    bool premultiplied() const { return premultiplied_; }
    void set_mipmapped(bool on) { mipmapped_ = on; }
    void set_premultiplied(bool on) { premultiplied_ = on; }
    // A value a renderer may keep with the texture.
    std::int64_t renderer_data() const { return renderer_data_; }
    void set_renderer_data(std::int64_t value) { renderer_data_ = value; }

    const KT_Shared_Image& baked_image() const { return baked_; }

    // Fills a 32-bit image by sampling value() at every pixel centre: the
    // reference for baking, which faster fills must match byte for byte.
    void bake_by_value(const KT_Shared_Image& target) const;

protected:
    // The parameter a texture samples: the first one given, or (0, 0, 0).
    static KT_Parameter first_parameter(const KT_Parameter* parameters, int parameter_width) {
        if (!parameters || parameter_width < 1) return {0.0f, 0.0f, 0.0f};
        return parameters[0];
    }
    // The parameter at the centre of baked column i and row j (row 0 at the
    // top).
    static float bake_u(int i, int width) {
        return (static_cast<float>(i) + 0.5f) / static_cast<float>(width);
    }
    static float bake_v(int j, int height) {
        return 1.0f - (static_cast<float>(j) + 0.5f) / static_cast<float>(height);
    }
    static bool in_unit_cube(const KT_Parameter& p) {
        return p.u >= 0.0f && p.u <= 1.0f && p.v >= 0.0f && p.v <= 1.0f && p.w >= 0.0f &&
               p.w <= 1.0f;
    }

    // Fills a new 32-bit image of the baked size.
    virtual void fill_baked(const KT_Shared_Image& target) const { bake_by_value(target); }

private:
    void bake(int width, int height);

    KT_Tiling_Mode tiling_[3] = {KT_Tiling_Mode::Repeat, KT_Tiling_Mode::Repeat,
                                 KT_Tiling_Mode::Repeat};
    bool mipmapped_ = false;
    bool premultiplied_ = false;
    KT_Shared_Image baked_;
    std::int64_t renderer_data_ = 0;
};

// Handle of any texture. Sampling and baking go to the shared body: baking
// fills its cache in place, as every holder may use the baked image.
class KAVRI_API KT_Texture : public KT_Typed_Handle<KT_Texture_Data> {
public:
    KT_Texture() = default;
    explicit KT_Texture(KT_Texture_Data* body) : KT_Typed_Handle(body) {}

    KT_Texture_Type type() const { return body_ ? body_->type() : KT_Texture_Type::Base; }
    KT_RGBA value(const KT_Parameter* parameters, int parameter_width = 1,
                  const KT_Point* point = nullptr, const KT_Vector* normal = nullptr,
                  const KT_Rendition* rendition = nullptr) const;
    KT_Shared_Image base_image() const;
    KT_Shared_Image image(int width, int height) const;
    bool is_dynamic() const { return body_ && body_->is_dynamic(); }
    bool is_simple_image() const { return body_ && body_->is_simple_image(); }

    void set_tiling(KT_Tiling_Mode u, KT_Tiling_Mode v, KT_Tiling_Mode w) {
        if (body_) modify()->set_tiling(u, v, w);
    }
};
