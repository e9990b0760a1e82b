// Asks what lies under a pixel: two keyed spheres drawn through a selector
// with the z-buffer renderer stacked on it, items listed nearest first.
//
//   example_pick [X Y]      (pixel from the bottom left of a 320 x 240 view)
#include <cstdio>
#include <cstdlib>

#include "math/camera.h"
#include "math/matrix.h"
#include "renderer/dynamic_load.h"
#include "renderer/module_contract.h"
#include "rendition/rendition.h"
#include "select/selector.h"
#include "sphere.h"

int main(int argc, char** argv) {
    const int width = 320, height = 240;
    const int x = argc > 2 ? std::atoi(argv[1]) : 160, y = argc > 2 ? std::atoi(argv[2]) : 120;

    // The selector is the device at the bottom; the z-buffer renderer above
    // it sees "Is Selector" and reports hits instead of drawing colour. Its
    // one-pixel window is the pick region.
    auto entry = KD_Routine_As<KT_Renderer_Entry>(
        KD_Load_Dynamic_Routine(KD_Default_Renderer_Module, KD_Renderer_Tag, nullptr, nullptr));
    if (!entry) {
        std::fprintf(stderr, "szb12.kdi could not be loaded\n");
        return 1;
    }
    auto* selector = new KT_Selector_Data;
    selector->unique_keys = true; // one item per key, however many runs a shell makes
    KT_Renderer device(selector);
    KT_Renderer picker(entry(&device));
    picker->renderer_options.set_window_origin({x, y});
    picker->renderer_options.set_window_size({1, 1});
    picker->establish_all();

    // The rendition keeps the whole view: its viewport is the full picture.
    // Clipped triangles end exactly on the hard clip's bounds, so the clip
    // is one pixel larger all round than the pick region.
    KT_Rendition rendition(picker);
    rendition.set_viewport({0, width - 1, 0, height - 1}, false);
    rendition.set_hard_clip_unrestricted({x - 1, x + 1, y - 1, y + 1}, false);
    KT_Camera camera;
    camera.allocate(KT_Precision::Single);
    camera.set_position({0, 0, 5}, {0, 0, 0});
    camera.set_field({4.0 * width / height, 4.0});
    rendition.set_camera(camera, false);

    // Keys are any pointers the client chooses: here, the names.
    static const char* const names[] = {"left sphere", "right sphere"};
    const KT_Shell sphere = make_sphere(1.0f, 16, 32);
    picker->begin_picture_all(nullptr);
    KD_Action_Clear_Z_Buffer(picker.body(), &rendition);
    for (int i = 0; i < 2; ++i) {
        KT_Matrix_Single place;
        place.translate(i == 0 ? -0.6f : 0.6f, 0.0f, i == 0 ? 0.0f : -1.0f);
        KT_Rendition placed = rendition;
        placed.set_modelling_matrix(place, false);
        selector->set_selection_key(names[i], 0);
        KD_Action_Draw_3D_Shell(picker.body(), &placed, &sphere);
    }
    picker->end_picture_all();

    KT_Selector_Item item;
    int found = 0;
    while (selector->show_next_selection_item(&item))
        if (item.key_count > 0) {
            std::printf("%s at depth %.4f\n", static_cast<const char*>(item.keys[0]), item.z);
            ++found;
        }
    if (found == 0)
        std::printf("nothing under (%d, %d)\n", x, y);
    return 0;
}
