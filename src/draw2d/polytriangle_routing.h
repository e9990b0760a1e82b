// The five shading variants of the polytriangle actions and the five
// coordinate families, as one record of per-vertex data and one call that
// hands a strip to the slot of any family and variant through the top
// renderer's table.
#pragma once

#include "foundation/basic_types.h"
#include "foundation/export.h"
#include "math/vector.h"
#include "renderer/next_action.h"

enum class KT_Shading { Plain, Colorized, Gouraud, Phong, Textured };

// Slot order within each variant's block of the action table.
enum class KT_Family { F2D, DC, F2DI, DCI, F2DD };

template <KT_Family F> struct KT_Family_Point;
template <> struct KT_Family_Point<KT_Family::F2D> { using type = KT_Point; };
template <> struct KT_Family_Point<KT_Family::DC> { using type = KT_Point; };
template <> struct KT_Family_Point<KT_Family::F2DI> { using type = KT_DCI_Point; };
template <> struct KT_Family_Point<KT_Family::DCI> { using type = KT_DCI_Point; };
template <> struct KT_Family_Point<KT_Family::F2DD> { using type = KT_Point_D; };
template <KT_Family F> using KT_Family_Point_T = typename KT_Family_Point<F>::type;

// Everything a polytriangle carries besides its points.
struct KAVRI_API KT_Strip_Data {
    KT_Shading shading = KT_Shading::Plain;
    // Colorized: one per triangle, or one for all with single_color.
    // Gouraud, Phong and Textured: one per vertex.
    const KT_RGB32* colors = nullptr;
    bool single_color = false;
    const KT_Vector* normals = nullptr;       // Phong
    const KT_Point* positions = nullptr;      // Phong
    const float* phong_parameters = nullptr;  // Phong, one per vertex
    const KT_Parameter* parameters = nullptr; // Textured, width per vertex
    int width = 0;
    const float* w = nullptr;           // Textured
    const KT_Vector* vectors = nullptr; // Textured

    // The same data for the strip that starts at vertex first.
    KT_Strip_Data from(int first) const;
    // The colour of triangle i of a colorized strip.
    const KT_RGB32* triangle_color(int i) const {
        if (!colors) return nullptr;
        return single_color ? colors : colors + i;
    }
};

// Hands count points with data to the polytriangle slot of family F and
// data's variant.
template <KT_Family F>
void KD_Draw_Strip(const KT_Rendition* rendition, int count, const KT_Family_Point_T<F>* points,
                   const KT_Strip_Data& data) {
    constexpr int offset = static_cast<int>(F);
    const KT_Strip_Data& d = data;
    switch (d.shading) {
    case KT_Shading::Plain:
        KD_Next_Action<KT_Slot_Draw_2D_Polytriangle + offset>(rendition, count, points);
        return;
    case KT_Shading::Colorized:
        KD_Next_Action<KT_Slot_Draw_2D_Colorized_Polytriangle + offset>(rendition, count, points,
                                                                        d.colors, d.single_color);
        return;
    case KT_Shading::Gouraud:
        KD_Next_Action<KT_Slot_Draw_2D_Gouraud_Polytriangle + offset>(rendition, count, points,
                                                                      d.colors);
        return;
    case KT_Shading::Phong:
        KD_Next_Action<KT_Slot_Draw_2D_Phong_Polytriangle + offset>(
            rendition, count, points, d.normals, d.colors, d.positions, d.phong_parameters);
        return;
    case KT_Shading::Textured:
        KD_Next_Action<KT_Slot_Draw_2D_Textured_Polytriangle + offset>(
            rendition, count, points, d.colors, d.parameters, d.width, d.w, d.vectors);
        return;
    }
}
