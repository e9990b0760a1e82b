#include "appearance/procedural_texture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "appearance/noise.h"

namespace {

KT_RGB blend(const KT_RGB& a, const KT_RGB& b, float t) {
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t,
            a.blue + (b.blue - a.blue) * t};
}

// A weight in [0, 1] raised to a sharpness; sharpness 0 or below (or not a
// number) leaves it as it is.
float sharpen(float weight, float sharpness) {
    weight = std::clamp(weight, 0.0f, 1.0f);
    return sharpness > 0.0f ? std::pow(weight, sharpness) : weight;
}

KT_RGB solid_colour(const KT_Marble_Params& params, const KT_Parameter& p) {
    return KD_Marble_Colour(params, p);
}

KT_RGB solid_colour(const KT_Wood_Params& params, const KT_Parameter& p) {
    return KD_Wood_Colour(params, p);
}

} // namespace

KT_RGB KD_Marble_Colour(const KT_Marble_Params& params, const KT_Parameter& p) {
    const float x = p.u * params.scale, y = p.v * params.scale, z = p.w * params.scale;
    const float phase = x * params.vein_frequency +
                        params.turbulence * KD_Turbulence(x, y, z, params.octaves, params.seed);
    // Veins where the sine crosses zero, thinned by the sharpness.
    const float vein =
        sharpen(1.0f - std::fabs(std::sin(std::numbers::pi_v<float> * phase)), params.sharpness);
    return blend(params.base_colour, params.vein_colour, vein);
}

KT_RGB KD_Wood_Colour(const KT_Wood_Params& params, const KT_Parameter& p) {
    const float du = p.u - params.axis_u, dw = p.w - params.axis_w;
    const float x = p.u * params.scale, y = p.v * params.scale, z = p.w * params.scale;
    // hypot: squaring a far parameter would overflow to a ring of no number.
    const float rings = std::hypot(du, dw) * params.scale * params.ring_frequency +
                        params.grain * KD_Turbulence(x, y, z, params.octaves, params.seed);
    const float within = rings - std::floor(rings);
    // Dark late wood at the middle of each ring, light early wood at its ends.
    const float late = 0.5f - 0.5f * std::cos(2.0f * std::numbers::pi_v<float> * within);
    return blend(params.light_colour, params.dark_colour, sharpen(late, params.ring_sharpness));
}

template <class Params, KT_Procedural_Texture_Type kind>
KT_RGBA KT_Solid_Texture_Data<Params, kind>::value(const KT_Parameter* parameters,
                                                   int parameter_width, const KT_Point*,
                                                   const KT_Vector*, const KT_Rendition*) const {
    // Parameters of the texture that are not numbers spoil the colour, as
    // a parameter at infinity does.
    const KT_RGB c = solid_colour(params_, first_parameter(parameters, parameter_width));
    if (!std::isfinite(c.red) || !std::isfinite(c.green) || !std::isfinite(c.blue))
        return {0.0f, 0.0f, 0.0f, 0.0f};
    return {c.red, c.green, c.blue, 1.0f};
}

template class KT_Solid_Texture_Data<KT_Marble_Params, KT_Procedural_Texture_Type::Marble>;
template class KT_Solid_Texture_Data<KT_Wood_Params, KT_Procedural_Texture_Type::Wood>;
