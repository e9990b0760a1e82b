#include "scene_import.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>

#include "stb/stb_image.h"

namespace render {
namespace {

// Smooth normals find coincident corners by position, so vertices need not
// be joined first (joining a large mesh costs several times its memory).
// The importer's validation stays: later steps read out of bounds on
// malformed files without it.
constexpr unsigned import_steps = aiProcess_ValidateDataStructure | aiProcess_Triangulate |
                                  aiProcess_GenSmoothNormals | aiProcess_SortByPType;

// Assimp's PLY reader never finishes a header that lacks its end_header
// line: it reads for minutes or for ever. Every file it would read as PLY
// (its first word begins with "ply" in any case, blanks before it skipped)
// must have one; the header must also end within a bound no real header
// comes near.
constexpr std::size_t longest_ply_header = 1 << 20;

enum class Ply_Header { Not_Ply, Complete, Unterminated };

bool begins_with_ply(std::string_view word) {
    constexpr std::string_view magic = "ply";
    return word.size() >= magic.size() &&
           std::equal(magic.begin(), magic.end(), word.begin(), [](char m, char c) {
               return m == std::tolower(static_cast<unsigned char>(c));
           });
}

Ply_Header ply_header(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return Ply_Header::Not_Ply;
    std::ifstream in(path, std::ios::binary);
    std::string head(std::size_t(std::min<std::uintmax_t>(size, longest_ply_header)), '\0');
    in.read(head.data(), std::streamsize(head.size()));
    head.resize(std::size_t(in.gcount()));
    constexpr const char* blanks = " \t\r\n\v\f";
    bool first = true;
    for (std::size_t at = 0; at < head.size();) {
        const std::size_t end = std::min(head.find('\n', at), head.size());
        const std::string_view line(head.data() + at, end - at);
        at = end + 1;
        const std::size_t start = line.find_first_not_of(blanks);
        if (start == std::string_view::npos) continue;
        const std::string_view word = line.substr(start, line.find_first_of(blanks, start) - start);
        if (first && !begins_with_ply(word)) return Ply_Header::Not_Ply;
        if (!first && word == "end_header") return Ply_Header::Complete;
        first = false;
    }
    return first ? Ply_Header::Not_Ply : Ply_Header::Unterminated;
}

bool finite(const aiVector3D& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

Vec3 vec(const aiVector3D& v) {
    return {v.x, v.y, v.z};
}

// Assimp's matrices act on column vectors; the library's on row vectors.
Mat4 row_matrix(const aiMatrix4x4& m) {
    return {m.a1, m.b1, m.c1, m.d1, m.a2, m.b2, m.c2, m.d2,
            m.a3, m.b3, m.c3, m.d3, m.a4, m.b4, m.c4, m.d4};
}

bool decode_image(const unsigned char* bytes, int size, Texture_Image& out) {
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load_from_memory(bytes, size, &width, &height, &channels, 4);
    if (!pixels) return false;
    out.width = width;
    out.height = height;
    out.rgba.assign(pixels, pixels + std::size_t(width) * height * 4);
    stbi_image_free(pixels);
    return true;
}

// A texture referenced by a material: embedded ("*0" or by name) or a file
// beside the scene. Missing or unreadable textures leave the material plain.
class Texture_Loader {
public:
    Texture_Loader(const aiScene& source, const std::filesystem::path& folder, Scene& scene)
        : source(source), folder(folder), scene(scene) {}

    int load(const aiString& reference) {
        const std::string key = reference.C_Str();
        if (auto found = loaded.find(key); found != loaded.end()) return found->second;
        Texture_Image image;
        const int index = read(key, image) ? int(scene.textures.size()) : -1;
        if (index >= 0) scene.textures.push_back(std::move(image));
        loaded[key] = index;
        return index;
    }

private:
    bool read(const std::string& key, Texture_Image& image) {
        if (const aiTexture* embedded = source.GetEmbeddedTexture(key.c_str()))
            return read_embedded(*embedded, image);
        const std::filesystem::path file = folder / key;
        std::FILE* f = std::fopen(file.c_str(), "rb");
        if (!f) return false;
        int width = 0, height = 0, channels = 0;
        unsigned char* pixels = stbi_load_from_file(f, &width, &height, &channels, 4);
        std::fclose(f);
        if (!pixels) return false;
        image.width = width;
        image.height = height;
        image.rgba.assign(pixels, pixels + std::size_t(width) * height * 4);
        stbi_image_free(pixels);
        return true;
    }

    static bool read_embedded(const aiTexture& texture, Texture_Image& image) {
        if (texture.mHeight == 0) // compressed file bytes
            return decode_image(reinterpret_cast<const unsigned char*>(texture.pcData),
                                int(texture.mWidth), image);
        image.width = int(texture.mWidth);
        image.height = int(texture.mHeight);
        image.rgba.resize(std::size_t(image.width) * image.height * 4);
        for (std::size_t i = 0; i < std::size_t(image.width) * image.height; ++i) {
            const aiTexel& t = texture.pcData[i];
            image.rgba[i * 4 + 0] = t.r;
            image.rgba[i * 4 + 1] = t.g;
            image.rgba[i * 4 + 2] = t.b;
            image.rgba[i * 4 + 3] = t.a;
        }
        return true;
    }

    const aiScene& source;
    std::filesystem::path folder;
    Scene& scene;
    std::map<std::string, int> loaded;
};

Material convert_material(const aiMaterial& from, Texture_Loader& textures) {
    Material m;
    aiColor4D diffuse;
    if (from.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse) == aiReturn_SUCCESS)
        m.diffuse = {diffuse.r, diffuse.g, diffuse.b, diffuse.a};
    float opacity = 1.0f;
    if (from.Get(AI_MATKEY_OPACITY, opacity) == aiReturn_SUCCESS) m.diffuse[3] *= opacity;
    aiColor3D specular;
    if (from.Get(AI_MATKEY_COLOR_SPECULAR, specular) == aiReturn_SUCCESS)
        m.specular = {specular.r, specular.g, specular.b};
    float shininess = 0.0f;
    if (from.Get(AI_MATKEY_SHININESS, shininess) == aiReturn_SUCCESS && std::isfinite(shininess))
        m.shininess = shininess;
    aiString texture;
    if (from.GetTexture(aiTextureType_DIFFUSE, 0, &texture) == aiReturn_SUCCESS ||
        from.GetTexture(aiTextureType_BASE_COLOR, 0, &texture) == aiReturn_SUCCESS)
        m.texture = textures.load(texture);
    return m;
}

// Triangles with a non-finite corner are dropped; the rest keep their order.
Mesh convert_mesh(const aiMesh& from) {
    Mesh mesh;
    mesh.name = from.mName.C_Str();
    mesh.material = int(from.mMaterialIndex);
    const unsigned n = from.mNumVertices;
    mesh.positions.reserve(n);
    for (unsigned i = 0; i < n; ++i)
        mesh.positions.push_back(vec(from.mVertices[i]));
    if (from.HasNormals())
        for (unsigned i = 0; i < n; ++i)
            mesh.normals.push_back(finite(from.mNormals[i]) ? vec(from.mNormals[i])
                                                            : Vec3{0, 0, 1});
    if (from.HasVertexColors(0))
        for (unsigned i = 0; i < n; ++i) {
            const aiColor4D& c = from.mColors[0][i];
            mesh.colors.push_back({c.r, c.g, c.b, c.a});
        }
    if (from.HasTextureCoords(0))
        for (unsigned i = 0; i < n; ++i)
            mesh.uvs.push_back({from.mTextureCoords[0][i].x, from.mTextureCoords[0][i].y});
    for (unsigned f = 0; f < from.mNumFaces; ++f) {
        const aiFace& face = from.mFaces[f];
        if (face.mNumIndices != 3) continue;
        bool usable = true;
        for (unsigned k = 0; k < 3; ++k)
            usable = usable && face.mIndices[k] < n && finite(from.mVertices[face.mIndices[k]]);
        if (!usable) continue;
        mesh.indices.insert(mesh.indices.end(), face.mIndices, face.mIndices + 3);
    }
    return mesh;
}

void place_nodes(const aiNode& node, const Mat4& parent, const std::vector<std::string>& path,
                 const aiScene& source, Scene& scene) {
    const Mat4 transform = multiply(row_matrix(node.mTransformation), parent);
    // The root is the importer's own (named after the file or "ROOT"): key
    // paths start with the scene's first named level.
    std::vector<std::string> here = path;
    if (&node != source.mRootNode) here.push_back(node.mName.length ? node.mName.C_Str() : "node");
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
        const unsigned mesh = node.mMeshes[i];
        if (mesh >= source.mNumMeshes || scene.meshes[mesh].indices.empty()) continue;
        std::vector<std::string> key_path = here;
        if (!scene.meshes[mesh].name.empty()) key_path.push_back(scene.meshes[mesh].name);
        scene.instances.push_back({int(mesh), transform, key_path});
    }
    for (unsigned i = 0; i < node.mNumChildren; ++i)
        if (node.mChildren[i]) place_nodes(*node.mChildren[i], transform, here, source, scene);
}

} // namespace

