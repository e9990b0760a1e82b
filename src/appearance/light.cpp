#include "appearance/light.h"

#include <algorithm>
#include <cmath>

#include "math/arc_cosine.h"

namespace {

constexpr KT_Point origin = {0.0f, 0.0f, 0.0f};
// Below this difference between the cone angles there is no falloff ring.
constexpr float min_falloff_width = 0.0001f;

KT_RGB scaled(const KT_RGB& c, float f) {
    return {c.red * f, c.green * f, c.blue * f};
}

KT_Vector towards(const KT_Point& light, const KT_Point* point) {
    return light - (point ? *point : origin);
}

bool is_finite(const KT_Vector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// 1, 1/|d| or 1/|d|^2; a zero distance leaves the light unattenuated.
float distance_factor(KT_Lighting_Attenuation attenuation, const KT_Vector& d) {
    const float length_squared = KD_Dot(d, d);
    switch (attenuation) {
    case KT_Lighting_Attenuation::Inverse_Distance: {
        const float length = std::sqrt(length_squared);
        return length > 0.0f ? 1.0f / length : 1.0f;
    }
    case KT_Lighting_Attenuation::Inverse_Square:
        return length_squared > 0.0f ? 1.0f / length_squared : 1.0f;
    default:
        return 1.0f;
    }
}

// A point no finite distance away receives nothing.
KT_Lighting_Info unlit(const KT_Point* position) {
    return {{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, position};
}

} // namespace

KT_Lighting_Info KT_Ambient_Light_Data::illuminate(const KT_Rendition*, const KT_Vector*,
                                                   const KT_Point*, const KT_Parameter*) const {
    return {colour(), {0.0f, 0.0f, 0.0f}, nullptr};
}

KT_Distant_Light_Data::KT_Distant_Light_Data(const KT_Vector& direction)
    : direction_(direction), current_direction_(direction),
      unit_direction_(KD_Normalized(direction)) {}

void KT_Distant_Light_Data::set_direction(const KT_Vector& direction) {
    direction_ = direction;
    set_current_direction(direction);
}

void KT_Distant_Light_Data::set_current_direction(const KT_Vector& direction) {
    current_direction_ = direction;
    unit_direction_ = KD_Normalized(direction);
}

KT_Lighting_Info KT_Distant_Light_Data::illuminate(const KT_Rendition*, const KT_Vector*,
                                                   const KT_Point*, const KT_Parameter*) const {
    return {colour(), unit_direction_, nullptr};
}

KT_Point_Light_Data::KT_Point_Light_Data(const KT_Point& position)
    : positions_{position, position, position, position} {}

void KT_Point_Light_Data::set_position(const KT_Point& position) {
    positions_ = {position, position, position, position};
}

KT_Lighting_Info KT_Point_Light_Data::illuminate(const KT_Rendition*, const KT_Vector*,
                                                 const KT_Point* point, const KT_Parameter*) const {
    const KT_Vector d = towards(positions_.current, point);
    if (!is_finite(d)) return unlit(&positions_.current);
    return {scaled(colour(), distance_factor(attenuation_, d)), KD_Normalized(d),
            &positions_.current};
}

KT_Spot_Light_Data::KT_Spot_Light_Data(const KT_Point& position, const KT_Vector& direction,
                                       float inner_angle, float outer_angle, float falloff_exponent,
                                       float concentration_exponent)
    : position_(position), current_position_(position), direction_(direction),
      current_direction_(direction), unit_direction_(KD_Normalized(direction)) {
    set_cone({inner_angle, outer_angle, falloff_exponent, concentration_exponent});
}

void KT_Spot_Light_Data::set_position(const KT_Point& position) {
    position_ = position;
    current_position_ = position;
}

void KT_Spot_Light_Data::set_direction(const KT_Vector& direction) {
    direction_ = direction;
    set_current_direction(direction);
}

void KT_Spot_Light_Data::set_current_direction(const KT_Vector& direction) {
    current_direction_ = direction;
    unit_direction_ = KD_Normalized(direction);
}

void KT_Spot_Light_Data::set_cone(const KT_Spot_Cone& cone) {
    cone_ = cone;
    const float width = cone.inner_angle - cone.outer_angle;
    reciprocal_falloff_width_ = std::fabs(width) < min_falloff_width ? 0.0f : 1.0f / width;
}

// cosine is that of the angle between the spot's axis and the way from the
// light to the point.
float KT_Spot_Light_Data::cone_factor(float cosine) const {
    const float angle = KD_ACos(cosine);
    if (!(angle < cone_.outer_angle)) return 0.0f;
    float factor = 1.0f;
    if (angle > cone_.inner_angle) {
        factor = (angle - cone_.outer_angle) * reciprocal_falloff_width_;
        if (cone_.falloff_exponent > 0.0f && cone_.falloff_exponent != 1.0f)
            factor = std::pow(factor, cone_.falloff_exponent);
    }
    // Cones wider than a half sphere reach behind the light, where the
    // cosine is negative and has no real power.
    if (cone_.concentration_exponent > 0.0f)
        factor *= std::pow(std::max(cosine, 0.0f), cone_.concentration_exponent);
    return factor;
}

KT_Lighting_Info KT_Spot_Light_Data::illuminate(const KT_Rendition*, const KT_Vector*,
                                                const KT_Point* point, const KT_Parameter*) const {
    const KT_Vector d = towards(current_position_, point);
    if (!is_finite(d)) return unlit(&current_position_);
    const KT_Vector to_light = KD_Normalized(d);
    const float factor =
        std::min(cone_factor(-KD_Dot(to_light, unit_direction_)), distance_factor(attenuation_, d));
    return {scaled(colour(), factor), to_light, &current_position_};
}

KT_Ambient_Light::KT_Ambient_Light() : KT_Light(new KT_Ambient_Light_Data) {}

KT_Ambient_Light::KT_Ambient_Light(const KT_RGB& colour) : KT_Ambient_Light() {
    set_colour(colour);
}

KT_Distant_Light::KT_Distant_Light(const KT_Vector& direction)
    : KT_Shadowed_Light(new KT_Distant_Light_Data(direction)) {}

KT_Point_Light::KT_Point_Light(const KT_Point& position)
    : KT_Shadowed_Light(new KT_Point_Light_Data(position)) {}

KT_Spot_Light::KT_Spot_Light(const KT_Point& position, const KT_Vector& direction,
                             float inner_angle, float outer_angle, float falloff_exponent,
                             float concentration_exponent)
    : KT_Shadowed_Light(new KT_Spot_Light_Data(position, direction, inner_angle, outer_angle,
                                               falloff_exponent, concentration_exponent)) {}
