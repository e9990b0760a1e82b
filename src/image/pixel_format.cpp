#include "image/pixel_format.h"

#include "foundation/shared.h"

void KT_Bitonal_Format::convert(const std::uint8_t* from, std::uint8_t* to, int count,
                                KT_Bitonal_Format target) const {
    const std::uint32_t how = conversion_to(target);
    const std::uint8_t mask = how & set_is_dark ? 0xFF : 0x00;
    if (how & msb_first)
        for (int i = 0; i < count; ++i)
            to[i] = SHARED.bit_reversal[from[i]] ^ mask;
    else
        for (int i = 0; i < count; ++i)
            to[i] = from[i] ^ mask;
}

namespace {

std::uint8_t pack_channel(float v) {
    // Written so that NaN fails the first test.
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return 255;
    return static_cast<std::uint8_t>(v * 255.99f);
}

} // namespace

KT_RGB32 KD_Pack_RGBA(const KT_RGBA& c) {
    return {pack_channel(c.blue), pack_channel(c.green), pack_channel(c.red),
            pack_channel(c.alpha)};
}

KT_RGBA KD_Unpack_RGB32(KT_RGB32 c) {
    constexpr float scale = 1.0f / 255.0f;
    return {c.r * scale, c.g * scale, c.b * scale, c.a * scale};
}
