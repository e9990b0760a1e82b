// The basic lights: ambient, distant (directional), point and spot.
//
// Positions and directions are kept several times: as the client gave them,
// as the "current" copy that illumination reads, and as further copies a
// renderer may fill with the light carried into world or view space. A
// renderer that lights points in another space moves the current copy there
// first; setting the given value resets every copy.
#pragma once

#include "appearance/filter.h"
#include "foundation/export.h"

class KAVRI_API KT_Ambient_Light_Data : public KT_Light_Data {
public:
    KT_Ambient_Light_Data() = default;
    KT_Ambient_Light_Data* copy() const override { return new KT_Ambient_Light_Data(*this); }

    KT_Lighting_Type type() const override { return KT_Lighting_Type::Ambient; }
    KT_Lighting_Info illuminate(const KT_Rendition* rendition, const KT_Vector* normal,
                                const KT_Point* point,
                                const KT_Parameter* parameter) const override;
};

// The direction points towards the light.
class KAVRI_API KT_Distant_Light_Data : public KT_Light_Data {
public:
    explicit KT_Distant_Light_Data(const KT_Vector& direction);
    KT_Distant_Light_Data* copy() const override { return new KT_Distant_Light_Data(*this); }

    KT_Lighting_Type type() const override { return KT_Lighting_Type::Distant; }
    KT_Lighting_Info illuminate(const KT_Rendition* rendition, const KT_Vector* normal,
                                const KT_Point* point,
                                const KT_Parameter* parameter) const override;

    const KT_Vector& direction() const { return direction_; }
    const KT_Vector& current_direction() const { return current_direction_; }
    const KT_Vector& unit_direction() const { return unit_direction_; }
    void set_direction(const KT_Vector& direction);
    void set_current_direction(const KT_Vector& direction);

    const KT_Light_Shadow& light_shadow() const { return light_shadow_; }
    void set_light_shadow(const KT_Light_Shadow& shadow) { light_shadow_ = shadow; }

private:
    KT_Vector direction_;
    KT_Vector current_direction_;
    KT_Vector unit_direction_;
    KT_Light_Shadow light_shadow_;
};

// Where a positional light keeps its position.
struct KAVRI_API KT_Light_Positions {
    KT_Point given;
    KT_Point current;
    KT_Point world;
    KT_Point view;

    bool operator==(const KT_Light_Positions&) const = default;
};

class KAVRI_API KT_Point_Light_Data : public KT_Light_Data {
public:
    explicit KT_Point_Light_Data(const KT_Point& position);
    KT_Point_Light_Data* copy() const override { return new KT_Point_Light_Data(*this); }

    KT_Lighting_Type type() const override { return KT_Lighting_Type::Point; }
    KT_Lighting_Attenuation attenuation() const override { return attenuation_; }
    // A null point is the origin.
    KT_Lighting_Info illuminate(const KT_Rendition* rendition, const KT_Vector* normal,
                                const KT_Point* point,
                                const KT_Parameter* parameter) const override;

    const KT_Light_Positions& positions() const { return positions_; }
    void set_position(const KT_Point& position);
    void set_positions(const KT_Light_Positions& positions) { positions_ = positions; }
    void set_attenuation(KT_Lighting_Attenuation attenuation) { attenuation_ = attenuation; }

    const KT_Light_Shadow& light_shadow() const { return light_shadow_; }
    void set_light_shadow(const KT_Light_Shadow& shadow) { light_shadow_ = shadow; }

private:
    KT_Light_Positions positions_;
    KT_Light_Shadow light_shadow_;
    KT_Lighting_Attenuation attenuation_ = KT_Lighting_Attenuation::None;
};

// The cone of a spot light, angles in radians from its axis. Full light
// inside the inner angle, none from the outer angle on, and in between a
// linear ramp raised to the falloff exponent. The concentration exponent
// further weights by the cosine of the angle.
struct KAVRI_API KT_Spot_Cone {
    float inner_angle;
    float outer_angle;
    float falloff_exponent;
    float concentration_exponent;

    bool operator==(const KT_Spot_Cone&) const = default;
};

// The direction is the way the light shines, from the light to its target.
class KAVRI_API KT_Spot_Light_Data : public KT_Light_Data {
public:
    KT_Spot_Light_Data(const KT_Point& position, const KT_Vector& direction, float inner_angle,
                       float outer_angle, float falloff_exponent, float concentration_exponent);
    KT_Spot_Light_Data* copy() const override { return new KT_Spot_Light_Data(*this); }

    KT_Lighting_Type type() const override { return KT_Lighting_Type::Spot; }
    KT_Lighting_Attenuation attenuation() const override { return attenuation_; }
    // A null point is the origin.
    KT_Lighting_Info illuminate(const KT_Rendition* rendition, const KT_Vector* normal,
                                const KT_Point* point,
                                const KT_Parameter* parameter) const override;

