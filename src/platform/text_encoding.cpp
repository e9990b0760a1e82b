#include "platform/text_encoding.h"

#include <cstdint>
#include <cwchar>

namespace {

constexpr char32_t replacement = 0xFFFD;

bool is_scalar_value(char32_t c) {
    return c < 0xD800 || (c > 0xDFFF && c <= 0x10FFFF);
}

// Writes the UTF-8 form of c at out (room permitting) and returns its size.
std::size_t encode(char32_t c, char* out, std::size_t room) {
    if (!is_scalar_value(c)) c = replacement;
    char bytes[4];
    std::size_t size;
    if (c < 0x80) {
        bytes[0] = static_cast<char>(c);
        size = 1;
    } else if (c < 0x800) {
        bytes[0] = static_cast<char>(0xC0 | (c >> 6));
        bytes[1] = static_cast<char>(0x80 | (c & 0x3F));
        size = 2;
    } else if (c < 0x10000) {
        bytes[0] = static_cast<char>(0xE0 | (c >> 12));
        bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | (c & 0x3F));
        size = 3;
    } else {
        bytes[0] = static_cast<char>(0xF0 | (c >> 18));
        bytes[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes[3] = static_cast<char>(0x80 | (c & 0x3F));
        size = 4;
    }
    for (std::size_t i = 0; i < size && i < room; ++i)
        out[i] = bytes[i];
    return size;
}

// Decodes one sequence starting at text[0]; sets used to the bytes taken.
char32_t decode(const unsigned char* text, std::size_t length, std::size_t& used) {
    used = 1;
    const unsigned char lead = text[0];
    if (lead < 0x80) return lead;
    std::size_t size;
    char32_t c;
    char32_t smallest;
    if ((lead & 0xE0) == 0xC0) {
        size = 2, c = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        size = 3, c = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        size = 4, c = lead & 0x07, smallest = 0x10000;
    } else {
        return replacement;
    }
    if (size > length) return replacement;
    for (std::size_t i = 1; i < size; ++i) {
        if ((text[i] & 0xC0) != 0x80) return replacement;
        c = (c << 6) | (text[i] & 0x3F);
    }
    if (c < smallest || !is_scalar_value(c)) return replacement;
    used = size;
    return c;
}

} // namespace

std::size_t kdiWideToUtf8(const wchar_t* text, std::size_t length, char* out,
                          std::size_t capacity) {
    std::size_t needed = 0;
    for (std::size_t i = 0; text && i < length; ++i) {
        const std::size_t room = needed < capacity ? capacity - needed : 0;
        needed += encode(static_cast<char32_t>(static_cast<std::uint32_t>(text[i])),
                         out ? out + needed : nullptr, out ? room : 0);
    }
    return needed;
}

std::size_t kdiUtf8ToWide(const char* text, std::size_t length, wchar_t* out,
                          std::size_t capacity) {
    std::size_t needed = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (std::size_t i = 0; text && i < length;) {
        std::size_t used = 0;
        const char32_t c = decode(bytes + i, length - i, used);
        if (out && needed < capacity) out[needed] = static_cast<wchar_t>(c);
        ++needed;
        i += used;
    }
    return needed;
}

void kdiWriteWide(std::FILE* stream, const wchar_t* text) {
    if (!stream || !text) return;
    const std::size_t length = std::wcslen(text);
    char chunk[256];
    constexpr std::size_t piece = sizeof(chunk) / 4;
    for (std::size_t done = 0; done < length; done += piece) {
        const std::size_t count = length - done < piece ? length - done : piece;
        const std::size_t bytes = kdiWideToUtf8(text + done, count, chunk, sizeof(chunk));
        std::fwrite(chunk, 1, bytes, stream);
    }
}
