// Photometric lights carry physical quantities (intensity in lux or candela,
// colour temperature, measured distribution files) for renderers that light
// physically. For every other renderer they illuminate as plain lights.
#pragma once

#include <cstdint>

#include "appearance/filter.h"
#include "foundation/export.h"
#include "foundation/string.h"

// A direction as given and its unit copy, which illumination reads.
struct KAVRI_API KT_Light_Direction {
    KT_Vector given;
    KT_Vector unit;

    explicit KT_Light_Direction(const KT_Vector& direction) { set(direction); }
    void set(const KT_Vector& direction) {
        given = direction;
        unit = direction;
        unit.normalize();
    }
};

struct KAVRI_API KT_Photometric_Distant_Params {
    KT_RGB colour_factors = {1.0f, 1.0f, 1.0f};
    float intensity = 1500.0f;       // lux
    float colour_temperature = 0.0f; // kelvin; 0 uses the colour factors
    float angular_diameter = 0.5f;   // degrees, for soft shadow edges
    KT_RGB shadow_colour = {1.0f, 1.0f, 1.0f};
    bool use_colour_temperature = false;
    bool casts_shadows = true;
    bool affects_specular = true;
    bool visible = false;
};

struct KAVRI_API KT_Photometric_Sun_Params {
    float intensity = 1.0f;
    // Brings the sun's lux into display range.
    KT_RGB radiance_scale = {0.00066667f, 0.00066667f, 0.00066667f};
    float haze = 0.0f;
    float horizon_height = 0.0f;
    float horizon_blur = 0.5f;
    float red_blue_shift = 0.0f;
    float disc_intensity = 0.0f;
};

struct KAVRI_API KT_Photometric_Near_Params {
    float intensity_scale = 1.0f;
    KT_RGB colour_factors = {1.0f, 1.0f, 1.0f};
    KT_RGB filter_colour = {1.0f, 1.0f, 1.0f};
    float intensity = 1500.0f; // candela
    KT_RGB shape_extent = {1.0f, 1.0f, 1.0f};
    float colour_temperature = 0.0f; // kelvin; 0 uses the colour factors
    float shadow_density = 1.0f;
    std::int32_t shape = 0;
    std::int32_t flags = 0;
};

class KAVRI_API KT_Photometric_Distant_Light_Data : public KT_Light_Data {
public:
    explicit KT_Photometric_Distant_Light_Data(const KT_Vector& direction);
    KT_Photometric_Distant_Light_Data* copy() const override {
        return new KT_Photometric_Distant_Light_Data(*this);
    }

    KT_Lighting_Type type() const override { return KT_Lighting_Type::Photometric_Distant; }
    KT_Lighting_Info illuminate(const KT_Rendition* rendition, const KT_Vector* normal,
                                const KT_Point* point,
                                const KT_Parameter* parameter) const override;

    const KT_Light_Direction& direction() const { return direction_; }
    void set_direction(const KT_Vector& direction) { direction_.set(direction); }
    const KT_Photometric_Distant_Params& params() const { return params_; }
    void set_params(const KT_Photometric_Distant_Params& params) { params_ = params; }

private:
    KT_Light_Direction direction_;
    KT_Photometric_Distant_Params params_;
};

class KAVRI_API KT_Photometric_Sun_Data : public KT_Light_Data {
public:
    explicit KT_Photometric_Sun_Data(const KT_Vector& direction);
    KT_Photometric_Sun_Data* copy() const override { return new KT_Photometric_Sun_Data(*this); }

    KT_Lighting_Type type() const override { return KT_Lighting_Type::Photometric_Sun; }
    KT_Lighting_Info illuminate(const KT_Rendition* rendition, const KT_Vector* normal,
                                const KT_Point* point,
                                const KT_Parameter* parameter) const override;

    const KT_Light_Direction& direction() const { return direction_; }
    void set_direction(const KT_Vector& direction) { direction_.set(direction); }
    const KT_Photometric_Sun_Params& params() const { return params_; }
    void set_params(const KT_Photometric_Sun_Params& params) { params_ = params; }

private:
    KT_Light_Direction direction_;
    KT_Photometric_Sun_Params params_;
};

// The lights with a position. They illuminate as a white light straight
// above the point; renderers that light physically evaluate their fields.
class KAVRI_API KT_Photometric_Near_Light_Data : public KT_Light_Data {
public:
    explicit KT_Photometric_Near_Light_Data(const KT_Point& position);

    KT_Lighting_Info illuminate(const KT_Rendition* rendition, const KT_Vector* normal,
                                const KT_Point* point,
                                const KT_Parameter* parameter) const override;

    const KT_Point& position() const { return position_; }
    void set_position(const KT_Point& position) { position_ = position; }
    const KT_Light_Direction& direction() const { return direction_; }
    void set_direction(const KT_Vector& direction) { direction_.set(direction); }
    const KT_Photometric_Near_Params& params() const { return params_; }
    void set_params(const KT_Photometric_Near_Params& params) { params_ = params; }

private:
    KT_Point position_;
    KT_Light_Direction direction_;
    KT_Photometric_Near_Params params_;
};

