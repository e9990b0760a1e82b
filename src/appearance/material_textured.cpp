#include "appearance/material_textured.h"

namespace {

// The texel at the first parameter; white when there is no texture to read.
KT_RGBA texel(const KT_Texture& texture, const KT_Point* point, const KT_Vector* normal,
              const KT_Parameter* parameters, int width, const KT_Rendition* rendition) {
    if (texture.empty() || !parameters || width < 1) return {1.0f, 1.0f, 1.0f, 1.0f};
    return texture.value(parameters, width, point, normal, rendition);
}

KT_RGB times(const KT_RGB& c, const KT_RGBA& t) {
    return {c.red * t.red, c.green * t.green, c.blue * t.blue};
}

} // namespace

KT_RGBA KT_Basic_Textured_Material_Data::shade(const KT_Rendition* rendition,
                                               const KT_Vector* normal, const KT_Point* point,
                                               const KT_RGBA* colour,
                                               const KT_Parameter* parameters, int parameter_width,
                                               const KT_Vector* second_vector) const {
    const KT_RGBA t = texel(texture, point, normal, parameters, parameter_width, rendition);
    const KT_RGB base = colour ? KT_RGB{colour->red, colour->green, colour->blue} : diffuse_color;
    const KT_RGB surface = times(base, t);
    const float alpha = (colour ? colour->alpha : 1.0f) * t.alpha;
    const detail::Lighting_Frame frame = detail::lighting_frame(rendition, normal, second_vector);
    if (!frame.lights) return detail::clamped(surface, alpha);
    const detail::Reflectance r{{0, 0, 0},      surface,   surface,
                                specular_color, shininess, shininess == 5.0f};
    return detail::clamped(detail::accumulate_lights(rendition, frame, point, parameters, r),
                           alpha);
}

KT_RGBA KT_Complex_Textured_Material_Data::shade(const KT_Rendition* rendition,
                                                 const KT_Vector* normal, const KT_Point* point,
                                                 const KT_RGBA* colour,
                                                 const KT_Parameter* parameters,
                                                 int parameter_width,
                                                 const KT_Vector* second_vector) const {
    auto slot = [&](int i) {
        return texel(textures[i], point, normal, parameters, parameter_width, rendition);
    };
    const KT_RGBA diffuse_texel = slot(KT_Diffuse_Texture);
    const KT_RGB base = colour ? KT_RGB{colour->red, colour->green, colour->blue} : diffuse_color;
    const KT_RGB d = times(base, diffuse_texel);
    const float alpha = opacity * diffuse_texel.alpha * slot(KT_Opacity_Texture).alpha;
    const detail::Lighting_Frame frame = detail::lighting_frame(rendition, normal, second_vector);
    if (!frame.lights || !(opacity > 0.0f)) return detail::clamped(d, alpha);
    const KT_RGB emitted = textures[KT_Emissive_Texture].empty()
                               ? KT_RGB{0, 0, 0}
                               : times({1, 1, 1}, slot(KT_Emissive_Texture));
    const detail::Reflectance r{emitted,   times(ambient_color, diffuse_texel),
                                d,         times(specular_color, slot(KT_Specular_Texture)),
                                shininess, false};
    return detail::clamped(detail::accumulate_lights(rendition, frame, point, parameters, r),
                           alpha);
}
