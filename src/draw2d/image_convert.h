// Conversion of pixel rectangles into the native pixel format of a device,
// with the ordered dither where the device has fewer levels than the source.
#pragma once

#include <cstdint>

#include "foundation/export.h"
#include "image/image_data.h"
#include "image/palette.h"
#include "image/pixel_format.h"
#include "options/renderer_options.h"

// How a device stores a pixel, from its renderer options.
struct KAVRI_API KT_Device_Pixels {
    KT_Color_System system;
    // Levels per channel; a negative CMYK resolution asks for no black ink.
    std::int32_t resolution;
    KT_Packing packing;
    KT_Bitonal_Format bitonal_format;
    // Maps Index8 pixels to colours, and colours to the indices of a mapped
    // device.
    const KT_Palette* palette;
    // RGB32 pixels are to be mixed with what is drawn by their alpha.
    bool alpha_blending = false;

    KT_Image_Format native_format() const;
};

KAVRI_API KT_Device_Pixels KD_Device_Pixels(const KT_Renderer_Options& options);

// A rectangle of pixels in one format, its top row first.
struct KAVRI_API KT_Pixel_Rectangle {
    KT_Image_Format format;
    const std::uint8_t* top_row;
    std::int32_t row_bytes;
    std::int32_t width;
    std::int32_t height;
    // Levels per channel of RGB32, Gray8 and CMYK32 pixels.
    std::int32_t resolution;
    KT_Packing packing;
    KT_Bitonal_Format bitonal_format;

    const std::uint8_t* row(int i) const { return top_row + std::int64_t{i} * row_bytes; }
};

// Pixels never handed on in one piece: a larger rectangle is bad input.
inline constexpr std::int64_t KT_Largest_Pixel_Rectangle = std::int64_t{1} << 28;

// The rectangle can be read: pixels given, a positive size within the
// limit, and (for colour formats) a resolution and packing that make sense.
KAVRI_API bool KD_Is_Drawable(const KT_Pixel_Rectangle& pixels);

// Row bytes of a converted rectangle: one-byte formats padded to 4 bytes,
// bitonal rows to 4 bytes when there is more than one row.
KAVRI_API std::int32_t KD_Converted_Row_Bytes(KT_Image_Format format, std::int32_t width,
                                              std::int32_t height);

// Converts source into the device's native format at out (laid out with
// KD_Converted_Row_Bytes). left and top are the device column and row of
// the source's first pixel: they place the dither pattern. Returns false,
// writing nothing, when the pair of formats has no conversion.
KAVRI_API bool KD_Convert_Pixels(const KT_Pixel_Rectangle& source, const KT_Device_Pixels& device,
                                 std::int32_t left, std::int32_t top, std::uint8_t* out);

// Mixes the RGB32 pixels of source over drawn (an RGB32 image of the same
// size, read back from the device) by each source pixel's alpha, into
// opaque canonical colours at the source's resolution. Without a usable
// drawn image the source colours are made opaque as they are.
KAVRI_API void KD_Blend_Over(const KT_Pixel_Rectangle& source, const KT_Image_Data* drawn,
                             KT_RGB32* out);
