// DCI polytriangles as pictures: agreement with the reference scan
// converter (whose coverage and depth rules are checked by hand beside the
// capturing device) on many random triangles of every variant, strips and
// fans without gaps or overlaps, clips, where rows go, and input that must
// draw nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

#include "../support/capturing_device.h"
#include "../support/reference_raster.h"
#include "parameter_shader.h"
#include "raster/span.h"
#include "renderer/renderer_data.h"
#include "rendition/rendition.h"

namespace {

constexpr KT_RGB32 red = {0, 0, 255, 255};
constexpr KT_RGB32 green = {0, 255, 0, 255};
constexpr KT_RGB32 blue = {255, 0, 0, 128};

// How a test draws a strip: which DCI slot, with what per-vertex data.
enum class Variant {
    Plain,
    Colorized,
    Gouraud,
    Phong,
    Textured,
    Textured_Flat,
    Textured_Gouraud,
    Textured_Per_Pixel,
    Count
};

const char* name_of(Variant v) {
    static const char* names[] = {
        "plain",    "colorized",     "gouraud",          "phong",
        "textured", "textured flat", "textured gouraud", "textured per pixel"};
    return names[static_cast<int>(v)];
}

class Triangle_Scan : public ::testing::Test {
protected:
    static constexpr int width = 64;
    static constexpr int height = 64;

    Triangle_Scan() : device(width, height), rendition(&device) {
        rendition.set_front_color(red, false);
    }

    // Draws the strip through the device's own table, as a client would.
    void draw(Variant variant, const std::vector<reference::Vertex>& strip) {
        std::vector<KT_DCI_Point> points;
        std::vector<KT_RGB32> colours;
        std::vector<KT_Vector> normals;
        std::vector<KT_Parameter> parameters;
        for (std::size_t i = 0; i < strip.size(); ++i) {
            points.push_back(strip[i].point);
            colours.push_back(strip[i].colour);
            // Equal normals select the flat light split, varying ones the Gouraud split.
            const float tilt = variant == Variant::Textured_Flat ? 0.0f : 0.1f * float(i);
            normals.push_back({tilt, 0.0f, 1.0f});
            parameters.push_back({0.5f, 0.5f, 0.0f});
        }
        const int n = int(strip.size());
        rendition.modify_misc().lighting_interpolation =
            variant == Variant::Textured_Per_Pixel ? KT_Lighting_Phong : 0;
        switch (variant) {
        case Variant::Plain:
            KD_Action_Draw_DCI_Polytriangle(&device, &rendition, n, points.data());
            break;
        case Variant::Colorized:
            KD_Action_Draw_DCI_Colorized_Polytriangle(&device, &rendition, n, points.data(),
                                                      colours.data(), true);
            break;
        case Variant::Gouraud:
            KD_Action_Draw_DCI_Gouraud_Polytriangle(&device, &rendition, n, points.data(),
                                                    colours.data());
            break;
        case Variant::Phong:
            KD_Action_Draw_DCI_Phong_Polytriangle(&device, &rendition, n, points.data(),
                                                  normals.data(), colours.data(), nullptr, nullptr);
            break;
        case Variant::Textured:
            KD_Action_Draw_DCI_Textured_Polytriangle(&device, &rendition, n, points.data(),
                                                     colours.data(), parameters.data(), 1, nullptr,
                                                     nullptr);
            break;
        default:
            KD_Action_Draw_DCI_Textured_Polytriangle(&device, &rendition, n, points.data(),
                                                     colours.data(), parameters.data(), 1, nullptr,
                                                     normals.data());
            break;
        }
    }

    // What the reference predicts for the same strip.
    capture::Picture expected(Variant variant, const std::vector<reference::Vertex>& strip) {
        capture::Picture picture(width, height);
        reference::Shading shading = reference::Shading::Float_Colour;
        std::vector<KT_RGB32> flat = {rendition.color().front.rgb};
        if (variant == Variant::Plain) shading = reference::Shading::Flat;
        if (variant == Variant::Colorized) {
            shading = reference::Shading::Flat;
            flat = {strip[0].colour};
        }
        if (variant == Variant::Gouraud) shading = reference::Shading::Gouraud;
        reference::draw_strip(picture, strip, shading, flat, rendition.face().depth_offset);
        return picture;
    }

