// kavri-render run as a user runs it: scene files written here, the picture
// read back through libpng.
#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

struct Png {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* at(int x, int y) const { return &rgb[(std::size_t(y) * width + x) * 3]; }
    bool is_background(int x, int y) const {
        const unsigned char* p = at(x, y);
        return p[0] == 255 && p[1] == 255 && p[2] == 255;
    }
    double covered_fraction() const {
        int covered = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                covered += !is_background(x, y);
        return double(covered) / (double(width) * height);
    }
};

std::string slurp(const fs::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool read_png(const fs::path& path, Png& png) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    png.width = int(image.width);
    png.height = int(image.height);
    png.rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, png.rgb.data(), 0, nullptr) != 0;
}

class Program : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kavri-render-test-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    Outcome run(const std::string& arguments) {
        const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
        const std::string command = std::string(KAVRI_RENDER) + " " + arguments + " > " +
                                    out.string() + " 2> " + err.string();
        const int raw = std::system(command.c_str());
        return {raw >= 0 ? (raw >> 8) & 0xFF : -1, slurp(out), slurp(err)};
    }

    // Runs the program on its built-in scene at size (WxH) and reads the picture.
    void draw_default_scene(const std::string& size, Png& png) {
        const fs::path picture = dir / "default.png";
        const Outcome r = run("-o " + picture.string() + " --size " + size);
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_TRUE(read_png(picture, png));
    }

    fs::path write(const std::string& name, const std::string& text) {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    fs::path dir;
};

constexpr const char* cube_obj = R"(mtllib cube.mtl
o box
v -0.5 -0.5 -0.5
v 0.5 -0.5 -0.5
v 0.5 0.5 -0.5
v -0.5 0.5 -0.5
v -0.5 -0.5 0.5
v 0.5 -0.5 0.5
v 0.5 0.5 0.5
v -0.5 0.5 0.5
usemtl red
f 1 4 3 2
f 5 6 7 8
f 1 5 8 4
f 2 3 7 6
f 4 8 7 3
f 1 2 6 5
)";

constexpr const char* cube_mtl = R"(newmtl red
Kd 1 0 0
Ka 0 0 0
)";

// Looking straight down -z at the origin from 5 units, 30 degrees high: a
// unit cube covers the middle of the picture and none of its border.
constexpr const char* front_camera = "--camera 0,0,5:0,0,0:30 --size 64x64";

TEST_F(Program, DrawsTheDefaultSceneOverTheBackground) {
    Png png;
    ASSERT_NO_FATAL_FAILURE(draw_default_scene("200x150", png));
    EXPECT_EQ(png.width, 200);
    EXPECT_EQ(png.height, 150);
    EXPECT_TRUE(png.is_background(0, 0)) << "the top left corner shows the background";
    const double covered = png.covered_fraction();
    EXPECT_GT(covered, 0.15) << "the shapes fill a good part of the picture";
    EXPECT_LT(covered, 0.95) << "and leave background around them";
}

// The default scene's four red markers float above the cube, in the upper
// right quarter where nothing else is red.
TEST_F(Program, DrawsTheDefaultScenesMarkers) {
    Png png;
    ASSERT_NO_FATAL_FAILURE(draw_default_scene("400x300", png));
    auto marker_red = [&](int x, int y) {
        const unsigned char* p = png.at(x, y);
        return p[0] > 150 && p[1] < 60 && p[2] < 60;
    };
    int red_pixels = 0;
    for (int y = 0; y < png.height / 2; ++y)
        for (int x = png.width / 2; x < png.width; ++x)
            red_pixels += marker_red(x, y);
    const int markers = 4;
    const int lines_per_marker = 4;
    const int shortest_line = 16; // a diagonal of a size 12 marker, in pixels
    EXPECT_GE(red_pixels, markers * lines_per_marker * shortest_line)
        << "the four markers' glyphs in the upper right quarter";
}

TEST_F(Program, DrawsAnObjCubeWithItsMtlColourWhereTheCameraPutsIt) {
    write("cube.mtl", cube_mtl);
    const fs::path scene = write("cube.obj", cube_obj);
    const fs::path picture = dir / "cube.png";
    const Outcome r = run(scene.string() + " -o " + picture.string() + " " + front_camera);
    ASSERT_EQ(r.status, 0) << r.err;
    Png png;
    ASSERT_TRUE(read_png(picture, png));
    const unsigned char* middle = png.at(32, 32);
    EXPECT_GT(middle[0], 2 * middle[1]) << "the middle shows the red cube";
    EXPECT_GT(middle[0], 2 * middle[2]);
    EXPECT_TRUE(png.is_background(2, 2));
    EXPECT_TRUE(png.is_background(61, 61));
}

