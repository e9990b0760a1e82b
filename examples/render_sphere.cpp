// Renders a lit sphere into memory with the ready-made z-buffer stack and
// saves the picture as a binary PPM file.
//
//   example_render_sphere [sphere.ppm]
#include <cstdio>

#include "appearance/light.h"
#include "appearance/material.h"
#include "image/image_data.h"
#include "math/camera.h"
#include "renderer/render_stack.h"
#include "rendition/rendition.h"
#include "sphere.h"

int main(int argc, char** argv) {
    const char* file = argc > 1 ? argv[1] : "sphere.ppm";

    // The stack loads the default device, z-buffer renderer and font engine
    // modules, and draws into an RGB32 image of the configured size.
    szb_render_stack stack;
    KT_Int_XY origin = {0, 0}, size = {320, 240};
    if (!stack.configure(origin, size)) {
        std::fprintf(stderr, "the default modules could not be loaded\n");
        return 1;
    }

    // The drawing state: a camera looking at the origin, one distant light,
    // a red shiny material and Gouraud shading (the default).
    KT_Rendition rendition(stack.renderer());
    KT_Camera camera;
    camera.allocate(KT_Precision::Single);
    camera.set_position({0, 0, 4}, {0, 0, 0});
    camera.set_field({2.0 * 320 / 240, 2.0});
    rendition.set_camera(camera, false);
    rendition.set_background_color({255, 255, 255, 255}, false);
    rendition.modify_color().light_set = KT_Light_Set(KT_Distant_Light({0.3f, 0.5f, 1.0f}));
    KT_Complex_Material red;
    red.set_diffuse_color({0.85f, 0.2f, 0.15f});
    red.set_specular_color({0.6f, 0.6f, 0.6f});
    red.set_shininess(40);
    rendition.modify_color().front_material = red;

    // One frame: clear colour and depth, draw, read the pixels.
    const KT_Renderer_Data* top = stack.renderer().body();
    KD_Action_Clear_Drawing_Buffer(top, &rendition);
    KD_Action_Clear_Z_Buffer(top, &rendition);
    const KT_Shell sphere = make_sphere(0.9f, 32, 64);
    KD_Action_Draw_3D_Shell(top, &rendition, &sphere);

    // The image's first row is the top of the picture; pixels are stored
    // blue, green, red, alpha.
    const KT_Image_Data* image = stack.image_data();
    std::FILE* out = std::fopen(file, "wb");
    if (!out) {
        std::perror(file);
        return 1;
    }
    std::fprintf(out, "P6\n%d %d\n255\n", image->width(), image->height());
    for (int y = 0; y < image->height(); ++y) {
        const auto* row = reinterpret_cast<const KT_RGB32*>(image->rows()[y]);
        for (int x = 0; x < image->width(); ++x) {
            const unsigned char rgb[3] = {row[x].r, row[x].g, row[x].b};
            std::fwrite(rgb, 1, 3, out);
        }
    }
    std::fclose(out);
    std::printf("%s\n", file);
    return 0;
}
