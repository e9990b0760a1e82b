#include "foundation/fill_bitmaps.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

constexpr float density_190[] = {5.0f,  12.5f, 17.5f, 27.5f, 37.5f, 42.5f, 47.5f, 52.5f, 57.5f,
                                 62.5f, 67.5f, 72.5f, 77.5f, 82.5f, 87.5f, 95.0f, 101.0f};
constexpr float density_191[] = {2.5f,  7.5f,  12.5f, 17.5f, 22.5f, 30.0f, 37.5f, 42.5f, 47.5f,
                                 57.5f, 67.5f, 75.0f, 82.5f, 87.5f, 92.5f, 97.5f, 101.0f};
constexpr float density_192[] = {2.5f,  7.5f,  12.5f, 17.5f, 22.5f, 27.5f, 32.5f,
                                 37.5f, 42.5f, 47.5f, 55.0f, 62.5f, 67.5f, 72.5f,
                                 77.5f, 82.5f, 87.5f, 92.5f, 97.5f, 101.0f};
constexpr float density_193[] = {2.5f,  7.5f,  12.5f, 17.5f, 22.5f, 27.5f, 35.0f, 45.0f,
                                 55.0f, 65.0f, 72.5f, 80.0f, 87.5f, 92.5f, 97.5f, 101.0f};
constexpr float density_194[] = {2.5f,  7.5f,  15.0f, 25.0f, 35.0f, 45.0f, 55.0f, 62.5f,
                                 67.5f, 72.5f, 77.5f, 82.5f, 87.5f, 92.5f, 97.5f, 101.0f};

// A list of N thresholds holds N - 2 bitmaps: one per gap between
// consecutive real thresholds.
template <std::size_t N> constexpr int series_length(const float (&)[N]) {
    return static_cast<int>(N) - 2;
}

constexpr int side = 32;
constexpr int cells = side * side;

std::uint8_t designs_8x8[KD_FILL_8X8_COUNT - 65][KD_FILL_8X8_BYTES];
std::uint8_t designs_32x32[KD_FILL_32X32_COUNT][KD_FILL_32X32_BYTES];
std::uint8_t stipples[KD_STIPPLE_COUNT][KD_STIPPLE_SERIES_MAX][KD_FILL_32X32_BYTES];
// Order in which each stipple series sets its pixels; scratch for the
// build only, static because building may not allocate.
std::int16_t stipple_ranks[cells];
std::int16_t stipple_order[cells];

// --- 8 x 8 hatches: ink is the set of pixels drawn in the front colour ---

bool hatch_ink(int number, int x, int y) {
    switch (number) {
    case 65:
        return x % 8 == 0 || x % 8 == 3 || y % 8 == 0 || y % 8 == 3;
    case 66:
        return x % 4 == 0 || y % 4 == 0;
    case 67:
        return (x - y + 8) % 4 == 0 || (x + y) % 4 == 0;
    case 68:
        return y % 4 == 0;
    case 69:
        return (x - y + 8) % 4 == 0;
    case 70:
        return (x + y) % 4 == 0;
    case 71:
        return x % 8 < 2 || y % 8 < 2;
    case 72:
        return x % 4 == 0;
    case 73:
        return y % 4 == 0 || x == (y < 4 ? 0 : 4);
    default:
        return false;
    }
}

// --- 32 x 32 designs ---

enum Design : std::uint8_t {
    Horizontal, // a = spacing, b = thickness
    Vertical,
    Rising,
    Falling,
    Grid,
    Crosshatch,
    Dots,      // a = spacing, b = squared radius
    Staggered, // dots with every other row shifted half a cell
    Bricks,    // a = brick width, b = course height
    Checker,   // a = cell size
    Zigzag,    // a = period, b = thickness
    Waves,     // a = spacing, b = amplitude (one period across the bitmap)
    Rings,     // a = cell size, b = radius
    Diamonds,  // a = cell size, b = thickness
    Scales,    // a = cell width
    Weave,     // a = cell size, b = stripe period
    Triangles, // a = cell size, b = 1 for both diagonals
    Plus,      // a = cell size, b = arm length
    Columns,   // vertical bricks: a = brick height, b = column width
    Speckle,   // b = percent of pixels drawn
};

struct Design_Entry {
    Design design;
    std::uint8_t a;
    std::uint8_t b;
};

