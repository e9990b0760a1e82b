// Conversion between the library's wide text (one code point per wchar_t)
// and the 8-bit text of the host (UTF-8), which is what "the ANSI code
// page" means here.
#pragma once

#include <cstddef>
#include <cstdio>

#include "foundation/export.h"

// Encodes length wide characters as UTF-8 into out, writing at most
// capacity bytes (no terminator). Returns the number of bytes the whole
// text needs, so a call with capacity 0 measures. Values that are not Unicode
// scalar values become U+FFFD.
KAVRI_API std::size_t kdiWideToUtf8(const wchar_t* text, std::size_t length, char* out,
                                    std::size_t capacity);

// Decodes length bytes of UTF-8 into out, writing at most capacity wide
// characters (no terminator); returns the number the whole text needs.
// Malformed sequences become U+FFFD, one per offending byte.
KAVRI_API std::size_t kdiUtf8ToWide(const char* text, std::size_t length, wchar_t* out,
                                    std::size_t capacity);

// Writes wide text to a C stream as UTF-8 without allocating.
KAVRI_API void kdiWriteWide(std::FILE* stream, const wchar_t* text);
