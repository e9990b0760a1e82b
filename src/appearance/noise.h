// Deterministic value noise for the solid textures: the same point and seed
// give the same value on every machine, with no tables to build.
#pragma once

#include <cstdint>

#include "foundation/export.h"

// Smooth noise in [-1, 1], varying over unit lattice cells. Coordinates
// repeat every 65536 cells, which keeps the lattice arithmetic in range for
// any finite input; points that are not finite give 0.
KAVRI_API float KD_Noise(float x, float y, float z, std::uint32_t seed);

// Sum of |noise| over octaves of doubling frequency and halving weight, in
// [0, 2). Octaves are limited to 1..12.
KAVRI_API float KD_Turbulence(float x, float y, float z, int octaves, std::uint32_t seed);
