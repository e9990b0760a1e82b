// The process environment. Names and values are UTF-8 on the host side.
#pragma once

#include <cstddef>

#include "foundation/export.h"

// A copy of the variable's value made with malloc, to be released with
// kdiFreeEnvironmentCopy; null when the variable is not set.
KAVRI_API char* kdiDupEnv(const char* name);
KAVRI_API void kdiFreeEnvironmentCopy(char* copy);

// Copies the value (with terminator) into buffer when it fits and returns
// its length; when it does not fit, returns the size needed including the
// terminator; 0 when the variable is not set.
KAVRI_API std::size_t kdiGetEnvironmentVariableW(const wchar_t* name, wchar_t* buffer,
                                                 std::size_t capacity);
// Sets the variable; a null value removes it. False on failure (the reason
// is left for kdiGetLastError).
KAVRI_API bool kdiSetEnvironmentVariableW(const wchar_t* name, const wchar_t* value);
