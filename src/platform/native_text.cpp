#include "platform/native_text.h"

#include <cstdint>

namespace {

bool fail(char* out, std::size_t capacity) {
    if (capacity) out[0] = 0;
    return false;
}

bool fail(wchar_t* out, std::size_t capacity) {
    if (capacity) out[0] = 0;
    return false;
}

int encoded_length(std::uint32_t c) {
    if (c < 0x80) return 1;
    if (c < 0x800) return 2;
    if (c >= 0xD800 && c <= 0xDFFF) return 0;
    if (c < 0x10000) return 3;
    if (c <= 0x10FFFF) return 4;
    return 0;
}

// Length of the sequence a lead byte opens, with the smallest value it may
// carry (anything below is an overlong form); 0 for a byte that opens none.
int sequence_length(unsigned char lead, std::uint32_t& minimum) {
    if (lead < 0x80) return minimum = 0, 1;
    if ((lead & 0xE0) == 0xC0) return minimum = 0x80, 2;
    if ((lead & 0xF0) == 0xE0) return minimum = 0x800, 3;
    if ((lead & 0xF8) == 0xF0) return minimum = 0x10000, 4;
    return 0;
}

} // namespace

bool kdiWideToUtf8(const wchar_t* s, char* out, std::size_t capacity) {
    if (!s || !out || capacity == 0) return fail(out, capacity);
    std::size_t used = 0;
    for (; *s; ++s) {
        auto c = static_cast<std::uint32_t>(*s);
        int n = encoded_length(c);
        if (n == 0 || used + n >= capacity) return fail(out, capacity);
        if (n == 1) {
            out[used++] = static_cast<char>(c);
            continue;
        }
        static constexpr unsigned char lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
        for (int i = n - 1; i > 0; --i) {
            out[used + i] = static_cast<char>(0x80 | (c & 0x3F));
            c >>= 6;
        }
        out[used] = static_cast<char>(lead[n] | c);
        used += n;
    }
    out[used] = 0;
    return true;
}

bool kdiUtf8ToWide(const char* s, wchar_t* out, std::size_t capacity) {
    if (!s || !out || capacity == 0) return fail(out, capacity);
    std::size_t used = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    while (*p) {
        std::uint32_t minimum = 0;
        int n = sequence_length(*p, minimum);
        if (n == 0 || used + 1 >= capacity) return fail(out, capacity);
        std::uint32_t c = n == 1 ? *p : *p & (0x7F >> n);
        for (int i = 1; i < n; ++i) {
            if ((p[i] & 0xC0) != 0x80) return fail(out, capacity);
            c = (c << 6) | (p[i] & 0x3F);
        }
        if (c < minimum || encoded_length(c) == 0) return fail(out, capacity);
        out[used++] = static_cast<wchar_t>(c);
        p += n;
    }
    out[used] = 0;
    return true;
}
