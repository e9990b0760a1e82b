#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../foundation/refusing_heap.h"
#include "../support/uv_sphere.h"
#include "appearance/image_texture.h"
#include "appearance/material_textured.h"
#include "draw_log.h"
#include "geometry/complex_segment_set.h"

namespace {

using draw_log::calls;
using draw_log::Counting_Material;
using draw_log::draw;

constexpr float behind_eye = -6.0f;
const KT_Vector towards_eye = {0, 0, -1};

class Surfaces : public ::testing::Test {
protected:
    void SetUp() override { r.modify_color().front_material = material; }
    void light_with(int interpolation) {
        draw_log::light(r);
        r.modify_color().front_material = material;
        r.modify_misc().lighting_interpolation = interpolation;
    }

    draw_log::Device device;
    KT_Rendition r{&device};
    Counting_Material material;
};

// A shell over points with the faces given as runs of indices in strip order.
KT_Shell shell_of(const std::vector<KT_Point>& points, const std::vector<int>& lengths,
                  const std::vector<int>& indices) {
    KT_Shell shell(int(points.size()), points.data(), true);
    shell.edit_data()->set_indices(int(lengths.size()), lengths.data(), indices.data(), true);
    return shell;
}

void face_the_eye(KT_Shell& shell) {
    const std::vector<KT_Vector> normals(std::size_t(shell->count), towards_eye);
    shell.edit_data()->set_vertex_normals(normals.data(), true);
}

int count_of(const std::string& slot) {
    int n = 0;
    for (const draw_log::Call& call : calls())
        n += call.name() == slot;
    return n;
}

// Two triangles of a square in front of the eye, wound to face it.
const std::vector<KT_Point> square = {{0, 0, 0}, {0, 0.5f, 0}, {0.5f, 0, 0}, {0.5f, 0.5f, 0}};

TEST_F(Surfaces, ShellOutsideOneSideDrawsNothingAndShadesNothing) {
    light_with(0);
    KT_Shell shell = shell_of({{-5, 0, 0}, {-5, 1, 0}, {-4, 0, 0}}, {3}, {0, 1, 2});
    face_the_eye(shell);
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(material.shadings().empty());
}

TEST_F(Surfaces, FaceOfFourVerticesIsOneStripCall) {
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell_of(square, {4}, {0, 1, 2, 3}));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Polytriangle");
    EXPECT_EQ(calls()[0].points.size(), 4u);
}

TEST_F(Surfaces, BackFaceCullingDropsFacesTurnedAway) {
    r.modify_misc().cull_back_faces = 1;
    // The first face is wound towards the eye, the second away from it.
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell_of(square, {3, 3}, {0, 1, 2, 0, 2, 1}));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].points[1].y, 360.0) << "the face wound towards the eye is kept";
}

TEST_F(Surfaces, FrontFaceCullingDropsFacesTurnedTowardsTheEye) {
    r.modify_misc().advanced_options = KT_Advanced_Options::Cull_Front_Faces;
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell_of(square, {3, 3}, {0, 1, 2, 0, 2, 1}));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].points[1].x, 440.0) << "the face wound away from the eye is kept";
}

TEST_F(Surfaces, FaceSeenEdgeOnIsCulled) {
    r.modify_misc().cull_back_faces = 1;
    // The plane x = 0 holds the eye at (0, 0, -5).
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(
        r, shell_of({{0, 0, 0}, {0, 0.5f, 0}, {0, 0, 1}}, {3}, {0, 1, 2}));
    EXPECT_TRUE(calls().empty());
}

TEST_F(Surfaces, FaceCrossingTheNearLimitIsClippedAndTheOtherStaysOneRun) {
    std::vector<KT_Point> points = square;
    points.push_back({0.25f, 0.25f, behind_eye});
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell_of(points, {4, 3}, {0, 1, 2, 3, 0, 2, 4}));
    ASSERT_GE(calls().size(), 2u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Polytriangle");
    EXPECT_EQ(calls()[0].points.size(), 4u) << "the whole visible face in one call";
    for (const draw_log::Call& piece : calls())
        for (const KT_Point_D& p : piece.points)
            EXPECT_GE(p.z, 0.0) << piece.name();
}