bool import_scene(const std::string& path, Scene& scene, std::string& reason) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        reason = "no such file";
        return false;
    }
    if (!std::filesystem::is_regular_file(path, error)) {
        reason = "not a regular file";
        return false;
    }
    if (std::FILE* f = std::fopen(path.c_str(), "rb"))
        std::fclose(f);
    else {
        reason = "cannot be read";
        return false;
    }
    if (ply_header(path) == Ply_Header::Unterminated) {
        reason = "PLY header without its end_header line";
        return false;
    }
    Assimp::Importer importer;
    // Points and lines have no surface to shade; the importer drops them.
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE,
                                aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    const aiScene* source = importer.ReadFile(path, import_steps);
    if (!source || (source->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !source->mRootNode) {
        const std::string what = importer.GetErrorString();
        reason = what.empty() ? "not a scene file this program reads" : what;
        return false;
    }
    Texture_Loader textures(*source, std::filesystem::path(path).parent_path(), scene);
    for (unsigned i = 0; i < source->mNumMaterials; ++i)
        scene.materials.push_back(convert_material(*source->mMaterials[i], textures));
    if (scene.materials.empty()) scene.materials.push_back(Material{});
    for (unsigned i = 0; i < source->mNumMeshes; ++i) {
        scene.meshes.push_back(convert_mesh(*source->mMeshes[i]));
        if (scene.meshes.back().material >= int(scene.materials.size()))
            scene.meshes.back().material = 0;
    }
    place_nodes(*source->mRootNode, identity_matrix, {}, *source, scene);
    if (scene.instances.empty()) {
        reason = "holds no triangles to draw";
        return false;
    }
    return true;
}

} // namespace render
