// How distance fades colour towards the fog colour.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"

enum class KT_Fog_Type : std::int32_t {
    None = 0,
    Linear = 1,              // from the start distance to the end distance
    Exponential = 2,         // 1 - e^(-density * distance)
    Exponential_Squared = 3, // 1 - e^(-(density * distance)^2)
};

struct KAVRI_API KT_Fog_Params {
    KT_RGB32 colour = {0, 0, 0, 0};
    std::int32_t flags = 0;
    bool affects_background = false;
    float density = 1.0f;
    float start = 0.0f;
    float end = 1.0f;
    // The fog's share is kept within these bounds.
    float min_opacity = 0.0f;
    float max_opacity = 1.0f;
};

class KAVRI_API KT_Fog_Data : public KT_Counted {
public:
    explicit KT_Fog_Data(KT_Fog_Type kind = KT_Fog_Type::None) : kind_(kind) {}
    KT_Fog_Data* copy() const override { return new KT_Fog_Data(*this); }

    virtual KT_Fog_Type type() const { return kind_; }
    void set_type(KT_Fog_Type kind) { kind_ = kind; }
    const KT_Fog_Params& params() const { return params_; }
    void set_params(const KT_Fog_Params& params) { params_ = params; }

    // The share of the fog colour in a surface seen at this distance, from
    // 0 (clear) to 1 (only fog). No fog, and distances that are not numbers,
    // give 0.
    float opacity(float distance) const;

private:
    float raw_opacity(float distance) const;

    KT_Fog_Type kind_;
    KT_Fog_Params params_;
};

class KAVRI_API KT_Fog : public KT_Pointer<KT_Fog_Data> {
public:
    explicit KT_Fog(KT_Fog_Type kind = KT_Fog_Type::None)
        : KT_Pointer<KT_Fog_Data>(new KT_Fog_Data(kind)) {}

    KT_Fog_Type type() const { return body_->type(); }
    void set_type(KT_Fog_Type kind) { modify()->set_type(kind); }
    const KT_Fog_Params& params() const { return body_->params(); }
    void set_params(const KT_Fog_Params& params) { modify()->set_params(params); }
    float opacity(float distance) const { return body_->opacity(distance); }
};
