#include <gtest/gtest.h>

#include <ostream>
#include <utility>

#include "appearance/cube_map_texture.h"
#include "texture_test_support.h"

namespace {

using namespace texture_test;

constexpr int side = 4;

// Face grid whose texels carry their column and row within the face in red
// and green and the face number in blue.
KT_Shared_Image face_grid() {
    KT_Shared_Image image(2 * side, 3 * side, KT_Image_Format::RGB32, 0, nullptr, false);
    for (int y = 0; y < 3 * side; ++y) {
        std::uint8_t* p = image->row(y);
        for (int x = 0; x < 2 * side; ++x, p += 4) {
            p[0] = static_cast<std::uint8_t>((y / side) * 2 + x / side);
            p[1] = static_cast<std::uint8_t>(y % side);
            p[2] = static_cast<std::uint8_t>(x % side);
            p[3] = 255;
        }
    }
    return image;
}

// A texel of a face grid or a coordinate image: its blue byte (the face,
// or the image's tag) and the column and row it carries in red and green.
struct Texel {
    int face, column, row;
    bool operator==(const Texel&) const = default;
};

void PrintTo(const Texel& t, std::ostream* os) {
    *os << "face " << t.face << ", column " << t.column << ", row " << t.row;
}

Texel texel_at(const std::uint8_t* bgra) {
    return {.face = bgra[0], .column = bgra[2], .row = bgra[1]};
}

class CubeMap : public ::testing::Test {
protected:
    // The texel a direction picks.
    Texel look(float x, float y, float z) const {
        const KT_RGBA c = colour_at(texture, x, y, z);
        return {.face = byte_of(c.blue), .column = byte_of(c.red), .row = byte_of(c.green)};
    }
    KT_Cube_Map_Texture texture{face_grid()};
};

TEST_F(CubeMap, AlongAndBetweenTheAxes) {
    EXPECT_TRUE(texture.is_valid());
    // The middle of each face: trunc(3 * 0.5) = 1.
    EXPECT_EQ(look(1, 0, 0), (Texel{.face = 0, .column = 1, .row = 1}));
    EXPECT_EQ(look(-1, 0, 0), (Texel{.face = 1, .column = 1, .row = 1}));
    EXPECT_EQ(look(0, 5, 0), (Texel{.face = 2, .column = 1, .row = 1}));
    EXPECT_EQ(look(0, -1, 0), (Texel{.face = 3, .column = 1, .row = 1}));
    EXPECT_EQ(look(0, 0, 0.5f), (Texel{.face = 4, .column = 1, .row = 1}));
    EXPECT_EQ(look(0, 0, -1), (Texel{.face = 5, .column = 1, .row = 1}));
    // x major, m = 1/2: a = (1 - 0.25) / 2, b = (1 + 0.5) / 2.
    EXPECT_EQ(look(2, -1, 0.5f), (Texel{.face = 0, .column = 1, .row = 2}));
    // Negative x: a = (1 + 0.5) / 2, b = (1 - 0.5) / 2.
    EXPECT_EQ(look(-2, 1, 1), (Texel{.face = 1, .column = 2, .row = 0}));
    // y major: a = (1 + 0.5) / 2; b = (1 + z / y) / 2 above, (1 - z / |y|) / 2 below.
    EXPECT_EQ(look(0.5f, 1, 0), (Texel{.face = 2, .column = 2, .row = 1}));
    EXPECT_EQ(look(0, 2, 1), (Texel{.face = 2, .column = 1, .row = 2}));
    EXPECT_EQ(look(0, -2, 1), (Texel{.face = 3, .column = 1, .row = 0}));
    // z major: a = (1 - x / |z|) / 2 behind.
    EXPECT_EQ(look(-1, 0, -2), (Texel{.face = 5, .column = 2, .row = 1}));
    EXPECT_EQ(look(-1, 1, 2), (Texel{.face = 4, .column = 0, .row = 0}));

    // Ties go to the later axis: |y| = |x| picks y; |x| = |z| and |z| = |y| pick z.
    const struct {
        float x, y, z;
        int face;
    } ties[] = {{1, 1, 0, 2}, {-1, -1, 0.5f, 3}, {1, 0, 1, 4}, {0, 1, -1, 5}, {1, 1, 1, 4}};
    for (const auto& t : ties)
        EXPECT_EQ(look(t.x, t.y, t.z).face, t.face) << t.x << "," << t.y << "," << t.z;
}

TEST(CubeMapInput, MissingFacesOrDirectionsGiveNothing) {
    const KT_Parameter d = {1, 0, 0};
    KT_Cube_Map_Texture empty;
    EXPECT_FALSE(empty.is_valid());
    EXPECT_EQ(empty.value(&d).alpha, 0.0f);
    EXPECT_TRUE(empty.image(0, 0).empty());

    KT_Cube_Map_Texture cube(face_grid());
    EXPECT_EQ(cube.value(nullptr).alpha, 0.0f);
    EXPECT_EQ(cube.value(&d, 0).alpha, 0.0f);
    const KT_Parameter zero = {0, 0, 0}, bad = {std::numeric_limits<float>::quiet_NaN(), 1, 0};
    EXPECT_EQ(cube.value(&zero).alpha, 0.0f);
    EXPECT_EQ(cube.value(&bad).alpha, 0.0f);
    // Not 32-bit, or too short for three rows of faces.
    for (const KT_Shared_Image& image :
         {KT_Shared_Image(8, 12, KT_Image_Format::Gray8, 0, nullptr, false),
          coordinate_image(8, 4)}) {
        KT_Cube_Map_Texture unusable(image);
        EXPECT_FALSE(unusable.is_valid());
        EXPECT_EQ(unusable.value(&d).alpha, 0.0f);
    }
}

TEST(CubeMapFaces, SetupOffsetsAndValidity) {
    KT_Cube_Map_Texture cube;
    EXPECT_FALSE(cube.face_setup(0) || cube.face_setup(-3));
    ASSERT_TRUE(cube.face_setup(8));
    EXPECT_EQ(cube.base_image()->height(), 24);
    EXPECT_FALSE(cube.is_valid());
    EXPECT_EQ(cube.face_offset(KT_Cube_Map_Face::Negative_Y).x, 8);
    EXPECT_EQ(cube.face_offset(KT_Cube_Map_Face::Negative_Y).y, 8);
    EXPECT_EQ(cube.face_offset(KT_Cube_Map_Face::Positive_Z).y, 16);

    cube.set_valid(true);
    EXPECT_TRUE(cube.is_valid());
    // The same size keeps the faces and their validity.
    KT_Shared_Image before = cube.base_image();
    EXPECT_TRUE(cube.face_setup(8));
    EXPECT_TRUE(cube.is_valid());
    EXPECT_TRUE(cube.base_image().shares_body_with(before));
    EXPECT_FALSE(cube.is_face_valid(static_cast<KT_Cube_Map_Face>(9)));
}

TEST(CubeMapFaces, SetFaceImageScalesIntoTheFace) {
    KT_Cube_Map_Texture cube;
    // Without faces, the first face image sets the size.
    KT_Shared_Image source = coordinate_image(4, 4, 60);
    ASSERT_TRUE(cube.set_face_image(KT_Cube_Map_Face::Negative_Z, source));
    EXPECT_EQ(cube.face_size(), 4);
    EXPECT_TRUE(cube.is_face_valid(KT_Cube_Map_Face::Negative_Z));
    EXPECT_FALSE(cube.is_valid());
    const std::uint8_t* p = pixel_at(cube.base_image(), 4 + 3, 8 + 2);
    EXPECT_EQ(texel_at(p), (Texel{.face = 60, .column = 3, .row = 2}));

    // Twice as large: each face texel averages a 2 x 2 block, column
    // (2 + 3) / 2 truncated through 255.99.
    ASSERT_TRUE(cube.set_face_image(KT_Cube_Map_Face::Positive_X, coordinate_image(8, 8)));
    p = pixel_at(cube.base_image(), 1, 2);
    EXPECT_EQ(texel_at(p), (Texel{.face = 7, .column = 2, .row = 4}));
    // Half as large: texels repeat.
    ASSERT_TRUE(cube.set_face_image(KT_Cube_Map_Face::Positive_Y, coordinate_image(2, 2)));
    EXPECT_EQ(texel_at(pixel_at(cube.base_image(), 2, 4 + 3)),
              (Texel{.face = 7, .column = 1, .row = 1}));

    EXPECT_FALSE(cube.set_face_image(KT_Cube_Map_Face::Positive_X, KT_Shared_Image()));
    EXPECT_FALSE(cube.set_face_image(static_cast<KT_Cube_Map_Face>(6), source));
    EXPECT_FALSE(KT_Cube_Map_Texture().filter_face_image(KT_Cube_Map_Face::Positive_X, source));
}

TEST(CubeMapFaces, WritingFacesLeavesSharedImagesAlone) {
    KT_Shared_Image grid = face_grid();
    KT_Cube_Map_Texture cube(grid);
    KT_Cube_Map_Texture copy = cube;
    ASSERT_TRUE(copy.set_face_image(KT_Cube_Map_Face::Positive_X, coordinate_image(4, 4, 200)));
    EXPECT_EQ(pixel_at(grid, 0, 0)[0], 0);
    EXPECT_EQ(pixel_at(copy.base_image(), 0, 0)[0], 200);
    EXPECT_TRUE(cube.base_image().shares_body_with(grid));
    EXPECT_TRUE(copy.is_valid());
}

TEST(CubeMapFaces, DefaultImageIsSkyOverGround) {
    KT_Cube_Map_Texture cube;
    cube.set_default_image();
    EXPECT_TRUE(cube.is_valid());
    EXPECT_EQ(cube.face_size(), 16);
    const KT_RGBA sky = colour_at(cube, 0, 1, 0), ground = colour_at(cube, 0, -1, 0);
    EXPECT_GT(sky.blue, sky.red + 0.3f);
    EXPECT_NEAR(ground.red, 0.35f, 0.01f);
    EXPECT_EQ(sky.alpha, 1.0f);

    // An existing face image keeps its size.
    KT_Cube_Map_Texture sized(face_grid());
    sized.set_default_image(64);
    EXPECT_EQ(sized.face_size(), side);
}

} // namespace