    capture::Device device;
    KT_Rendition rendition;
};

TEST_F(Triangle_Scan, TallTriangleGoesOutInBatchesThatKeepTheirRows) {
    capture::Device tall(32, 300);
    KT_Rendition tall_rendition(&tall);
    const KT_DCI_Point points[3] = {{0, 0, 0}, {30, 10, 500}, {5, 290, 9000}};
    KD_Action_Draw_DCI_Polytriangle(&tall, &tall_rendition, 3, points);

    capture::Picture expected_picture(32, 300);
    reference::draw_triangle(expected_picture, {points[0], red}, {points[1], red}, {points[2], red},
                             reference::Shading::Flat, tall_rendition.color().front.rgb, 0);
    EXPECT_EQ(tall.picture.first_difference(expected_picture), "");
}

TEST_F(Triangle_Scan, ColorizedStripGivesEachTriangleItsOwnColour) {
    const KT_DCI_Point points[4] = {{0, 0, 0}, {20, 0, 0}, {0, 20, 0}, {20, 20, 0}};
    const KT_RGB32 colours[2] = {green, blue};
    KD_Action_Draw_DCI_Colorized_Polytriangle(&device, &rendition, 4, points, colours, false);

    EXPECT_EQ(device.picture.at(2, 2).colour.g, 255) << "first triangle";
    EXPECT_EQ(device.picture.at(17, 17).colour.b, 255) << "second triangle";
}

TEST_F(Triangle_Scan, RowsWiderThanTheStackBufferAreDrawnWhole) {
    const int wide = 5000;
    capture::Device wide_device(wide + 10, 4);
    KT_Rendition wide_rendition(&wide_device);
    const KT_DCI_Point points[3] = {{0, 0, 0}, {wide, 0, 65535}, {wide, 4, 0}};
    const KT_RGB32 colours[3] = {red, green, blue};
    KD_Action_Draw_DCI_Gouraud_Polytriangle(&wide_device, &wide_rendition, 3, points, colours);

    capture::Picture expected_picture(wide + 10, 4);
    reference::draw_triangle(expected_picture, {points[0], red}, {points[1], green},
                             {points[2], blue}, reference::Shading::Gouraud, red, 0);
    EXPECT_EQ(wide_device.picture.at(wide - 1, 0).hits, 1) << "the far end of the widest row";
    EXPECT_EQ(wide_device.picture.first_difference(expected_picture), "");
}

TEST_F(Triangle_Scan, MissingAttributeArraysFallBackToTheFrontColour) {
    const KT_DCI_Point points[3] = {{0, 0, 0}, {20, 0, 0}, {0, 20, 0}};
    const int parameter_width = 7;
    KD_Action_Draw_DCI_Textured_Polytriangle(&device, &rendition, 3, points, nullptr, nullptr,
                                             parameter_width, nullptr, nullptr);
    EXPECT_EQ(device.picture.at(1, 1).colour.r, 255) << "textured";
    device.clear();
    KD_Action_Draw_DCI_Gouraud_Polytriangle(&device, &rendition, 3, points, nullptr);
    EXPECT_EQ(device.picture.at(1, 1).colour.r, 255) << "gouraud";
}

TEST_F(Triangle_Scan, BadInputDrawsNothing) {
    const KT_DCI_Point huge[3] = {{INT_MIN, 0, 0}, {INT_MAX, 0, 0}, {0, INT_MAX, 0}};
    const KT_DCI_Point beyond[3] = {{0, 0, 0}, {20000, 0, 0}, {0, 20, 0}};
    KD_Action_Draw_DCI_Polytriangle(&device, &rendition, 3, huge);
    KD_Action_Draw_DCI_Polytriangle(&device, &rendition, 3, beyond);
    KD_Action_Draw_DCI_Polytriangle(&device, &rendition, 0, huge);
    KD_Action_Draw_DCI_Polytriangle(&device, &rendition, 3, nullptr);
    KD_Action_Draw_DCI_Polytriangle(&device, nullptr, 3, beyond);
    EXPECT_TRUE(device.rows.empty());
}

// Device points past the window are the caller's mistake, but must not
// cost the triangle's whole area: a sliver as tall as the scan allows took
// seconds through the drawing fuzz target.
TEST_F(Triangle_Scan, TriangleFarTallerThanTheClipHandsOnlyItsVisibleRowsOn) {
    constexpr int reach = 16000;
    const KT_DCI_Point tall[3] = {{0, -reach, 0}, {40, -reach, 0}, {0, reach, 0}};
    KD_Action_Draw_DCI_Polytriangle(&device, &rendition, 3, tall);

    const KT_Int_Rectangle& clip = rendition.transform().hard_clip;
    EXPECT_EQ(device.rows.size(), std::size_t(height)) << "one row per row of the window";
    for (const capture::Row& row : device.rows)
        EXPECT_TRUE(row.start.y >= clip.bottom && row.start.y <= clip.top) << "row " << row.start.y;
    capture::Picture expected_picture(width, height);
    reference::draw_triangle(expected_picture, {tall[0], red}, {tall[1], red}, {tall[2], red},
                             reference::Shading::Flat, red, 0);
    EXPECT_EQ(device.picture.first_difference(expected_picture), "");
}

TEST_F(Triangle_Scan, PerspectiveWithoutWTakesWFromDepth) {
    raster_test::show_parameters(rendition);
    // Near on the left (depth 0), far on the right: u from 0 to 1.
    const KT_DCI_Point points[3] = {{0, 0, 0}, {60, 0, 60000}, {0, 8, 0}};
    const KT_Parameter parameters[3] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 0}};
    const auto u_half_way = [&] {
        device.clear();
        KD_Action_Draw_DCI_Textured_Polytriangle(&device, &rendition, 3, points, nullptr,
                                                 parameters, 1, nullptr, nullptr);
        return device.picture.at(30, 0).colour.r / 255.0;
    };
    const double linear = u_half_way();
    rendition.modify_misc().perspective_flags = KT_Perspective_Parameters;
    const double perspective = u_half_way();

    EXPECT_NEAR(linear, 0.5, 0.02);
    EXPECT_LT(perspective, 0.1) << "most of the row lies near the near end's u";
}

