#include "text_decoding.h"

#include <cstring>
#include <cwchar>

namespace gdifont {
namespace {

bool is_continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

bool is_code_point(std::uint32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

// The sequence length a lead byte announces and the bits it carries; 0 for a
// byte that cannot start a sequence.
int sequence_length(unsigned char lead, std::uint32_t& bits) {
    if (lead < 0x80) {
        bits = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        bits = lead & 0x1F;
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        bits = lead & 0x0F;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        bits = lead & 0x07;
        return 4;
    }
    return 0;
}

constexpr std::uint32_t smallest_for_length[5] = {0, 0, 0x80, 0x800, 0x10000};

} // namespace

void decode_utf8(const char* text, int length, std::vector<char32_t>& out) {
    if (!text) return;
    const std::size_t n = length < 0 ? std::strlen(text) : std::size_t(length);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    while (i < n) {
        std::uint32_t c = 0;
        const int expected = sequence_length(bytes[i], c);
        if (expected == 0) {
            out.push_back(replacement_character);
            ++i;
            continue;
        }
        int taken = 1;
        while (taken < expected && i + taken < n && is_continuation(bytes[i + taken]))
            c = (c << 6) | (bytes[i + taken++] & 0x3F);
        const bool whole = taken == expected;
        out.push_back(whole && c >= smallest_for_length[expected] && is_code_point(c)
                          ? char32_t(c)
                          : replacement_character);
        i += std::size_t(taken);
    }
}

void decode_utf32(const wchar_t* text, int length, std::vector<char32_t>& out) {
    if (!text) return;
    const std::size_t n = length < 0 ? std::wcslen(text) : std::size_t(length);
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = std::uint32_t(text[i]);
        out.push_back(is_code_point(c) ? char32_t(c) : replacement_character);
    }
}

} // namespace gdifont
