// Pixel formats and the conventions of their bytes and bits: image formats,
// the packing order of 32-bit colour pixels, bitonal bit order and
// polarity, and the conversions between float and 32-bit colour.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/export.h"

class KAVRI_API KT_Image_Format {
public:
    enum Value : std::int32_t {
        Bitonal = 0,
        Index8 = 1,
        RGB32 = 2,
        Depth16 = 3,
        Depth32 = 4,
        Gray8 = 5,
        CMYK32 = 6,
        // A block of bytes with no rows; 7 is not a format.
        Opaque_Block = 8,
    };

    constexpr KT_Image_Format() = default;
    constexpr KT_Image_Format(std::int32_t v) : value_(v) {} // NOLINT: used like its enum
    constexpr operator std::int32_t() const { return value_; }

    // 0.125 for Bitonal; 0 for the opaque block and undefined values.
    constexpr float bytes_per_pixel() const {
        switch (value_) {
        case Bitonal:
            return 0.125f;
        case Index8:
        case Gray8:
            return 1.0f;
        case Depth16:
            return 2.0f;
        case RGB32:
        case Depth32:
        case CMYK32:
            return 4.0f;
        default:
            return 0.0f;
        }
    }
    // A format with rows of pixels (everything but the opaque block).
    constexpr bool has_rows() const { return bytes_per_pixel() > 0.0f; }

private:
    std::int32_t value_ = Bitonal;
};
static_assert(sizeof(KT_Image_Format) == 4);

struct KAVRI_API KT_CMYK32 {
    std::uint8_t c;
    std::uint8_t m;
    std::uint8_t y;
    std::uint8_t k;
};
static_assert(sizeof(KT_CMYK32) == 4);

// Where the bytes of a client's 32-bit colour pixel lie: byte 0 of the word
// is the index of the stored byte holding alpha, byte 1 blue, byte 2 green,
// byte 3 red.
class KAVRI_API KT_Packing {
public:
    // Stored bytes blue, green, red, alpha: no reordering needed.
    static constexpr std::uint32_t canonical_word = 0x02010003;

    constexpr KT_Packing() = default;
    constexpr explicit KT_Packing(std::uint32_t word) : word_(word) {}
    constexpr std::uint32_t word() const { return word_; }
    constexpr bool is_canonical() const { return word_ == canonical_word; }

    // The stored byte that holds alpha (0), blue (1), green (2) or red (3).
    constexpr int index_of(int channel) const { return (word_ >> (8 * channel)) & 3; }

    // The canonical pixel from the four stored bytes.
    KT_RGB32 to_canonical(const std::uint8_t stored[4]) const {
        return {stored[index_of(1)], stored[index_of(2)], stored[index_of(3)], stored[index_of(0)]};
    }
    // The four stored bytes of a canonical pixel.
    void from_canonical(KT_RGB32 c, std::uint8_t stored[4]) const {
        stored[index_of(0)] = c.a;
        stored[index_of(1)] = c.b;
        stored[index_of(2)] = c.g;
        stored[index_of(3)] = c.r;
    }

    bool operator==(const KT_Packing&) const = default;

private:
    std::uint32_t word_ = canonical_word;
};
static_assert(sizeof(KT_Packing) == 4);

// Bit 0 set: the leftmost pixel of a byte is its most significant bit
// (else its least). Bit 1 set: a set bit is dark (else bright).
class KAVRI_API KT_Bitonal_Format {
public:
    static constexpr std::uint32_t msb_first = 1;
    static constexpr std::uint32_t set_is_dark = 2;

    constexpr KT_Bitonal_Format() = default;
    constexpr explicit KT_Bitonal_Format(std::uint32_t v) : value_(v) {}
    constexpr std::uint32_t value() const { return value_; }
    constexpr bool leftmost_is_msb() const { return value_ & msb_first; }
    constexpr bool set_bit_is_dark() const { return value_ & set_is_dark; }

    // What turns bytes of this format into bytes of to: bit 0 reverse the
    // bit order, bit 1 invert; 0 copy.
    constexpr std::uint32_t conversion_to(KT_Bitonal_Format to) const {
        return (value_ ^ to.value_) & 3;
    }
    // Converts count bytes (the two buffers may be the same).
    void convert(const std::uint8_t* from, std::uint8_t* to, int count,
                 KT_Bitonal_Format target) const;

    bool operator==(const KT_Bitonal_Format&) const = default;

private:
    std::uint32_t value_ = 0;
};
static_assert(sizeof(KT_Bitonal_Format) == 4);

// Each channel (clamped to 0-1, NaN as 0) times 255.99, truncated.
KAVRI_API KT_RGB32 KD_Pack_RGBA(const KT_RGBA& c);
// Each byte times 1/255.
KAVRI_API KT_RGBA KD_Unpack_RGB32(KT_RGB32 c);