// A layer above the device that sees every row the scan converter emits:
// rows go through the top renderer, not straight to the device.
class Row_Counter : public KT_Renderer_Data {
public:
    explicit Row_Counter(const KT_Renderer_Data* beneath) : KT_Renderer_Data(beneath) {
        set_action<KT_Slot_Draw_DCI_RGB32_Image>(&count_row);
        establish();
    }
    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}

    int rows = 0;

private:
    static void count_row(const KT_Renderer_Data* owner, const KT_Rendition*, const KT_DCI_Point*,
                          const KT_DCI_Point*, int, const KT_RGB32*, int, const KT_Packing*) {
        ++const_cast<Row_Counter*>(static_cast<const Row_Counter*>(owner))->rows;
    }
};

TEST_F(Triangle_Scan, RowsReachTheTopRenderersImageAction) {
    // Stacked renderers own what lies beneath, so both live on the heap.
    KT_Pointer<capture::Device> bottom(new capture::Device(width, height));
    KT_Pointer<Row_Counter> top(new Row_Counter(bottom.body()));
    KT_Rendition top_rendition(top.body());
    const KT_DCI_Point points[3] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
    KD_Action_Draw_DCI_Polytriangle(top.body(), &top_rendition, 3, points);

    EXPECT_EQ(top->rows, 10);
    EXPECT_TRUE(bottom->rows.empty());
}

