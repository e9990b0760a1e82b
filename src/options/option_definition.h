// The shared description of an option: name, value type, element count and
// scope.
#pragma once

#include <cstdint>

#include "foundation/counted.h"
#include "foundation/export.h"
#include "foundation/string.h"
#include "options/option_enum.h"

class KAVRI_API KT_Option_Definition_Data : public KT_Counted {
public:
    KT_Option_Definition_Data(const KT_String& name, KT_Option_Enum::Type type, int count,
                              KT_Option_Enum::Scope scope)
        : name(name), type(type), count(count), scope(scope) {}

    KT_Counted* copy() const override { return new KT_Option_Definition_Data(*this); }

    KT_String name;
    KT_Option_Enum::Type type;
    std::int32_t count;
    KT_Option_Enum::Scope scope;
};

class KAVRI_API KT_Option_Definition : public KT_Pointer<KT_Option_Definition_Data> {
public:
    KT_Option_Definition() = default;
    KT_Option_Definition(const KT_String& name, KT_Option_Enum::Type type, int count,
                         KT_Option_Enum::Scope scope)
        : KT_Pointer(new KT_Option_Definition_Data(name, type, count, scope)) {}
};
