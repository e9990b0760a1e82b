// Signed integers of any size, for the rare predicate whose coordinates
// span more of the double range than floating-point expansions can
// multiply without underflow. Every finite double is an integer multiple of
// 2^base for base at or below its lowest set bit, so a predicate that is
// homogeneous in the coordinates keeps its sign when all of them are read
// as such integers.
#pragma once

#include <cstdint>

#include "contour/sweep_containers.h"

namespace kavri_contour {

class Exact_Integer {
public:
    Exact_Integer() = default;
    explicit Exact_Integer(std::int64_t value);
    // x / 2^base, which must be an integer (base at most x's lowest bit).
    static Exact_Integer from_double(double x, int base);
    // The exponent of x's lowest set bit; very large for 0.
    static int lowest_bit(double x);

    int sign() const { return limbs_.empty() ? 0 : (negative_ ? -1 : 1); }

    friend Exact_Integer operator+(const Exact_Integer& x, const Exact_Integer& y);
    friend Exact_Integer operator-(const Exact_Integer& x, const Exact_Integer& y);
    friend Exact_Integer operator*(const Exact_Integer& x, const Exact_Integer& y);

private:
    using Limbs = Vector<std::uint32_t>; // magnitude, least significant first, no leading zeros

    static int compare_magnitudes(const Limbs& x, const Limbs& y);
    static Limbs add_magnitudes(const Limbs& x, const Limbs& y);
    static Limbs subtract_magnitudes(const Limbs& larger, const Limbs& smaller);
    static void trim(Limbs& x);
    static Exact_Integer signed_sum(const Exact_Integer& x, const Exact_Integer& y, bool negate_y);

    bool negative_ = false;
    Limbs limbs_;
};

} // namespace kavri_contour
