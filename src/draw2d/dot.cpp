// Dots: one pixel, drawn as a one-pixel image row.
#include "draw2d/device_point.h"
#include "image/pixel_format.h"
#include "renderer/next_action.h"
#include "rendition/rendition.h"

namespace {

constexpr int colour_resolution = 256;

bool drawable(const KT_Rendition* rendition) {
    return rendition && !rendition->empty() && rendition->renderer();
}

} // namespace

extern "C" void KD_Standard_Draw_2D_Dot(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                        const KT_Point* point, const KT_RGB32* colour) {
    if (!drawable(rendition) || !point ||
        !KD_Inside_Rectangle(rendition->transform().hard_clip, *point))
        return;
    KD_Next_Action<KT_Slot_Draw_DC_Dot>(rendition, point, colour);
}

extern "C" void KD_Standard_Draw_2DI_Dot(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                         const KT_DCI_Point* point, const KT_RGB32* colour) {
    if (!drawable(rendition) || !point ||
        !KD_Inside_Rectangle(rendition->transform().hard_clip, *point))
        return;
    KD_Next_Action<KT_Slot_Draw_DCI_Dot>(rendition, point, colour);
}

extern "C" void KD_Standard_Draw_DC_Dot(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                        const KT_Point* point, const KT_RGB32* colour) {
    if (!drawable(rendition) || !point || !KD_Is_Finite_Point(*point)) return;
    const KT_DCI_Point device = KD_To_DCI_Point(*point);
    KD_Next_Action<KT_Slot_Draw_DCI_Dot>(rendition, &device, colour);
}

extern "C" void KD_Standard_Draw_DCI_Dot(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                         const KT_DCI_Point* point, const KT_RGB32* colour) {
    if (!drawable(rendition) || !point) return;
    const KT_Contour_Set clip = rendition->shifted_complex_clip();
    if (!clip.empty() && !clip->point_inside(KD_To_Float_Point(*point))) return;
    const KT_RGB32 pixel = colour ? *colour : rendition->color().front.rgb;
    const KT_Packing packing(KT_Packing::canonical_word);
    KD_Next_Action<KT_Slot_Draw_DCI_RGB32_Image>(rendition, point, point, 0, &pixel,
                                                 colour_resolution, &packing);
}
