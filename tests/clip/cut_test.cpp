// Polylines and triangles cut by the cutting planes' screen planes, and
// triangles split at the near limit.
#include <algorithm>

#include "../support/slot_recorder.h"
#include "draw3d/transform_clip.h"
#include "math/matrix.h"
#include "rendition/cutting_plane.h"

namespace {

// A set whose screen planes are its planes (identity world to device).
KT_Cutting_Plane_Set planes_of(std::initializer_list<KT_Plane> planes) {
    KT_Cutting_Plane_Set set;
    for (const KT_Plane& p : planes)
        set.add(KT_Cutting_Plane(p));
    set.validate_screen_planes(KT_Matrix());
    return set;
}

// Keeps x < 50.
const KT_Plane cut_right_of_50 = {1, 0, 0, -50};
// Keeps y < 20.
const KT_Plane cut_above_20 = {0, 1, 0, -20};

class Cut_Polyline : public slots::Routing_Test {
protected:
    Cut_Polyline() {
        device->record<KT_Slot_Draw_2D_Polyline>();
        device->record<KT_Slot_Draw_2D_Colorized_Polyline>();
        device->record<KT_Slot_Draw_2D_Gouraud_Polyline>();
        device->record<KT_Slot_Draw_2D_Phong_Polyline>();
        device->record<KT_Slot_Draw_2D_Textured_Polyline>();
    }

    void cut(const KT_Cutting_Plane_Set& planes, const KT_RGB32* colors = nullptr,
             bool single = false, const KT_Vector* normals = nullptr,
             const KT_Parameter* parameters = nullptr) {
        KD_Cut_2DW_Polyline(device.body(), &rendition, &planes, 2, line, colors, single, parameters,
                            parameters ? 1 : 0, nullptr, normals);
    }

    const KT_Point line[2] = {{0, 10, 0}, {100, 10, 100}};
};

TEST_F(Cut_Polyline, KeepsThePieceOnTheKeptSide) {
    cut(planes_of({cut_right_of_50}));
    const auto drawn = slots::calls_to(KT_Slot_Draw_2D_Polyline);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_NEAR(drawn[0].points[0].x, 0.0, 1e-4);
    EXPECT_NEAR(drawn[0].points[1].x, 50.0, 1e-3);
    EXPECT_NEAR(drawn[0].points[1].z, 50.0, 1e-3) << "depth interpolated";
}

TEST_F(Cut_Polyline, OnePlaneCuttingAllAwayWinsOverTheOthers) {
    // The line runs at y = 10 and x from 0 to 100; keeping y > 20 removes it.
    const KT_Plane cut_below_20 = {0, -1, 0, 20};
    cut(planes_of({cut_right_of_50, cut_above_20, cut_below_20}));
    EXPECT_TRUE(slots::calls().empty());
}

TEST_F(Cut_Polyline, ColoursTruncateAtTheCut) {
    const KT_RGB32 colors[] = {{0, 0, 0, 0}, {0, 0, 101, 0}};
    cut(planes_of({cut_right_of_50}), colors);
    const auto drawn = slots::calls_to(KT_Slot_Draw_2D_Gouraud_Polyline);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].colors[1].r, 50) << "50.5 truncated";
}

TEST_F(Cut_Polyline, EachDataKindReachesItsSlot) {
    const KT_Cutting_Plane_Set planes = planes_of({cut_right_of_50});
    const KT_RGB32 colors[] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    const KT_Vector normals[] = {{0, 0, 1}, {0, 1, 0}};
    const KT_Parameter parameters[] = {{0, 0, 0}, {1, 1, 0}};
    cut(planes, colors, true);
    cut(planes, colors, false, normals);
    cut(planes, nullptr, false, nullptr, parameters);
    ASSERT_EQ(slots::calls().size(), 3u);
    EXPECT_EQ(slots::calls()[0].slot, KT_Slot_Draw_2D_Colorized_Polyline);
    EXPECT_TRUE(slots::calls()[0].single_color);
    EXPECT_EQ(slots::calls()[1].slot, KT_Slot_Draw_2D_Phong_Polyline);
    EXPECT_EQ(slots::calls()[2].slot, KT_Slot_Draw_2D_Textured_Polyline);
}

TEST_F(Cut_Polyline, SegmentCrossingAPlaneAlmostAlongItIsRemoved) {
    // Crosses x = 0 while moving only 2e-7 across it: no division by that.
    const KT_Plane keep_left_of_0 = {1, 0, 0, 0};
    const KT_Point almost_along[] = {{-1e-7f, 0, 0}, {1e-7f, 10, 0}};
    const KT_Point clearly_across[] = {{-1, 0, 0}, {1, 10, 0}};
    const KT_Cutting_Plane_Set planes = planes_of({keep_left_of_0});
    KD_Cut_2DW_Polyline(device.body(), &rendition, &planes, 2, almost_along, nullptr, false,
                        nullptr, 0, nullptr, nullptr);
    EXPECT_TRUE(slots::calls().empty());
    KD_Cut_2DW_Polyline(device.body(), &rendition, &planes, 2, clearly_across, nullptr, false,
                        nullptr, 0, nullptr, nullptr);
    EXPECT_EQ(slots::calls().size(), 1u);
}