TEST_F(Triangle_Scan, HatchPatternHandsTheStripToTheFloatForm) {
    static std::vector<KT_Point> received;
    received.clear();
    device.set_action<KT_Slot_Draw_DC_Polytriangle>(
        [](const KT_Renderer_Data*, const KT_Rendition*, int n, const KT_Point* p) {
            received.assign(p, p + n);
        });
    rendition.modify_face().face_pattern = KT_Face_Hatch;
    const KT_DCI_Point points[3] = {{1, 2, 3}, {10, 0, 0}, {0, 10, 0}};
    KD_Action_Draw_DCI_Polytriangle(&device, &rendition, 3, points);

    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].x, 1.0f);
    EXPECT_EQ(received[0].z, 3.0f);
    EXPECT_TRUE(device.rows.empty());
}

TEST_F(Triangle_Scan, ShapePatternHandsTheStripToTheShapeEngine) {
    static int integer_strips = 0;
    integer_strips = 0;
    device.set_action<KT_Slot_Draw_2DI_Polytriangle>(
        [](const KT_Renderer_Data*, const KT_Rendition* r, int, const KT_DCI_Point*) {
            if (r->face().face_pattern == KT_Face_Solid) ++integer_strips;
        });
    rendition.modify_face().face_pattern = KT_Face_By_Shape;
    const KT_DCI_Point points[3] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
    KD_Action_Draw_DCI_Polytriangle(&device, &rendition, 3, points);

    EXPECT_EQ(integer_strips, 1) << "the default shape draws it again with a solid face";
    EXPECT_TRUE(device.rows.empty());
}

// Random triangles of one of several kinds, inside a window of the test's
// size or reaching past it.
class Random_Triangles {
public:
    explicit Random_Triangles(unsigned seed) : random_(seed) {}

    std::vector<reference::Vertex> next(int index) {
        switch (index % 5) {
        case 0:
            return {vertex(-10, 74), vertex(-10, 74), vertex(-10, 74)}; // ordinary
        case 1: {                                                       // sliver
            const reference::Vertex a = vertex(0, 64);
            reference::Vertex b = a;
            b.point.x += int(random_() % 3) - 1;
            b.point.y += int(random_() % 60) + 1;
            return {a, b, vertex(0, 64)};
        }
        case 2: // off the window, or across it from far outside
            if (index % 2) return {vertex(70, 300), vertex(70, 300), vertex(70, 300)};
            return {vertex(70, 150), vertex(70, 150), vertex(-100, -10)};
        case 3: { // degenerate: collinear or repeated points
            const reference::Vertex a = vertex(0, 64);
            reference::Vertex b = vertex(0, 64);
            reference::Vertex c = a;
            c.point.x = 2 * b.point.x - a.point.x;
            c.point.y = 2 * b.point.y - a.point.y;
            return {a, b, index % 2 ? c : a};
        }
        default: // huge, occasionally
            if (index % 500 == 4) return {vertex(-300, 300), vertex(-300, 300), vertex(-300, 300)};
            return {vertex(0, 64), vertex(0, 64), vertex(0, 64)};
        }
    }

private:
    reference::Vertex vertex(int low, int high) {
        std::uniform_int_distribution<int> coordinate(low, high);
        std::uniform_int_distribution<int> depth(0, 65535);
        std::uniform_int_distribution<int> byte(0, 255);
        return {{coordinate(random_), coordinate(random_), depth(random_)},
                {std::uint8_t(byte(random_)), std::uint8_t(byte(random_)),
                 std::uint8_t(byte(random_)), std::uint8_t(byte(random_))}};
    }

    std::mt19937 random_;
};

