#include "options/option.h"

KT_Option::KT_Option(const KT_Option_Definition& definition)
    : definition(definition), value(KT_Option_Enum::None, 0) {}

const KT_String& KT_Option::name() const {
    static const KT_String no_name;
    return definition ? definition->name : no_name;
}
