// Stand-ins for the Windows module loader: load a shared object, look up an
// exported symbol, release it again.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/export.h"

// Loads a module (resolving every symbol now, keeping them local to it).
// A bare file name is looked up in the directories of the "Path"
// environment variable, so a caller that points "Path" at a directory and
// retries finds the module there. file_handle and flags are accepted for the
// caller's sake and ignored. Null when the module cannot be loaded.
KAVRI_API void* kdiLoadLibraryExW(const wchar_t* file, void* file_handle, std::uint32_t flags);

// The address of an exported symbol, or null.
KAVRI_API void* kdiGetProcAddress(void* module, const char* name);

// Releases one load of module; false when the module handle was not valid.
KAVRI_API bool kdiFreeLibrary(void* module);
