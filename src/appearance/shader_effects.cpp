#include "appearance/shader_effects.h"

#include <cmath>

KT_RGBA KT_Gooch_Material_Data::shade(const KT_Rendition* rendition, const KT_Vector* normal,
                                      const KT_Point* point, const KT_RGBA* colour,
                                      const KT_Parameter* parameters, int parameter_width,
                                      const KT_Vector* second_vector) const {
    KT_RGBA kd = detail::base_colour(rendition, colour);
    if (!texture.empty() && parameters && parameter_width > 0) {
        const KT_RGBA t = texture.value(parameters, parameter_width, point, normal, rendition);
        kd = {kd.red * t.red, kd.green * t.green, kd.blue * t.blue, kd.alpha * t.alpha};
    }
    if (!normal) return kd;
    const detail::Lighting_Frame frame = detail::oriented_frame(rendition, *normal, second_vector);
    const float nl = KD_Dot(frame.normal, direction);
    // 1 facing the tone light, 0 facing away.
    const float warmth = (1.0f + nl) * 0.5f;
    const KT_RGB cool = {cool_tint.red * (alpha * kd.red), cool_tint.green * (alpha * kd.green),
                         cool_tint.blue * (blue + alpha * kd.blue)};
    const KT_RGB warm = {warm_tint.red * (yellow + beta * kd.red),
                         warm_tint.green * (yellow + beta * kd.green),
                         warm_tint.blue * (beta * kd.blue)};
    KT_RGB c = {warmth * warm.red + (1.0f - warmth) * cool.red,
                warmth * warm.green + (1.0f - warmth) * cool.green,
                warmth * warm.blue + (1.0f - warmth) * cool.blue};
    if (nl > 0.0f) {
        const float s = KD_Dot(frame.normal * (2.0f * nl) - direction, frame.eye);
        if (s > 1e-6f) {
            const float h = highlight_strength * std::pow(s, highlight_exponent);
            c = {c.red + h, c.green + h, c.blue + h};
        }
    }
    return detail::clamped(c, kd.alpha);
}

void KT_Gooch_Material::set_tones(float blue, float yellow, float alpha, float beta) {
    KT_Gooch_Material_Data* d = edit_data();
    d->blue = blue;
    d->yellow = yellow;
    d->alpha = alpha;
    d->beta = beta;
}

KT_RGBA KT_Zebra_Material_Data::shade(const KT_Rendition* rendition, const KT_Vector*,
                                      const KT_Point*, const KT_RGBA* colour, const KT_Parameter*,
                                      int, const KT_Vector*) const {
    return detail::base_colour(rendition, colour);
}