TEST_F(Triangle_Scan, AgreesWithTheReferenceOnTenThousandRandomTriangles) {
    const unsigned seed = 20261206;
    const int triangle_count = 10000;
    Random_Triangles triangles(seed);
    std::mt19937 offsets(seed);
    for (int i = 0; i < triangle_count; ++i) {
        const Variant variant = static_cast<Variant>(i % int(Variant::Count));
        const std::vector<reference::Vertex> strip = triangles.next(i);
        rendition.modify_face().depth_offset = int(offsets() % 2001) - 1000;
        device.clear();
        draw(variant, strip);
        SCOPED_TRACE(testing::Message() << "triangle " << i << " (" << name_of(variant) << "): ("
                                        << strip[0].point.x << "," << strip[0].point.y << ") ("
                                        << strip[1].point.x << "," << strip[1].point.y << ") ("
                                        << strip[2].point.x << "," << strip[2].point.y << ")");
        ASSERT_EQ(device.picture.first_difference(expected(variant, strip)), "");
        ASSERT_EQ(device.malformed, 0) << "rows of no pixels, as flat triangles might send";
    }
}

TEST_F(Triangle_Scan, MappedDeviceGetsPaletteIndicesWhereTheReferenceCovers) {
    capture::Device mapped(width, height, 16, KT_Color_System::Mapped);
    KT_Rendition indexed(&mapped);
    const int front_index = 5;
    indexed.set_front_color_index(front_index, false);
    Random_Triangles triangles(77);
    for (int i = 0; i < 500; ++i) {
        const std::vector<reference::Vertex> strip = triangles.next(i);
        const KT_DCI_Point points[3] = {strip[0].point, strip[1].point, strip[2].point};
        mapped.clear();
        KD_Action_Draw_DCI_Polytriangle(&mapped, &indexed, 3, points);
        capture::Picture expected_picture(width, height);
        reference::draw_strip(expected_picture, strip, reference::Shading::Flat, {}, 0);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const capture::Pixel& drawn = mapped.picture.at(x, y);
                const capture::Pixel& expected_pixel = expected_picture.at(x, y);
                ASSERT_EQ(drawn.hits, expected_pixel.hits)
                    << "triangle " << i << " at " << x << "," << y;
                if (drawn.hits == 0) continue;
                ASSERT_EQ(drawn.depth, expected_pixel.depth) << "triangle " << i;
                ASSERT_EQ(drawn.index, front_index) << "triangle " << i;
            }
        }
    }
}

// Pixels whose centre lies more than a pixel inside every edge of the
// convex polygon.
bool deep_inside(const std::vector<KT_DCI_Point>& polygon, int x, int y) {
    const double px = x + 0.5;
    const double py = y + 0.5;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const KT_DCI_Point& a = polygon[i];
        const KT_DCI_Point& b = polygon[(i + 1) % polygon.size()];
        const double ex = b.x - a.x;
        const double ey = b.y - a.y;
        const double cross = ex * (py - a.y) - ey * (px - a.x);
        if (cross / std::hypot(ex, ey) <= 1.5) return false;
    }
    return true;
}

// No pixel twice anywhere, and every pixel well inside the union once.
void expect_union_drawn_once(const capture::Picture& picture,
                             const std::vector<KT_DCI_Point>& outline, const std::string& what) {
    EXPECT_LE(picture.max_hits(), 1) << what << ": a pixel was drawn twice";
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (!deep_inside(outline, x, y)) continue;
            ASSERT_EQ(picture.at(x, y).hits, 1) << what << ": gap at (" << x << ", " << y << ")";
        }
    }
}

TEST_F(Triangle_Scan, RandomFansCoverTheirPolygonOnce) {
    std::mt19937 random(7);
    for (int fan = 0; fan < 40; ++fan) {
        device.clear();
        // A convex polygon: points on an ellipse at sorted random angles.
        // Jittered even angles keep every gap below a half turn, so the
        // centre stays inside.
        const int corners = 5 + int(random() % 10);
        const double sector = 6.2831853 / corners;
        std::vector<double> angles;
        for (int i = 0; i < corners; ++i)
            angles.push_back(sector * (i + std::uniform_real_distribution<double>(0, 0.8)(random)));
        std::vector<KT_DCI_Point> outline;
        for (double a : angles)
            outline.push_back({int(32 + 30 * std::cos(a)), int(32 + 20 * std::sin(a)), 0});
        const KT_DCI_Point centre = {32, 32, 0};
        for (int i = 0; i < corners; ++i) {
            const KT_DCI_Point triangle[3] = {centre, outline[i], outline[(i + 1) % corners]};
            KD_Action_Draw_DCI_Polytriangle(&device, &rendition, 3, triangle);
        }
        expect_union_drawn_once(device.picture, outline, "fan " + std::to_string(fan));
    }
}

