// A shadow map: the depth image a renderer fills, as seen from a light, to
// decide what lies in shadow. The library keeps its size and the light it
// belongs to; the renderer keeps the depth values as cached data.
#pragma once

#include <cstdint>

#include "appearance/filter.h"
#include "foundation/counted.h"
#include "foundation/export.h"
#include "image/image_handle_data.h"

// The depth image of a shadow map: 32-bit depth held by the renderer.
class KAVRI_API KT_Shadow_Depth_Image_Data : public KT_Image_Handle_Data {
public:
    KT_Shadow_Depth_Image_Data(std::int32_t width, std::int32_t height)
        : KT_Image_Handle_Data(KT_Image_Format::Depth32, width, height) {}
    KT_Counted* copy() const override { return new KT_Shadow_Depth_Image_Data(*this); }
};

class KAVRI_API KT_Shadow_Map_Data : public KT_Counted {
public:
    static constexpr int default_size = 512;

    // Sizes below 0 are taken as 0.
    KT_Shadow_Map_Data(std::int32_t width, std::int32_t height);
    // Shares the depth image; the cached data stays with the original.
    KT_Shadow_Map_Data(const KT_Shadow_Map_Data& other);
    KT_Shadow_Map_Data* copy() const override { return new KT_Shadow_Map_Data(*this); }

    const KT_Image_Handle_Data* depth_image() const { return depth_image_.body(); }
    std::int32_t width() const { return depth_image_->width(); }
    std::int32_t height() const { return depth_image_->height(); }

    // Where the light stood when the map was last rendered.
    const KT_Point& light_position() const { return light_position_; }
    void set_light_position(const KT_Point& p) { light_position_ = p; }
    const KT_Filter& light() const { return light_; }
    void set_light(const KT_Filter& light) { light_ = light; }
    // Set for a map that must be rendered (again) before use.
    bool needs_render() const { return needs_render_ != 0; }
    void set_needs_render(bool on) { needs_render_ = on ? 1 : 0; }

    const KT_Cached_Data* cached_data() const { return cached_.get(); }
    // Takes ownership; a previous object is not released (invalidate first).
    void set_cached_data(const KT_Cached_Data* data) { cached_.set(data); }
    void invalidate_cached_data() { cached_.invalidate(); }

private:
    KT_Point light_position_ = {0.0f, 0.0f, 0.0f};
    KT_Filter light_;
    KT_Pointer<KT_Image_Handle_Data> depth_image_;
    std::int32_t needs_render_ = 1;
    KT_Cached_Data_Slot cached_;
};

class KAVRI_API KT_Shadow_Map : public KT_Pointer<KT_Shadow_Map_Data> {
public:
    KT_Shadow_Map();
    KT_Shadow_Map(std::int32_t width, std::int32_t height);

    std::int32_t width() const { return body_->width(); }
    std::int32_t height() const { return body_->height(); }
    const KT_Image_Handle_Data* depth_image() const { return body_->depth_image(); }
    const KT_Point& light_position() const { return body_->light_position(); }
    void set_light_position(const KT_Point& p) { modify()->set_light_position(p); }
    const KT_Filter& light() const { return body_->light(); }
    void set_light(const KT_Filter& light) { modify()->set_light(light); }
    bool needs_render() const { return body_->needs_render(); }
    void set_needs_render(bool on) { modify()->set_needs_render(on); }

    // The cached data belongs to the renderer that draws with this very
    // body, so it is set in place, never on a copy.
    const KT_Cached_Data* cached_data() const { return body_->cached_data(); }
    void set_cached_data(const KT_Cached_Data* data) { body_->set_cached_data(data); }
    void invalidate_cached_data() { body_->invalidate_cached_data(); }
};
