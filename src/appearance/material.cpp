#include "appearance/material.h"

KT_RGBA KT_Basic_Material_Data::shade(const KT_Rendition* rendition, const KT_Vector* normal,
                                      const KT_Point* point, const KT_RGBA* colour,
                                      const KT_Parameter* parameters, int,
                                      const KT_Vector* second_vector) const {
    const KT_RGBA base = detail::base_colour(rendition, colour);
    const detail::Lighting_Frame frame = detail::lighting_frame(rendition, normal, second_vector);
    if (!frame.lights) return base;
    const KT_RGB b = {base.red, base.green, base.blue};
    const detail::Reflectance r{{0, 0, 0}, b, b, specular_color, shininess, shininess == 5.0f};
    return detail::clamped(detail::accumulate_lights(rendition, frame, point, parameters, r),
                           base.alpha);
}

KT_RGBA KT_Complex_Material_Data::shade(const KT_Rendition* rendition, const KT_Vector* normal,
                                        const KT_Point* point, const KT_RGBA* colour,
                                        const KT_Parameter* parameters, int,
                                        const KT_Vector* second_vector) const {
    const KT_RGB d = colour ? KT_RGB{colour->red, colour->green, colour->blue} : diffuse_color;
    const detail::Lighting_Frame frame = detail::lighting_frame(rendition, normal, second_vector);
    if (!frame.lights || !(opacity > 0.0f)) return detail::clamped(d, opacity);
    const detail::Reflectance r{emissive_color, ambient_color, d, specular_color, shininess, false};
    return detail::clamped(detail::accumulate_lights(rendition, frame, point, parameters, r),
                           opacity);
}
