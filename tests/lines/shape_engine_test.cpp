#include <gtest/gtest.h>

#include <cmath>

#include "../support/slot_recorder.h"
#include "font/shape_engine.h"

namespace {

using slots::Call;
using slots::calls;
using slots::calls_to;

class Shape_Engine : public slots::Recording_Test {
protected:
    Shape_Engine() : slots::Recording_Test(200, 200) {
        device->record<KT_Slot_Draw_2DI_Polytriangle, KT_Slot_Draw_2DI_Colorized_Polytriangle,
                       KT_Slot_Draw_2DI_Gouraud_Polytriangle, KT_Slot_Draw_2DI_Phong_Polytriangle,
                       KT_Slot_Draw_2DI_Textured_Polytriangle, KT_Slot_Draw_2DI_Polyline,
                       KT_Slot_Draw_2DI_Colorized_Polyline, KT_Slot_Draw_2DI_Gouraud_Polyline,
                       KT_Slot_Draw_2DI_Polymarker, KT_Slot_Draw_2DI_Colorized_Polymarker,
                       KT_Slot_Reserved_2DI_Polymarker>();
    }

    KT_Pointer<KT_Shape_Engine_Data> engine{new KT_Shape_Engine_Data};
};

double triangle_area(const std::vector<KT_Point_D>& t) {
    return std::fabs((t[1].x - t[0].x) * (t[2].y - t[0].y) -
                     (t[2].x - t[0].x) * (t[1].y - t[0].y)) /
           2;
}

TEST_F(Shape_Engine, ShapesItHandsOutNameItAndTheirIndex) {
    const KT_Line_Shape line = engine->line_shape(7);
    const KT_Marker_Shape marker = engine->marker_shape(8);
    const KT_Fill_Shape fill = engine->fill_shape(9);
    EXPECT_EQ(line.engine(), engine.body());
    EXPECT_EQ(line.index(), 7);
    EXPECT_EQ(marker.index(), 8);
    EXPECT_EQ(fill.engine(), engine.body());
    EXPECT_EQ(fill.index(), 9);
}

TEST_F(Shape_Engine, PolygonOfTwoPointsDrawsNothing) {
    const KT_DCI_Point two[2] = {{0, 0, 0}, {10, 10, 0}};
    engine->draw_2d_polygon(top(), &rendition, 2, two, nullptr);
    EXPECT_TRUE(calls().empty());
}

TEST_F(Shape_Engine, PolygonOfThreePointsIsOneTriangleAsGiven) {
    const KT_DCI_Point triangle[3] = {{0, 0, 5}, {10, 0, 5}, {0, 10, 5}};
    engine->draw_2d_polygon(top(), &rendition, 3, triangle, nullptr);
    ASSERT_EQ(calls().size(), 1u);
    const Call& drawn = calls()[0];
    EXPECT_EQ(drawn.slot, KT_Slot_Draw_2DI_Polytriangle);
    ASSERT_EQ(drawn.points.size(), 3u);
    EXPECT_EQ(drawn.points[1].x, 10);
    EXPECT_EQ(drawn.points[2].y, 10);
}

TEST_F(Shape_Engine, ConcavePolygonIsThreeTrianglesCoveringIt) {
    // A square notched from the top; the triangles must add up to its
    // shoelace area.
    const KT_DCI_Point arrow[5] = {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {50, 30, 0}, {0, 100, 0}};
    double shoelace = 0;
    for (int i = 0; i < 5; ++i) {
        const KT_DCI_Point& a = arrow[i];
        const KT_DCI_Point& b = arrow[(i + 1) % 5];
        shoelace += double(a.x) * b.y - double(b.x) * a.y;
    }
    engine->draw_2d_polygon(top(), &rendition, 5, arrow, nullptr);
    ASSERT_EQ(calls().size(), 3u);
    double covered = 0;
    for (const Call& triangle : calls()) {
        EXPECT_EQ(triangle.slot, KT_Slot_Draw_2DI_Polytriangle);
        ASSERT_EQ(triangle.points.size(), 3u);
        covered += triangle_area(triangle.points);
    }
    EXPECT_DOUBLE_EQ(covered, std::fabs(shoelace) / 2);
}

TEST_F(Shape_Engine, ShapedPolylineIsDrawnPlainlyAndTheCallerKeepsItsPattern) {
    rendition.modify_line().line_pattern = KT_Line_By_Shape;
    rendition.modify_line().line_shape = engine->line_shape(3);
    const KT_Point line[2] = {{1.4f, 2.6f, 0}, {50, 60, 0}};
    engine->draw_2d_polyline(top(), &rendition, 2, line, nullptr,
                             KT_Shape_Color(KT_Shape_Color_Uniform), nullptr, 1, nullptr, nullptr);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].slot, KT_Slot_Draw_2DI_Polyline);
    EXPECT_EQ(calls()[0].line_pattern, KT_Line_Solid);
    EXPECT_EQ(calls()[0].points[0].x, 1) << "float points are rounded to device points";
    EXPECT_EQ(calls()[0].points[0].y, 3);
    EXPECT_EQ(rendition.line().line_pattern, KT_Line_By_Shape);
}

