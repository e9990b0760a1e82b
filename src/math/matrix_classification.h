// The classification of a matrix: which element groups differ from identity.
// Point transforms pick their loop by it, so a bit that is missing makes
// them silently wrong; a bit that is set only costs speed.
#pragma once

#include <cstdint>

enum KT_Matrix_Classification : std::uint32_t {
    // m00, m11 (and m22 together with the z bit).
    KT_Matrix_XY_Scaled = 1,
    // The 2 x 2 block (the 3 x 3 block together with the z bit).
    KT_Matrix_XY_Mixed = 2,
    // m30, m31 (and m32 together with the z bit).
    KT_Matrix_XY_Translated = 4,
    KT_Matrix_Z = 8,
    // Column 3 differs from (0, 0, 0, 1): w must be computed.
    KT_Matrix_Perspective = 16,
    KT_Matrix_General = 31,
};
