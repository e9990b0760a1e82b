// Texel access shared by the textures: reading a pixel of a source image as
// a colour, writing colours into 32-bit images, and creating those images.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "image/image_data.h"

namespace detail {

// Size of an image; 0 for an empty handle.
int texel_width(const KT_Shared_Image& image);
int texel_height(const KT_Shared_Image& image);
bool is_rgb32(const KT_Shared_Image& image);

// The colour of pixel (x, y), row 0 at the top, which must lie inside the
// image. 32-bit pixels give their bytes blue, green, red, alpha over 255;
// grey pixels give an opaque grey; every other format transparent black.
KT_RGBA read_texel(const KT_Shared_Image& image, int x, int y);

// Each byte over 255.
KT_RGBA colour_of(KT_RGB32 pixel);

// Stores a colour as the bytes blue, green, red, alpha, each channel times
// 255.99 and truncated, clamped to 0..255 (not-a-number gives 0).
void write_texel(std::uint8_t* pixel, const KT_RGBA& colour);

// The first byte of row y of a 32-bit image.
std::uint8_t* texel_row(const KT_Shared_Image& image, int y);

// Gives the handle a body of its own before its pixels are written, so that
// other holders of the image keep what they had.
void make_private(KT_Shared_Image& image);

// A new 32-bit image in the canonical byte order; empty for sizes below 1.
KT_Shared_Image make_rgb32_image(int width, int height);

} // namespace detail
