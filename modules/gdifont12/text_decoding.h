// Text as code points: narrow strings are UTF-8, wide strings UTF-32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gdifont {

inline constexpr char32_t replacement_character = 0xFFFD;

// Appends the code points of text (length bytes; -1: up to the first zero).
// Every malformed, overlong or surrogate sequence becomes one U+FFFD.
void decode_utf8(const char* text, int length, std::vector<char32_t>& out);
// Appends the characters of text (length; -1: up to the first zero); values
// that are no code point become U+FFFD.
void decode_utf32(const wchar_t* text, int length, std::vector<char32_t>& out);

} // namespace gdifont
