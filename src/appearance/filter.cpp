#include "appearance/filter.h"

#include <cmath>

namespace {

constexpr double narrowing_limit = 1e30;

bool fits_float(double v) {
    return std::fabs(v) <= narrowing_limit;
}

constexpr KT_Lighting_Info no_light = {{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, nullptr};

} // namespace

KT_Lighting_Info KT_Filter_Data::illuminate(const KT_Rendition*, const KT_Vector*, const KT_Point*,
                                            const KT_Parameter*) const {
    return no_light;
}

KT_Lighting_Info KT_Filter_Data::illuminate_d(const KT_Rendition* rendition,
                                              const KT_Vector* normal, const KT_Point_D* point,
                                              const KT_Parameter* parameter) const {
    if (!point || !fits_float(point->x) || !fits_float(point->y) || !fits_float(point->z))
        return illuminate(rendition, normal, nullptr, parameter);
    const KT_Point narrowed = {static_cast<float>(point->x), static_cast<float>(point->y),
                               static_cast<float>(point->z)};
    return illuminate(rendition, normal, &narrowed, parameter);
}

KT_Lighting_Type KT_Filter::type() const {
    return body_ ? body_->type() : KT_Lighting_Type::Filter;
}

KT_Lighting_Attenuation KT_Filter::attenuation() const {
    return body_ ? body_->attenuation() : KT_Lighting_Attenuation::None;
}

KT_Lighting_Info KT_Filter::illuminate(const KT_Rendition* rendition, const KT_Vector* normal,
                                       const KT_Point* point, const KT_Parameter* parameter) const {
    return body_ ? body_->illuminate(rendition, normal, point, parameter) : no_light;
}

KT_Lighting_Info KT_Filter::illuminate_d(const KT_Rendition* rendition, const KT_Vector* normal,
                                         const KT_Point_D* point,
                                         const KT_Parameter* parameter) const {
    return body_ ? body_->illuminate_d(rendition, normal, point, parameter) : no_light;
}