// Numbers 77 to 189 in order: each family in a few sizes.
constexpr Design_Entry design_table[KD_FILL_32X32_COUNT] = {
    {Horizontal, 4, 1}, {Horizontal, 8, 1},  {Horizontal, 16, 1}, {Horizontal, 32, 1}, // 77
    {Horizontal, 4, 2}, {Horizontal, 8, 2},  {Horizontal, 16, 2}, {Horizontal, 32, 2}, // 81
    {Vertical, 4, 1},   {Vertical, 8, 1},    {Vertical, 16, 1},   {Vertical, 32, 1},   // 85
    {Vertical, 4, 2},   {Vertical, 8, 2},    {Vertical, 16, 2},   {Vertical, 32, 2},   // 89
    {Rising, 4, 1},     {Rising, 8, 1},      {Rising, 16, 1},     {Rising, 32, 1},     // 93
    {Rising, 4, 2},     {Rising, 8, 2},      {Rising, 16, 2},     {Rising, 32, 2},     // 97
    {Falling, 4, 1},    {Falling, 8, 1},     {Falling, 16, 1},    {Falling, 32, 1},    // 101
    {Falling, 4, 2},    {Falling, 8, 2},     {Falling, 16, 2},    {Falling, 32, 2},    // 105
    {Grid, 4, 1},       {Grid, 8, 1},        {Grid, 16, 1},       {Grid, 32, 1},       // 109
    {Grid, 4, 2},       {Grid, 8, 2},        {Grid, 16, 2},       {Grid, 32, 2},       // 113
    {Crosshatch, 4, 1}, {Crosshatch, 8, 1},  {Crosshatch, 16, 1}, {Crosshatch, 32, 1}, // 117
    {Crosshatch, 4, 2}, {Crosshatch, 8, 2},  {Crosshatch, 16, 2}, {Crosshatch, 32, 2}, // 121
    {Dots, 4, 0},       {Dots, 8, 0},        {Dots, 8, 2},        {Dots, 16, 2},       // 125
    {Dots, 16, 9},      {Dots, 16, 20},      {Dots, 32, 20},      {Dots, 32, 64},      // 129
    {Staggered, 4, 0},  {Staggered, 8, 0},   {Staggered, 8, 2},   {Staggered, 16, 2},  // 133
    {Staggered, 16, 9}, {Staggered, 16, 20}, {Staggered, 8, 5},   {Staggered, 16, 34}, // 137
    {Bricks, 8, 4},     {Bricks, 16, 8},     {Bricks, 32, 8},     {Bricks, 32, 16},    // 141
    {Checker, 1, 0},    {Checker, 2, 0},     {Checker, 4, 0},     {Checker, 8, 0},     // 145
    {Checker, 16, 0},                                                                  // 149
    {Zigzag, 8, 1},     {Zigzag, 16, 1},     {Zigzag, 16, 2},     {Zigzag, 32, 2},     // 150
    {Waves, 8, 1},      {Waves, 8, 2},       {Waves, 16, 3},      {Waves, 16, 5},      // 154
    {Rings, 8, 3},      {Rings, 16, 5},      {Rings, 16, 7},      {Rings, 32, 13},     // 158
    {Diamonds, 8, 1},   {Diamonds, 16, 1},   {Diamonds, 16, 2},   {Diamonds, 32, 2},   // 162
    {Scales, 8, 0},     {Scales, 16, 0},     {Scales, 32, 0},     {Scales, 4, 0},      // 166
    {Weave, 4, 2},      {Weave, 8, 2},       {Weave, 8, 4},       {Weave, 16, 4},      // 170
    {Triangles, 8, 0},  {Triangles, 16, 0},  {Triangles, 8, 1},   {Triangles, 16, 1},  // 174
    {Plus, 8, 1},       {Plus, 8, 2},        {Plus, 16, 3},       {Plus, 32, 6},       // 178
    {Columns, 8, 4},    {Columns, 16, 8},    {Columns, 32, 8},    {Columns, 32, 16},   // 182
    {Speckle, 0, 10},   {Speckle, 0, 25},    {Speckle, 0, 50},    {Speckle, 0, 75},    // 186
};

int wrap(int v, int period) {
    return ((v % period) + period) % period;
}

// Offset of (x, y) from the centre of its cell of the given size.
int centred(int v, int cell) {
    return wrap(v, cell) - cell / 2;
}

// A well-mixed 32-bit hash, for the deterministic speckle and the
// scattered stipple.
std::uint32_t mix(std::uint32_t v) {
    v ^= v >> 16;
    v *= 0x7feb352dU;
    v ^= v >> 15;
    v *= 0x846ca68bU;
    v ^= v >> 16;
    return v;
}

bool lines(int offset, int spacing, int thickness) {
    return wrap(offset, spacing) < thickness;
}

