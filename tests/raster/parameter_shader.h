// A shader that shows its first texture coordinate: red is u, green is v,
// so pictures reveal how parameters were interpolated.
#pragma once

#include "appearance/material.h"
#include "rendition/rendition.h"

namespace raster_test {

class Parameter_Shader : public KT_Shader_Data {
public:
    KT_Counted* copy() const override { return new Parameter_Shader(*this); }
    KT_RGBA shade(const KT_Rendition*, const KT_Vector*, const KT_Point*, const KT_RGBA*,
                  const KT_Parameter* parameters, int width, const KT_Vector*) const override {
        if (!parameters || width < 1) return {0.0f, 0.0f, 0.0f, 1.0f};
        return {parameters->u, parameters->v, 0.0f, 1.0f};
    }
};

inline void show_parameters(KT_Rendition& rendition) {
    rendition.modify_color().front_material = KT_Material(KT_Shader(new Parameter_Shader));
}

} // namespace raster_test
