// Float triangles drawn from the top of the pipeline against random hard
// clips: the pixels come out of the scan converter inside the clip only,
// and there they match the unclipped reference except next to the
// triangle's edges, where clipped vertices are rounded, and on the clip's
// right column and top row, where the cut pieces end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "../support/capturing_device.h"
#include "../support/reference_raster.h"
#include "renderer/renderer_data.h"
#include "rendition/rendition.h"

namespace {

constexpr int size = 64;

double distance_to_segment(double px, double py, const KT_Point& a, const KT_Point& b) {
    const double ex = b.x - a.x;
    const double ey = b.y - a.y;
    const double length2 = ex * ex + ey * ey;
    double t = length2 > 0 ? ((px - a.x) * ex + (py - a.y) * ey) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (a.x + t * ex), py - (a.y + t * ey));
}

// Pixel (x, y) lies within a pixel of one of the triangle's edges.
bool near_an_edge(const KT_Point (&t)[3], int x, int y) {
    for (int i = 0; i < 3; ++i)
        if (distance_to_segment(x, y, t[i], t[(i + 1) % 3]) <= 1.5) return true;
    return false;
}

// The clip's right column and top row: pieces are cut at the clip's
// inclusive edge, and the scan converter's open right and top ends leave
// those pixels out where the unclipped triangle would cover them.
bool on_the_clip_border(const KT_Int_Rectangle& r, int x, int y) {
    return x == r.right || y == r.top;
}

bool inside(const KT_Int_Rectangle& r, int x, int y) {
    return x >= r.left && x <= r.right && y >= r.bottom && y <= r.top;
}

TEST(Clipped_Triangle, RandomTrianglesStayInsideRandomClipsAndMatchTheReferenceThere) {
    capture::Device device(size, size);
    KT_Rendition rendition(&device);
    std::mt19937 random(4242);
    std::uniform_real_distribution<float> coordinate(-40.0f, 104.0f);
    std::uniform_int_distribution<int> edge(0, size - 1);
    for (int i = 0; i < 400; ++i) {
        int a = edge(random), b = edge(random), c = edge(random), d = edge(random);
        const KT_Int_Rectangle clip = {std::min(a, b), std::max(a, b), std::min(c, d),
                                       std::max(c, d)};
        rendition.set_hard_clip(clip, false);
        const KT_Point triangle[3] = {{coordinate(random), coordinate(random), 0.0f},
                                      {coordinate(random), coordinate(random), 0.0f},
                                      {coordinate(random), coordinate(random), 0.0f}};
        device.clear();
        KD_Action_Draw_2D_Polytriangle(&device, &rendition, 3, triangle);

        capture::Picture expected(size, size);
        const KT_RGB32 colour = rendition.color().front.rgb;
        const auto vertex = [&](const KT_Point& p) {
            return reference::Vertex{{KD_Round(p.x), KD_Round(p.y), 0}, colour};
        };
        reference::draw_triangle(expected, vertex(triangle[0]), vertex(triangle[1]),
                                 vertex(triangle[2]), reference::Shading::Flat, colour, 0);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const int drawn = device.picture.at(x, y).hits;
                if (!inside(clip, x, y)) {
                    ASSERT_EQ(drawn, 0)
                        << "triangle " << i << ": outside the clip at " << x << "," << y;
                    continue;
                }
                ASSERT_LE(drawn, 1) << "triangle " << i << ": drawn twice at " << x << "," << y;
                if (near_an_edge(triangle, x, y) || on_the_clip_border(clip, x, y)) continue;
                ASSERT_EQ(drawn, expected.at(x, y).hits)
                    << "triangle " << i << ": away from the edges at " << x << "," << y << " clip "
                    << clip.left << ".." << clip.right << " x " << clip.bottom << ".." << clip.top
                    << " triangle (" << triangle[0].x << "," << triangle[0].y << ") ("
                    << triangle[1].x << "," << triangle[1].y << ") (" << triangle[2].x << ","
                    << triangle[2].y << ")";
            }
        }
    }
}

} // namespace
