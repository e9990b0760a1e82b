// Ellipses and elliptical arcs: the points on the curve and the slots the
// figures reach.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "../support/slot_recorder.h"
#include "draw2d/ellipse.h"

namespace {

using slots::Call;
using slots::calls;
using slots::calls_to;

constexpr double two_pi = 6.283185307179586;

// How far p lies from the ellipse (rx, ry) turned by rotation about centre:
// the nearest of coarse samples along the curve, refined by a ternary
// search around it.
double distance_to_ellipse(const KT_Point_D& p, const KT_Point_D& centre, double rx, double ry,
                           double rotation) {
    auto distance_at = [&](double a) {
        const double ex = rx * std::cos(a);
        const double ey = ry * std::sin(a);
        const double x = centre.x + ex * std::cos(rotation) - ey * std::sin(rotation);
        const double y = centre.y + ex * std::sin(rotation) + ey * std::cos(rotation);
        return std::hypot(p.x - x, p.y - y);
    };
    const int samples = 720;
    const double step = two_pi / samples;
    int nearest = 0;
    for (int i = 1; i < samples; ++i)
        if (distance_at(i * step) < distance_at(nearest * step)) nearest = i;
    double low = (nearest - 1) * step;
    double high = (nearest + 1) * step;
    for (int i = 0; i < 60; ++i) {
        const double a = low + (high - low) / 3;
        const double b = high - (high - low) / 3;
        if (distance_at(a) < distance_at(b))
            high = b;
        else
            low = a;
    }
    return distance_at((low + high) / 2);
}

TEST(Elliptical_Points, FullCircleEndsExactlyWhereItStarts) {
    const KT_Point centre = {100.25f, 50.5f, 9};
    const KT_Point radii = {30, 30, 0};
    std::vector<KT_Point> points(40);
    KD_Generate_Elliptical_Points(centre, radii, 0.0, two_pi, 0.0, 40, points.data());
    EXPECT_EQ(points.front().x, points.back().x);
    EXPECT_EQ(points.front().y, points.back().y);
    EXPECT_EQ(points.back().z, 9);
}

TEST(Elliptical_Points, OffsetsFromTheCentreAreWholePixelsRoundedAwayFromZero) {
    const KT_Point centre = {0.25f, 0, 0};
    const KT_Point radii = {10.5f, 4, 0};
    KT_Point points[2];
    KD_Generate_Elliptical_Points(centre, radii, 0.0, 3.14159265358979, 0.0, 2, points);
    EXPECT_FLOAT_EQ(points[0].x, 11.25f) << "10.5 rounds to 11";
    EXPECT_FLOAT_EQ(points[1].x, -10.75f) << "-10.5 rounds to -11";
}

TEST(Elliptical_Points, EveryPointAndEveryChordStaysWithinAPixelOfTheCurve) {
    std::mt19937 random(12);
    std::uniform_real_distribution<double> radius(1, 400), angle(0, two_pi);
    for (int trial = 0; trial < 30; ++trial) {
        SCOPED_TRACE(trial);
        const KT_DCI_Point centre = {200, 300, 0};
        const KT_DCI_Point radii = {static_cast<int>(radius(random)),
                                    static_cast<int>(radius(random)), 0};
        const double rotation = angle(random);
        const double larger = std::max(radii.x, radii.y);
        const int count = std::max(2, 1 + static_cast<int>(4 * std::sqrt(larger)));
        std::vector<KT_DCI_Point> points(count);
        KD_Generate_Elliptical_Points(centre, radii, 0.0, two_pi, rotation, count, points.data());
        const KT_Point_D c = slots::widen(centre);
        for (int i = 0; i + 1 < count; ++i) {
            const KT_Point_D a = slots::widen(points[i]);
            const KT_Point_D b = slots::widen(points[i + 1]);
            const KT_Point_D middle = {(a.x + b.x) / 2, (a.y + b.y) / 2, 0};
            ASSERT_LE(distance_to_ellipse(a, c, radii.x, radii.y, rotation), 1.0) << "point " << i;
            ASSERT_LE(distance_to_ellipse(middle, c, radii.x, radii.y, rotation), 1.0)
                << "chord after point " << i;
        }
    }
}

TEST(Elliptical_Points, FullEllipseIsSymmetricAboutItsAxes) {
    const KT_DCI_Point centre = {0, 0, 0};
    const KT_DCI_Point radii = {70, 40, 0};
    const int count = 37; // a point every 10 degrees
    std::vector<KT_DCI_Point> points(count);
    KD_Generate_Elliptical_Points(centre, radii, 0.0, two_pi, 0.0, count, points.data());
    for (int i = 0; i < count - 1; ++i) {
        SCOPED_TRACE(i);
        const KT_DCI_Point& p = points[i];
        const KT_DCI_Point& mirrored = points[(count - 1 - i) % (count - 1)];
        EXPECT_EQ(p.x, mirrored.x);
        EXPECT_EQ(p.y, -mirrored.y);
    }
}

class Figures : public slots::Recording_Test {
protected:
    Figures() : slots::Recording_Test(640, 480) {
        device->record<KT_Slot_Draw_DC_Ellipse, KT_Slot_Draw_DC_Elliptical_Arc,
                       KT_Slot_Draw_DC_Polygon, KT_Slot_Draw_DCI_Polygon, KT_Slot_Draw_2D_Polygon,
                       KT_Slot_Draw_2DI_Polygon, KT_Slot_Draw_DC_Polyline,
                       KT_Slot_Draw_DC_Colorized_Polyline, KT_Slot_Draw_2D_Polyline,
                       KT_Slot_Draw_2D_Colorized_Polyline, KT_Slot_Draw_DC_Dot, KT_Slot_Draw_2D_Dot,
                       KT_Slot_Draw_DCI_Dot>();
    }

