// Finding, vetting, loading and counting driver modules (.kdi files).
#pragma once

#include <cstdint>

#include "foundation/export.h"
#include "foundation/system_info.h"

enum KT_Dynamic_Load_Status : std::int32_t {
    KT_Load_Undetermined = -1,
    KT_Load_Success = 0,
    KT_Load_Not_Found = 1,
    KT_Load_Failed = 2,
    KT_Load_No_Version = 3,
    KT_Load_Wrong_Version = 4,
    KT_Load_No_Entry_Point = 5,
    KT_Load_Not_Trusted = 6,
};

// What the status means, in words.
KAVRI_API const wchar_t* KD_Dynamic_Load_Status_Text(KT_Dynamic_Load_Status status);

// An entry point; the caller casts it to the signature its tag implies.
using KT_Dynamic_Routine = void (*)(...);

// An entry point as the function type F its tag implies.
template <class F> F KD_Routine_As(KT_Dynamic_Routine routine) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(routine));
}

using KT_Security_Paths_Callback = const wchar_t* (*)();
using KT_Security_IsTrusted_Callback = bool (*)(const wchar_t* path, bool);

// Finds file (path: a search path, null for the default order), vets and
// version-checks it, loads it once and returns its entry point named tag;
// null on failure. status (may be null) receives the outcome.
KAVRI_API KT_Dynamic_Routine KD_Load_Dynamic_Routine(const wchar_t* file, const wchar_t* tag,
                                                     const wchar_t* path,
                                                     KT_Dynamic_Load_Status* status);

// As KD_Load_Dynamic_Routine with the default order, then each directory of
// path_list (separated by ';') in turn.
KAVRI_API KT_Dynamic_Routine KD_Load_Current_Dynamic_Routine(const wchar_t* file,
                                                             const wchar_t* tag,
                                                             const wchar_t* path_list,
                                                             KT_Dynamic_Load_Status* status);

// Releases one use of a module loaded by the calls above (tag is not used).
KAVRI_API void KD_Unload_Dynamic_Routine(const wchar_t* file, const wchar_t* tag,
                                         const wchar_t* path);

// A search path the host wants tried before any other (null clears).
KAVRI_API void KD_Set_Security_Paths_Callback(KT_Security_Paths_Callback callback);
// Called with each module's full path before it is used; false rejects it
// (null clears).
KAVRI_API void KD_Set_Security_IsTrusted_Callback(KT_Security_IsTrusted_Callback callback);

// The modules loaded now; null while none is.
KAVRI_API System_Info* KD_Loaded_Modules();

// The version resource of a module file as the loader judges it.
struct KAVRI_API KT_Module_Version {
    bool readable = false;                // the file has a readable version resource
    std::uint32_t product_version_ms = 0; // major in the high 16 bits, minor in the low
    std::uint32_t product_version_ls = 0;
    bool has_module_type = false;       // the "ModuleType" string is present
    wchar_t module_type[64] = {};       // its text (cut to fit)
    std::int32_t module_type_value = 0; // the text read as hexadecimal
    bool version_right = false;         // product version 12.0
    bool may_unload = true;             // false for a negative "ModuleType"
};

// Reads and judges the version resource of the module file at path without
// loading it. False when the file has no readable version resource.
KAVRI_API bool KD_Read_Module_Version(const wchar_t* path, KT_Module_Version& out);