TEST_F(Triangle_Scan, RandomStripsCoverTheirRibbonOnce) {
    std::mt19937 random(11);
    for (int ribbon = 0; ribbon < 40; ++ribbon) {
        device.clear();
        // Two rails, points alternating between them and moving right.
        const int bottom_rail = int(random() % 20);
        const int top_rail = 40 + int(random() % 20);
        std::vector<KT_DCI_Point> strip;
        int bottom_x = int(random() % 5);
        int top_x = int(random() % 5);
        for (int i = 0; i < 12; ++i) {
            int& x = i % 2 ? top_x : bottom_x;
            strip.push_back({x, i % 2 ? top_rail : bottom_rail, int(random() % 1000)});
            x += 1 + int(random() % 10);
        }
        KD_Action_Draw_DCI_Polytriangle(&device, &rendition, int(strip.size()), strip.data());

        // The ribbon is convex only piecewise; test each quadrilateral cell.
        for (std::size_t i = 0; i + 3 < strip.size(); i += 2) {
            const std::vector<KT_DCI_Point> cell = {strip[i], strip[i + 2], strip[i + 3],
                                                    strip[i + 1]};
            expect_union_drawn_once(device.picture, cell,
                                    "ribbon " + std::to_string(ribbon) + " cell " +
                                        std::to_string(i / 2));
        }
    }
}

} // namespace

namespace {

// The left half of the window as a complex clip region.
KT_Contour_Set left_half() {
    const KT_Point corners[4] = {{0, 0, 0}, {32, 0, 0}, {32, 64, 0}, {0, 64, 0}};
    return KT_Contour_Set(4, corners, true);
}

TEST_F(Triangle_Scan, ComplexClipKeepsOnlyThePartInsideTheRegion) {
    rendition.set_complex_clip(left_half(), false);
    const KT_DCI_Point points[3] = {{0, 0, 0}, {60, 0, 0}, {0, 60, 0}};
    KD_Action_Draw_DCI_Polytriangle(&device, &rendition, 3, points);

    EXPECT_EQ(device.picture.at(10, 10).hits, 1) << "inside both";
    EXPECT_EQ(device.picture.at(40, 5).hits, 0) << "inside the triangle only";
    for (int y = 0; y < height; ++y)
        for (int x = 33; x < width; ++x)
            ASSERT_EQ(device.picture.at(x, y).hits, 0) << "outside the region at " << x << "," << y;
}

TEST_F(Triangle_Scan, ComplexClipCarriesVertexColoursIntoThePieces) {
    const KT_DCI_Point points[3] = {{0, 0, 0}, {60, 0, 600}, {0, 60, 0}};
    const KT_RGB32 colours[3] = {red, green, blue};
    KD_Action_Draw_DCI_Gouraud_Polytriangle(&device, &rendition, 3, points, colours);
    const capture::Pixel unclipped = device.picture.at(20, 10);
    device.clear();
    rendition.set_complex_clip(left_half(), false);
    KD_Action_Draw_DCI_Gouraud_Polytriangle(&device, &rendition, 3, points, colours);
    const capture::Pixel clipped = device.picture.at(20, 10);

    EXPECT_NEAR(clipped.colour.r, unclipped.colour.r, 3);
    EXPECT_NEAR(clipped.colour.g, unclipped.colour.g, 3);
    EXPECT_NEAR(clipped.colour.b, unclipped.colour.b, 3);
    EXPECT_NEAR(double(clipped.depth), double(unclipped.depth), 12.0);
}

} // namespace
