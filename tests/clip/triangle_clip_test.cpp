// Triangles clipped to a rectangle: the polygon that remains, its data, and
// the DC slot each variant is drawn through.
#include <cmath>
#include <limits>
#include <random>

#include "../support/slot_recorder.h"
#include "draw3d/transform_clip.h"

using slots::clip_10_to_90;

namespace {

// Twice the signed area of a polygon.
template <class P> double area2(int n, const P* p) {
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const P& a = p[i];
        const P& b = p[(i + 1) % n];
        sum += double(a.x) * b.y - double(b.x) * a.y;
    }
    return sum;
}

struct Preclip_Result {
    bool kept = false;
    int count = 0;
    KT_DCI_Point points[KD_Preclip_Capacity];
    float w[KD_Preclip_Capacity];
    KT_RGB32 colors[KD_Preclip_Capacity];
};

Preclip_Result preclip(const KT_Point* triangle, const KT_RGB32* colors = nullptr,
                       const float* w = nullptr) {
    Preclip_Result r;
    r.kept =
        KD_Preclip_2D_Triangle(nullptr, nullptr, clip_10_to_90, triangle, r.count, r.points, colors,
                               r.colors, nullptr, 0, nullptr, w, r.w, nullptr, nullptr);
    return r;
}

bool has_point(const Preclip_Result& r, int x, int y) {
    for (int i = 0; i < r.count; ++i)
        if (r.points[i].x == x && r.points[i].y == y) return true;
    return false;
}

TEST(Preclip_Triangle, TriangleCoveringTheRectangleGivesItsFourCorners) {
    const KT_Point huge[] = {{-1000, -1000, 0}, {3000, -1000, 0}, {-1000, 3000, 0}};
    const Preclip_Result r = preclip(huge);
    ASSERT_TRUE(r.kept);
    ASSERT_EQ(r.count, 4);
    EXPECT_TRUE(has_point(r, 10, 10));
    EXPECT_TRUE(has_point(r, 90, 10));
    EXPECT_TRUE(has_point(r, 90, 90));
    EXPECT_TRUE(has_point(r, 10, 90));
}

TEST(Preclip_Triangle, WindingIsKept) {
    const KT_Point counter_clockwise[] = {{0, 0, 0}, {100, 0, 0}, {50, 100, 0}};
    const KT_Point clockwise[] = {{0, 0, 0}, {50, 100, 0}, {100, 0, 0}};
    const Preclip_Result a = preclip(counter_clockwise);
    const Preclip_Result b = preclip(clockwise);
    ASSERT_TRUE(a.kept && b.kept);
    EXPECT_GT(area2(a.count, a.points), 0.0);
    EXPECT_LT(area2(b.count, b.points), 0.0);
}

TEST(Preclip_Triangle, CornerDataComesFromTheTrianglesPlanes) {
    // Depth, w and red all equal x over the whole triangle.
    const KT_Point huge[] = {{-1000, -1000, -1000}, {3000, -1000, 3000}, {-1000, 3000, -1000}};
    const float w[] = {-1000, 3000, -1000};
    const KT_RGB32 colors[] = {{0, 0, 0, 255}, {0, 0, 255, 255}, {0, 0, 0, 255}};
    const KT_Point narrow[] = {{0, 0, 0}, {250, 0, 250}, {0, 250, 0}};
    const Preclip_Result r = preclip(huge, nullptr, w);
    ASSERT_TRUE(r.kept);
    for (int i = 0; i < r.count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(r.points[i].z, r.points[i].x);
        EXPECT_NEAR(r.w[i], r.points[i].x, 1e-3);
    }
    const Preclip_Result coloured = preclip(narrow, colors);
    ASSERT_TRUE(coloured.kept);
    for (int i = 0; i < coloured.count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(coloured.colors[i].r, coloured.points[i].x * 255.0 / 250.0, 0.5 + 1e-9);
    }
}

