// A drawing colour as asked for and as the device will show it.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/export.h"

class KT_Renderer_Data;

struct KAVRI_API KT_Driver_Color {
    // The colour asked for.
    KT_RGB32 rgb = {0, 0, 0, 255};
    // The renderer's palette entry, or -1 when the colour has none.
    std::int32_t index = -1;
    // The palette's colour at index when there is one, else rgb.
    KT_RGB32 device_rgb = {0, 0, 0, 255};

    // Resolves rgb against the renderer's palette (closest match, exact
    // passed through). Without a renderer the colour has no index.
    void set_rgb(KT_RGB32 colour, const KT_Renderer_Data* renderer, bool exact);
    void set_rgb(KT_RGB32 colour, const KT_Renderer_Data* renderer) {
        set_rgb(colour, renderer, false);
    }
    // The index is trusted; the device shows the palette colour there (all
    // zero without a renderer).
    void set_rgb(KT_RGB32 colour, int palette_index, const KT_Renderer_Data* renderer);
    void set_index(int palette_index, const KT_Renderer_Data* renderer);

    bool operator==(const KT_Driver_Color& other) const;
};

// The colour of the renderer's palette at index; all zero without renderer.
KAVRI_API KT_RGB32 KD_Palette_Color(const KT_Renderer_Data* renderer, int index);
