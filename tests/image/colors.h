// Colours written and compared as red, green, blue, alpha in that order.
#pragma once

#include <array>
#include <cstdint>

#include "foundation/basic_types.h"

inline KT_RGB32 rgb(int r, int g, int b, int a = 255) {
    return {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
            static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(a)};
}

inline std::array<int, 4> channels(KT_RGB32 c) {
    return {c.r, c.g, c.b, c.a};
}
