// The scene drawn when no file is given: one of everything the pipeline
// draws, so a first run shows what the library does.
#pragma once

#include "scene.h"

namespace render {

Scene default_scene();

// Mesh builders, also used by the tests and benchmarks.
Mesh uv_sphere(const std::string& name, float radius, int stacks, int slices);
Mesh torus(const std::string& name, float major_radius, float minor_radius, int rings, int sides);
// A cube of the given edge length whose six faces use materials
// first_material ... first_material + 5.
Mesh cube(const std::string& name, float edge, int first_material);
Mesh plane(const std::string& name, float width, float depth);

} // namespace render
