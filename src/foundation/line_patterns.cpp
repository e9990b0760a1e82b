#include "foundation/line_patterns.h"

#include <array>

namespace {

template <std::int16_t... Dashes> constexpr auto dash_pattern() {
    constexpr int length = (0 + ... + Dashes);
    static_assert(length > 0 && length < 0x8000);
    return std::array<std::int16_t, sizeof...(Dashes) + 3>{
        static_cast<std::int16_t>(length), static_cast<std::int16_t>(sizeof...(Dashes)), Dashes...,
        static_cast<std::int16_t>(0xFFFF)};
}

constexpr auto dashed_short = dash_pattern<4, 4>();
constexpr auto dashed = dash_pattern<8, 4>();
constexpr auto dashed_long = dash_pattern<16, 8>();
constexpr auto dotted_tight = dash_pattern<1, 1>();
constexpr auto dotted = dash_pattern<1, 3>();
constexpr auto dotted_sparse = dash_pattern<1, 7>();
constexpr auto dash_dot_short = dash_pattern<6, 2, 1, 2>();
constexpr auto dash_dot = dash_pattern<10, 3, 1, 3>();
constexpr auto dash_dot_long = dash_pattern<18, 4, 2, 4>();
constexpr auto dash_dot_dot_short = dash_pattern<6, 2, 1, 2, 1, 2>();
constexpr auto dash_dot_dot = dash_pattern<10, 3, 1, 3, 1, 3>();
constexpr auto dash_dot_dot_long = dash_pattern<18, 4, 2, 4, 2, 4>();
constexpr auto long_dash_short = dash_pattern<12, 3>();
constexpr auto long_dash = dash_pattern<24, 4>();
constexpr auto long_dash_long = dash_pattern<36, 6>();
constexpr auto centre_short = dash_pattern<12, 3, 4, 3>();
constexpr auto centre = dash_pattern<24, 4, 6, 4>();
constexpr auto centre_long = dash_pattern<36, 6, 8, 6>();
constexpr auto phantom_short = dash_pattern<12, 3, 4, 3, 4, 3>();
constexpr auto phantom = dash_pattern<24, 4, 6, 4, 6, 4>();
constexpr auto phantom_long = dash_pattern<36, 6, 8, 6, 8, 6>();

} // namespace

const std::int16_t* const KD_Line_Pattern_Table[KD_LINE_PATTERN_COUNT] = {
    dashed_short.data(),       dashed.data(),       dashed_long.data(),
    dotted_tight.data(),       dotted.data(),       dotted_sparse.data(),
    dash_dot_short.data(),     dash_dot.data(),     dash_dot_long.data(),
    dash_dot_dot_short.data(), dash_dot_dot.data(), dash_dot_dot_long.data(),
    long_dash_short.data(),    long_dash.data(),    long_dash_long.data(),
    centre_short.data(),       centre.data(),       centre_long.data(),
    phantom_short.data(),      phantom.data(),      phantom_long.data(),
};

const std::int16_t* KD_Builtin_Line_Pattern(int number) {
    if (number < 1 || number > KD_LINE_PATTERN_COUNT) return nullptr;
    return KD_Line_Pattern_Table[number - 1];
}
