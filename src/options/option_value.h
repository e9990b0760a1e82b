// Option values: a shared, copy-on-write array of elements of one type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "foundation/counted.h"
#include "foundation/export.h"
#include "options/option_enum.h"

class KAVRI_API KT_Option_Value_Data : public KT_Counted {
public:
    // count default elements of the type: null strings, default palettes,
    // empty contour sets, new empty nested tables, zeros. A count below 1,
    // type None or a failed allocation gives no elements.
    KT_Option_Value_Data(KT_Option_Enum::Type type, int count);
    // Every element is duplicated: handles are shared, strings copied.
    KT_Option_Value_Data(const KT_Option_Value_Data& other);
    KT_Option_Value_Data& operator=(const KT_Option_Value_Data&) = delete;
    ~KT_Option_Value_Data() override;

    KT_Counted* copy() const override;

    // A body holding copies of elements, built in place (no default
    // elements first).
    template <class T> static KT_Option_Value_Data* holding(std::initializer_list<T> elements);

    KT_Option_Enum::Type type() const { return type_; }
    int count() const { return count_; }
    void* data() const { return data_; }

private:
    KT_Option_Value_Data() : type_(KT_Option_Enum::None), count_(0), data_(nullptr) {}
    // Elements copied from source, or default ones when source is null.
    // When an element's constructor throws, those built so far are destroyed
    // and the block released before the exception leaves.
    template <class T> void build_elements(int count, const T* source);

    KT_Option_Enum::Type type_;
    std::int32_t count_;
    void* data_;
};

class KAVRI_API KT_Option_Value : public KT_Pointer<KT_Option_Value_Data> {
public:
    KT_Option_Value() = default;
    KT_Option_Value(KT_Option_Enum::Type type, int count);
    explicit KT_Option_Value(bool v);
    explicit KT_Option_Value(int a);
    KT_Option_Value(int a, int b);
    KT_Option_Value(int a, int b, int c);
    KT_Option_Value(int a, int b, int c, int d);
    KT_Option_Value(int a, int b, int c, int d, int e, int f);
    explicit KT_Option_Value(KT_Long v);
    explicit KT_Option_Value(float a);
    KT_Option_Value(float a, float b);
    KT_Option_Value(float a, float b, float c);
    KT_Option_Value(float a, float b, float c, float d);
    KT_Option_Value(float a, float b, float c, float d, float e, float f);
    explicit KT_Option_Value(double a);
    KT_Option_Value(double a, double b);
    explicit KT_Option_Value(const void* a);
    // A null pointer element (a bare nullptr would also fit the text form).
    explicit KT_Option_Value(std::nullptr_t) : KT_Option_Value(static_cast<const void*>(nullptr)) {}
    KT_Option_Value(const void* a, const void* b);
    KT_Option_Value(const void* a, const void* b, const void* c);
    KT_Option_Value(const void* a, const void* b, const void* c, const void* d);
    explicit KT_Option_Value(std::int64_t v);
    explicit KT_Option_Value(const KT_String& v);
    // A literal would otherwise convert to the pointer form.
    explicit KT_Option_Value(const wchar_t* v);
    explicit KT_Option_Value(const KT_Palette& v);
    explicit KT_Option_Value(const KT_Contour_Set& v);
    explicit KT_Option_Value(const KT_Aggregate_Option& v);

    // None and 0 for the empty handle.
    KT_Option_Enum::Type type() const { return body_ ? body_->type() : KT_Option_Enum::None; }
    int count() const { return body_ ? body_->count() : 0; }

    // The elements as T, or null when the value does not hold T elements.
    template <class T> const T* elements() const {
        if (type() != KT_Option_Element<T>::type) return nullptr;
        return static_cast<const T*>(body_->data());
    }

    // Element i, or a default T when there is no such element.
    template <class T> T element(int i) const {
        const T* e = elements<T>();
        if (!e || i < 0 || i >= body_->count()) return T();
        return e[i];
    }

    // Stores element i, copying a shared body first. False (and nothing
    // written) when the value has no such element of type T.
    template <class T> bool set_element(int i, const T& v) {
        if (!elements<T>() || i < 0 || i >= body_->count()) return false;
        KT_Option_Value_Data* mine = modify();
        if (i >= mine->count()) return false; // the copy could not allocate
        static_cast<T*>(mine->data())[i] = v;
        return true;
    }
};
