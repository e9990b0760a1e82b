// Materials: shaders with colour factors and a shininess. The basic
// material lights its base colour with the classic ambient, diffuse and
// specular sum; the complex one has its own ambient, diffuse, specular and
// emitted colours and an opacity.
#pragma once

#include "appearance/shader.h"
#include "foundation/export.h"

class KAVRI_API KT_Material_Data : public KT_Shader_Data {
public:
    KT_Material_Data() = default;
};

class KAVRI_API KT_Basic_Material_Data : public KT_Material_Data {
public:
    KT_Basic_Material_Data() = default;
    KT_Counted* copy() const override { return new KT_Basic_Material_Data(*this); }

    KT_Shader_Type type() const override { return KT_Shader_Type::Basic; }
    KT_RGBA shade(const KT_Rendition* rendition, const KT_Vector* normal, const KT_Point* point,
                  const KT_RGBA* colour, const KT_Parameter* parameters, int parameter_width,
                  const KT_Vector* second_vector) const override;

    KT_RGB specular_color = {1.0f, 1.0f, 1.0f};
    float shininess = 5.0f;
};

class KAVRI_API KT_Complex_Material_Data : public KT_Material_Data {
public:
    KT_Complex_Material_Data() = default;
    KT_Counted* copy() const override { return new KT_Complex_Material_Data(*this); }

    KT_Shader_Type type() const override { return KT_Shader_Type::Complex; }
    // The colour argument replaces the diffuse colour; its alpha is not
    // used, the opacity is.
    KT_RGBA shade(const KT_Rendition* rendition, const KT_Vector* normal, const KT_Point* point,
                  const KT_RGBA* colour, const KT_Parameter* parameters, int parameter_width,
                  const KT_Vector* second_vector) const override;

    KT_RGB diffuse_color = {0.7f, 0.7f, 0.7f};
    KT_RGB ambient_color = {0.7f, 0.7f, 0.7f};
    KT_RGB specular_color = {1.0f, 1.0f, 1.0f};
    // Carried for renderers: reflection, refraction and translucency terms.
    float renderer_terms[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    KT_RGB emissive_color = {0.0f, 0.0f, 0.0f};
    float shininess = 5.0f;
    float opacity = 1.0f;
};

// Handle of any material; an empty handle shades as a plain shader.
class KAVRI_API KT_Material : public KT_Shader {
public:
    KT_Material() = default;
    explicit KT_Material(KT_Material_Data* body) : KT_Shader(body) {}
    // Any shader may serve as a surface's material.
    explicit KT_Material(const KT_Shader& shader) : KT_Shader(shader) {}
};

// Handle base of one material kind: typed access to its own body, which
// setters copy on write.
template <class Data, class Base = KT_Material> class KT_Typed_Material : public Base {
public:
    const Data* data() const { return this->template view<Data>(); }
    Data* edit_data() { return this->template edit<Data>(); }

protected:
    explicit KT_Typed_Material(Data* body) : Base(body) {}
};

class KAVRI_API KT_Basic_Material : public KT_Typed_Material<KT_Basic_Material_Data> {
public:
    KT_Basic_Material() : KT_Typed_Material(new KT_Basic_Material_Data) {}

    void set_specular_color(const KT_RGB& c) { edit_data()->specular_color = c; }
    void set_shininess(float s) { edit_data()->shininess = s; }
};

class KAVRI_API KT_Complex_Material : public KT_Typed_Material<KT_Complex_Material_Data> {
public:
    KT_Complex_Material() : KT_Typed_Material(new KT_Complex_Material_Data) {}

    void set_diffuse_color(const KT_RGB& c) { edit_data()->diffuse_color = c; }
    void set_ambient_color(const KT_RGB& c) { edit_data()->ambient_color = c; }
    void set_specular_color(const KT_RGB& c) { edit_data()->specular_color = c; }
    void set_emissive_color(const KT_RGB& c) { edit_data()->emissive_color = c; }
    void set_shininess(float s) { edit_data()->shininess = s; }
    void set_opacity(float o) { edit_data()->opacity = o; }
};
