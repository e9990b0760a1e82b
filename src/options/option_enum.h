// The value types and scopes of options, and the mapping between a value
// type and the C++ type of its elements.
#pragma once

#include <cstdint>

#include "foundation/export.h"

struct KAVRI_API KT_Option_Enum {
    enum Type : std::int32_t {
        None = 0,
        Bool = 1,
        Int = 2,
        Long = 3,
        Float = 4,
        String = 5,
        Palette = 6,
        Contour_Set = 7,
        Pointer = 8,
        Aggregate = 9,
        Double = 10,
        Int64 = 11,
    };
    // A global option is inherited by the tables of the layers above; a
    // local one stays in its table.
    enum Scope : std::int32_t {
        Local = 0,
        Global = 1,
    };
};

// The 32-bit "long" element. On this platform std::int32_t is int, so the
// long type needs a name of its own to be told apart from int elements.
struct KAVRI_API KT_Long {
    constexpr KT_Long() = default;
    constexpr explicit KT_Long(std::int32_t v) : value(v) {}
    constexpr operator std::int32_t() const { return value; }
    std::int32_t value = 0;
};
static_assert(sizeof(KT_Long) == 4);

class KT_String;
class KT_Palette;
class KT_Contour_Set;
class KT_Aggregate_Option;

// Element type -> value type. Declared for incomplete types so that headers
// can name them without pulling in the image or table headers.
template <class T> struct KT_Option_Element;
template <KT_Option_Enum::Type V> struct KT_Option_Type_Is {
    static constexpr KT_Option_Enum::Type type = V;
};
template <> struct KT_Option_Element<bool> : KT_Option_Type_Is<KT_Option_Enum::Bool> {};
template <> struct KT_Option_Element<int> : KT_Option_Type_Is<KT_Option_Enum::Int> {};
template <> struct KT_Option_Element<KT_Long> : KT_Option_Type_Is<KT_Option_Enum::Long> {};
template <> struct KT_Option_Element<float> : KT_Option_Type_Is<KT_Option_Enum::Float> {};
template <> struct KT_Option_Element<KT_String> : KT_Option_Type_Is<KT_Option_Enum::String> {};
template <> struct KT_Option_Element<KT_Palette> : KT_Option_Type_Is<KT_Option_Enum::Palette> {};
template <>
struct KT_Option_Element<KT_Contour_Set> : KT_Option_Type_Is<KT_Option_Enum::Contour_Set> {};
template <> struct KT_Option_Element<const void*> : KT_Option_Type_Is<KT_Option_Enum::Pointer> {};
template <>
struct KT_Option_Element<KT_Aggregate_Option> : KT_Option_Type_Is<KT_Option_Enum::Aggregate> {};
template <> struct KT_Option_Element<double> : KT_Option_Type_Is<KT_Option_Enum::Double> {};
template <> struct KT_Option_Element<std::int64_t> : KT_Option_Type_Is<KT_Option_Enum::Int64> {};
