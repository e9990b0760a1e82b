// A regular r x g x b block of palette entries, which maps colours to
// indices by arithmetic instead of search.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/export.h"

// Integer sizes or levels per channel.
struct KAVRI_API KT_Int_RGB {
    std::int32_t red;
    std::int32_t green;
    std::int32_t blue;
};

class KAVRI_API KT_Color_Cube {
public:
    // Full scale of the weights dithered_match returns.
    static constexpr std::int32_t dither_scale = 256;

    KT_Color_Cube() { validate(); }
    // Sizes are kept within 1 to 256 and the base within 0 to 255; a gamma that is not a positive
    // number as 1.
    KT_Color_Cube(const KT_Int_RGB& sizes, float gamma, std::int32_t base);

    // Recomputes size, strides and maxima from base, sizes and gamma.
    void validate();

    std::int32_t base() const { return base_; }
    std::int32_t size() const { return size_; }
    KT_Int_RGB sizes() const { return {r_, g_, b_}; }
    float gamma() const { return gamma_; }
    bool contains(int index) const { return index >= base_ && index - base_ < size_; }

    std::int32_t closest_match(KT_RGB32 colour) const;
    // The colour of index (alpha 255); all bytes 0 outside the block.
    KT_RGB32 color(int index) const;
    // Up to four indices whose mix, weighted by weights (summing to
    // dither_scale), reproduces colour on average: the cube corner below
    // colour, then one step further along each channel in order of
    // decreasing fraction. Returns how many were written: 1 on a cube
    // level, 2 when one channel lies between levels, and so on.
    int dithered_match(KT_RGB32 colour, std::int32_t indices[4], std::int32_t weights[4]) const;

    bool operator==(const KT_Color_Cube&) const = default;

private:
    std::int32_t base_ = 0;
    std::int32_t r_ = 2;
    std::int32_t g_ = 2;
    std::int32_t b_ = 2;
    float gamma_ = 1.0f;
    std::int32_t size_ = 8;
    std::int32_t stride_r_ = 4;
    std::int32_t stride_g_ = 2;
    std::int32_t stride_b_ = 1;
    std::int32_t max_r_ = 1;
    std::int32_t max_g_ = 1;
    std::int32_t max_b_ = 1;
};

// The channel value of level out of levels steps, with a gamma curve when
// gamma is not 1. Shared by cubes and ramps.
// gamma when it is a positive number, else 1.
KAVRI_API float KD_Usable_Gamma(float gamma);

KAVRI_API std::uint8_t KD_Level_Intensity(int level, int levels_minus_one, float gamma);
