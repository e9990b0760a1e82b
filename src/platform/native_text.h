// Conversions between the library's wide text and the UTF-8 that the
// operating system takes for file names and symbol names.
#pragma once

#include <cstddef>

// Writes s as zero-terminated UTF-8 into out. False (out emptied) when it
// does not fit or s holds a value that is not a Unicode scalar.
bool kdiWideToUtf8(const wchar_t* s, char* out, std::size_t capacity);

// Writes zero-terminated UTF-8 text as wide characters into out. False (out
// emptied) when it does not fit or the bytes are not well-formed UTF-8.
bool kdiUtf8ToWide(const char* s, wchar_t* out, std::size_t capacity);