class KAVRI_API KT_Photometric_Point_Light_Data : public KT_Photometric_Near_Light_Data {
public:
    using KT_Photometric_Near_Light_Data::KT_Photometric_Near_Light_Data;
    KT_Photometric_Point_Light_Data* copy() const override {
        return new KT_Photometric_Point_Light_Data(*this);
    }
    KT_Lighting_Type type() const override { return KT_Lighting_Type::Photometric_Point; }
};

// Angles in radians: full intensity within the hotspot, none beyond the
// falloff angle.
class KAVRI_API KT_Photometric_Spot_Light_Data : public KT_Photometric_Near_Light_Data {
public:
    KT_Photometric_Spot_Light_Data(const KT_Point& position, const KT_Vector& direction,
                                   float hotspot_angle, float falloff_angle);
    KT_Photometric_Spot_Light_Data* copy() const override {
        return new KT_Photometric_Spot_Light_Data(*this);
    }
    KT_Lighting_Type type() const override { return KT_Lighting_Type::Photometric_Spot; }

    float hotspot_angle() const { return hotspot_angle_; }
    float falloff_angle() const { return falloff_angle_; }
    void set_angles(float hotspot_angle, float falloff_angle) {
        hotspot_angle_ = hotspot_angle;
        falloff_angle_ = falloff_angle;
    }

private:
    float hotspot_angle_;
    float falloff_angle_;
};

// How a measured distribution is turned before use, in radians.
struct KAVRI_API KT_Web_Orientation {
    float x_rotation = 0.0f;
    float y_rotation = 0.0f;
    float z_rotation = 0.0f;
    float twist = 0.0f;

    bool operator==(const KT_Web_Orientation&) const = default;
};

// A light whose distribution comes from a photometric web file.
class KAVRI_API KT_Photometric_Web_Light_Data : public KT_Photometric_Near_Light_Data {
public:
    KT_Photometric_Web_Light_Data(const KT_Point& position, const KT_String& web_file);
    KT_Photometric_Web_Light_Data* copy() const override {
        return new KT_Photometric_Web_Light_Data(*this);
    }
    KT_Lighting_Type type() const override { return KT_Lighting_Type::Photometric_Web; }

    const KT_String& web_file() const { return web_file_; }
    void set_web_file(const KT_String& name) { web_file_ = name; }
    const KT_Web_Orientation& orientation() const { return orientation_; }
    void set_orientation(const KT_Web_Orientation& orientation) { orientation_ = orientation; }

private:
    KT_String web_file_;
    KT_Web_Orientation orientation_;
};

// Handle base of the photometric kinds: direction and parameters.
template <class Data> class KT_Photometric_Light : public KT_Typed_Light<Data> {
public:
    const KT_Light_Direction& direction() const { return this->data()->direction(); }
    void set_direction(const KT_Vector& direction) { this->edit_data()->set_direction(direction); }
    const auto& params() const { return this->data()->params(); }
    template <class Params> void set_params(const Params& params) {
        this->edit_data()->set_params(params);
    }

protected:
    explicit KT_Photometric_Light(Data* body) : KT_Typed_Light<Data>(body) {}
};

class KAVRI_API KT_Photometric_Distant_Light
    : public KT_Photometric_Light<KT_Photometric_Distant_Light_Data> {
public:
    explicit KT_Photometric_Distant_Light(const KT_Vector& direction);
};

class KAVRI_API KT_Photometric_Sun : public KT_Photometric_Light<KT_Photometric_Sun_Data> {
public:
    explicit KT_Photometric_Sun(const KT_Vector& direction);
};

template <class Data> class KT_Photometric_Near_Light : public KT_Photometric_Light<Data> {
public:
    const KT_Point& position() const { return this->data()->position(); }
    void set_position(const KT_Point& position) { this->edit_data()->set_position(position); }

protected:
    explicit KT_Photometric_Near_Light(Data* body) : KT_Photometric_Light<Data>(body) {}
};

class KAVRI_API KT_Photometric_Point_Light
    : public KT_Photometric_Near_Light<KT_Photometric_Point_Light_Data> {
public:
    explicit KT_Photometric_Point_Light(const KT_Point& position);
};

class KAVRI_API KT_Photometric_Spot_Light
    : public KT_Photometric_Near_Light<KT_Photometric_Spot_Light_Data> {
public:
    KT_Photometric_Spot_Light(const KT_Point& position, const KT_Vector& direction,
                              float hotspot_angle, float falloff_angle);

    float hotspot_angle() const { return data()->hotspot_angle(); }
    float falloff_angle() const { return data()->falloff_angle(); }
    void set_angles(float hotspot_angle, float falloff_angle) {
        edit_data()->set_angles(hotspot_angle, falloff_angle);
    }
};

class KAVRI_API KT_Photometric_Web_Light
    : public KT_Photometric_Near_Light<KT_Photometric_Web_Light_Data> {
public:
    KT_Photometric_Web_Light(const KT_Point& position, const KT_String& web_file);

    const KT_String& web_file() const { return data()->web_file(); }
    void set_web_file(const KT_String& name) { edit_data()->set_web_file(name); }
    const KT_Web_Orientation& orientation() const { return data()->orientation(); }
    void set_orientation(const KT_Web_Orientation& orientation) {
        edit_data()->set_orientation(orientation);
    }
};
