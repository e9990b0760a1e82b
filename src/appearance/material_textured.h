// Materials whose colours come from textures: the texel at the shaded
// point's parameters scales the colour the plain kind would use.
#pragma once

#include <cstdint>

#include "appearance/material.h"
#include "foundation/export.h"

class KAVRI_API KT_Basic_Textured_Material_Data : public KT_Material_Data {
public:
    KT_Basic_Textured_Material_Data() = default;
    KT_Counted* copy() const override { return new KT_Basic_Textured_Material_Data(*this); }

    KT_Shader_Type type() const override { return KT_Shader_Type::Basic_Textured; }
    KT_Texture diffuse_texture() const override { return texture; }
    // The surface colour is the colour argument (else the diffuse colour)
    // times the texel; it reflects ambient and diffuse light alike.
    KT_RGBA shade(const KT_Rendition* rendition, const KT_Vector* normal, const KT_Point* point,
                  const KT_RGBA* colour, const KT_Parameter* parameters, int parameter_width,
                  const KT_Vector* second_vector) const override;

    KT_Texture texture;
    KT_RGB diffuse_color = {0.7f, 0.7f, 0.7f};
    KT_RGB specular_color = {1.0f, 1.0f, 1.0f};
    float shininess = 5.0f;
};

// Texture slots of the complex textured material that shading reads; the
// others are carried for renderers (bump, reflection, environment...).
enum KT_Material_Texture_Slot : int {
    KT_Diffuse_Texture = 0,
    KT_Specular_Texture = 1,
    KT_Emissive_Texture = 2,
    KT_Opacity_Texture = 3,
    KT_Material_Texture_Count = 10,
};

class KAVRI_API KT_Complex_Textured_Material_Data : public KT_Material_Data {
public:
    KT_Complex_Textured_Material_Data() = default;
    KT_Counted* copy() const override { return new KT_Complex_Textured_Material_Data(*this); }

    KT_Shader_Type type() const override { return KT_Shader_Type::Complex_Textured; }
    KT_Texture diffuse_texture() const override { return textures[KT_Diffuse_Texture]; }
    // As the complex material, each colour scaled by the texel of its slot
    // (when that slot holds a texture) and the emitted colour taken from
    // the emissive texture.
    KT_RGBA shade(const KT_Rendition* rendition, const KT_Vector* normal, const KT_Point* point,
                  const KT_RGBA* colour, const KT_Parameter* parameters, int parameter_width,
                  const KT_Vector* second_vector) const override;

    KT_Texture textures[KT_Material_Texture_Count];
    std::int64_t texture_data[5] = {0, 0, 0, 0, 0};
    KT_RGB diffuse_color = {0.7f, 0.7f, 0.7f};
    KT_RGB ambient_color = {0.7f, 0.7f, 0.7f};
    KT_RGB specular_color = {1.0f, 1.0f, 1.0f};
    std::int64_t renderer_data[4] = {0, 0, 0, 0};
    float shininess = 5.0f;
    float opacity = 1.0f;
    float reflectivity = 1.0f;
    std::int32_t renderer_flags = 0;
    // Strength of each of the first five texture slots.
    float texture_strength[5] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    float bump_scale = 1.0f;
    std::int64_t renderer_extra[3] = {0, 0, 0};
    std::uint8_t renderer_bytes[5] = {0, 0, 0, 0, 0};
    std::int64_t renderer_word = 0;
    std::int32_t filter_modes[2] = {3, 3};
};

class KAVRI_API KT_Basic_Textured_Material
    : public KT_Typed_Material<KT_Basic_Textured_Material_Data> {
public:
    KT_Basic_Textured_Material() : KT_Typed_Material(new KT_Basic_Textured_Material_Data) {}
    explicit KT_Basic_Textured_Material(const KT_Texture& texture) : KT_Basic_Textured_Material() {
        edit_data()->texture = texture;
    }

    void set_texture(const KT_Texture& t) { edit_data()->texture = t; }
    void set_diffuse_color(const KT_RGB& c) { edit_data()->diffuse_color = c; }
    void set_specular_color(const KT_RGB& c) { edit_data()->specular_color = c; }
    void set_shininess(float s) { edit_data()->shininess = s; }
};

class KAVRI_API KT_Complex_Textured_Material
    : public KT_Typed_Material<KT_Complex_Textured_Material_Data> {
public:
    KT_Complex_Textured_Material() : KT_Typed_Material(new KT_Complex_Textured_Material_Data) {}

    // Slots outside 0-9 are ignored.
    void set_texture(int slot, const KT_Texture& t) {
        if (slot >= 0 && slot < KT_Material_Texture_Count) edit_data()->textures[slot] = t;
    }
    void set_diffuse_color(const KT_RGB& c) { edit_data()->diffuse_color = c; }
    void set_ambient_color(const KT_RGB& c) { edit_data()->ambient_color = c; }
    void set_specular_color(const KT_RGB& c) { edit_data()->specular_color = c; }
    void set_shininess(float s) { edit_data()->shininess = s; }
    void set_opacity(float o) { edit_data()->opacity = o; }
};
