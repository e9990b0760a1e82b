// The standard actions that handle the drawing buffer as a whole: create a
// frame buffer, clear the drawing area, show a frame buffer. Clearing the
// depth buffer is left to a device that keeps one.
#include <cstdint>

#include "draw2d/image_convert.h"
#include "image/image_data.h"
#include "renderer/next_action.h"
#include "rendition/rendition.h"

namespace {

constexpr std::int32_t frame_row_alignment = 8;
// The advanced options a frame buffer is shown with.
constexpr KT_Advanced_Options frame_display_options = 4;

} // namespace

void KD_Standard_Create_Frame_Buffer(const KT_Renderer_Data*, int width, int height,
                                     const KT_Image_Format* format, KT_Shared_Image* image) {
    if (!image || !format) return;
    // A size no frame buffer can have gives the empty image.
    const bool too_large =
        width > 0 && height > 0 && std::int64_t{width} * height > KT_Largest_Pixel_Rectangle;
    *image = too_large
                 ? KT_Shared_Image(0, 0, *format, frame_row_alignment, nullptr, false)
                 : KT_Shared_Image(width, height, *format, frame_row_alignment, nullptr, false);
}

// Two triangles over the hard clip; the far sides lie one past the last
// column and row because the triangles cover their right and top edges
// exclusively.
void KD_Standard_Clear_Drawing_Buffer(const KT_Renderer_Data*, const KT_Rendition* rendition) {
    if (!rendition || rendition->empty() || !rendition->renderer()) return;
    const KT_Int_Rectangle& clip = rendition->transform().hard_clip;
    if (clip.right < clip.left || clip.top < clip.bottom) return;
    if (clip.right == INT32_MAX || clip.top == INT32_MAX) return;
    const KT_DCI_Point strip[4] = {{clip.left, clip.bottom, 0},
                                   {clip.left, clip.top + 1, 0},
                                   {clip.right + 1, clip.bottom, 0},
                                   {clip.right + 1, clip.top + 1, 0}};
    // A mapped device shows the palette entry the colour resolved to, which
    // keeps the clear from being dithered; others show the colour itself.
    const KT_Driver_Color& asked = rendition->color().background;
    const bool mapped =
        rendition->renderer()->current_renderer_options.color_system() == KT_Color_System::Mapped;
    const KT_RGB32 background = mapped && asked.index >= 0 ? asked.device_rgb : asked.rgb;
    KD_Next_Action<KT_Slot_Draw_DCI_Colorized_Polytriangle>(rendition, 4, strip, &background, true);
}

void KD_Standard_Display_Frame_Buffer(const KT_Renderer_Data* renderer,
                                      const KT_DCI_Point* top_left,
                                      const KT_DCI_Point* bottom_right,
                                      const KT_Shared_Image* image, int source_x, int source_y) {
    if (!renderer || !top_left || !bottom_right || !image) return;
    KT_Rendition rendition(renderer);
    rendition.set_hard_clip({top_left->x, bottom_right->x, bottom_right->y, top_left->y}, false);
    if (rendition.transform().depth_buffer) rendition.modify_transform().depth_buffer = false;
    rendition.set_advanced_options(frame_display_options, false);
    // Rows run downward from the image's top-left pixel, so moving the
    // image left by source x and up by source y brings that pixel to the
    // corner.
    const std::int64_t x = std::int64_t{top_left->x} - source_x;
    const std::int64_t y = std::int64_t{top_left->y} + source_y;
    if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX) return;
    const KT_DCI_Point at = {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), 0};
    KD_Next_Action<KT_Slot_Draw_2DI_Image>(&rendition, &at, image);
}
