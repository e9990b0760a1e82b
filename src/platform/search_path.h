// Stand-in for the Windows file search used to find driver modules.
#pragma once

#include <cstdint>

#include "foundation/export.h"

// Path capacity, in characters, of the buffers the module loader passes.
constexpr std::uint32_t kdi_max_path = 260;

// Looks for file in each directory of path, a list separated by ';' or ':',
// in order. With no path (null) the default order is searched: the running
// program's directory, the directory of libkavri.so, the current directory,
// then each directory of PATH. A file name that holds '/' is tried as it
// stands. extension (such as L".kdi") is appended when the file name has no
// extension of its own.
//
// On success the full path goes to buffer, *file_part (when given) points at
// its file name, and the result is the path's length. The result is 0 when
// nothing is found, and the size needed (terminator included) when buffer is
// too small; buffer is left empty in both cases.
KAVRI_API std::uint32_t kdiSearchPathW(const wchar_t* path, const wchar_t* file,
                                       const wchar_t* extension, std::uint32_t buffer_length,
                                       wchar_t* buffer, wchar_t** file_part);