TEST_F(Program, DrawsPlyVertexColours) {
    const fs::path scene = write("quad.ply", R"(ply
format ascii 1.0
element vertex 4
property float x
property float y
property float z
property uchar red
property uchar green
property uchar blue
element face 2
property list uchar int vertex_indices
end_header
-1 -1 0 0 0 255
1 -1 0 0 0 255
1 1 0 0 0 255
-1 1 0 0 0 255
3 0 1 2
3 0 2 3
)");
    const fs::path picture = dir / "quad.png";
    const Outcome r = run(scene.string() + " -o " + picture.string() + " " + front_camera);
    ASSERT_EQ(r.status, 0) << r.err;
    Png png;
    ASSERT_TRUE(read_png(picture, png));
    const unsigned char* middle = png.at(32, 32);
    EXPECT_GT(middle[2], 2 * middle[0]) << "the quad's vertex colours are blue";
    EXPECT_GT(middle[2], 2 * middle[1]);
}

TEST_F(Program, DrawsAnStlSolid) {
    const fs::path scene = write("tri.stl", R"(solid tri
facet normal 0 0 1
 outer loop
  vertex -1 -1 0
  vertex 1 -1 0
  vertex 0 1 0
 endloop
endfacet
endsolid tri
)");
    const fs::path picture = dir / "tri.png";
    const Outcome r = run(scene.string() + " -o " + picture.string() + " " + front_camera);
    ASSERT_EQ(r.status, 0) << r.err;
    Png png;
    ASSERT_TRUE(read_png(picture, png));
    EXPECT_FALSE(png.is_background(32, 36)) << "the triangle covers the middle";
    EXPECT_TRUE(png.is_background(4, 4)) << "but not the top left";
}

// Two unit-quad nodes named "left" and "right", 3 units apart.
std::string two_node_gltf() {
    // Four positions of a quad (12 floats) then six unsigned short indices.
    std::vector<unsigned char> bytes;
    auto put_float = [&](float f) {
        unsigned char b[4];
        std::memcpy(b, &f, 4);
        bytes.insert(bytes.end(), b, b + 4);
    };
    for (float v : {-0.5f, -0.5f, 0.0f, 0.5f, -0.5f, 0.0f, 0.5f, 0.5f, 0.0f, -0.5f, 0.5f, 0.0f})
        put_float(v);
    for (unsigned short i : {0, 1, 2, 0, 2, 3}) {
        bytes.push_back(static_cast<unsigned char>(i & 0xFF));
        bytes.push_back(static_cast<unsigned char>(i >> 8));
    }
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string base64;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const unsigned n = (unsigned(bytes[i]) << 16) |
                           (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                           (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        base64 += digits[(n >> 18) & 63];
        base64 += digits[(n >> 12) & 63];
        base64 += i + 1 < bytes.size() ? digits[(n >> 6) & 63] : '=';
        base64 += i + 2 < bytes.size() ? digits[n & 63] : '=';
    }
    return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0,1]}],
"nodes":[{"name":"left","mesh":0,"translation":[-1.5,0,0]},
         {"name":"right","mesh":0,"translation":[1.5,0,0]}],
"meshes":[{"name":"quad","primitives":[{"attributes":{"POSITION":0},"indices":1}]}],
"buffers":[{"byteLength":60,"uri":"data:application/octet-stream;base64,)" +
           base64 + R"("}],
"bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":48},{"buffer":0,"byteOffset":48,"byteLength":12}],
"accessors":[{"bufferView":0,"componentType":5126,"count":4,"type":"VEC3","min":[-0.5,-0.5,0],"max":[0.5,0.5,0]},
             {"bufferView":1,"componentType":5123,"count":6,"type":"SCALAR"}]})";
}

TEST_F(Program, DrawsBothNodesOfAGltfScene) {
    const fs::path scene = write("pair.gltf", two_node_gltf());
    const fs::path picture = dir / "pair.png";
    const Outcome r =
        run(scene.string() + " -o " + picture.string() + " --camera 0,0,6:0,0,0:40 --size 96x64");
    ASSERT_EQ(r.status, 0) << r.err;
    Png png;
    ASSERT_TRUE(read_png(picture, png));
    EXPECT_TRUE(png.is_background(48, 32)) << "nothing lies between the two quads";
    EXPECT_FALSE(png.is_background(24, 32)) << "the left quad";
    EXPECT_FALSE(png.is_background(72, 32)) << "the right quad";
}

TEST_F(Program, PickNamesTheNodeUnderThePixelFirst) {
    const fs::path scene = write("pair.gltf", two_node_gltf());
    const std::string common = scene.string() + " -o " + (dir / "pick.png").string() +
                               " --camera 0,0,6:0,0,0:40 --size 96x64";
    const Outcome right = run(common + " --pick 72,32");
    ASSERT_EQ(right.status, 0) << right.err;
    EXPECT_EQ(right.out.find("right"), right.out.find('\n') + 1)
        << "the first item after the file name is the right node:\n"
        << right.out;
    const Outcome left = run(common + " --pick 24,32");
    ASSERT_EQ(left.status, 0) << left.err;
    EXPECT_NE(left.out.find("left"), std::string::npos) << left.out;
    EXPECT_EQ(left.out.find("right"), std::string::npos) << left.out;
}

