#include "rendition/marker_glyphs.h"

#include <array>
#include <cstddef>

namespace {

using G = std::int8_t;

// Pieces the programs are assembled from.
constexpr G end_ = 0;
constexpr G begin_area = -1;
#define HEADER(ox, oy) 1, ox, oy, 64, 64
#define DOT 1, 0, 0
#define PLUS 2, -64, 0, 64, 0, 2, 0, -64, 0, 64
#define CROSS 2, -45, -45, 45, 45, 2, -45, 45, 45, -45
#define CIRCLE -4, -64, -64, 64, 64
#define SQUARE 5, -45, -45, -45, 45, 45, 45, 45, -45, -45, -45
#define DIAMOND 5, -64, 0, 0, 64, 64, 0, 0, -64, -64, 0
#define TRIANGLE_UP 4, 0, 64, -55, -32, 55, -32, 0, 64
#define TRIANGLE_DOWN 4, 0, -64, -55, 32, 55, 32, 0, -64
#define TRIANGLE_RIGHT 4, -64, 0, 32, -55, 32, 55, -64, 0
#define TRIANGLE_LEFT 4, 64, 0, -32, -55, -32, 55, 64, 0

template <G... Bytes> constexpr std::array<G, sizeof...(Bytes)> program = {Bytes...};

constexpr auto g0 = program<HEADER(0, 0), DOT, end_>;
constexpr auto g1 = program<HEADER(0, 0), PLUS, end_>;
constexpr auto g2 = program<HEADER(0, 0), CROSS, end_>;
constexpr auto g3 = program<HEADER(0, 0), CROSS, PLUS, end_>;
constexpr auto g4 = program<HEADER(0, 0), CIRCLE, end_>;
constexpr auto g5 = program<HEADER(0, 0), CIRCLE, DOT, end_>;
constexpr auto g6 = program<HEADER(0, 0), CIRCLE, PLUS, end_>;
constexpr auto g7 = program<HEADER(0, 0), CIRCLE, CROSS, end_>;
constexpr auto g8 = program<HEADER(0, 0), CIRCLE, -4, -22, -22, 22, 22, end_>;
constexpr auto g9 = program<HEADER(0, 0), begin_area, CIRCLE, end_>;
constexpr auto g10 = program<HEADER(0, 0), SQUARE, end_>;
constexpr auto g11 = program<HEADER(0, 0), SQUARE, DOT, end_>;
constexpr auto g12 = program<HEADER(0, 0), SQUARE, CROSS, end_>;
constexpr auto g13 = program<HEADER(0, 0), begin_area, SQUARE, end_>;
constexpr auto g14 = program<HEADER(0, 0), DIAMOND, end_>;
constexpr auto g15 = program<HEADER(0, 0), DIAMOND, DOT, end_>;
constexpr auto g16 = program<HEADER(0, 0), DIAMOND, PLUS, end_>;
constexpr auto g17 = program<HEADER(0, 0), begin_area, DIAMOND, end_>;
constexpr auto g18 = program<HEADER(0, 0), TRIANGLE_UP, end_>;
constexpr auto g19 = program<HEADER(0, 0), TRIANGLE_UP, DOT, end_>;
constexpr auto g20 = program<HEADER(0, 0), begin_area, TRIANGLE_UP, end_>;
constexpr auto g21 = program<HEADER(0, 64), TRIANGLE_UP, end_>;
constexpr auto g22 = program<HEADER(0, 64), begin_area, TRIANGLE_UP, end_>;
constexpr auto g23 = program<HEADER(0, 0), TRIANGLE_DOWN, end_>;
constexpr auto g24 = program<HEADER(0, 0), TRIANGLE_DOWN, DOT, end_>;
constexpr auto g25 = program<HEADER(0, 0), begin_area, TRIANGLE_DOWN, end_>;
constexpr auto g26 = program<HEADER(0, -64), TRIANGLE_DOWN, end_>;
constexpr auto g27 = program<HEADER(0, -64), begin_area, TRIANGLE_DOWN, end_>;
constexpr auto g28 = program<HEADER(0, 0), TRIANGLE_RIGHT, end_>;
constexpr auto g29 = program<HEADER(0, 0), TRIANGLE_RIGHT, DOT, end_>;
constexpr auto g30 = program<HEADER(0, 0), begin_area, TRIANGLE_RIGHT, end_>;
constexpr auto g31 = program<HEADER(-64, 0), TRIANGLE_RIGHT, end_>;
constexpr auto g32 = program<HEADER(-64, 0), begin_area, TRIANGLE_RIGHT, end_>;
constexpr auto g33 = program<HEADER(0, 0), TRIANGLE_LEFT, end_>;
constexpr auto g34 = program<HEADER(0, 0), TRIANGLE_LEFT, DOT, end_>;
constexpr auto g35 = program<HEADER(0, 0), begin_area, TRIANGLE_LEFT, end_>;
constexpr auto g36 = program<HEADER(64, 0), TRIANGLE_LEFT, end_>;
constexpr auto g37 = program<HEADER(64, 0), begin_area, TRIANGLE_LEFT, end_>;

#undef HEADER
#undef DOT
#undef PLUS
#undef CROSS
#undef CIRCLE
#undef SQUARE
#undef DIAMOND
#undef TRIANGLE_UP
#undef TRIANGLE_DOWN
#undef TRIANGLE_RIGHT
#undef TRIANGLE_LEFT

constexpr const G* glyphs[KD_MARKER_GLYPH_COUNT] = {
    g0.data(),  g1.data(),  g2.data(),  g3.data(),  g4.data(),  g5.data(),  g6.data(),  g7.data(),
    g8.data(),  g9.data(),  g10.data(), g11.data(), g12.data(), g13.data(), g14.data(), g15.data(),
    g16.data(), g17.data(), g18.data(), g19.data(), g20.data(), g21.data(), g22.data(), g23.data(),
    g24.data(), g25.data(), g26.data(), g27.data(), g28.data(), g29.data(), g30.data(), g31.data(),
    g32.data(), g33.data(), g34.data(), g35.data(), g36.data(), g37.data()};

} // namespace

const std::int8_t* KD_Marker_Glyph(int symbol) {
    if (symbol < 0 || symbol >= KD_MARKER_GLYPH_COUNT) return nullptr;
    return glyphs[symbol];
}

KT_Glyph_Step KT_Marker_Glyph_Reader::next() {
    const KT_Glyph_Step end{KT_Glyph_Operation::End, 0, nullptr};
    if (!at_) return end;
    const int code = *at_;
    const std::int8_t* operands = at_ + 1;
    if (code >= 1) {
        at_ = operands + 2 * code;
        return {code == 1 ? KT_Glyph_Operation::Dot : KT_Glyph_Operation::Polyline, code, operands};
    }
    switch (code) {
    case -1:
    case -2:
    case -3:
    case -6:
    case -7:
        at_ = operands;
        return {static_cast<KT_Glyph_Operation>(code), 0, operands};
    case -4:
        at_ = operands + 4;
        return {KT_Glyph_Operation::Ellipse, 2, operands};
    case -5:
        at_ = operands + 6;
        return {KT_Glyph_Operation::Arc, 3, operands};
    default:
        return end;
    }
}
