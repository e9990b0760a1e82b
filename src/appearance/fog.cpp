#include "appearance/fog.h"

#include <algorithm>
#include <cmath>

float KT_Fog_Data::raw_opacity(float distance) const {
    switch (kind_) {
    case KT_Fog_Type::Linear: {
        const float span = params_.end - params_.start;
        // A fog wall: nothing before the end, everything from it on.
        if (!(span > 0.0f)) return distance >= params_.end ? 1.0f : 0.0f;
        return (distance - params_.start) / span;
    }
    case KT_Fog_Type::Exponential:
        return 1.0f - std::exp(-params_.density * distance);
    case KT_Fog_Type::Exponential_Squared: {
        const float t = params_.density * distance;
        return 1.0f - std::exp(-t * t);
    }
    default:
        return 0.0f;
    }
}

float KT_Fog_Data::opacity(float distance) const {
    if (kind_ == KT_Fog_Type::None || std::isnan(distance)) return 0.0f;
    const float share = std::clamp(raw_opacity(std::max(distance, 0.0f)), 0.0f, 1.0f);
    if (std::isnan(share)) return 0.0f;
    return std::clamp(share, params_.min_opacity,
                      std::max(params_.min_opacity, params_.max_opacity));
}