TEST_F(Surfaces, SharedVertexIsShadedOncePerSide) {
    light_with(0);
    KT_Shell shell = shell_of(square, {3, 3}, {0, 1, 2, 2, 1, 3});
    face_the_eye(shell);
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    EXPECT_EQ(material.shadings().size(), 4u) << "four vertices, two of them shared";
    EXPECT_EQ(count_of("Draw_2D_Gouraud_Polytriangle"), 2);
}

TEST_F(Surfaces, EachFaceIsShadedWithItsOwnMaterial) {
    light_with(0);
    Counting_Material second;
    const KT_Material materials[2] = {material, second};
    const int which[2] = {1, 0};
    KT_Shell shell = shell_of(square, {3, 3}, {0, 1, 2, 2, 1, 3});
    face_the_eye(shell);
    shell.edit_data()->set_materials(2, materials, true);
    shell.edit_data()->set_material_indices(which, true);
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    EXPECT_EQ(second.shadings().size(), 3u) << "the first face's three vertices";
    EXPECT_EQ(material.shadings().size(), 3u) << "the second face's, shaded again for it";
}

TEST_F(Surfaces, FaceWithoutAMaterialOfItsOwnUsesTheRenditionsMaterial) {
    light_with(0);
    Counting_Material own;
    const KT_Material materials[1] = {own};
    const int which[2] = {0, -1}; // the second face's index selects nothing
    KT_Shell shell = shell_of(square, {3, 3}, {0, 1, 2, 2, 1, 3});
    face_the_eye(shell);
    shell.edit_data()->set_materials(1, materials, true);
    shell.edit_data()->set_material_indices(which, true);
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    EXPECT_EQ(own.shadings().size(), 3u);
    EXPECT_EQ(material.shadings().size(), 3u);
}

TEST_F(Surfaces, FlatLightingShadesAndDrawsEachTriangleAlone) {
    light_with(KT_Lighting_Flat);
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell_of(square, {4}, {0, 1, 2, 3}));
    EXPECT_EQ(material.shadings().size(), 2u);
    ASSERT_EQ(count_of("Draw_2D_Colorized_Polytriangle"), 2);
    EXPECT_EQ(calls()[0].points.size(), 3u);
    EXPECT_TRUE(calls()[0].single_color);
}

TEST_F(Surfaces, PhongLightingPassesNormalsDown) {
    light_with(KT_Lighting_Phong);
    KT_Shell shell = shell_of(square, {4}, {0, 1, 2, 3});
    face_the_eye(shell);
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Phong_Polytriangle");
    EXPECT_EQ(calls()[0].normals, 4) << "one normal per vertex";
    EXPECT_TRUE(material.shadings().empty()) << "lighting is left to each pixel";
}

TEST_F(Surfaces, ParametersWithATexturedMaterialMakeATexturedRun) {
    const KT_Shared_Image image(2, 2, KT_Image_Format::RGB32, 0, nullptr, false);
    r.modify_color().front_material = KT_Basic_Textured_Material(KT_Simple_Image_Texture(image));
    const KT_Parameter corners[4] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}};
    KT_Shell shell = shell_of(square, {4}, {0, 1, 2, 3});
    shell.edit_data()->set_vertex_parameters(corners, 1, true);
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Textured_Polytriangle");
}

TEST_F(Surfaces, ParametersWithoutATextureAreNotDrawnTextured) {
    const KT_Parameter corners[4] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}};
    KT_Shell shell = shell_of(square, {4}, {0, 1, 2, 3});
    shell.edit_data()->set_vertex_parameters(corners, 1, true);
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Polytriangle");
}