bool brick_ink(int along, int across, int length, int course) {
    if (wrap(across, course) == 0) return true;
    const int shift = (wrap(across, side) / course) % 2 ? length / 2 : 0;
    return wrap(along + shift, length) == 0;
}

bool design_ink(const Design_Entry& d, int x, int y) {
    const int a = d.a, b = d.b;
    switch (d.design) {
    case Horizontal:
        return lines(y, a, b);
    case Vertical:
        return lines(x, a, b);
    case Rising:
        return lines(x - y, a, b);
    case Falling:
        return lines(x + y, a, b);
    case Grid:
        return lines(x, a, b) || lines(y, a, b);
    case Crosshatch:
        return lines(x - y, a, b) || lines(x + y, a, b);
    case Dots: {
        const int dx = centred(x, a), dy = centred(y, a);
        return dx * dx + dy * dy <= b;
    }
    case Staggered: {
        const int row = wrap(y, side) / a;
        const int dx = centred(x + (row % 2 ? a / 2 : 0), a), dy = centred(y, a);
        return dx * dx + dy * dy <= b;
    }
    case Bricks:
        return brick_ink(x, y, a, b);
    case Checker:
        return ((wrap(x, side) / a) + (wrap(y, side) / a)) % 2 == 1;
    case Zigzag:
        return lines(y + std::abs(centred(x, a)), a, b);
    case Waves: {
        const double phase = 2.0 * std::numbers::pi * wrap(x, side) / side;
        const int offset = static_cast<int>(std::lround(b * std::sin(phase)));
        return lines(y + offset, a, 1);
    }
    case Rings: {
        const int dx = centred(x, a), dy = centred(y, a);
        const int d2 = dx * dx + dy * dy;
        return d2 >= (b - 1) * (b - 1) && d2 <= b * b;
    }
    case Diamonds: {
        const int distance = std::abs(centred(x, a)) + std::abs(centred(y, a));
        return std::abs(distance - a / 4) < b;
    }
    case Scales: {
        const int half = a / 2;
        const int row = wrap(y, side) / half;
        const int dx = centred(x + (row % 2 ? half : 0), a);
        const int dy = wrap(y, half);
        const int d2 = dx * dx + dy * dy;
        return d2 >= (half - 1) * (half - 1) && d2 <= half * half;
    }
    case Weave: {
        const bool across = ((wrap(x, side) / a) + (wrap(y, side) / a)) % 2 == 0;
        return across ? lines(y, b, 1) : lines(x, b, 1);
    }
    case Triangles:
        return lines(y, a, 1) || lines(x - y, a, 1) || (b && lines(x + y, a, 1));
    case Plus: {
        const int dx = std::abs(centred(x, a)), dy = std::abs(centred(y, a));
        return (dx == 0 && dy <= b) || (dy == 0 && dx <= b);
    }
    case Columns:
        return brick_ink(y, x, a, b);
    case Speckle:
        return mix(static_cast<std::uint32_t>(y * side + x) ^ 0x5eedU) % 100 <
               static_cast<std::uint32_t>(b);
    }
    return false;
}

// Writes a bitmap of the given side; bits are set where nothing is drawn.
template <class Ink> void draw_bitmap(std::uint8_t* bits, int size, Ink ink) {
    const int row_bytes = size / 8;
    std::fill(bits, bits + row_bytes * size, std::uint8_t{0});
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (!ink(x, y)) bits[y * row_bytes + x / 8] |= static_cast<std::uint8_t>(1u << (x % 8));
}

// --- stipple series: a fixed order of pixels per series, thresholded ---

// Recursive ordered-dither index of a 32 x 32 cell: spreads consecutive
// ranks as far apart as possible.
int bayer(int x, int y) {
    int rank = 0;
    for (int bit = 4; bit >= 0; --bit) {
        const int xb = (x >> (4 - bit)) & 1, yb = (y >> (4 - bit)) & 1;
        rank |= ((xb ^ yb) | (yb << 1)) << (2 * bit);
    }
    return rank;
}

// Primary ordering key of each series; ties are broken by the dither index
// so that every order is a strict ranking of all 1024 pixels.
int stipple_key(int series, int x, int y) {
    switch (series) {
    case 0:
        return 0; // dispersed: the dither order itself
    case 1: {     // clustered dots growing from the centres of 8 x 8 cells
        const int dx = centred(x, 8), dy = centred(y, 8);
        return dx * dx + dy * dy;
    }
    case 2:
        return static_cast<int>(mix(static_cast<std::uint32_t>(y * side + x)) >> 8); // scatter
    case 3:
        return std::abs(centred(y, 8)); // horizontal line screen
    default:
        return std::abs(centred(x + y, 8)); // diagonal line screen
    }
}

