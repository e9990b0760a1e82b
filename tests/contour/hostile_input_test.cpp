// Inputs found by fuzzing that once broke the crossing sweep, kept as they
// were found.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "region_check.h"

namespace {

using namespace contour_test;

// One coordinate near 1e300 beside small ones: rescaling to the largest
// once made the small terms underflow, so distinct crossings compared equal
// and the active line fell out of order (a node freed and used again).
TEST(HostileInput, HugeAndSmallCoordinatesInOneContourTriangulateCleanly) {
    const KT_Point_D far{2, 3e38, 0};
    const std::vector<KT_Point_D> points = {far, {-1, -2, 0}, {1, 1e30, 0}, {3e38, 1e300, 0},
                                            far, {-4, 0, 0},  far,          far,
                                            far, far,         far,          far};
    const int counts[3] = {12, -1, -1};
    KT_Contour_Set set(3, counts, points.data(), false);
    const std::vector<Triangle> triangles = triangles_of<KT_Point_D>(*set);
    for (const Triangle& t : triangles) {
        for (const KT_Point_D& corner : {t.a, t.b, t.c}) {
            EXPECT_TRUE(std::isfinite(corner.x));
            EXPECT_TRUE(std::isfinite(corner.y));
        }
    }
}

// Four nearly collinear edges: each crossing, rounded, lands a hair off
// both lines and made new crossings pass after pass, multiplying the points.
// The few crossings these edges have must give a few triangles.
TEST(HostileInput, NearlyCollinearSliversDoNotMultiplyPoints) {
    const KT_Point_D first{1.0000008, 0.9999999, 0};
    const std::vector<KT_Point_D> points = {first,
                                            {0.9999999, 2, 0},
                                            {1.00000125, 0.49999985, 0},
                                            {0.999997875, 4.250000225, 0},
                                            first,
                                            first,
                                            first,
                                            first};
    // Four edges cross at most six times: a handful of triangles, never the
    // thousands that runaway passes produced.
    constexpr std::size_t most_triangles = 24;
    for (const KT_Contour_Fill_Rule rule : {KT_Fill_Odd_Even, KT_Fill_Non_Zero, KT_Fill_Resolved}) {
        SCOPED_TRACE(rule);
        KT_Contour_Set set(static_cast<int>(points.size()), points.data(), false);
        set.set_fill_rule(rule);
        EXPECT_LE(triangles_of<KT_Point_D>(*set).size(), most_triangles);
    }
}

} // namespace