TEST_F(Surfaces, DoublePrecisionShellUsesOnlyTheDoubleSlots) {
    const KT_Point_D points[4] = {{0, 0, 0}, {0, 0.5, 0}, {0.5, 0, 0}, {0.5, 0.5, 0}};
    const int lengths[1] = {4};
    const int indices[4] = {0, 1, 2, 3};
    KT_Shell shell(4, points, true);
    shell.edit_data()->set_indices(1, lengths, indices, true);
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2DD_Polytriangle");
}

TEST_F(Surfaces, VertexColoursAreIgnoredWhenTheSwitchSaysSo) {
    const std::vector<KT_RGB32> red(4, KT_RGB32{0, 0, 255, 255});
    KT_Shell shell = shell_of(square, {4}, {0, 1, 2, 3});
    shell.edit_data()->set_vertex_colors(red.data(), true);
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Gouraud_Polytriangle");
    r.modify_misc().advanced_options = KT_Advanced_Options::Ignore_Vertex_Colors;
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Polytriangle");
}

TEST_F(Surfaces, FaceColourMakesAColorizedRun) {
    const KT_RGB32 green = {0, 255, 0, 255};
    KT_Shell shell = shell_of(square, {4}, {0, 1, 2, 3});
    shell.edit_data()->set_segment_colors(1, &green, true);
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Colorized_Polytriangle");
    EXPECT_EQ(calls()[0].colors[0].g, 255);
}

TEST_F(Surfaces, BadFacesAreSkippedAndTheGoodOneDrawn) {
    std::vector<KT_Point> points = square;
    points.push_back({std::nanf(""), 0, 0});
    // Index out of range, negative index, two vertices, a NaN vertex, then
    // one good face.
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(
        r, shell_of(points, {3, 3, 2, 3, 3}, {0, 1, 9, 0, -1, 2, 0, 1, 0, 1, 4, 0, 1, 2}));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].points.size(), 3u);
}

TEST_F(Surfaces, ZeroLengthNormalsDrawWithoutLightingTrouble) {
    light_with(0);
    KT_Shell shell = shell_of(square, {4}, {0, 1, 2, 3});
    const std::vector<KT_Vector> zero(4, KT_Vector{0, 0, 0});
    shell.edit_data()->set_vertex_normals(zero.data(), true);
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    EXPECT_EQ(calls().size(), 1u);
}

TEST_F(Surfaces, ShellEntirelyBehindTheEyeDrawsNothing) {
    light_with(0);
    KT_Shell shell = shell_of({{0, 0, -7}, {0, 1, -7}, {1, 0, -8}}, {3}, {0, 1, 2});
    face_the_eye(shell);
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(material.shadings().empty());
}

TEST_F(Surfaces, CameraInsideTheObjectDrawsOnlyWhatIsInFront) {
    light_with(0);
    const auto sphere = uv_sphere::make<KT_Point>(8, 12, 10.0, KT_Point{0, 0, 0});
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, uv_sphere::shell_of(sphere));
    // Points split at the near limit land on depth 0 up to float rounding;
    // anything behind the eye would lie far below.
    constexpr double rounds_to_zero = -0.5;
    ASSERT_FALSE(calls().empty());
    for (const draw_log::Call& piece : calls())
        for (const KT_Point_D& p : piece.points)
            EXPECT_GE(p.z, rounds_to_zero) << piece.name();
}

TEST_F(Surfaces, EmptyRecordsDrawNothing) {
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, KT_Shell());
    draw<KT_Tristrip, KT_Slot_Draw_3D_Tristrip>(r, KT_Tristrip(0, square.data(), false));
    draw<KT_Lattice, KT_Slot_Draw_3D_Lattice>(r, KT_Lattice(-3, square.data(), false));
    EXPECT_TRUE(calls().empty());
}

