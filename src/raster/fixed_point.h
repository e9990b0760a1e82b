// The fixed-point interpolants of the raster engine. Every stepper here is
// set up once and then only adds, so edge walkers and row fills stay free of
// divisions; the set-up rules (start offsets, shifts instead of division by
// 1, 2, 4 or 8) are part of what a drawn picture is, not an optimisation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "foundation/export.h"

namespace detail {

// Reciprocals of the divisors short rows and edges use most, so that
// setting up a divider costs a load instead of a division.
inline constexpr int small_inverse_count = 1024;
constexpr std::array<double, small_inverse_count> small_inverses() {
    std::array<double, small_inverse_count> table{};
    for (int i = 1; i < small_inverse_count; ++i)
        table[i] = 1.0 / i;
    return table;
}
inline constexpr std::array<double, small_inverse_count> small_inverse = small_inverses();

} // namespace detail

// Truncating division by one positive divisor, many times: a reciprocal
// estimate corrected by its remainder, so the quotient is exactly the
// integer one while |numerator| < 2^40.
class KAVRI_API KT_Exact_Divider {
public:
    explicit KT_Exact_Divider(std::int64_t divisor)
        : divisor_(divisor), inverse_(divisor > 0 && divisor < detail::small_inverse_count
                                          ? detail::small_inverse[static_cast<std::size_t>(divisor)]
                                          : 1.0 / static_cast<double>(divisor)) {}

    std::int64_t divisor() const { return divisor_; }
    std::int64_t quotient(std::int64_t a) const {
        std::int64_t q = static_cast<std::int64_t>(static_cast<double>(a) * inverse_);
        const std::int64_t r = a - q * divisor_;
        // The estimate is at most one off either way.
        if (a >= 0) {
            q += r >= divisor_ ? 1 : (r < 0 ? -1 : 0);
        } else {
            q += r <= -divisor_ ? -1 : (r > 0 ? 1 : 0);
        }
        return q;
    }

private:
    std::int64_t divisor_;
    double inverse_;
};

// 16.16: the integer part is the upper 16 bits; values start half a unit in
// so that truncation rounds.
inline std::int32_t KD_Fixed_16_Start(std::int32_t a) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) << 16) | 0x8000;
}

// Step of a 16.16 interpolant from a to b over n > 0 steps.
inline std::int32_t KD_Fixed_16_Step(std::int32_t a, std::int32_t b, const KT_Exact_Divider& n) {
    const std::int64_t difference = static_cast<std::int64_t>(b) - a;
    switch (n.divisor()) {
    case 1:
        return static_cast<std::int32_t>(difference * 65536);
    case 2:
        return static_cast<std::int32_t>(difference * 32768);
    case 4:
        return static_cast<std::int32_t>(difference * 16384);
    case 8:
        return static_cast<std::int32_t>(difference * 8192);
    default:
        return static_cast<std::int32_t>(n.quotient(difference * 65536));
    }
}

inline std::int32_t KD_Fixed_16_Step(std::int32_t a, std::int32_t b, std::int32_t n) {
    return KD_Fixed_16_Step(a, b, KT_Exact_Divider(n));
}

// 17.15, for 16-bit depth along lines and transparent pattern rows: the
// ends are kept to 16 bits so that the word never overflows.
inline std::int32_t KD_Fixed_15_Start(std::uint32_t a) {
    return static_cast<std::int32_t>((a & 0xFFFF) << 15) | 0x4000;
}

inline std::int32_t KD_Fixed_15_Step(std::uint32_t a, std::uint32_t b, std::int32_t n) {
    const std::int32_t difference =
        static_cast<std::int32_t>(b & 0xFFFF) - static_cast<std::int32_t>(a & 0xFFFF);
    switch (n) {
    case 1:
        return difference * 32768;
    case 2:
        return difference * 16384;
    case 4:
        return difference * 8192;
    case 8:
        return difference * 4096;
    default:
        return difference * 32768 / n;
    }
}

inline std::uint32_t KD_Fixed_15_Value(std::int32_t word) {
    return static_cast<std::uint32_t>(word >> 15) & 0xFFFF;
}

// Exact integer depth along an edge: n rows from z0 to z1 land on z1 with
// the remainder spread evenly, as a digital differential analyser does.
class KAVRI_API KT_Depth_Stepper {
public:
    KT_Depth_Stepper() = default;
    KT_Depth_Stepper(std::int64_t z0, std::int64_t z1, const KT_Exact_Divider& divider) : z_(z0) {
        const std::int64_t n = divider.divisor();
        const std::int64_t dz = z1 - z0;
        small_ = divider.quotient(dz);
        const std::int64_t r = dz - small_ * n;
        const std::int64_t twice_r = 2 * (r < 0 ? -r : r);
        large_ = dz < 0 ? small_ - 1 : small_ + 1;
        error_ = twice_r - n;
        grow_small_ = twice_r;
        grow_large_ = twice_r - 2 * n;
    }

    std::int64_t value() const { return z_; }
    void step() {
        if (error_ < 0) {
            z_ += small_;
            error_ += grow_small_;
        } else {
            z_ += large_;
            error_ += grow_large_;
        }
    }

private:
    std::int64_t z_ = 0;
    std::int64_t small_ = 0;      // q
    std::int64_t large_ = 0;      // q + 1 away from zero
    std::int64_t error_ = 0;      // 2|r| - n at the start
    std::int64_t grow_small_ = 0; // 2|r|
    std::int64_t grow_large_ = 0; // 2|r| - 2n
};
