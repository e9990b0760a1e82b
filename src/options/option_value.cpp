#include "options/option_value.h"

#include <initializer_list>
#include <memory>
#include <new>
#include <type_traits>

#include "contour/contour_set.h"
#include "foundation/heap.h"
#include "foundation/string.h"
#include "image/palette.h"
#include "options/option_table.h"

namespace {

template <class... T> struct Element_Types {};

// Every element type a value can hold. A new value type is one more entry
// here and one KT_Option_Element specialisation.
using Known_Types = Element_Types<bool, int, KT_Long, float, KT_String, KT_Palette, KT_Contour_Set,
                                  const void*, KT_Aggregate_Option, double, std::int64_t>;

// Calls f(std::type_identity<T>) for the element type T of type; false when
// no element type is known for it.
template <class F, class... T>
bool with_element_type(Element_Types<T...>, KT_Option_Enum::Type type, F&& f) {
    return ((KT_Option_Element<T>::type == type && (f(std::type_identity<T>{}), true)) || ...);
}

} // namespace

template <class T> void KT_Option_Value_Data::build_elements(int count, const T* source) {
    if (count < 1) return;
    T* elements = static_cast<T*>(KD_AllocateMemory(sizeof(T) * static_cast<std::size_t>(count)));
    if (!elements) return;
    int built = 0;
    try {
        for (; built < count; ++built) {
            void* slot = elements + built;
            if (source)
                ::new (slot) T(source[built]);
            else
                ::new (slot) T();
        }
    } catch (...) {
        std::destroy_n(elements, built);
        KD_ReleaseMemory(elements);
        throw;
    }
    data_ = elements;
    count_ = count;
}

KT_Option_Value_Data::KT_Option_Value_Data(KT_Option_Enum::Type type, int count)
    : type_(type), count_(0), data_(nullptr) {
    const bool known = with_element_type(Known_Types{}, type, [&](auto tag) {
        build_elements<typename decltype(tag)::type>(count, nullptr);
    });
    if (!known) type_ = KT_Option_Enum::None;
}

KT_Option_Value_Data::KT_Option_Value_Data(const KT_Option_Value_Data& other)
    : KT_Counted(other), type_(other.type_), count_(0), data_(nullptr) {
    with_element_type(Known_Types{}, type_, [&](auto tag) {
        using T = typename decltype(tag)::type;
        build_elements<T>(other.count_, static_cast<const T*>(other.data_));
    });
}

KT_Option_Value_Data::~KT_Option_Value_Data() {
    with_element_type(Known_Types{}, type_, [&](auto tag) {
        using T = typename decltype(tag)::type;
        std::destroy_n(static_cast<T*>(data_), count_);
    });
    KD_ReleaseMemory(data_);
}

KT_Counted* KT_Option_Value_Data::copy() const {
    return new KT_Option_Value_Data(*this);
}

template <class T>
KT_Option_Value_Data* KT_Option_Value_Data::holding(std::initializer_list<T> elements) {
    auto* body = new KT_Option_Value_Data;
    body->type_ = KT_Option_Element<T>::type;
    try {
        body->build_elements<T>(static_cast<int>(elements.size()), elements.begin());
    } catch (...) {
        delete body;
        throw;
    }
    return body;
}

namespace {

// The body of a value built from its elements.
template <class T> KT_Option_Value_Data* make_body(std::initializer_list<T> elements) {
    return KT_Option_Value_Data::holding(elements);
}

} // namespace

KT_Option_Value::KT_Option_Value(KT_Option_Enum::Type type, int count)
    : KT_Pointer(new KT_Option_Value_Data(type, count)) {}
KT_Option_Value::KT_Option_Value(bool v) : KT_Pointer(make_body({v})) {}
KT_Option_Value::KT_Option_Value(int a) : KT_Pointer(make_body({a})) {}
KT_Option_Value::KT_Option_Value(int a, int b) : KT_Pointer(make_body({a, b})) {}
KT_Option_Value::KT_Option_Value(int a, int b, int c) : KT_Pointer(make_body({a, b, c})) {}
KT_Option_Value::KT_Option_Value(int a, int b, int c, int d)
    : KT_Pointer(make_body({a, b, c, d})) {}
KT_Option_Value::KT_Option_Value(int a, int b, int c, int d, int e, int f)
    : KT_Pointer(make_body({a, b, c, d, e, f})) {}
KT_Option_Value::KT_Option_Value(KT_Long v) : KT_Pointer(make_body({v})) {}
KT_Option_Value::KT_Option_Value(float a) : KT_Pointer(make_body({a})) {}
KT_Option_Value::KT_Option_Value(float a, float b) : KT_Pointer(make_body({a, b})) {}
KT_Option_Value::KT_Option_Value(float a, float b, float c) : KT_Pointer(make_body({a, b, c})) {}
KT_Option_Value::KT_Option_Value(float a, float b, float c, float d)
    : KT_Pointer(make_body({a, b, c, d})) {}
KT_Option_Value::KT_Option_Value(float a, float b, float c, float d, float e, float f)
    : KT_Pointer(make_body({a, b, c, d, e, f})) {}
KT_Option_Value::KT_Option_Value(double a) : KT_Pointer(make_body({a})) {}
KT_Option_Value::KT_Option_Value(double a, double b) : KT_Pointer(make_body({a, b})) {}
KT_Option_Value::KT_Option_Value(const void* a) : KT_Pointer(make_body({a})) {}
KT_Option_Value::KT_Option_Value(const void* a, const void* b) : KT_Pointer(make_body({a, b})) {}
KT_Option_Value::KT_Option_Value(const void* a, const void* b, const void* c)
    : KT_Pointer(make_body({a, b, c})) {}
KT_Option_Value::KT_Option_Value(const void* a, const void* b, const void* c, const void* d)
    : KT_Pointer(make_body({a, b, c, d})) {}
KT_Option_Value::KT_Option_Value(std::int64_t v) : KT_Pointer(make_body({v})) {}
KT_Option_Value::KT_Option_Value(const KT_String& v) : KT_Pointer(make_body({v})) {}
KT_Option_Value::KT_Option_Value(const wchar_t* v) : KT_Pointer(make_body({KT_String(v)})) {}
KT_Option_Value::KT_Option_Value(const KT_Palette& v) : KT_Pointer(make_body({v})) {}
KT_Option_Value::KT_Option_Value(const KT_Contour_Set& v) : KT_Pointer(make_body({v})) {}
KT_Option_Value::KT_Option_Value(const KT_Aggregate_Option& v) : KT_Pointer(make_body({v})) {}
