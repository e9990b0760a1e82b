#include "contour/exact_integer.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "contour/exact_predicates.h"

namespace kavri_contour {

Exact_Integer::Exact_Integer(std::int64_t value) {
    negative_ = value < 0;
    std::uint64_t magnitude =
        negative_ ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    for (; magnitude != 0; magnitude >>= 32)
        limbs_.push_back(static_cast<std::uint32_t>(magnitude));
}

int Exact_Integer::lowest_bit(double x) {
    if (x == 0 || !std::isfinite(x)) return INT_MAX;
    int exponent;
    // 53 significant bits as an integer times 2^(exponent - 53).
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(std::frexp(std::fabs(x), &exponent), 53));
    exponent -= 53;
    for (; (mantissa & 1) == 0; mantissa >>= 1)
        ++exponent;
    return exponent;
}

Exact_Integer Exact_Integer::from_double(double x, int base) {
    Exact_Integer out;
    if (x == 0 || !std::isfinite(x)) return out;
    int exponent;
    const auto mantissa =
        static_cast<std::uint64_t>(std::ldexp(std::frexp(std::fabs(x), &exponent), 53));
    const int shift = exponent - 53 - base; // may be negative: mantissa has trailing zeros
    out.negative_ = x < 0;
    if (shift < 0) {
        const std::uint64_t value = mantissa >> -shift;
        for (std::uint64_t m = value; m != 0; m >>= 32)
            out.limbs_.push_back(static_cast<std::uint32_t>(m));
        return out;
    }
    out.limbs_.assign(static_cast<std::size_t>(shift / 32), 0);
    const int bits = shift % 32;
    // Up to 53 + 31 bits after the partial shift: three limbs.
    const unsigned __int128 wide = static_cast<unsigned __int128>(mantissa) << bits;
    for (int k = 0; k < 3; ++k)
        out.limbs_.push_back(static_cast<std::uint32_t>(wide >> (32 * k)));
    trim(out.limbs_);
    return out;
}

void Exact_Integer::trim(Limbs& x) {
    while (!x.empty() && x.back() == 0)
        x.pop_back();
}

int Exact_Integer::compare_magnitudes(const Limbs& x, const Limbs& y) {
    if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
    for (std::size_t k = x.size(); k-- > 0;)
        if (x[k] != y[k]) return x[k] < y[k] ? -1 : 1;
    return 0;
}

Exact_Integer::Limbs Exact_Integer::add_magnitudes(const Limbs& x, const Limbs& y) {
    const Limbs& longer = x.size() >= y.size() ? x : y;
    const Limbs& shorter = x.size() >= y.size() ? y : x;
    Limbs sum(longer.size() + 1, 0);
    std::uint64_t carry = 0;
    for (std::size_t k = 0; k < longer.size(); ++k) {
        carry += longer[k];
        if (k < shorter.size()) carry += shorter[k];
        sum[k] = static_cast<std::uint32_t>(carry);
        carry >>= 32;
    }
    sum[longer.size()] = static_cast<std::uint32_t>(carry);
    trim(sum);
    return sum;
}

Exact_Integer::Limbs Exact_Integer::subtract_magnitudes(const Limbs& larger, const Limbs& smaller) {
    Limbs difference(larger.size(), 0);
    std::int64_t borrow = 0;
    for (std::size_t k = 0; k < larger.size(); ++k) {
        std::int64_t d = static_cast<std::int64_t>(larger[k]) - borrow;
        if (k < smaller.size()) d -= smaller[k];
        borrow = d < 0;
        difference[k] = static_cast<std::uint32_t>(d + (borrow << 32));
    }
    trim(difference);
    return difference;
}

Exact_Integer Exact_Integer::signed_sum(const Exact_Integer& x, const Exact_Integer& y,
                                        bool negate_y) {
    const bool y_negative = y.negative_ != negate_y;
    Exact_Integer out;
    if (x.negative_ == y_negative) {
        out.negative_ = x.negative_;
        out.limbs_ = add_magnitudes(x.limbs_, y.limbs_);
    } else if (compare_magnitudes(x.limbs_, y.limbs_) >= 0) {
        out.negative_ = x.negative_;
        out.limbs_ = subtract_magnitudes(x.limbs_, y.limbs_);
    } else {
        out.negative_ = y_negative;
        out.limbs_ = subtract_magnitudes(y.limbs_, x.limbs_);
    }
    if (out.limbs_.empty()) out.negative_ = false;
    return out;
}

Exact_Integer operator+(const Exact_Integer& x, const Exact_Integer& y) {
    return Exact_Integer::signed_sum(x, y, false);
}

Exact_Integer operator-(const Exact_Integer& x, const Exact_Integer& y) {
    return Exact_Integer::signed_sum(x, y, true);
}

Exact_Integer operator*(const Exact_Integer& x, const Exact_Integer& y) {
    Exact_Integer out;
    if (x.limbs_.empty() || y.limbs_.empty()) return out;
    out.limbs_.assign(x.limbs_.size() + y.limbs_.size(), 0);
    for (std::size_t i = 0; i < x.limbs_.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < y.limbs_.size(); ++j) {
            carry += static_cast<std::uint64_t>(x.limbs_[i]) * y.limbs_[j] + out.limbs_[i + j];
            out.limbs_[i + j] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        out.limbs_[i + y.limbs_.size()] = static_cast<std::uint32_t>(carry);
    }
    Exact_Integer::trim(out.limbs_);
    out.negative_ = x.negative_ != y.negative_;
    return out;
}

} // namespace kavri_contour

namespace kavri_contour::detail {

int integer_orient_sign(double ax, double ay, double bx, double by, double cx, double cy) {
    int base = INT_MAX;
    for (const double v : {ax, ay, bx, by, cx, cy})
        base = std::min(base, Exact_Integer::lowest_bit(v));
    if (base == INT_MAX) return 0;
    auto exact = [base](double v) { return Exact_Integer::from_double(v, base); };
    const Exact_Integer a_x = exact(ax), a_y = exact(ay);
    const Exact_Integer det =
        (exact(bx) - a_x) * (exact(cy) - a_y) - (exact(by) - a_y) * (exact(cx) - a_x);
    return det.sign();
}

} // namespace kavri_contour::detail
