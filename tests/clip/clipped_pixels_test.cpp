// Pixels of triangles drawn through the 2D slots against random hard clips,
// compared with the unclipped triangle scan-converted by the reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>

#include "../support/capturing_device.h"
#include "../support/reference_raster.h"
#include "draw3d/transform_clip.h"
#include "renderer/next_action.h"

namespace {

constexpr int window = 96;

// Distance from pixel (x, y) to segment a-b.
double distance_to_segment(double x, double y, const KT_DCI_Point& a, const KT_DCI_Point& b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy));
}

class Clipped_Pixels : public ::testing::Test {
protected:
    Clipped_Pixels() : device(new capture::Device(window, window)), rendition(device.body()) {}

    // Everything drawn lies in the clip and the device got well-formed rows.
    std::string outside_of(const KT_Int_Rectangle& clip) const {
        const capture::Picture& p = device->picture;
        if (device->outside != 0 || device->malformed != 0) return "rows outside the window";
        for (int y = 0; y < p.height(); ++y)
            for (int x = 0; x < p.width(); ++x)
                if (p.at(x, y).hits > 0 &&
                    (x < clip.left || x > clip.right || y < clip.bottom || y > clip.top)) {
                    std::ostringstream text;
                    text << "pixel (" << x << ", " << y << ") drawn outside the clip";
                    return text.str();
                }
        return "";
    }

    KT_Pointer<capture::Device> device;
    KT_Rendition rendition;
};

// Clipped vertices are rounded, so the clipped picture may differ from the
// unclipped one next to the triangle's edges, and only there: the clip's
// right column and top row are drawn like all its other pixels.
TEST_F(Clipped_Pixels, RandomTrianglesDifferFromTheUnclippedOnesOnlyAtTheirEdges) {
    std::mt19937 random(1206);
    std::uniform_real_distribution<float> coordinate(-120.0f, 220.0f);
    std::uniform_int_distribution<int> bound(0, window - 1);
    int rounds_drawn = 0;
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        const int x0 = bound(random), x1 = bound(random), y0 = bound(random), y1 = bound(random);
        const KT_Int_Rectangle clip = {std::min(x0, x1), std::max(x0, x1), std::min(y0, y1),
                                       std::max(y0, y1)};
        rendition.set_hard_clip_unrestricted(clip, false);
        const KT_Point triangle[] = {{coordinate(random), coordinate(random), 100},
                                     {coordinate(random), coordinate(random), 200},
                                     {coordinate(random), coordinate(random), 300}};
        device->clear();
        KD_Next_Action<KT_Slot_Draw_2D_Polytriangle>(&rendition, 3, triangle);
        ASSERT_EQ(outside_of(clip), "");
        rounds_drawn += device->picture.covered_count() > 0;

        capture::Picture unclipped(window, window);
        reference::Vertex corners[3];
        for (int i = 0; i < 3; ++i)
            corners[i] = {{KD_Round(triangle[i].x), KD_Round(triangle[i].y), 0}, {}};
        reference::draw_triangle(unclipped, corners[0], corners[1], corners[2],
                                 reference::Shading::Flat, {}, 0);
        for (int y = clip.bottom; y <= clip.top; ++y)
            for (int x = clip.left; x <= clip.right; ++x) {
                const bool drawn = device->picture.at(x, y).hits > 0;
                if (drawn == (unclipped.at(x, y).hits > 0)) continue;
                double nearest = distance_to_segment(x, y, corners[0].point, corners[1].point);
                nearest = std::min(nearest,
                                   distance_to_segment(x, y, corners[1].point, corners[2].point));
                nearest = std::min(nearest,
                                   distance_to_segment(x, y, corners[2].point, corners[0].point));
                EXPECT_LE(nearest, 1.5)
                    << "pixel (" << x << ", " << y << ") " << (drawn ? "drawn" : "missing") << ", "
                    << nearest << " from the nearest edge";
            }
    }
}

// Triangles reaching past the guard rectangle, or behind the near limit,
// still draw nothing outside the clip.
TEST_F(Clipped_Pixels, GuardAndNearLimitKeepEverythingInsideTheClip) {
    std::mt19937 random(61206);
    std::uniform_real_distribution<float> near(-50.0f, 150.0f);
    std::uniform_real_distribution<float> far(-4e9f, 4e9f);
    std::uniform_real_distribution<float> w(-2.0f, 2.0f);
    const KT_Int_Rectangle clip = {20, 70, 15, 80};
    rendition.set_hard_clip_unrestricted(clip, false);
    rendition.modify_transform().scaled_wlimit = 0.25;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        const KT_Point with_far_corner[] = {{near(random), near(random), 0},
                                            {near(random), near(random), 0},
                                            {far(random), far(random), 0}};
        const float ws[] = {w(random), w(random), w(random)};
        device->clear();
        KD_Next_Action<KT_Slot_Draw_2D_Polytriangle>(&rendition, 3, with_far_corner);
        ASSERT_EQ(outside_of(clip), "");
        KD_Draw_Clipped_2DW_Triangle(device.body(), &rendition, nullptr, &with_far_corner[0],
                                     &with_far_corner[1], &with_far_corner[2], ws[0], ws[1], ws[2],
                                     nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                                     nullptr, nullptr, nullptr);
        ASSERT_EQ(outside_of(clip), "");
    }
}

} // namespace