    const KT_RGB32 red = {0, 0, 255, 255};
};

TEST_F(Figures, EllipseInsideTheClipGoesOnToTheDeviceFamily) {
    const KT_Point centre = {320, 240, 0};
    const KT_Point radii = {50, 20, 0};
    KD_Action_Draw_2D_Ellipse(top(), &rendition, &centre, &radii, 0.0, two_pi, 0.0, &red);
    ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_DC_Ellipse"});
}

TEST_F(Figures, EllipseStraddlingTheClipIsFilledThroughTheClippingPolygonSlot) {
    const KT_Point centre = {10, 240, 0};
    const KT_Point radii = {50, 20, 0};
    KD_Action_Draw_2D_Ellipse(top(), &rendition, &centre, &radii, 0.0, two_pi, 0.0, &red);
    ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_2D_Polygon"});
    EXPECT_EQ(calls()[0].colors.at(0).r, 255);
    const int expected_points = 1 + static_cast<int>(4 * std::sqrt(50.0));
    EXPECT_EQ(calls()[0].points.size(), static_cast<std::size_t>(expected_points));
}

TEST_F(Figures, PartialEllipseIsAPieSector) {
    const KT_DCI_Point centre = {320, 240, 4};
    const KT_DCI_Point radii = {100, 100, 0};
    KD_Action_Draw_DCI_Ellipse(top(), &rendition, &centre, &radii, 0.0, 1.0, 0.0, &red);
    ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_DCI_Polygon"});
    const std::vector<KT_Point_D>& p = calls()[0].points;
    EXPECT_EQ(p.back().x, 320) << "the centre closes the sector";
    EXPECT_EQ(p.back().y, 240);
    EXPECT_EQ(p.front().x, 420) << "the sector starts at angle 0";
}

TEST_F(Figures, ArcIsDrawnAsAPolylineInItsColour) {
    const KT_Point centre = {320, 240, 0};
    const KT_Point radii = {60, 60, 0};
    KD_Standard_Draw_DC_Elliptical_Arc(top(), &rendition, &centre, &radii, 0.0, 3.0, 0.0, &red);
    KD_Standard_Draw_DC_Elliptical_Arc(top(), &rendition, &centre, &radii, 0.0, 3.0, 0.0, nullptr);
    ASSERT_EQ(slots::names(),
              (std::vector<std::string>{"Draw_DC_Colorized_Polyline", "Draw_DC_Polyline"}));
    EXPECT_TRUE(calls()[0].single_color);
}

TEST_F(Figures, SweepWithinAHundredthOfATurnIsTheFullFigure) {
    const KT_Point centre = {320, 240, 0};
    const KT_Point radii = {60, 60, 0};
    KD_Standard_Draw_DC_Elliptical_Arc(top(), &rendition, &centre, &radii, 0.0, 6.28, 0.0, nullptr);
    ASSERT_EQ(calls().size(), 1u);
    const std::vector<KT_Point_D>& p = calls()[0].points;
    EXPECT_EQ(p.front().x, p.back().x);
    EXPECT_EQ(p.front().y, p.back().y);
}

TEST_F(Figures, ReversedAnglesSweepThroughZero) {
    const KT_Point centre = {320, 240, 0};
    const KT_Point radii = {60, 60, 0};
    KD_Standard_Draw_DC_Elliptical_Arc(top(), &rendition, &centre, &radii, 6.0, 0.5, 0.0, nullptr);
    ASSERT_EQ(calls().size(), 1u);
    const std::vector<KT_Point_D>& p = calls()[0].points;
    EXPECT_GT(p.front().x, 320) << "starts at 6 radians, just below the x axis";
    EXPECT_LT(p.front().y, 240);
    EXPECT_GT(p.back().y, 240) << "ends at half a radian, above it";
}

TEST_F(Figures, RadiiBelowOnePixelDrawADotAtTheCentre) {
    const KT_Point centre = {20.4f, 30.6f, 0};
    const KT_Point radii = {0, 0, 0};
    KD_Standard_Draw_DC_Ellipse(top(), &rendition, &centre, &radii, 0.0, two_pi, 0.0, &red);
    ASSERT_EQ(slots::names(), std::vector<std::string>{"Draw_DC_Dot"});
    EXPECT_FLOAT_EQ(calls()[0].points[0].x, 20.4f);
}

TEST_F(Figures, DegenerateFiguresDrawNothing) {
    const KT_Point centre = {320, 240, 0};
    const KT_Point radii = {60, 60, 0};
    const KT_Point negative = {-5, 60, 0};
    const KT_Point not_a_number = {NAN, 60, 0};
    KD_Standard_Draw_DC_Ellipse(top(), &rendition, &centre, &negative, 0.0, 1.0, 0.0, &red);
    KD_Standard_Draw_DC_Ellipse(top(), &rendition, &centre, &not_a_number, 0.0, 1.0, 0.0, &red);
    KD_Standard_Draw_DC_Ellipse(top(), &rendition, &centre, &radii, NAN, 1.0, 0.0, &red);
    KD_Standard_Draw_DC_Ellipse(top(), &rendition, &centre, &radii, 0.0, INFINITY, 0.0, &red);
    KD_Standard_Draw_DC_Elliptical_Arc(top(), &rendition, &centre, &radii, 1.0, 1.0, 0.0, &red);
    KD_Standard_Draw_DC_Ellipse(top(), &rendition, nullptr, &radii, 0.0, 1.0, 0.0, &red);
    KD_Action_Draw_2D_Ellipse(top(), &rendition, &centre, nullptr, 0.0, 1.0, 0.0, &red);
    EXPECT_TRUE(calls().empty());
}

TEST_F(Figures, HugeRadiusIsDrawnWithABoundedNumberOfPoints) {
    const KT_Point centre = {320, 240, 0};
    const KT_Point radii = {1e30f, 1e30f, 0};
    KD_Action_Draw_2D_Elliptical_Arc(top(), &rendition, &centre, &radii, 0.0, two_pi, 0.0, nullptr);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_LE(calls()[0].points.size(), 131073u);
}

} // namespace
