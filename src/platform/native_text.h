// Whole, zero-terminated conversions between the library's wide text and
// the UTF-8 the operating system takes for file and symbol names. Unlike
// the measuring conversions beneath them, these refuse text that does not
// fit rather than cut it, so a name is never silently shortened.
#pragma once

#include <cstddef>

#include "foundation/export.h"

// False (out emptied) when s is null or its UTF-8 form and terminator do
// not fit capacity bytes.
KAVRI_API bool kdiWideToNative(const wchar_t* s, char* out, std::size_t capacity);

// False (out emptied) when s is null or its wide form and terminator do not
// fit capacity characters.
KAVRI_API bool kdiNativeToWide(const char* s, wchar_t* out, std::size_t capacity);