class Cut_Triangle : public slots::Routing_Test {
protected:
    Cut_Triangle() {
        device->record<KT_Slot_Draw_2D_Polytriangle>();
        device->record<KT_Slot_Draw_2D_Gouraud_Polytriangle>();
        device->record<KT_Slot_Draw_2D_Textured_Polytriangle>();
    }

    const KT_Point a{0, 0, 0}, b{100, 0, 0}, c{0, 100, 0};
};

TEST_F(Cut_Triangle, WhatRemainsLiesOnTheKeptSide) {
    const KT_Cutting_Plane_Set planes = planes_of({cut_right_of_50, cut_above_20});
    KD_Cut_2DW_Triangle(device.body(), &rendition, &planes, &a, &b, &c, 1, 1, 1, nullptr, nullptr,
                        nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
    const auto drawn = slots::calls_to(KT_Slot_Draw_2D_Polytriangle);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].points.size(), 4u) << "the rectangle 50 by 20";
    for (const KT_Point_D& p : drawn[0].points) {
        EXPECT_LE(p.x, 50.0 + 1e-4);
        EXPECT_LE(p.y, 20.0 + 1e-4);
    }
}

TEST_F(Cut_Triangle, TriangleCutAwayDrawsNothing) {
    const KT_Plane keep_beyond_200 = {-1, 0, 0, 200};
    const KT_Cutting_Plane_Set planes = planes_of({keep_beyond_200});
    KD_Cut_2DW_Triangle(device.body(), &rendition, &planes, &a, &b, &c, 1, 1, 1, nullptr, nullptr,
                        nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr);
    EXPECT_TRUE(slots::calls().empty());
}

// The near split: a rendition whose near limit is 0.5.
class Near_Split : public Cut_Triangle {
protected:
    static constexpr float near_limit = 0.5f;
    Near_Split() { rendition.modify_transform().scaled_wlimit = near_limit; }

    void draw(const KT_Point* behind, float behind_w) {
        const KT_Parameter uv[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        KD_Draw_Clipped_2DW_Triangle(device.body(), &rendition, nullptr, &front_a, &front_b, behind,
                                     1, 1, behind_w, nullptr, nullptr, nullptr, &uv[0], &uv[1],
                                     &uv[2], 1, nullptr, nullptr, nullptr);
    }

    // Divided by their w of 1.
    const KT_Point front_a{0, 0, 0}, front_b{100, 0, 0};
};

TEST_F(Near_Split, OneVertexBehindLeavesAQuadrilateralOnTheLimit) {
    // Undivided: homogeneous (0, 100, 0) with w = -1. The edges to it
    // reach w = 0.5 a quarter of the way, at (0, 25) and (75, 25), which
    // divide to (0, 50) and (150, 50).
    const KT_Point behind{0, 100, 0};
    draw(&behind, -1);
    const auto drawn = slots::calls_to(KT_Slot_Draw_2D_Textured_Polytriangle);
    ASSERT_EQ(drawn.size(), 2u) << "two triangles of the split";
    std::vector<KT_Point_D> corners;
    for (const slots::Call& call : drawn) {
        for (float w : call.w)
            EXPECT_GE(w, near_limit - 1e-6f);
        corners.insert(corners.end(), call.points.begin(), call.points.end());
    }
    const auto has = [&corners](double x, double y) {
        return std::any_of(corners.begin(), corners.end(), [=](const KT_Point_D& p) {
            return std::fabs(p.x - x) < 1e-3 && std::fabs(p.y - y) < 1e-3;
        });
    };
    EXPECT_TRUE(has(0, 0));
    EXPECT_TRUE(has(100, 0));
    EXPECT_TRUE(has(0, 50));
    EXPECT_TRUE(has(150, 50));
}

TEST_F(Near_Split, AllVerticesBehindDrawNothing) {
    const KT_Point behind_a{0, 0, 0}, behind_b{10, 0, 0}, behind_c{0, 10, 0};
    KD_Draw_Clipped_2DW_Triangle(device.body(), &rendition, nullptr, &behind_a, &behind_b,
                                 &behind_c, 0.1f, 0.2f, -3, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, 0, nullptr, nullptr, nullptr);
    EXPECT_TRUE(slots::calls().empty());
}

TEST_F(Near_Split, PiecesAreCutByThePlanesToo) {
    const KT_Point behind{0, 100, 0};
    const KT_Cutting_Plane_Set planes = planes_of({cut_above_20});
    KD_Draw_Clipped_2DW_Triangle(device.body(), &rendition, &planes, &front_a, &front_b, &behind, 1,
                                 1, -1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                                 nullptr, nullptr, nullptr);
    const auto drawn = slots::calls_to(KT_Slot_Draw_2D_Polytriangle);
    ASSERT_FALSE(drawn.empty());
    for (const slots::Call& call : drawn)
        for (const KT_Point_D& p : call.points)
            EXPECT_LE(p.y, 20.0 + 1e-4);
}

} // namespace
