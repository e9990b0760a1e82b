#include "default_scene.h"

#include <cmath>
#include <numbers>

namespace render {
namespace {

constexpr float pi = std::numbers::pi_v<float>;

Mat4 translation(float x, float y, float z) {
    Mat4 m = identity_matrix;
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

Material colour(float r, float g, float b, float shininess = 20.0f) {
    Material m;
    m.diffuse = {r, g, b, 1.0f};
    m.specular = {0.5f, 0.5f, 0.5f};
    m.shininess = shininess;
    return m;
}

void add_instance(Scene& scene, Mesh mesh, const Mat4& transform) {
    const std::string name = mesh.name;
    scene.meshes.push_back(std::move(mesh));
    scene.instances.push_back({int(scene.meshes.size()) - 1, transform, {name}});
}

} // namespace

Mesh uv_sphere(const std::string& name, float radius, int stacks, int slices) {
    Mesh mesh;
    mesh.name = name;
    for (int i = 0; i <= stacks; ++i) {
        const float theta = pi * float(i) / float(stacks);
        for (int j = 0; j <= slices; ++j) {
            const float phi = 2.0f * pi * float(j) / float(slices);
            const Vec3 n = {std::sin(theta) * std::cos(phi), std::cos(theta),
                            std::sin(theta) * std::sin(phi)};
            mesh.normals.push_back(n);
            mesh.positions.push_back({n[0] * radius, n[1] * radius, n[2] * radius});
            mesh.uvs.push_back({float(j) / float(slices), float(i) / float(stacks)});
        }
    }
    const std::uint32_t row = std::uint32_t(slices) + 1;
    for (int i = 0; i < stacks; ++i)
        for (int j = 0; j < slices; ++j) {
            const std::uint32_t a = std::uint32_t(i) * row + std::uint32_t(j), b = a + row;
            if (i != 0) mesh.indices.insert(mesh.indices.end(), {a, a + 1, b});
            if (i != stacks - 1) mesh.indices.insert(mesh.indices.end(), {a + 1, b + 1, b});
        }
    return mesh;
}

Mesh torus(const std::string& name, float major_radius, float minor_radius, int rings, int sides) {
    Mesh mesh;
    mesh.name = name;
    for (int i = 0; i <= rings; ++i) {
        const float u = 2.0f * pi * float(i) / float(rings);
        for (int j = 0; j <= sides; ++j) {
            const float v = 2.0f * pi * float(j) / float(sides);
            const Vec3 n = {std::cos(v) * std::cos(u), std::sin(v), std::cos(v) * std::sin(u)};
            mesh.normals.push_back(n);
            mesh.positions.push_back({std::cos(u) * major_radius + n[0] * minor_radius,
                                      n[1] * minor_radius,
                                      std::sin(u) * major_radius + n[2] * minor_radius});
        }
    }
    const std::uint32_t row = std::uint32_t(sides) + 1;
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < sides; ++j) {
            const std::uint32_t a = std::uint32_t(i) * row + std::uint32_t(j), b = a + row;
            mesh.indices.insert(mesh.indices.end(), {a, b, a + 1, a + 1, b, b + 1});
        }
    return mesh;
}

Mesh cube(const std::string& name, float edge, int first_material) {
    Mesh mesh;
    mesh.name = name;
    mesh.material = first_material;
    const float h = edge / 2.0f;
    // Each face: its normal and two in-plane axes (u × v = normal).
    const Vec3 faces[6][3] = {
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
    };
    for (int f = 0; f < 6; ++f) {
        const Vec3 &n = faces[f][0], &u = faces[f][1], &v = faces[f][2];
        const std::uint32_t base = std::uint32_t(mesh.positions.size());
        for (const auto& [su, sv] :
             {std::pair{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}}) {
            mesh.positions.push_back({(n[0] + su * u[0] + sv * v[0]) * h,
                                      (n[1] + su * u[1] + sv * v[1]) * h,
                                      (n[2] + su * u[2] + sv * v[2]) * h});
            mesh.normals.push_back(n);
        }
        mesh.indices.insert(mesh.indices.end(),
                            {base, base + 1, base + 2, base, base + 2, base + 3});
        mesh.face_materials.insert(mesh.face_materials.end(), 2, first_material + f);
    }
    return mesh;
}

Mesh plane(const std::string& name, float width, float depth) {
    Mesh mesh;
    mesh.name = name;
    const float x = width / 2.0f, z = depth / 2.0f;
    mesh.positions = {{-x, 0, z}, {x, 0, z}, {x, 0, -z}, {-x, 0, -z}};
    mesh.normals.assign(4, Vec3{0, 1, 0});
    mesh.uvs = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    mesh.indices = {0, 1, 2, 0, 2, 3};
    return mesh;
}

Scene default_scene() {
    Scene scene;
    scene.materials = {colour(0.85f, 0.25f, 0.2f, 40.0f), colour(0.2f, 0.55f, 0.85f),
                       colour(0.9f, 0.8f, 0.3f),          colour(0.3f, 0.75f, 0.35f),
                       colour(0.6f, 0.3f, 0.75f),         colour(0.95f, 0.55f, 0.15f),
                       colour(0.3f, 0.8f, 0.8f),          colour(0.9f, 0.9f, 0.9f)};
    Material marble = colour(0.9f, 0.9f, 0.85f, 5.0f);
    marble.procedural = Procedural::Marble;
    scene.materials.push_back(marble);
    const int floor_material = int(scene.materials.size()) - 1;

    Mesh ball = uv_sphere("sphere", 0.8f, 32, 64);
    ball.material = 0;
    add_instance(scene, std::move(ball), translation(-1.6f, 0.8f, 0.0f));
    Mesh ring = torus("torus", 0.6f, 0.22f, 48, 24);
    ring.material = 1;
    add_instance(scene, std::move(ring), translation(0.4f, 0.22f, 0.9f));
    add_instance(scene, cube("cube", 1.0f, 2), translation(1.4f, 0.5f, -0.6f));
    Mesh floor = plane("floor", 6.0f, 4.0f);
    floor.material = floor_material;
    add_instance(scene, std::move(floor), identity_matrix);

    scene.polylines.push_back(
        {"dashed path",
         {{-2.8f, 0.02f, 1.8f}, {-0.5f, 0.02f, 1.8f}, {0.8f, 0.02f, 1.2f}, {2.8f, 0.02f, 1.8f}},
         {0.1f, 0.1f, 0.1f, 1},
         2.0f,
         Line_Style::Dashed});
    scene.polylines.push_back(
        {"wide zigzag",
         {{-2.6f, 1.9f, -1.5f}, {-1.8f, 2.3f, -1.5f}, {-1.0f, 1.9f, -1.5f}, {-0.2f, 2.3f, -1.5f}},
         {0.15f, 0.35f, 0.7f, 1},
         8.0f,
         Line_Style::Solid});
    scene.markers.push_back(
        {"markers",
         {{1.0f, 1.8f, -1.5f}, {1.5f, 2.1f, -1.5f}, {2.0f, 1.8f, -1.5f}, {2.5f, 2.1f, -1.5f}},
         {0.8f, 0.1f, 0.1f, 1},
         3,
         12.0f});
    scene.labels.push_back(
        {"label sphere", {-2.2f, 1.8f, 0.0f}, "sphere", {0.1f, 0.1f, 0.1f, 1}, 0.25f});
    scene.labels.push_back(
        {"label torus", {0.0f, 0.6f, 1.2f}, "torus", {0.1f, 0.1f, 0.1f, 1}, 0.25f});
    scene.labels.push_back(
        {"label cube", {1.0f, 1.2f, -0.6f}, "cube", {0.1f, 0.1f, 0.1f, 1}, 0.25f});
    return scene;
}

} // namespace render
