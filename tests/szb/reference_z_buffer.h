// The z-buffer written the plain way: every pixel's depth evaluated from
// its own position in the row, compared with what is stored, and the pixel
// written (or blended) when it is as near or nearer. The module's stepping
// kernels must agree with it pixel for pixel.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "../support/capturing_device.h"
#include "foundation/basic_types.h"

namespace szb_test {

class Reference_Z_Buffer {
public:
    Reference_Z_Buffer(KT_Int_XY origin, KT_Int_XY size, bool blending)
        : origin_(origin), size_(size), blending_(blending),
          colour_(static_cast<std::size_t>(size.x * size.y), KT_RGB32{0, 0, 0, 0}),
          depth_(static_cast<std::size_t>(size.x * size.y), 0xFFFF) {}

    // Depth of pixel i of a row of n pixels from depth a to depth b, both
    // clamped into 16 bits: the row rule of the capturing test device.
    static std::uint32_t depth_at(std::int64_t i, std::int64_t n, std::int64_t a, std::int64_t b) {
        a = std::clamp<std::int64_t>(a, 0, 0xFFFF);
        b = std::clamp<std::int64_t>(b, 0, 0xFFFF);
        return capture::row_depth(std::uint32_t(a), std::uint32_t(b), n, i);
    }

    static std::uint8_t mix(int source, int target, int alpha) {
        return static_cast<std::uint8_t>(
            std::lround((source * alpha + target * (255 - alpha)) / 255.0));
    }

    void image(KT_DCI_Point start, KT_DCI_Point end, const KT_RGB32* pixels, int row_bytes) {
        const std::int64_t n = std::int64_t{end.x} - start.x + 1;
        const std::int64_t stride = row_bytes ? row_bytes / 4 : n;
        for (std::int64_t y = start.y; y >= end.y; --y) {
            if (y < origin_.y || y >= origin_.y + size_.y) continue;
            const std::int64_t first = std::max<std::int64_t>(start.x, origin_.x);
            const std::int64_t last = std::min<std::int64_t>(end.x, origin_.x + size_.x - 1);
            for (std::int64_t x = first; x <= last; ++x) {
                const std::int64_t i = x - start.x;
                pixel(static_cast<int>(x), static_cast<int>(y), depth_at(i, n, start.z, end.z),
                      pixels[(start.y - y) * stride + i]);
            }
        }
    }

    KT_RGB32 colour(int x, int y) const { return colour_[index(x, y)]; }
    std::uint32_t depth(int x, int y) const { return depth_[index(x, y)]; }

private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>((y - origin_.y) * size_.x + (x - origin_.x));
    }

    void pixel(int x, int y, std::uint32_t z, KT_RGB32 source) {
        const std::size_t at = index(x, y);
        if (z > depth_[at]) return;
        depth_[at] = z;
        if (!blending_) {
            colour_[at] = source;
            return;
        }
        const KT_RGB32 target = colour_[at];
        colour_[at] = {mix(source.b, target.b, source.a), mix(source.g, target.g, source.a),
                       mix(source.r, target.r, source.a), mix(255, target.a, source.a)};
    }

    KT_Int_XY origin_;
    KT_Int_XY size_;
    bool blending_;
    std::vector<KT_RGB32> colour_;
    std::vector<std::uint32_t> depth_;
};

} // namespace szb_test
