#include "raster/face_fill.h"

#include "foundation/fill_bitmaps.h"
#include "foundation/global.h"
#include "rendition/rendition.h"

bool KD_Face_Fill_Bits(const KT_Rendition& rendition, KT_Fill_Bits& bits) {
    const KT_Face_Data& face = rendition.face();
    const std::int32_t number = face.face_pattern;
    switch (number) {
    case KT_Face_Solid:
    case KT_Face_Hatch:
    case KT_Face_By_Shape:
        return false;
    case KT_Face_User_Pattern: {
        const KT_Fill_Pattern& user = face.fill_pattern;
        if (!user || !user->bitmap) return false;
        bits = {user->bitmap, user->width, user->height, user->bytes_per_row};
        return true;
    }
    default:
        break;
    }
    if (number < 0) return false;
    if (number < KD_FILL_32X32_FIRST) {
        const std::uint8_t* b = KD_Builtin_Fill_Bitmap(number);
        bits = {b, 8, 8, 1};
        return b != nullptr;
    }
    const std::uint8_t* b = number < KD_STIPPLE_FIRST
                                ? KD_Builtin_Fill_Bitmap(number)
                                : KD_Stipple_Bitmap(number, face.pattern_density);
    bits = {b, 32, 32, 4};
    return b != nullptr;
}

KT_Span_Data KD_Flat_Span_Data(const KT_Rendition& rendition, KT_Fill_Bits& bits) {
    KT_Span_Data data{};
    data.colour = rendition.color().front;
    data.contrast_colour = rendition.color().contrast;
    data.fill_pattern = KD_Face_Fill_Bits(rendition, bits) ? &bits : nullptr;
    data.vector = {0.0f, 0.0f, 0.0f};
    data.parameter_width = 0;
    return data;
}