void rank_pixels(int series) {
    for (int i = 0; i < cells; ++i)
        stipple_order[i] = static_cast<std::int16_t>(i);
    // std::sort works in place: nothing is allocated.
    std::sort(stipple_order, stipple_order + cells, [series](int p, int q) {
        const int kp = stipple_key(series, p % side, p / side);
        const int kq = stipple_key(series, q % side, q / side);
        if (kp != kq) return kp < kq;
        return bayer(p % side, p / side) < bayer(q % side, q / side);
    });
    for (int rank = 0; rank < cells; ++rank)
        stipple_ranks[stipple_order[rank]] = static_cast<std::int16_t>(rank);
}

// Bitmap n of a series sets the pixels whose rank lies below the middle of
// its density band, so the set pixels of a denser bitmap include those of
// every lighter one.
void build_series(int series) {
    rank_pixels(series);
    const float* thresholds = KD_Stipple_Densities[series];
    for (int n = 0; n < KD_Stipple_Series_Length[series]; ++n) {
        const float percent = 0.5f * (thresholds[n] + thresholds[n + 1]);
        const int count = static_cast<int>(std::lround(percent * cells / 100.0f));
        draw_bitmap(stipples[series][n], side,
                    [count](int x, int y) { return stipple_ranks[y * side + x] >= count; });
        KD_Stipple_Table[series][n] = stipples[series][n];
    }
}

} // namespace

const float* const KD_Stipple_Densities[KD_STIPPLE_COUNT] = {density_190, density_191, density_192,
                                                             density_193, density_194};
const int KD_Stipple_Series_Length[KD_STIPPLE_COUNT] = {
    series_length(density_190), series_length(density_191), series_length(density_192),
    series_length(density_193), series_length(density_194)};

const std::uint8_t KD_Fill_32x32_Clear[KD_FILL_32X32_BYTES] = {};
const std::uint8_t KD_Fill_32x32_Set[KD_FILL_32X32_BYTES] = {
#define KAVRI_EIGHT_SET 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF
#define KAVRI_SIXTY_FOUR_SET                                                                       \
    KAVRI_EIGHT_SET, KAVRI_EIGHT_SET, KAVRI_EIGHT_SET, KAVRI_EIGHT_SET, KAVRI_EIGHT_SET,           \
        KAVRI_EIGHT_SET, KAVRI_EIGHT_SET, KAVRI_EIGHT_SET
    KAVRI_SIXTY_FOUR_SET, KAVRI_SIXTY_FOUR_SET
#undef KAVRI_SIXTY_FOUR_SET
#undef KAVRI_EIGHT_SET
};

const std::uint8_t* KD_Fill_8x8_Table[KD_FILL_8X8_COUNT];
const std::uint8_t* KD_Fill_32x32_Table[KD_FILL_32X32_COUNT];
const std::uint8_t* KD_Stipple_Table[KD_STIPPLE_COUNT][KD_STIPPLE_SERIES_MAX];

const std::uint8_t* KD_Builtin_Fill_Bitmap(int number) {
    if (number >= 0 && number < KD_FILL_8X8_COUNT) return KD_Fill_8x8_Table[number];
    if (number < KD_FILL_32X32_FIRST || number >= KD_FILL_32X32_FIRST + KD_FILL_32X32_COUNT)
        return nullptr;
    return KD_Fill_32x32_Table[number - KD_FILL_32X32_FIRST];
}

void KD_Build_Fill_Bitmaps(const std::uint8_t (*dither_masks)[KD_FILL_8X8_BYTES]) {
    constexpr int solid = 64;
    for (int number = 0; number <= solid; ++number)
        KD_Fill_8x8_Table[number] = dither_masks[number];
    for (int number = 65; number <= 73; ++number) {
        std::uint8_t* bits = designs_8x8[number - 65];
        draw_bitmap(bits, 8, [number](int x, int y) { return hatch_ink(number, x, y); });
        KD_Fill_8x8_Table[number] = bits;
    }
    for (int number = 74; number < KD_FILL_8X8_COUNT; ++number)
        KD_Fill_8x8_Table[number] = dither_masks[solid];

    for (int i = 0; i < KD_FILL_32X32_COUNT; ++i) {
        const Design_Entry& entry = design_table[i];
        draw_bitmap(designs_32x32[i], side,
                    [&entry](int x, int y) { return design_ink(entry, x, y); });
        KD_Fill_32x32_Table[i] = designs_32x32[i];
    }

    for (int series = 0; series < KD_STIPPLE_COUNT; ++series)
        build_series(series);
}
