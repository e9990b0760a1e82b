// One option of a table: a definition, a current value and whether that
// value was set explicitly in this table or merely inherited.
#pragma once

#include <concepts>
#include <utility>

#include "foundation/export.h"
#include "foundation/object.h"
#include "options/option_definition.h"
#include "options/option_value.h"

class KAVRI_API KT_Option : public KT_Object {
public:
    // No value yet: a value of type None.
    explicit KT_Option(const KT_Option_Definition& definition);
    KT_Option(const KT_Option_Definition& definition, const KT_Option_Value& value)
        : definition(definition), value(value) {}
    // A definition matching the value built from args (every form a
    // KT_Option_Value can be built from), e.g. (L"Size", Global, 640, 480).
    template <class... A>
    requires(sizeof...(A) > 0 && std::constructible_from<KT_Option_Value, A...>)
        KT_Option(const KT_String& name, KT_Option_Enum::Scope scope, A&&... args)
        : value(std::forward<A>(args)...) {
        definition = KT_Option_Definition(name, value.type(), value.count(), scope);
    }

    // The null string for an option without a definition.
    const KT_String& name() const;
    KT_Option_Enum::Type type() const {
        return definition ? definition->type : KT_Option_Enum::None;
    }
    bool is_global() const { return definition && definition->scope == KT_Option_Enum::Global; }
    bool is_local() const { return !is_global(); }

    // Shares v and marks the option set; a value of type None clears it.
    void set(const KT_Option_Value& v) {
        set_flag = v.type() != KT_Option_Enum::None;
        value = v;
    }
    // Shares v unless the option was set explicitly here.
    void inherit(const KT_Option_Value& v) {
        if (!set_flag) value = v;
    }

    KT_Option_Definition definition;
    KT_Option_Value value;
    // True when the value was set explicitly in this table.
    bool set_flag = false;
};
