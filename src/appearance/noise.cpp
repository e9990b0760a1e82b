#include "appearance/noise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float period = 65536.0f;
constexpr std::uint32_t cell_mask = 0xFFFF;
constexpr int max_octaves = 12;

// Integer hash of a lattice corner (a 32-bit finaliser).
std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t z, std::uint32_t seed) {
    std::uint32_t h = seed * 0x9E3779B1u;
    h ^= x * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= y * 0xC2B2AE35u;
    h = (h << 13) | (h >> 19);
    h ^= z * 0x27D4EB2Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float corner(std::uint32_t x, std::uint32_t y, std::uint32_t z, std::uint32_t seed) {
    return static_cast<float>(hash(x, y, z, seed) >> 8) * (1.0f / 16777216.0f);
}

float fade(float t) {
    return t * t * (3.0f - 2.0f * t);
}

float lerp(float a, float b, float t) {
    return a + (b - a) * t;
}

// Splits a coordinate into its lattice cell (wrapped to the period) and the
// fraction within it.
void split(float v, std::uint32_t& cell, float& fraction) {
    const float wrapped = v - period * std::floor(v / period);
    const float whole = std::floor(wrapped);
    // Rounding can land a value just below 0 on the period itself.
    cell = static_cast<std::uint32_t>(whole) & cell_mask;
    fraction = wrapped - whole;
}

} // namespace

float KD_Noise(float x, float y, float z, std::uint32_t seed) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return 0.0f;
    std::uint32_t cx, cy, cz;
    float fx, fy, fz;
    split(x, cx, fx);
    split(y, cy, fy);
    split(z, cz, fz);
    const std::uint32_t nx = (cx + 1) & cell_mask, ny = (cy + 1) & cell_mask,
                        nz = (cz + 1) & cell_mask;
    const float tx = fade(fx), ty = fade(fy), tz = fade(fz);
    const float near_plane = lerp(lerp(corner(cx, cy, cz, seed), corner(nx, cy, cz, seed), tx),
                                  lerp(corner(cx, ny, cz, seed), corner(nx, ny, cz, seed), tx), ty);
    const float far_plane = lerp(lerp(corner(cx, cy, nz, seed), corner(nx, cy, nz, seed), tx),
                                 lerp(corner(cx, ny, nz, seed), corner(nx, ny, nz, seed), tx), ty);
    return 2.0f * lerp(near_plane, far_plane, tz) - 1.0f;
}

float KD_Turbulence(float x, float y, float z, int octaves, std::uint32_t seed) {
    octaves = std::clamp(octaves, 1, max_octaves);
    float sum = 0.0f;
    float frequency = 1.0f;
    float weight = 1.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * std::fabs(KD_Noise(x * frequency, y * frequency, z * frequency,
                                           seed + static_cast<std::uint32_t>(i)));
        frequency *= 2.0f;
        weight *= 0.5f;
    }
    return sum;
}
