// What a kavri-render command line asks for, and the parsers that turn the
// option texts into values. Each parser returns false for text it cannot
// read, so the program can name the option in its one-line message.
#pragma once

#include <optional>
#include <string>

#include "scene.h"

namespace render {

enum class Lighting { Flat, Gouraud, Phong };

struct Camera_Setting {
    Vec3 position = {0, 0, 0};
    Vec3 target = {0, 0, 0};
    float field_of_view = 0.6f; // radians, vertical
};

struct Settings {
    std::string scene_file; // empty: the default scene
    std::string output = "kavri.png";
    int width = 800;
    int height = 600;
    std::optional<Camera_Setting> camera; // empty: fit the scene's bounds
    Lighting lighting = Lighting::Gouraud;
    Rgba background = {1, 1, 1, 1};
    std::optional<std::pair<int, int>> pick;
    int frames = 1;
    bool stats = false;
    // Reading a scene file longer than this means a malformed file that
    // keeps the importer busy; the program gives up on it.
    int load_limit_seconds = 60;
};

// "WxH" with both in 1 ... 16384.
bool parse_size(const std::string& text, int& width, int& height);
// "X,Y" pixel, measured from the top left of the picture.
bool parse_pixel(const std::string& text, int& x, int& y);
// A colour name (white, black, gray, red, green, blue, ...), "#RRGGBB" or
// "R,G,B" with each channel from 0 to 1.
bool parse_colour(const std::string& text, Rgba& colour);
// "flat", "gouraud" or "phong".
bool parse_lighting(const std::string& text, Lighting& lighting);
// "X,Y,Z" (looking at the scene's centre) or "X,Y,Z:TX,TY,TZ" or
// "X,Y,Z:TX,TY,TZ:FOV" with the vertical field of view in degrees.
bool parse_camera(const std::string& text, Camera_Setting& camera);

// The camera that shows the whole of bounds from the front and a little
// above, for a picture of the given aspect (width / height).
Camera_Setting fit_camera(const Bounds& bounds, float aspect);

} // namespace render
