// Reads a scene file through Assimp into a render::Scene.
#pragma once

#include <string>

#include "scene.h"

namespace render {

// Fills scene from the file at path. On failure returns false and sets
// reason to a short phrase ("no such file", what the importer said, ...).
bool import_scene(const std::string& path, Scene& scene, std::string& reason);

} // namespace render
