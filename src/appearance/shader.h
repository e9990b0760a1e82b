// Shaders turn a surface point, its normal, the rendition's lights and a
// base colour into a shaded colour. Materials are shaders with colour
// factors, a shininess and textures; each kind is told apart by type().
#pragma once

#include <cstdint>

#include "appearance/light_set.h"
#include "appearance/texture.h"
#include "appearance/typed_handle.h"
#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"
#include "math/vector.h"

class KT_Rendition;

enum class KT_Shader_Type : std::int32_t {
    Shader = 0,
    Basic = 1,
    Complex = 2,
    Basic_Textured = 3,
    Complex_Textured = 4,
    Gooch = 5,
    Zebra = 6,
    Glow = 7,
};

class KAVRI_API KT_Shader_Data : public KT_Counted {
public:
    KT_Shader_Data() = default;

    virtual KT_Shader_Type type() const { return KT_Shader_Type::Shader; }
    // The texture that gives the surface its colour; empty for kinds
    // without one.
    virtual KT_Texture diffuse_texture() const { return KT_Texture(); }
    // Without a normal, or without lights in the rendition, the base colour
    // comes back unlit. second_vector tells which side of the surface is
    // lit: it is turned towards the viewer, and the normal towards it.
    virtual KT_RGBA shade(const KT_Rendition* rendition, const KT_Vector* normal,
                          const KT_Point* point, const KT_RGBA* colour,
                          const KT_Parameter* parameters, int parameter_width,
                          const KT_Vector* second_vector) const = 0;
    // Narrows the point; one beyond the float range shades the origin.
    KT_RGBA shade_d(const KT_Rendition* rendition, const KT_Vector* normal, const KT_Point_D* point,
                    const KT_RGBA* colour, const KT_Parameter* parameters, int parameter_width,
                    const KT_Vector* second_vector) const;

    std::int32_t shader_flags = 0;
};

class KAVRI_API KT_Shader : public KT_Typed_Handle<KT_Shader_Data> {
public:
    KT_Shader() = default;
    explicit KT_Shader(KT_Shader_Data* body) : KT_Typed_Handle(body) {}

    // An empty handle is a plain shader that returns the base colour.
    KT_Shader_Type type() const { return body_ ? body_->type() : KT_Shader_Type::Shader; }
    KT_Texture diffuse_texture() const { return body_ ? body_->diffuse_texture() : KT_Texture(); }
    KT_RGBA shade(const KT_Rendition* rendition, const KT_Vector* normal, const KT_Point* point,
                  const KT_RGBA* colour, const KT_Parameter* parameters = nullptr,
                  int parameter_width = 0, const KT_Vector* second_vector = nullptr) const;
    KT_RGBA shade_d(const KT_Rendition* rendition, const KT_Vector* normal, const KT_Point_D* point,
                    const KT_RGBA* colour, const KT_Parameter* parameters = nullptr,
                    int parameter_width = 0, const KT_Vector* second_vector = nullptr) const;
};

// What shading reads of the drawing state. The rendition fills it in, so
// that shaders depend on this record rather than on the rendition's layout.
struct KAVRI_API KT_Shading_Scene {
    KT_RGB32 front_colour;
    // Unit direction towards the viewer.
    KT_Vector view_direction;
    // Null: nothing is lit.
    const KT_Light_Set_Data* lights;
};

// Defined with the rendition. A null or empty rendition gives opaque black,
// a viewer along +z and no lights.
KAVRI_API KT_Shading_Scene KD_Shading_Scene(const KT_Rendition* rendition);

namespace detail {

// The colour a shader starts from: the colour argument, else the
// rendition's front colour (black without a rendition).
KT_RGBA base_colour(const KT_Rendition* rendition, const KT_RGBA* colour);

// Everything the lighting loop needs to know of the scene at one point.
struct Lighting_Frame {
    // Null when the rendition has no lights: the surface is drawn unlit.
    const KT_Light_Set_Data* lights;
    KT_Vector normal; // facing the lit side
    KT_Vector eye;    // unit direction towards the viewer
};

// The viewer direction of the rendition ((0, 0, 1) without one) and the
// normal turned to the side second_vector (or the viewer) looks at; lights
// are left null.
Lighting_Frame oriented_frame(const KT_Rendition* rendition, const KT_Vector& normal,
                              const KT_Vector* second_vector);

// Lights apply only with a normal and a light set; then the frame is
// oriented as above.
Lighting_Frame lighting_frame(const KT_Rendition* rendition, const KT_Vector* normal,
                              const KT_Vector* second_vector);

// The reflectances one lighting pass multiplies light colours by.
struct Reflectance {
    KT_RGB start;    // emitted light, added once
    KT_RGB ambient;  // times ambient light
    KT_RGB diffuse;  // times N . L
    KT_RGB specular; // times (R . E) ^ shininess
    float shininess;
    // Raise by five multiplications when the shininess is exactly 5.
    bool fast_power;
};

// Sums every light of the frame over the reflectances (unclamped).
KT_RGB accumulate_lights(const KT_Rendition* rendition, const Lighting_Frame& frame,
                         const KT_Point* point, const KT_Parameter* parameters,
                         const Reflectance& r);

inline float clamp_unit(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}
inline KT_RGBA clamped(const KT_RGB& c, float alpha) {
    return {clamp_unit(c.red), clamp_unit(c.green), clamp_unit(c.blue), clamp_unit(alpha)};
}

} // namespace detail