TEST_F(Shape_Engine, ShapeColourChoosesTheColourSlot) {
    const KT_DCI_Point strip[3] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
    const KT_RGB32 colours[3] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}};
    struct Case {
        std::int32_t choice;
        int slot;
        bool single;
    };
    const Case cases[] = {
        {KT_Shape_Color_Interpolated, KT_Slot_Draw_2DI_Gouraud_Polytriangle, false},
        {KT_Shape_Color_Per_Piece, KT_Slot_Draw_2DI_Colorized_Polytriangle, false},
        {7, KT_Slot_Draw_2DI_Colorized_Polytriangle, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        calls().clear();
        engine->draw_2d_polytriangle(top(), &rendition, 3, strip, colours, KT_Shape_Color(c.choice),
                                     nullptr, 1, nullptr, nullptr);
        ASSERT_EQ(calls().size(), 1u);
        EXPECT_EQ(calls()[0].slot, c.slot);
        if (c.slot == KT_Slot_Draw_2DI_Colorized_Polytriangle) {
            EXPECT_EQ(calls()[0].single_color, c.single);
        }
    }
}

TEST_F(Shape_Engine, ParametersAndNormalsTakePrecedenceOverColours) {
    const KT_DCI_Point strip[3] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
    const KT_RGB32 colours[3] = {};
    const KT_Parameter parameters[3] = {};
    const KT_Vector normals[3] = {};
    const KT_Shape_Color gouraud(KT_Shape_Color_Interpolated);
    engine->draw_2d_polytriangle(top(), &rendition, 3, strip, colours, gouraud, parameters, 1,
                                 nullptr, normals);
    engine->draw_2d_polytriangle(top(), &rendition, 3, strip, colours, gouraud, nullptr, 1, nullptr,
                                 normals);
    EXPECT_EQ(slots::names(), (std::vector<std::string>{"Draw_2DI_Textured_Polytriangle",
                                                        "Draw_2DI_Phong_Polytriangle"}));
}

TEST_F(Shape_Engine, TrianglesAreFilledWithoutTheFaceShape) {
    rendition.modify_face().face_pattern = KT_Face_By_Shape;
    const KT_DCI_Point strip[3] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
    engine->draw_2d_polytriangle(top(), &rendition, 3, strip, nullptr,
                                 KT_Shape_Color(KT_Shape_Color_Uniform), nullptr, 1, nullptr,
                                 nullptr);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].face_pattern, KT_Face_Solid);
    EXPECT_EQ(rendition.face().face_pattern, KT_Face_By_Shape);
}

TEST_F(Shape_Engine, MarkersAreDrawnWithTheDefaultGlyph) {
    rendition.modify_marker().marker_symbol = 40;
    const KT_Point at[2] = {{10, 10, 0}, {20, 20, 0}};
    const KT_RGB32 colour = {1, 2, 3, 255};
    engine->draw_2d_polymarker(top(), &rendition, 2, at, nullptr,
                               KT_Shape_Color(KT_Shape_Color_Uniform), nullptr, 1, nullptr);
    engine->draw_2d_polymarker(top(), &rendition, 2, at, &colour,
                               KT_Shape_Color(KT_Shape_Color_Uniform), nullptr, 1, nullptr);
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[0].slot, KT_Slot_Draw_2DI_Polymarker);
    EXPECT_EQ(calls()[0].marker_symbol, 4);
    EXPECT_EQ(calls()[1].slot, KT_Slot_Draw_2DI_Colorized_Polymarker);
    EXPECT_TRUE(calls()[1].single_color);
    EXPECT_EQ(rendition.marker().marker_symbol, 40);
}

TEST_F(Shape_Engine, BadPointsDrawNothing) {
    const KT_Point not_a_number[3] = {{NAN, 0, 0}, {10, 0, 0}, {0, 10, 0}};
    const KT_Point infinite[3] = {{INFINITY, 0, 0}, {10, 0, 0}, {0, 10, 0}};
    const KT_Shape_Color uniform(KT_Shape_Color_Uniform);
    engine->draw_2d_polygon(top(), &rendition, 3, not_a_number, nullptr);
    engine->draw_2d_polytriangle(top(), &rendition, 3, infinite, nullptr, uniform, nullptr, 1,
                                 nullptr, nullptr);
    engine->draw_2d_polyline(top(), &rendition, -2, infinite, nullptr, uniform, nullptr, 1, nullptr,
                             nullptr);
    engine->draw_2d_polymarker(top(), &rendition, 0, infinite, nullptr, uniform, nullptr, 1,
                               nullptr);
    engine->draw_2d_polygon(top(), nullptr, 3, infinite, nullptr);
    EXPECT_TRUE(calls().empty());
}

} // namespace
