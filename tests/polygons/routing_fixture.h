// Strips that carry the data of every variant, drawn through the recording
// device's stack.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/slot_recorder.h"
#include "draw2d/polytriangle_routing.h"

namespace polygons_test {

using slots::clip_10_to_90;
using slots::inside;
using slots::inside_pixels;

inline const char* variant_name(KT_Shading s) {
    static const char* const names[] = {"plain", "colorized", "Gouraud", "Phong", "textured"};
    return names[static_cast<int>(s)];
}

inline constexpr KT_Shading all_variants[] = {KT_Shading::Plain, KT_Shading::Colorized,
                                              KT_Shading::Gouraud, KT_Shading::Phong,
                                              KT_Shading::Textured};

// The polytriangle slot of a variant and family.
inline int polytriangle_slot(KT_Shading s, KT_Family f) {
    const int first[] = {KT_Slot_Draw_2D_Polytriangle, KT_Slot_Draw_2D_Colorized_Polytriangle,
                         KT_Slot_Draw_2D_Gouraud_Polytriangle, KT_Slot_Draw_2D_Phong_Polytriangle,
                         KT_Slot_Draw_2D_Textured_Polytriangle};
    return first[static_cast<int>(s)] + static_cast<int>(f);
}

// Vertex data for strips of up to 16 points, enough for any variant.
struct Variant_Data {
    static constexpr int most = 16;
    KT_RGB32 colors[most];
    KT_Vector normals[most];
    KT_Point positions[most];
    float phong_parameters[most];
    KT_Parameter parameters[most];
    float w[most];

    Variant_Data() {
        for (int i = 0; i < most; ++i) {
            colors[i] = {std::uint8_t(10 * i), std::uint8_t(200 - 10 * i), 100, 255};
            normals[i] = {0, 0, 1};
            positions[i] = {float(i), 0, 0};
            phong_parameters[i] = float(i);
            parameters[i] = {float(i) / most, 0, 0};
            w[i] = 1.0f;
        }
    }

    KT_Strip_Data strip(KT_Shading s) const {
        KT_Strip_Data d;
        d.shading = s;
        switch (s) {
        case KT_Shading::Plain:
            break;
        case KT_Shading::Colorized:
        case KT_Shading::Gouraud:
            d.colors = colors;
            break;
        case KT_Shading::Phong:
            d.normals = normals;
            d.colors = colors;
            d.positions = positions;
            d.phong_parameters = phong_parameters;
            break;
        case KT_Shading::Textured:
            d.colors = colors;
            d.parameters = parameters;
            d.width = 1;
            d.w = w;
            d.vectors = normals;
            break;
        }
        return d;
    }
};

class Routing : public slots::Routing_Test {
protected:
    // Makes every variant's slot of family F record.
    template <KT_Family F> void record_family() {
        constexpr int f = static_cast<int>(F);
        device->record<KT_Slot_Draw_2D_Polytriangle + f>();
        device->record<KT_Slot_Draw_2D_Colorized_Polytriangle + f>();
        device->record<KT_Slot_Draw_2D_Gouraud_Polytriangle + f>();
        device->record<KT_Slot_Draw_2D_Phong_Polytriangle + f>();
        device->record<KT_Slot_Draw_2D_Textured_Polytriangle + f>();
    }

    // Draws through the top renderer's slot of family F and variant s.
    template <KT_Family F> void draw(KT_Shading s, int count, const KT_Family_Point_T<F>* points) {
        KD_Draw_Strip<F>(&rendition, count, points, data.strip(s));
    }

    Variant_Data data;
};

} // namespace polygons_test
