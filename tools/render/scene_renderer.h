// Draws a render::Scene with the library: builds the records once, renders
// frames through the ready-made z-buffer stack, and picks through a
// selector stack.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "png_output.h"
#include "scene.h"
#include "settings.h"

namespace render {

struct Pick_Item {
    std::vector<std::string> key_path;
    int primitive = 0; // the instance, polyline, marker set or label number
    double depth = 0;  // 0 nearest ... 1 farthest
    bool hidden = false;
};

class Scene_Renderer {
public:
    Scene_Renderer();
    ~Scene_Renderer();
    Scene_Renderer(const Scene_Renderer&) = delete;
    Scene_Renderer& operator=(const Scene_Renderer&) = delete;

    // Makes the library's records for scene (which must outlive this object).
    bool build(const Scene& scene, const Settings& settings, std::string& reason);
    // Draws one frame into picture.
    bool render(Picture& picture, std::string& reason);
    // What lies under pixel (x, y) from the top left, nearest first.
    bool pick(int x, int y, std::vector<Pick_Item>& items, std::string& reason);

private:
    struct State;
    std::unique_ptr<State> state;
};

} // namespace render
