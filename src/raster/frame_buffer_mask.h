// A one-bit mask of the drawable pixels of a window, kept beside a frame
// buffer to honour a complex clip: a bit is 0 inside the clip region and 1
// outside it.
#pragma once

#include <cstdint>

#include "contour/contour_set.h"
#include "foundation/export.h"
#include "image/image_data.h"

class KAVRI_API Frame_Buffer_Mask {
public:
    // Makes a mask of width x height window pixels whose pixel (0, 0) is
    // device pixel (x, y). A mask of that size already made is kept as it
    // is, origin included. Always 0.
    int establish_configuration(std::int32_t width, std::int32_t height, std::int32_t x,
                                std::int32_t y);
    // Keeps region cut to the window as the clip region and rebuilds the
    // mask from it. A null or empty region masks out the whole window.
    void clear_and_rasterize_mask(const KT_Contour_Set& region);
    // Fills the clip region into the mask again with value (0x00 opens
    // its pixels, 0xFF closes them).
    void rasterize_mask(std::uint8_t value);

    // Whether device pixel (x, y) is masked out; pixels outside the window
    // are.
    bool masked(std::int32_t x, std::int32_t y) const;

    KT_Shared_Image mask;
    KT_Contour_Set clip_region;
    std::uint32_t clip_serial = 0;
    KT_Contour_Set window;
    std::int32_t origin_x = 0;
    std::int32_t origin_y = 0;

private:
    friend struct Frame_Buffer_Mask_Filling;
    struct Vertex {
        std::int64_t x;
        std::int64_t y;
    };
    void fill_region(std::uint8_t value);
    void fill_triangle(Vertex a, Vertex b, Vertex c, std::uint8_t value);
    void fill_run(std::int64_t row, std::int64_t from, std::int64_t to, std::uint8_t value) const;
};
