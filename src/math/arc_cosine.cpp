#include "math/arc_cosine.h"

#include "foundation/shared.h"

float KD_ACos(float x) {
    if (x >= -1.0f && x <= 1.0f) {
        const float* table = SHARED.arc_cosines;
        const float f = 250.0f - 250.0f * x;
        const int i = static_cast<int>(f);
        const float r = f - static_cast<float>(i);
        if (r > 0.0f && i < 500) return table[i] + (table[i + 1] - table[i]) * r;
        return table[i];
    }
    if (x > 1.0f) return 0.0f;
    if (x > -1.0001f) return 3.1415927f;
    return 0.0f;
}
