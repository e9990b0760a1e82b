// The scene kavri-render draws: plain arrays that a file importer or the
// built-in default scene fills, independent of the file format and of how
// the library is driven to draw them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace render {

using Vec3 = std::array<float, 3>;
using Rgba = std::array<float, 4>;
// Row-vector 4x4 matrix, as the library's matrices: a point p maps to p * m.
using Mat4 = std::array<float, 16>;

inline constexpr Mat4 identity_matrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

Mat4 multiply(const Mat4& a, const Mat4& b);
Vec3 transform_point(const Vec3& p, const Mat4& m);

// An RGBA image, rows top to bottom, 8 bits a channel.
struct Texture_Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

enum class Procedural { None, Marble, Wood };

struct Material {
    Rgba diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
    Vec3 specular = {0.0f, 0.0f, 0.0f};
    float shininess = 0.0f;
    int texture = -1; // index into Scene::textures, or -1
    Procedural procedural = Procedural::None;
};

// An indexed triangle mesh. normals, colors and uvs are empty or hold one
// entry per position; face_materials is empty or holds one per triangle.
struct Mesh {
    std::string name;
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<Rgba> colors;
    std::vector<std::array<float, 2>> uvs;
    std::vector<std::uint32_t> indices; // three per triangle
    int material = 0;
    std::vector<int> face_materials;
};

enum class Line_Style { Solid, Dashed };

struct Polyline {
    std::string name;
    std::vector<Vec3> points;
    Rgba color = {0, 0, 0, 1};
    float weight = 1.0f; // pixels
    Line_Style style = Line_Style::Solid;
};

struct Markers {
    std::string name;
    std::vector<Vec3> points;
    Rgba color = {0, 0, 0, 1};
    int symbol = 0;
    float size = 1.0f; // pixels from the centre to the glyph's edge
};

struct Label {
    std::string name;
    Vec3 position = {0, 0, 0};
    std::string text;
    Rgba color = {0, 0, 0, 1};
    float size = 0.1f; // scene units
};

// One placed instance of a mesh; its key path names the node and the mesh.
struct Instance {
    int mesh = 0;
    Mat4 transform = identity_matrix;
    std::vector<std::string> key_path;
};

struct Bounds {
    Vec3 low = {1e30f, 1e30f, 1e30f};
    Vec3 high = {-1e30f, -1e30f, -1e30f};
    bool empty() const { return low[0] > high[0]; }
    void add(const Vec3& p);
};

struct Scene {
    std::vector<Material> materials;
    std::vector<Texture_Image> textures;
    std::vector<Mesh> meshes;
    std::vector<Instance> instances;
    std::vector<Polyline> polylines;
    std::vector<Markers> markers;
    std::vector<Label> labels;

    Bounds bounds() const;
    std::size_t triangle_count() const;
};

} // namespace render
