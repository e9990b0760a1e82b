// Filters and the light base classes. A filter is a counted record that a
// light set carries for the rendition; a light is a filter that answers, for
// a surface point, what colour reaches it and from which direction.
#pragma once

#include <cstdint>

#include "appearance/typed_handle.h"
#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"
#include "math/vector.h"

class KT_Rendition;

enum class KT_Lighting_Type : std::int32_t {
    Filter = 0,
    Ambient = 1,
    Distant = 2,
    Point = 3,
    Spot = 4,
    Photometric_Point = 5,
    Photometric_Spot = 6,
    Photometric_Web = 7,
    Photometric_Distant = 8,
    Photometric_Sun = 9,
};

enum class KT_Lighting_Attenuation : std::int32_t {
    None = 0,
    Inverse_Distance = 1,
    Inverse_Square = 2,
};

// What one light contributes at a point. The direction points towards the
// light and has unit length; it is zero for ambient light, which has no
// direction. The position addresses the light's own record and is null for
// ambient and directional lights.
struct KAVRI_API KT_Lighting_Info {
    KT_RGB colour;
    KT_Vector direction;
    const KT_Point* position;
};

// Shadow-casting parameters shared by every light. Renderers that cast
// shadows interpret them; the library stores and copies them.
struct KAVRI_API KT_Shadow_Params {
    std::int32_t sample_count = 16;
    std::int32_t mode = 0;
    std::int32_t flags = 0;
    float density = 1.0f;
    std::int64_t user_data[2] = {0, 0};
    std::int32_t priority = 0;
    std::int32_t map_size = 128;
    float softness = 4.0f;
    std::int32_t map_index = -1;

    bool operator==(const KT_Shadow_Params&) const = default;
};

// The per-light shadow block of distant, point and spot lights.
struct KAVRI_API KT_Light_Shadow {
    bool casts_shadows = false;
    std::int32_t map_size = 128;
    float softness = 4.0f;
    float density = 1.0f;
    std::int32_t map_index = -1;
    std::int32_t flags = 0;
    std::int64_t user_data = 0;

    bool operator==(const KT_Light_Shadow&) const = default;
};

class KAVRI_API KT_Filter_Data : public KT_Counted {
public:
    KT_Filter_Data() = default;
    KT_Filter_Data* copy() const override { return new KT_Filter_Data(*this); }

    virtual KT_Lighting_Type type() const { return KT_Lighting_Type::Filter; }
    virtual KT_Lighting_Attenuation attenuation() const { return KT_Lighting_Attenuation::None; }
    // The rendition is passed on for lights that need drawing state; none of
    // the library's own lights read it. A plain filter lets no light through.
    virtual KT_Lighting_Info illuminate(const KT_Rendition* rendition, const KT_Vector* normal,
                                        const KT_Point* point, const KT_Parameter* parameter) const;
    // Narrows the point to single precision; a point beyond the float range
    // (or not a number) lights the origin instead.
    virtual KT_Lighting_Info illuminate_d(const KT_Rendition* rendition, const KT_Vector* normal,
                                          const KT_Point_D* point,
                                          const KT_Parameter* parameter) const;

    std::int32_t filter_flags() const { return filter_flags_; }
    void set_filter_flags(std::int32_t flags) { filter_flags_ = flags; }

private:
    std::int32_t filter_flags_ = 0;
};

class KAVRI_API KT_Shadow_Params_Holder_Data : public KT_Filter_Data {
public:
    KT_Shadow_Params_Holder_Data() = default;
    KT_Shadow_Params_Holder_Data* copy() const override {
        return new KT_Shadow_Params_Holder_Data(*this);
    }

    const KT_Shadow_Params& shadow_params() const { return shadow_params_; }
    void set_shadow_params(const KT_Shadow_Params& params) { shadow_params_ = params; }

private:
    KT_Shadow_Params shadow_params_;
};

class KAVRI_API KT_Light_Data : public KT_Shadow_Params_Holder_Data {
public:
    KT_Light_Data() = default;
    KT_Light_Data* copy() const override { return new KT_Light_Data(*this); }

    const KT_RGB& colour() const { return colour_; }
    void set_colour(const KT_RGB& colour) { colour_ = colour; }

private:
    KT_RGB colour_ = {1.0f, 1.0f, 1.0f};
};

// Handle of any filter; an empty handle behaves as a plain filter.
class KAVRI_API KT_Filter : public KT_Typed_Handle<KT_Filter_Data> {
public:
    KT_Filter() = default;
    explicit KT_Filter(KT_Filter_Data* body) : KT_Typed_Handle(body) {}

    KT_Lighting_Type type() const;
    KT_Lighting_Attenuation attenuation() const;
    KT_Lighting_Info illuminate(const KT_Rendition* rendition, const KT_Vector* normal,
                                const KT_Point* point, const KT_Parameter* parameter) const;
    KT_Lighting_Info illuminate_d(const KT_Rendition* rendition, const KT_Vector* normal,
                                  const KT_Point_D* point, const KT_Parameter* parameter) const;
};

// Handle of any light: the colour and shadow parameters every light has.
class KAVRI_API KT_Light : public KT_Filter {
public:
    const KT_RGB& colour() const { return view<KT_Light_Data>()->colour(); }
    void set_colour(const KT_RGB& colour) { edit<KT_Light_Data>()->set_colour(colour); }
    const KT_Shadow_Params& shadow_params() const { return view<KT_Light_Data>()->shadow_params(); }
    void set_shadow_params(const KT_Shadow_Params& params) {
        edit<KT_Light_Data>()->set_shadow_params(params);
    }

protected:
    explicit KT_Light(KT_Light_Data* body) : KT_Filter(body) {}
};

// Handle base of one light kind: typed access to its own body.
template <class Data> class KT_Typed_Light : public KT_Light {
protected:
    explicit KT_Typed_Light(Data* body) : KT_Light(body) {}
    const Data* data() const { return view<Data>(); }
    Data* edit_data() { return edit<Data>(); }
};
