// The record of loaded driver modules, held by KAVRI. The loader
// (renderer/module_loader) fills it; KAVRI destroys what is left at unload
// without freeing the modules still listed.
#pragma once

#include <cstdint>

#include "foundation/export.h"
#include "foundation/object.h"
#include "foundation/ptr_list.h"

struct KAVRI_API DLL_Info : KT_Object {
    static constexpr int name_capacity = 256;

    wchar_t name[name_capacity] = {}; // module file name as the caller gave it
    wchar_t path[name_capacity] = {}; // full path the search found
    void* module = nullptr;           // handle from the platform loader
    std::int32_t use_count = 0;       // 1 after loading, +1 per later load
    bool may_unload = true;           // from the module's "ModuleType"
};

class KAVRI_API System_Info : public KT_Object, public KT_PtrList<DLL_Info> {
public:
    System_Info() : KT_PtrList<DLL_Info>(true) {}
};
