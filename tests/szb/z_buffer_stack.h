// Test stacks for the z-buffer renderer module: szb12.kdi loaded through
// the library and stacked on a plain device (or a selector), drawing into
// an image the test owns, with helpers that send rows through the action
// table and read pixels and depth back in device coordinates.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "image/image_data.h"
#include "renderer/device_data.h"
#include "renderer/dynamic_load.h"
#include "renderer/module_contract.h"
#include "rendition/rendition.h"

namespace szb_test {

constexpr std::uint32_t far_depth = 0xFFFF;

constexpr KT_RGB32 red = {0, 0, 255, 255};
constexpr KT_RGB32 green = {0, 255, 0, 255};
constexpr KT_RGB32 blue = {255, 0, 0, 255};
constexpr KT_RGB32 white = {255, 255, 255, 255};
constexpr KT_RGB32 untouched = {0, 0, 0, 0}; // the colour buffer starts cleared

// A true-colour device that keeps no pixels.
class Plain_Device : public KT_Device_Data {
public:
    Plain_Device() {
        native_renderer_options.set_color_system(KT_Color_System::True_Color);
        native_renderer_options.set_color_resolution(256);
    }
    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}
};

inline KT_Renderer_Entry z_buffer_entry() {
    static const KT_Renderer_Entry entry = KD_Routine_As<KT_Renderer_Entry>(
        KD_Load_Dynamic_Routine(KD_Default_Renderer_Module, KD_Renderer_Tag, nullptr, nullptr));
    return entry;
}

struct Window {
    KT_Int_XY origin;
    KT_Int_XY size;
};
constexpr Window window = {{0, 0}, {16, 8}};

class Z_Buffer_Stack {
public:
    // A colour buffer of the window's size unless colour is given.
    explicit Z_Buffer_Stack(Window window, bool blending = false,
                            KT_Renderer_Data* bottom = new Plain_Device,
                            KT_Shared_Image colour = KT_Shared_Image())
        : window_(window), device_(bottom), colour_(colour) {
        if (colour_.empty() && window.size.x > 0 && window.size.y > 0)
            colour_ = KT_Shared_Image(window.size.x, window.size.y, KT_Image_Format::RGB32, 4,
                                      nullptr, true);
        if (!colour_.empty() && !colour_->is_empty())
            std::memset(colour_->pixels(), 0, static_cast<std::size_t>(colour_->byte_size()));
        KT_Renderer_Entry entry = z_buffer_entry();
        EXPECT_NE(entry, nullptr) << "szb12.kdi did not load";
        if (!entry) return;
        renderer_ = KT_Renderer(entry(&device_));
        KT_Renderer_Options& o = renderer_->renderer_options;
        o.set_window_origin(window.origin);
        o.set_window_size(window.size);
        o.set_alpha_blending(blending);
        renderer_->options.find(L"Color Buffer")
            ->set(KT_Option_Value(static_cast<const void*>(colour_.body())));
        renderer_->establish_all();
        rendition_ = KT_Rendition(renderer_);
    }

    const KT_Renderer_Data* top() const { return renderer_.body(); }
    KT_Renderer& renderer() { return renderer_; }
    KT_Rendition& rendition() { return rendition_; }
    KT_Image_Data* colour() const { return colour_.body(); }

    // Sends pixels as one image from start (left, top) to end (right,
    // bottom) through the top renderer's DCI RGB32 slot.
    void image(KT_DCI_Point start, KT_DCI_Point end, const KT_RGB32* pixels, int row_bytes = 0,
               KT_Packing packing = KT_Packing()) {
        KD_Action_Draw_DCI_RGB32_Image(top(), &rendition_, &start, &end, row_bytes, pixels, 256,
                                       &packing);
    }
    // One row from column x0 to x1 at row y, depth z0 at x0 and z1 at x1.
    void row(int x0, int x1, int y, int z0, int z1, const std::vector<KT_RGB32>& pixels) {
        image({x0, y, z0}, {x1, y, z1}, pixels.data());
    }
    void flat_row(int x0, int x1, int y, int z, KT_RGB32 colour) {
        row(x0, x1, y, z, z, std::vector<KT_RGB32>(static_cast<std::size_t>(x1 - x0 + 1), colour));
    }

    // The pixel at a device position inside the window.
    KT_RGB32 pixel(int x, int y) const {
        const auto* row =
            reinterpret_cast<const KT_RGB32*>(colour_->reversed_rows()[y - window_.origin.y]);
        return row[x - window_.origin.x];
    }

    // The whole window's depth, read back through the DCI read slot.
    KT_Shared_Image depth_image() {
        KT_DCI_Point a = {window_.origin.x, window_.origin.y + window_.size.y - 1, 0};
        KT_DCI_Point b = {window_.origin.x + window_.size.x - 1, window_.origin.y, 0};
        KT_Image_Format format = KT_Image_Format::Depth16;
        KT_Shared_Image out;
        KD_Action_Read_DCI_Depth_Image(top(), &rendition_, &a, &b, &format, &out);
        return out;
    }
    std::uint32_t depth(int x, int y) {
        KT_Shared_Image d = depth_image();
        if (d.empty() || d->is_empty()) return 0xFFFFFFFF;
        const auto* row =
            reinterpret_cast<const std::uint16_t*>(d->reversed_rows()[y - window_.origin.y]);
        return row[x - window_.origin.x];
    }

private:
    Window window_;
    KT_Renderer device_;
    KT_Renderer renderer_;
    KT_Shared_Image colour_;
    KT_Rendition rendition_;
};

// True while nothing was written into the image.
inline bool all_zero(const KT_Image_Data& image) {
    for (std::int64_t i = 0; i < image.byte_size(); ++i)
        if (image.pixels()[i] != 0) return false;
    return true;
}

inline bool same(KT_RGB32 a, KT_RGB32 b) {
    return a.b == b.b && a.g == b.g && a.r == b.r && a.a == b.a;
}

inline std::string text(KT_RGB32 c) {
    return "(r " + std::to_string(c.r) + ", g " + std::to_string(c.g) + ", b " +
           std::to_string(c.b) + ", a " + std::to_string(c.a) + ")";
}

} // namespace szb_test
