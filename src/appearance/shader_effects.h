// Shaders for effects rather than surfaces: glow, Gooch tone shading and
// zebra stripes. Renderers that understand them read their fields; the
// library shades glow as mid grey and Gooch with its tone ramp.
#pragma once

#include <cstdint>

#include "appearance/material.h"
#include "foundation/export.h"

class KAVRI_API KT_Glow_Material_Data : public KT_Shader_Data {
public:
    // Glow mode that keeps point primitives from glowing.
    static constexpr std::int32_t no_point_glow = 4;

    KT_Glow_Material_Data() = default;
    KT_Counted* copy() const override { return new KT_Glow_Material_Data(*this); }

    KT_Shader_Type type() const override { return KT_Shader_Type::Glow; }
    KT_RGBA shade(const KT_Rendition*, const KT_Vector*, const KT_Point*, const KT_RGBA*,
                  const KT_Parameter*, int, const KT_Vector*) const override {
        return {0.5f, 0.5f, 0.5f, 1.0f};
    }

    std::int32_t glow_flags = 0;
    std::uint8_t glow_color[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::int32_t mode = 0;
};

// Cool-to-warm tone shading: surfaces turned towards the tone direction
// take the warm tone, those turned away the cool one, each mixed with the
// surface colour; a white highlight follows the direction's reflection.
class KAVRI_API KT_Gooch_Material_Data : public KT_Shader_Data {
public:
    KT_Gooch_Material_Data() = default;
    KT_Counted* copy() const override { return new KT_Gooch_Material_Data(*this); }

    KT_Shader_Type type() const override { return KT_Shader_Type::Gooch; }
    KT_Texture diffuse_texture() const override { return texture; }
    // Without a normal the surface colour comes back untoned.
    KT_RGBA shade(const KT_Rendition* rendition, const KT_Vector* normal, const KT_Point* point,
                  const KT_RGBA* colour, const KT_Parameter* parameters, int parameter_width,
                  const KT_Vector* second_vector) const override;

    KT_Texture texture;
    // Unit direction towards the tone light, in the space normals are in.
    KT_Vector direction = {-0.57346f, 0.49154f, 0.65539f};
    float blue = 0.6f;   // cool tone (0, 0, blue)
    float yellow = 0.6f; // warm tone (yellow, yellow, 0)
    float alpha = 0.0f;  // share of the surface colour in the cool tone
    std::int64_t renderer_data = 0;
    float beta = 0.6f; // share of the surface colour in the warm tone
    KT_RGB cool_tint = {1.0f, 1.0f, 1.0f};
    KT_RGB warm_tint = {1.0f, 1.0f, 1.0f};
    // Outline parameters for renderers that draw silhouettes.
    float silhouette_threshold = 0.65f;
    float silhouette_width = 0.1f;
    float highlight_exponent = 8.0f;
    float highlight_strength = 1.0f;
};

class KAVRI_API KT_Zebra_Material_Data : public KT_Shader_Data {
public:
    KT_Zebra_Material_Data() = default;
    KT_Counted* copy() const override { return new KT_Zebra_Material_Data(*this); }

    KT_Shader_Type type() const override { return KT_Shader_Type::Zebra; }
    // Stripes are the renderer's; the library draws the base colour.
    KT_RGBA shade(const KT_Rendition* rendition, const KT_Vector*, const KT_Point*,
                  const KT_RGBA* colour, const KT_Parameter*, int, const KT_Vector*) const override;

    std::int32_t stripe_mode = -1;
};

class KAVRI_API KT_Glow_Material : public KT_Typed_Material<KT_Glow_Material_Data, KT_Shader> {
public:
    KT_Glow_Material() : KT_Typed_Material(new KT_Glow_Material_Data) {}
    void set_mode(std::int32_t mode) { edit_data()->mode = mode; }
};

class KAVRI_API KT_NoPointGlow_Glow_Material : public KT_Glow_Material {
public:
    KT_NoPointGlow_Glow_Material() { set_mode(KT_Glow_Material_Data::no_point_glow); }
};

class KAVRI_API KT_Gooch_Material : public KT_Typed_Material<KT_Gooch_Material_Data, KT_Shader> {
public:
    KT_Gooch_Material() : KT_Typed_Material(new KT_Gooch_Material_Data) {}

    void set_texture(const KT_Texture& t) { edit_data()->texture = t; }
    // A zero direction is kept as given and tones every surface halfway.
    void set_direction(const KT_Vector& d) { edit_data()->direction = KD_Normalized(d); }
    void set_tones(float blue, float yellow, float alpha, float beta);
};

class KAVRI_API KT_Zebra_Material : public KT_Typed_Material<KT_Zebra_Material_Data, KT_Shader> {
public:
    KT_Zebra_Material() : KT_Typed_Material(new KT_Zebra_Material_Data) {}
};