TEST_F(Surfaces, LongStripTakesItsBuffersFromTheHeap) {
    const int count = 200;
    std::vector<KT_Point> points;
    for (int i = 0; i < count; ++i)
        points.push_back({i * 0.004f, float(i % 2) * 0.1f, 0});
    KT_Tristrip strip(count, points.data(), true);
    draw<KT_Tristrip, KT_Slot_Draw_3D_Tristrip>(r, strip);
    ASSERT_EQ(calls().size(), 1u) << "natural connectivity: one strip through every vertex";
    EXPECT_EQ(calls()[0].points.size(), std::size_t(count));
}

TEST_F(Surfaces, LongShellWithoutHeapMemoryDrawsNothing) {
    const auto sphere = uv_sphere::make<KT_Point>(8, 12, 0.5, KT_Point{0, 0, 0});
    const KT_Shell shell = uv_sphere::shell_of(sphere);
    ASSERT_GT(sphere.points.size(), 64u) << "the buffers must come from the heap";
    {
        Refusing_Heap refusing;
        draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    }
    EXPECT_TRUE(calls().empty());
}

TEST_F(Surfaces, SharedRecordIsCompletedOnAPrivateCopy) {
    KT_Shell shell(4, square.data(), true);
    const KT_Shell holder = shell;
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    EXPECT_EQ(shell.data()->connectivity, nullptr) << "the shared body was left as it was";
    EXPECT_EQ(calls().size(), 1u);
}

TEST_F(Surfaces, UnsharedRecordIsCompletedInPlaceWithANewSerial) {
    KT_Shell shell(4, square.data(), true);
    const std::uint32_t serial = shell->change_serial();
    draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
    EXPECT_NE(shell.data()->connectivity, nullptr);
    EXPECT_NE(shell->change_serial(), serial);
}

TEST_F(Surfaces, LatticeRowsAreDrawnAsPolylines) {
    const int lengths[2] = {2, 2};
    const int rows[4] = {0, 2, 1, 3};
    KT_Lattice lattice(4, square.data(), true);
    lattice.edit_data()->set_indices(2, lengths, rows, true);
    draw<KT_Lattice, KT_Slot_Draw_3D_Lattice>(r, lattice);
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Polyline");
    EXPECT_EQ(calls()[1].points[0].y, 360.0) << "second row starts at vertex 1";
}

// One row of three vertices facing the eye, as a lattice.
KT_Lattice row_lattice(const std::vector<KT_Point>& points) {
    KT_Lattice lattice(int(points.size()), points.data(), true);
    const std::vector<KT_Vector> normals(points.size(), towards_eye);
    lattice.edit_data()->set_vertex_normals(normals.data(), true);
    return lattice;
}

TEST_F(Surfaces, LitLatticeIsGouraudShadedOncePerVertex) {
    light_with(0);
    draw<KT_Lattice, KT_Slot_Draw_3D_Lattice>(
        r, row_lattice({{0, 0, 0}, {0.2f, 0, 0}, {0.4f, 0.1f, 0}}));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Gouraud_Polyline");
    EXPECT_EQ(material.shadings().size(), 3u);
}

TEST_F(Surfaces, PhongLatticeHandsItsNormalsDown) {
    light_with(KT_Lighting_Phong);
    draw<KT_Lattice, KT_Slot_Draw_3D_Lattice>(
        r, row_lattice({{0, 0, 0}, {0.2f, 0, 0}, {0.4f, 0.1f, 0}}));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].name(), "Draw_2D_Phong_Polyline");
    EXPECT_EQ(calls()[0].normals, 3);
    EXPECT_TRUE(material.shadings().empty());
}

TEST_F(Surfaces, LatticeRowThroughTheEyeIsShortenedToTheNearLimit) {
    draw<KT_Lattice, KT_Slot_Draw_3D_Lattice>(
        r, row_lattice({{-0.2f, 0, 0}, {0, 0, behind_eye}, {0.2f, 0, 0}}));
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[0].points.back().z, 0.0);
    EXPECT_EQ(calls()[1].points.front().z, 0.0);
}

} // namespace
