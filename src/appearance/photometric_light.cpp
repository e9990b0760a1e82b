#include "appearance/photometric_light.h"

namespace {

constexpr KT_RGB white = {1.0f, 1.0f, 1.0f};
constexpr KT_Vector straight_down = {0.0f, 0.0f, -1.0f};

} // namespace

KT_Photometric_Distant_Light_Data::KT_Photometric_Distant_Light_Data(const KT_Vector& direction)
    : direction_(direction) {}

KT_Lighting_Info KT_Photometric_Distant_Light_Data::illuminate(const KT_Rendition*,
                                                               const KT_Vector*, const KT_Point*,
                                                               const KT_Parameter*) const {
    return {params_.colour_factors, direction_.unit, nullptr};
}

KT_Photometric_Sun_Data::KT_Photometric_Sun_Data(const KT_Vector& direction)
    : direction_(direction) {}

KT_Lighting_Info KT_Photometric_Sun_Data::illuminate(const KT_Rendition*, const KT_Vector*,
                                                     const KT_Point*, const KT_Parameter*) const {
    return {white, direction_.unit, nullptr};
}

KT_Photometric_Near_Light_Data::KT_Photometric_Near_Light_Data(const KT_Point& position)
    : position_(position), direction_(straight_down) {}

KT_Lighting_Info KT_Photometric_Near_Light_Data::illuminate(const KT_Rendition*, const KT_Vector*,
                                                            const KT_Point*,
                                                            const KT_Parameter*) const {
    return {white, {0.0f, 0.0f, 1.0f}, &position_};
}

KT_Photometric_Spot_Light_Data::KT_Photometric_Spot_Light_Data(const KT_Point& position,
                                                               const KT_Vector& direction,
                                                               float hotspot_angle,
                                                               float falloff_angle)
    : KT_Photometric_Near_Light_Data(position), hotspot_angle_(hotspot_angle),
      falloff_angle_(falloff_angle) {
    set_direction(direction);
}

KT_Photometric_Web_Light_Data::KT_Photometric_Web_Light_Data(const KT_Point& position,
                                                             const KT_String& web_file)
    : KT_Photometric_Near_Light_Data(position), web_file_(web_file) {}

KT_Photometric_Distant_Light::KT_Photometric_Distant_Light(const KT_Vector& direction)
    : KT_Photometric_Light(new KT_Photometric_Distant_Light_Data(direction)) {}

KT_Photometric_Sun::KT_Photometric_Sun(const KT_Vector& direction)
    : KT_Photometric_Light(new KT_Photometric_Sun_Data(direction)) {}

KT_Photometric_Point_Light::KT_Photometric_Point_Light(const KT_Point& position)
    : KT_Photometric_Near_Light(new KT_Photometric_Point_Light_Data(position)) {}

KT_Photometric_Spot_Light::KT_Photometric_Spot_Light(const KT_Point& position,
                                                     const KT_Vector& direction,
                                                     float hotspot_angle, float falloff_angle)
    : KT_Photometric_Near_Light(
          new KT_Photometric_Spot_Light_Data(position, direction, hotspot_angle, falloff_angle)) {}

KT_Photometric_Web_Light::KT_Photometric_Web_Light(const KT_Point& position,
                                                   const KT_String& web_file)
    : KT_Photometric_Near_Light(new KT_Photometric_Web_Light_Data(position, web_file)) {}
