#include "appearance/shader.h"

#include <cmath>

namespace {

// Points beyond this are taken as the origin rather than overflowing floats.
constexpr double narrow_limit = 1e30;

const KT_Point* narrowed(const KT_Point_D* point, KT_Point& storage) {
    if (!point) return nullptr;
    if (!(std::fabs(point->x) <= narrow_limit && std::fabs(point->y) <= narrow_limit &&
          std::fabs(point->z) <= narrow_limit))
        return nullptr;
    storage = KD_Narrow(*point);
    return &storage;
}

KT_RGB operator*(const KT_RGB& a, const KT_RGB& b) {
    return {a.red * b.red, a.green * b.green, a.blue * b.blue};
}

void add_scaled(KT_RGB& sum, const KT_RGB& c, float k) {
    sum.red += c.red * k;
    sum.green += c.green * k;
    sum.blue += c.blue * k;
}

float power(float s, float shininess, bool fast) {
    if (fast) return s * s * s * s * s;
    return std::pow(s, shininess);
}

} // namespace

KT_RGBA KT_Shader_Data::shade_d(const KT_Rendition* rendition, const KT_Vector* normal,
                                const KT_Point_D* point, const KT_RGBA* colour,
                                const KT_Parameter* parameters, int parameter_width,
                                const KT_Vector* second_vector) const {
    KT_Point storage;
    return shade(rendition, normal, narrowed(point, storage), colour, parameters, parameter_width,
                 second_vector);
}

KT_RGBA KT_Shader::shade(const KT_Rendition* rendition, const KT_Vector* normal,
                         const KT_Point* point, const KT_RGBA* colour,
                         const KT_Parameter* parameters, int parameter_width,
                         const KT_Vector* second_vector) const {
    if (!body_) return detail::base_colour(rendition, colour);
    return body_->shade(rendition, normal, point, colour, parameters, parameter_width,
                        second_vector);
}

KT_RGBA KT_Shader::shade_d(const KT_Rendition* rendition, const KT_Vector* normal,
                           const KT_Point_D* point, const KT_RGBA* colour,
                           const KT_Parameter* parameters, int parameter_width,
                           const KT_Vector* second_vector) const {
    if (!body_) return detail::base_colour(rendition, colour);
    return body_->shade_d(rendition, normal, point, colour, parameters, parameter_width,
                          second_vector);
}

namespace detail {

KT_RGBA base_colour(const KT_Rendition* rendition, const KT_RGBA* colour) {
    if (colour) return *colour;
    const KT_RGB32 c = KD_Shading_Scene(rendition).front_colour;
    constexpr float k = 1.0f / 255.0f;
    return {c.r * k, c.g * k, c.b * k, c.a * k};
}

Lighting_Frame oriented_frame(const KT_Rendition* rendition, const KT_Vector& normal,
                              const KT_Vector* second_vector) {
    Lighting_Frame frame{nullptr, normal, KD_Shading_Scene(rendition).view_direction};
    KT_Vector w = frame.eye;
    if (second_vector) {
        w = *second_vector;
        if (KD_Dot(w, frame.eye) < 0.0f) w = -w;
    }
    if (KD_Dot(frame.normal, w) <= 0.0f) frame.normal = -frame.normal;
    return frame;
}

Lighting_Frame lighting_frame(const KT_Rendition* rendition, const KT_Vector* normal,
                              const KT_Vector* second_vector) {
    const KT_Light_Set_Data* lights = KD_Shading_Scene(rendition).lights;
    if (!normal || !lights) return {nullptr, {0, 0, 0}, {0, 0, 1}};
    Lighting_Frame frame = oriented_frame(rendition, *normal, second_vector);
    frame.lights = lights;
    return frame;
}

KT_RGB accumulate_lights(const KT_Rendition* rendition, const Lighting_Frame& frame,
                         const KT_Point* point, const KT_Parameter* parameters,
                         const Reflectance& r) {
    KT_RGB sum = r.start;
    const KT_Vector& n = frame.normal;
    for (const KT_Filter& light : frame.lights->filters()) {
        const KT_Lighting_Info info = light.illuminate(rendition, &n, point, parameters);
        const KT_Vector& l = info.direction;
        if (l.x == 0.0f && l.y == 0.0f && l.z == 0.0f) {
            add_scaled(sum, info.colour * r.ambient, 1.0f);
            continue;
        }
        const float k = KD_Dot(n, l);
        if (!(k > 0.0f)) continue;
        add_scaled(sum, info.colour * r.diffuse, k);
        const KT_Vector reflected = n * (2.0f * k) - l;
        const float s = KD_Dot(reflected, frame.eye);
        if (s > 1e-6f)
            add_scaled(sum, info.colour * r.specular, power(s, r.shininess, r.fast_power));
    }
    return sum;
}

} // namespace detail