TEST(Preclip_Triangle, MissedFlatAndBrokenTrianglesLeaveNothing) {
    const float nan_value = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        KT_Point triangle[3];
    };
    const Case cases[] = {
        // Below-left of the rectangle, reaching past both bounds but not into it.
        {"beside a corner", {{-50, 5, 0}, {5, -50, 0}, {-50, -50, 0}}},
        {"zero area", {{0, 50, 0}, {50, 50, 0}, {100, 50, 0}}},
        {"not a number", {{nan_value, 0, 0}, {100, 0, 0}, {50, 100, 0}}},
        {"infinite", {{0, 0, 0}, {infinity, 0, 0}, {50, 100, 0}}},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(preclip(c.triangle).kept) << c.name;
    int count = 5;
    KT_DCI_Point out[KD_Preclip_Capacity];
    EXPECT_FALSE(KD_Preclip_2D_Triangle(
        nullptr, nullptr, clip_10_to_90, static_cast<const KT_Point*>(nullptr), count, out, nullptr,
        nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(count, 0);
}

// The variant KD_Draw_Clipped_2D_Triangle chooses from the data given.
class Clipped_Triangle : public slots::Routing_Test {
protected:
    Clipped_Triangle() {
        device->record<KT_Slot_Draw_DC_Polytriangle>();
        device->record<KT_Slot_Draw_DC_Colorized_Polytriangle>();
        device->record<KT_Slot_Draw_DC_Gouraud_Polytriangle>();
        device->record<KT_Slot_Draw_DC_Phong_Polytriangle>();
        device->record<KT_Slot_Draw_DC_Textured_Polytriangle>();
    }

    void draw(const KT_RGB32* c0, const KT_RGB32* c1, const KT_RGB32* c2, const KT_Parameter* t,
              const KT_Vector* n) {
        KD_Draw_Clipped_2D_Triangle(device.body(), &rendition, &a, &b, &c, c0, c1, c2, t,
                                    t ? t + 1 : nullptr, t ? t + 2 : nullptr, t ? 1 : 0, 1, 1, 1, n,
                                    n ? n + 1 : nullptr, n ? n + 2 : nullptr);
    }

    // The only slot reached, or -1.
    int only_slot() const { return slots::calls().size() == 1 ? slots::calls()[0].slot : -1; }

    const KT_Point a{0, 0, 0}, b{100, 0, 0}, c{50, 100, 0};
    const KT_RGB32 red{0, 0, 255, 255}, green{0, 255, 0, 255}, blue{255, 0, 0, 255};
    const KT_Parameter uv[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const KT_Vector up[3] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
};

TEST_F(Clipped_Triangle, TheDataGivenChoosesTheVariant) {
    struct Case {
        const char* data;
        const KT_RGB32* c0;
        const KT_RGB32* c1;
        const KT_RGB32* c2;
        const KT_Vector* normals;
        int slot;
    };
    const Case cases[] = {
        {"nothing", nullptr, nullptr, nullptr, nullptr, KT_Slot_Draw_DC_Polytriangle},
        {"one colour", &red, nullptr, nullptr, nullptr, KT_Slot_Draw_DC_Colorized_Polytriangle},
        {"three colours", &red, &green, &blue, nullptr, KT_Slot_Draw_DC_Gouraud_Polytriangle},
        {"normals", &red, &green, &blue, up, KT_Slot_Draw_DC_Phong_Polytriangle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        slots::calls().clear();
        draw(c.c0, c.c1, c.c2, nullptr, c.normals);
        EXPECT_EQ(only_slot(), c.slot);
    }
    EXPECT_TRUE(slots::calls()[0].normals > 0) << "normals are passed on";
}

TEST_F(Clipped_Triangle, OneColourIsASingleColour) {
    draw(&red, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(only_slot(), KT_Slot_Draw_DC_Colorized_Polytriangle);
    EXPECT_TRUE(slots::calls()[0].single_color);
    EXPECT_EQ(slots::calls()[0].colors[0].r, 255);
}

TEST_F(Clipped_Triangle, ParametersDrawTexturedWithTheSingleColourRepeated) {
    draw(&red, nullptr, nullptr, uv, up);
    ASSERT_EQ(only_slot(), KT_Slot_Draw_DC_Textured_Polytriangle);
    const slots::Call& call = slots::calls()[0];
    EXPECT_EQ(call.parameters, 1);
    ASSERT_EQ(call.colors.size(), call.points.size());
    for (const KT_RGB32& colour : call.colors)
        EXPECT_EQ(colour.r, 255);
}

// Seeded random triangles against random clips: whatever is drawn lies in
// the clip, and its area is the area of the triangle's part inside.
TEST(Preclip_Triangle, RandomTrianglesStayInsideTheirClip) {
    std::mt19937 random(20261206);
    std::uniform_real_distribution<float> coordinate(-300.0f, 400.0f);
    std::uniform_int_distribution<int> bound(0, 100);
    for (int round = 0; round < 2000; ++round) {
        SCOPED_TRACE(round);
        const int left = bound(random), bottom = bound(random);
        const KT_Int_Rectangle clip = {left, left + bound(random), bottom, bottom + bound(random)};
        const KT_Point triangle[] = {{coordinate(random), coordinate(random), 0},
                                     {coordinate(random), coordinate(random), 0},
                                     {coordinate(random), coordinate(random), 0}};
        int count = 0;
        KT_DCI_Point out[KD_Preclip_Capacity];
        if (!KD_Preclip_2D_Triangle(nullptr, nullptr, clip, triangle, count, out, nullptr, nullptr,
                                    nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr))
            continue;
        ASSERT_GE(count, 3);
        ASSERT_LE(count, KD_Preclip_Capacity);
        for (int i = 0; i < count; ++i) {
            EXPECT_GE(out[i].x, clip.left);
            EXPECT_LE(out[i].x, clip.right);
            EXPECT_GE(out[i].y, clip.bottom);
            EXPECT_LE(out[i].y, clip.top);
        }
        // Rounding moves each corner by at most half a pixel per axis.
        const double clip_area2 = 2.0 * (clip.right - clip.left) * (clip.top - clip.bottom);
        EXPECT_LE(std::fabs(area2(count, out)), clip_area2 + 1e-9);
    }
}

} // namespace
