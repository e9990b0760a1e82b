// Any bytes as a scene file of each format the render tool reads, imported
// from a private temporary folder.
//
// Checked: an imported scene only refers to what it holds: triangle corners
// to positions of their mesh, per-vertex arrays empty or one per position,
// materials, textures and instances to entries that exist, textures of the
// size their pixels say.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_input.h"
#include "scene.h"
#include "scene_import.h"

namespace {

const char* const extensions[] = {".obj", ".ply", ".stl", ".gltf"};

// Removed when the process ends, so a run leaves nothing behind.
class Scratch_Folder {
public:
    Scratch_Folder() {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        std::string pattern = (base / "kavri_scene_fuzz_XXXXXX").string();
        FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
        path = pattern;
    }
    ~Scratch_Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

std::filesystem::path write_scene(const char* extension, const std::uint8_t* bytes,
                                  std::size_t size) {
    static Scratch_Folder folder;
    const std::filesystem::path file = folder.path / (std::string("scene") + extension);
    std::FILE* f = std::fopen(file.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    FUZZ_CHECK(std::fwrite(bytes, 1, size, f) == size);
    std::fclose(f);
    return file;
}

template <class Array> bool empty_or_one_per_position(const Array& a, const render::Mesh& mesh) {
    return a.empty() || a.size() == mesh.positions.size();
}

void check_mesh(const render::Mesh& mesh, const render::Scene& scene) {
    FUZZ_CHECK(mesh.indices.size() % 3 == 0);
    for (const std::uint32_t index : mesh.indices)
        FUZZ_CHECK(index < mesh.positions.size());
    FUZZ_CHECK(empty_or_one_per_position(mesh.normals, mesh));
    FUZZ_CHECK(empty_or_one_per_position(mesh.colors, mesh));
    FUZZ_CHECK(empty_or_one_per_position(mesh.uvs, mesh));
    FUZZ_CHECK(mesh.material >= 0 && std::size_t(mesh.material) < scene.materials.size());
    FUZZ_CHECK(mesh.face_materials.empty() ||
               mesh.face_materials.size() * 3 == mesh.indices.size());
}

void check_scene(const render::Scene& scene) {
    FUZZ_CHECK(!scene.materials.empty() && !scene.instances.empty());
    for (const render::Material& material : scene.materials)
        FUZZ_CHECK(material.texture >= -1 && material.texture < int(scene.textures.size()));
    for (const render::Texture_Image& texture : scene.textures)
        FUZZ_CHECK(texture.rgba.size() == std::size_t(texture.width) * texture.height * 4);
    for (const render::Mesh& mesh : scene.meshes)
        check_mesh(mesh, scene);
    for (const render::Instance& instance : scene.instances) {
        FUZZ_CHECK(instance.mesh >= 0 && std::size_t(instance.mesh) < scene.meshes.size());
        FUZZ_CHECK(!scene.meshes[std::size_t(instance.mesh)].indices.empty());
    }
    (void)scene.bounds();
    (void)scene.triangle_count();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Input in(data, size);
    const char* extension = extensions[in.take<std::uint8_t>() % std::size(extensions)];
    const std::filesystem::path file = write_scene(extension, in.rest(), in.remaining());
    render::Scene scene;
    std::string reason;
    if (render::import_scene(file.string(), scene, reason))
        check_scene(scene);
    else
        FUZZ_CHECK(!reason.empty());
    return 0;
}
