// A recording device with a rendition whose hard clip a test chooses.
#pragma once

#include <gtest/gtest.h>

#include "../support/slot_recorder.h"
#include "draw3d/transform_clip.h"

namespace clip_test {

inline constexpr KT_Int_Rectangle clip_10_to_90 = {10, 90, 10, 90};

class Routing : public ::testing::Test {
protected:
    Routing() : device(new slots::Device(100, 100)), rendition(device.body()) {
        rendition.set_hard_clip_unrestricted(clip_10_to_90, false);
    }

    const KT_Int_Rectangle& hard_clip() const { return rendition.transform().hard_clip; }

    KT_Pointer<slots::Device> device;
    KT_Rendition rendition;
};

inline bool inside(const KT_Int_Rectangle& r, const KT_Point_D& p) {
    return p.x >= r.left && p.x <= r.right && p.y >= r.bottom && p.y <= r.top;
}

} // namespace clip_test