TEST_F(Program, BadInputSaysWhyInOneLineAndWritesNothing) {
    write("cube.mtl", cube_mtl);
    const fs::path good = write("cube.obj", cube_obj);
    const fs::path garbage = write("noise.xyz", std::string("\x01\x02\x03\xff not a scene", 16));
    const fs::path broken = write(
        "broken.gltf",
        R"({"asset":{"version":"2.0"},"meshes":[{"primitives":[{"attributes":{"POSITION":7}}]}])");
    const fs::path truncated = write(
        "short.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nend_header\n1\n");
    const struct {
        const char* what;
        std::string arguments;
    } cases[] = {
        {"a missing file", (dir / "absent.obj").string()},
        {"a directory", dir.string()},
        {"a format nothing reads", garbage.string()},
        {"a corrupt glTF", broken.string()},
        {"a truncated PLY", truncated.string()},
        {"a bad size", good.string() + " --size 0x10"},
        {"a size that is no size", good.string() + " --size big"},
        {"a bad colour", good.string() + " --background nocolour"},
        {"a bad camera", good.string() + " --camera 1,2"},
        {"a bad lighting", good.string() + " --lighting toon"},
        {"a pick outside the picture", good.string() + " --size 32x32 --pick 40,3"},
        {"an unknown option", good.string() + " --shiny"},
        {"no frames", good.string() + " --frames 0"},
        {"no time to load", good.string() + " --load-limit 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path picture = dir / "never.png";
        const Outcome r = run(c.arguments + " -o " + picture.string());
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("kavri-render: ", 0), 0u) << r.err;
        EXPECT_FALSE(fs::exists(picture));
    }
}

// The importer would read such a header for minutes; the program tells
// what is missing at once. The limit makes the test fail rather than hang
// should the check go.
TEST_F(Program, RejectsAPlyHeaderWithoutItsEndLine) {
    const struct {
        const char* what;
        const char* name;
        const char* text;
    } cases[] = {
        {"a plain header", "open.ply", "ply\nformat ascii 1.0\nelement vertex 3\n"},
        {"a capitalised magic word", "open.xyz", "PLY\nformat ascii 1.0\n"},
        {"a magic word run on", "run-on.ply", "plyly\nformat ascii 1.0\nend_heade\n"},
        {"an end only in a comment", "comment.ply", "ply\nformat ascii 1.0\ncomment end_header\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path scene = write(c.name, c.text);
        const Outcome r =
            run(scene.string() + " --load-limit 5 -o " + (dir / "never.png").string());
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("end_header"), std::string::npos) << r.err;
    }
}

// A texture named by the material that is a pipe nobody writes to: opening
// it waits for ever, as some malformed files keep the importer reading.
TEST_F(Program, GivesUpOnAFileNotReadWithinTheLoadLimit) {
    write("piped.mtl", "newmtl piped\nKd 1 0 0\nmap_Kd pipe.png\n");
    const fs::path scene = write("piped.obj", "mtllib piped.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                              "usemtl piped\nf 1 2 3\n");
    ASSERT_EQ(::mkfifo((dir / "pipe.png").c_str(), 0600), 0);
    const fs::path picture = dir / "never.png";
    const Outcome r = run(scene.string() + " --load-limit 1 -o " + picture.string());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("not read within 1 s"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(picture));
}

// A binary PLY whose y property line is garbled, with a NaN coordinate: the
// system's importer fails an internal assertion and aborts while reading it.
// The program still ends with one line and status 2.
TEST_F(Program, SurvivesAnImporterThatAbortsOnTheFile) {
    const std::string header = "ply\nformat binary_little_endian 1.0\nelement vertex 3\n"
                               "property float x\npropert\x1d float y\nproperty float z\n"
                               "element face 1\nproperty list uchar int vertex_indices\n"
                               "end_header\n";
    const unsigned char body[] = {0x00, 0x00, 0xc0, 0x7f, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0x00, 0x00, 0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x00, 0x00,
                                  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0x80, 0x3f, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                  0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00};
    const fs::path scene = write("aborts.ply", header + std::string(body, body + sizeof body));
    const fs::path picture = dir / "never.png";
    const Outcome r = run(scene.string() + " -o " + picture.string());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("kavri-render: " + scene.string() + ": the importer failed"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(picture));
}

TEST_F(Program, ReportsTimePerFrameAndPerStage) {
    const Outcome r = run("-o " + (dir / "f.png").string() + " --size 64x48 --frames 3 --stats");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("ms per frame over 3 frames"), std::string::npos) << r.out;
    for (const char* stage : {"load ", "build ", "render ", "write ", "peak memory"})
        EXPECT_NE(r.out.find(stage), std::string::npos) << stage << " in\n" << r.out;
}

TEST_F(Program, HelpExplainsTheOptions) {
    const Outcome r = run("--help");
    EXPECT_EQ(r.status, 0);
    for (const char* option : {"--size", "--camera", "--lighting", "--background", "--pick",
                               "--frames", "--stats", "--load-limit"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

} // namespace
