// Procedural textures compute their colour from the parameter instead of
// reading an image. Marble and wood are solid textures: they are evaluated
// at the parameter as a point in space, without tiling, so that they have
// no seams. The same parameter always gives the same colour.
#pragma once

#include <cstdint>

#include "appearance/texture.h"
#include "foundation/export.h"
#include "foundation/variant.h"

enum class KT_Procedural_Texture_Type : std::int32_t {
    Base = -1,
    Wood = 1,
    Marble = 2,
    Generic = 4,
};

class KAVRI_API KT_Procedural_Texture_Data : public KT_Texture_Data {
public:
    KT_Procedural_Texture_Data() = default;
    KT_Procedural_Texture_Data* copy() const override {
        return new KT_Procedural_Texture_Data(*this);
    }

    KT_Texture_Type type() const override { return KT_Texture_Type::Procedural; }
    virtual KT_Procedural_Texture_Type pm_type() const { return KT_Procedural_Texture_Type::Base; }
};

// Named values for a renderer's own procedure; the library has no colour of
// its own for them.
class KAVRI_API KT_Procedural_Generic_Texture_Data : public KT_Procedural_Texture_Data {
public:
    explicit KT_Procedural_Generic_Texture_Data(const KT_Variant& params) : params_(params) {}
    KT_Procedural_Generic_Texture_Data* copy() const override {
        return new KT_Procedural_Generic_Texture_Data(*this);
    }

    KT_Procedural_Texture_Type pm_type() const override {
        return KT_Procedural_Texture_Type::Generic;
    }
    const KT_Variant& params() const { return params_; }
    void set_params(const KT_Variant& params) { params_ = params; }

private:
    KT_Variant params_;
};

// Veins follow the level lines of x * vein_frequency, bent by turbulence.
struct KAVRI_API KT_Marble_Params {
    KT_RGB base_colour = {0.92f, 0.9f, 0.86f};
    KT_RGB vein_colour = {0.3f, 0.28f, 0.3f};
    float scale = 4.0f;          // parameter units to noise lattice cells
    float vein_frequency = 1.0f; // veins per lattice cell along x
    float turbulence = 2.5f;     // how far the veins wander
    std::int32_t octaves = 5;    // detail of the turbulence, 1 to 12
    float sharpness = 4.0f;      // higher makes thinner veins
    std::uint32_t seed = 0;
};

// Growth rings around an axis parallel to v, distorted by grain noise.
struct KAVRI_API KT_Wood_Params {
    KT_RGB light_colour = {0.8f, 0.58f, 0.34f};
    KT_RGB dark_colour = {0.48f, 0.29f, 0.14f};
    float scale = 1.0f;
    float ring_frequency = 8.0f; // rings per parameter unit
    float grain = 0.35f;         // noise added to the ring distance
    std::int32_t octaves = 3;    // detail of the grain, 1 to 12
    float ring_sharpness = 2.0f; // higher makes thinner dark rings
    float axis_u = -0.3f;        // where the ring axis crosses the u-w plane
    float axis_w = -0.2f;
    std::uint32_t seed = 0;
};

// The common body of marble and wood.
template <class Params, KT_Procedural_Texture_Type kind>
class KAVRI_API KT_Solid_Texture_Data : public KT_Procedural_Texture_Data {
public:
    KT_Procedural_Texture_Type pm_type() const override { return kind; }
    // Opaque colours; a null parameter is (0, 0, 0) and a parameter that is
    // not finite gives transparent black.
    KT_RGBA value(const KT_Parameter* parameters, int parameter_width, const KT_Point* point,
                  const KT_Vector* normal, const KT_Rendition* rendition) const override;

    const Params& params() const { return params_; }
    void set_params(const Params& params) { params_ = params; }
    // Further values for renderers with their own evaluation.
    const KT_Variant& extra() const { return extra_; }
    void set_extra(const KT_Variant& extra) { extra_ = extra; }

private:
    Params params_;
    KT_Variant extra_;
};

class KAVRI_API KT_Procedural_Marble_Texture_Data
    : public KT_Solid_Texture_Data<KT_Marble_Params, KT_Procedural_Texture_Type::Marble> {
public:
    KT_Procedural_Marble_Texture_Data* copy() const override {
        return new KT_Procedural_Marble_Texture_Data(*this);
    }
};

class KAVRI_API KT_Procedural_Wood_Texture_Data
    : public KT_Solid_Texture_Data<KT_Wood_Params, KT_Procedural_Texture_Type::Wood> {
public:
    KT_Procedural_Wood_Texture_Data* copy() const override {
        return new KT_Procedural_Wood_Texture_Data(*this);
    }
};

// The colour of marble and wood at a point; what their value() returns.
KAVRI_API KT_RGB KD_Marble_Colour(const KT_Marble_Params& params, const KT_Parameter& p);
KAVRI_API KT_RGB KD_Wood_Colour(const KT_Wood_Params& params, const KT_Parameter& p);

class KAVRI_API KT_Procedural_Texture : public KT_Texture {
public:
    KT_Procedural_Texture() : KT_Texture(new KT_Procedural_Texture_Data) {}

    KT_Procedural_Texture_Type pm_type() const {
        return body_ ? view<KT_Procedural_Texture_Data>()->pm_type()
                     : KT_Procedural_Texture_Type::Base;
    }

protected:
    explicit KT_Procedural_Texture(KT_Procedural_Texture_Data* body) : KT_Texture(body) {}
};

class KAVRI_API KT_Procedural_Generic_Texture : public KT_Procedural_Texture {
public:
    explicit KT_Procedural_Generic_Texture(const KT_Variant& params = KT_Variant())
        : KT_Procedural_Texture(new KT_Procedural_Generic_Texture_Data(params)) {}

    const KT_Variant& params() const { return view<Data>()->params(); }
    void set_params(const KT_Variant& params) { edit<Data>()->set_params(params); }

private:
    using Data = KT_Procedural_Generic_Texture_Data;
};

template <class Data> class KT_Solid_Texture : public KT_Procedural_Texture {
public:
    const auto& params() const { return view<Data>()->params(); }
    template <class Params> void set_params(const Params& params) {
        edit<Data>()->set_params(params);
    }
    const KT_Variant& extra() const { return view<Data>()->extra(); }
    void set_extra(const KT_Variant& extra) { edit<Data>()->set_extra(extra); }

protected:
    KT_Solid_Texture() : KT_Procedural_Texture(new Data) {}
};

class KAVRI_API KT_Procedural_Marble_Texture
    : public KT_Solid_Texture<KT_Procedural_Marble_Texture_Data> {
public:
    KT_Procedural_Marble_Texture() = default;
};

class KAVRI_API KT_Procedural_Wood_Texture
    : public KT_Solid_Texture<KT_Procedural_Wood_Texture_Data> {
public:
    KT_Procedural_Wood_Texture() = default;
};