    const KT_Point& position() const { return position_; }
    const KT_Point& current_position() const { return current_position_; }
    const KT_Vector& direction() const { return direction_; }
    const KT_Vector& current_direction() const { return current_direction_; }
    const KT_Vector& unit_direction() const { return unit_direction_; }
    const KT_Spot_Cone& cone() const { return cone_; }
    // 1 / (inner - outer), or 0 for a cone without a falloff ring.
    float reciprocal_falloff_width() const { return reciprocal_falloff_width_; }

    void set_position(const KT_Point& position);
    void set_current_position(const KT_Point& position) { current_position_ = position; }
    void set_direction(const KT_Vector& direction);
    void set_current_direction(const KT_Vector& direction);
    void set_cone(const KT_Spot_Cone& cone);
    void set_attenuation(KT_Lighting_Attenuation attenuation) { attenuation_ = attenuation; }

    const KT_Light_Shadow& light_shadow() const { return light_shadow_; }
    void set_light_shadow(const KT_Light_Shadow& shadow) { light_shadow_ = shadow; }

private:
    float cone_factor(float cosine) const;

    KT_Point position_;
    KT_Point current_position_;
    KT_Vector direction_;
    KT_Vector current_direction_;
    KT_Spot_Cone cone_;
    KT_Light_Shadow light_shadow_;
    KT_Lighting_Attenuation attenuation_ = KT_Lighting_Attenuation::None;
    KT_Vector unit_direction_;
    float reciprocal_falloff_width_ = 0.0f;
};

class KAVRI_API KT_Ambient_Light : public KT_Light {
public:
    KT_Ambient_Light();
    explicit KT_Ambient_Light(const KT_RGB& colour);
};

// Handle base of the lights that carry their own shadow block.
template <class Data> class KT_Shadowed_Light : public KT_Typed_Light<Data> {
public:
    const KT_Light_Shadow& light_shadow() const { return this->data()->light_shadow(); }
    void set_light_shadow(const KT_Light_Shadow& shadow) {
        this->edit_data()->set_light_shadow(shadow);
    }

protected:
    explicit KT_Shadowed_Light(Data* body) : KT_Typed_Light<Data>(body) {}
};

class KAVRI_API KT_Distant_Light : public KT_Shadowed_Light<KT_Distant_Light_Data> {
public:
    explicit KT_Distant_Light(const KT_Vector& direction);

    const KT_Vector& direction() const { return data()->direction(); }
    const KT_Vector& current_direction() const { return data()->current_direction(); }
    const KT_Vector& unit_direction() const { return data()->unit_direction(); }
    void set_direction(const KT_Vector& direction) { edit_data()->set_direction(direction); }
    void set_current_direction(const KT_Vector& direction) {
        edit_data()->set_current_direction(direction);
    }
};

class KAVRI_API KT_Point_Light : public KT_Shadowed_Light<KT_Point_Light_Data> {
public:
    explicit KT_Point_Light(const KT_Point& position);

    const KT_Light_Positions& positions() const { return data()->positions(); }
    void set_position(const KT_Point& position) { edit_data()->set_position(position); }
    void set_positions(const KT_Light_Positions& positions) {
        edit_data()->set_positions(positions);
    }
    void set_attenuation(KT_Lighting_Attenuation attenuation) {
        edit_data()->set_attenuation(attenuation);
    }
};

class KAVRI_API KT_Spot_Light : public KT_Shadowed_Light<KT_Spot_Light_Data> {
public:
    KT_Spot_Light(const KT_Point& position, const KT_Vector& direction, float inner_angle,
                  float outer_angle, float falloff_exponent = 1.0f,
                  float concentration_exponent = 0.0f);

    const KT_Point& position() const { return data()->position(); }
    const KT_Point& current_position() const { return data()->current_position(); }
    const KT_Vector& direction() const { return data()->direction(); }
    const KT_Vector& current_direction() const { return data()->current_direction(); }
    const KT_Vector& unit_direction() const { return data()->unit_direction(); }
    const KT_Spot_Cone& cone() const { return data()->cone(); }
    float reciprocal_falloff_width() const { return data()->reciprocal_falloff_width(); }
    void set_position(const KT_Point& position) { edit_data()->set_position(position); }
    void set_current_position(const KT_Point& position) {
        edit_data()->set_current_position(position);
    }
    void set_direction(const KT_Vector& direction) { edit_data()->set_direction(direction); }
    void set_current_direction(const KT_Vector& direction) {
        edit_data()->set_current_direction(direction);
    }
    void set_cone(const KT_Spot_Cone& cone) { edit_data()->set_cone(cone); }
    void set_attenuation(KT_Lighting_Attenuation attenuation) {
        edit_data()->set_attenuation(attenuation);
    }
};
