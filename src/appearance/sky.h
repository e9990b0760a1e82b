// Sky records for renderers that light a scene from its sky: the sky's
// brightness and haze, and for the skylight the sampling and ground colour
// of the dome light it casts.
#pragma once

#include <cstdint>

#include "appearance/typed_handle.h"
#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"

class KAVRI_API KT_Sky_Data : public KT_Counted {
public:
    KT_Sky_Data(float intensity, float haze, float horizon_height)
        : intensity_(intensity), haze_(haze), horizon_height_(horizon_height) {}
    KT_Sky_Data* copy() const override { return new KT_Sky_Data(*this); }

    float intensity() const { return intensity_; }
    float haze() const { return haze_; }
    float horizon_height() const { return horizon_height_; }
    void set_intensity(float v) { intensity_ = v; }
    void set_haze(float v) { haze_ = v; }
    void set_horizon_height(float v) { horizon_height_ = v; }

private:
    float intensity_;
    float haze_;
    float horizon_height_;
};

class KAVRI_API KT_Skylight_Data : public KT_Sky_Data {
public:
    KT_Skylight_Data(float intensity, float haze, float horizon_height, int sample_count)
        : KT_Sky_Data(intensity, haze, horizon_height), sample_count_(sample_count) {}
    KT_Skylight_Data* copy() const override { return new KT_Skylight_Data(*this); }

    std::int32_t sample_count() const { return sample_count_; }
    const KT_RGB& ground_colour() const { return ground_colour_; }
    void set_sample_count(std::int32_t n) { sample_count_ = n; }
    void set_ground_colour(const KT_RGB& colour) { ground_colour_ = colour; }

private:
    std::int32_t sample_count_;
    // A mid grey (127 of 255).
    KT_RGB ground_colour_ = {0.49804f, 0.49804f, 0.49804f};
};

class KAVRI_API KT_Sky : public KT_Typed_Handle<KT_Sky_Data> {
public:
    KT_Sky(float intensity, float haze, float horizon_height)
        : KT_Typed_Handle(new KT_Sky_Data(intensity, haze, horizon_height)) {}

    float intensity() const { return body_->intensity(); }
    float haze() const { return body_->haze(); }
    float horizon_height() const { return body_->horizon_height(); }
    void set_intensity(float v) { modify()->set_intensity(v); }
    void set_haze(float v) { modify()->set_haze(v); }
    void set_horizon_height(float v) { modify()->set_horizon_height(v); }

protected:
    explicit KT_Sky(KT_Sky_Data* body) : KT_Typed_Handle(body) {}
};

class KAVRI_API KT_Skylight : public KT_Sky {
public:
    KT_Skylight(float intensity, float haze, float horizon_height, int sample_count)
        : KT_Sky(new KT_Skylight_Data(intensity, haze, horizon_height, sample_count)) {}

    std::int32_t sample_count() const { return view<KT_Skylight_Data>()->sample_count(); }
    const KT_RGB& ground_colour() const { return view<KT_Skylight_Data>()->ground_colour(); }
    void set_sample_count(std::int32_t n) { edit<KT_Skylight_Data>()->set_sample_count(n); }
    void set_ground_colour(const KT_RGB& colour) {
        edit<KT_Skylight_Data>()->set_ground_colour(colour);
    }
};
