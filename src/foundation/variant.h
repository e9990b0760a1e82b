// KT_Variant: a handle to a tagged value that is empty, a bool, an int, a
// float, an RGB colour, a wide string, or an ordered set of named elements
// that are themselves variants. Materials and lights carry their parameters
// in variants, and a driver may hang cached data on one.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"
#include "foundation/string.h"

class KT_Variant;

class KAVRI_API KT_Variant_Data : public KT_Counted {
public:
    enum Kind : std::uint32_t {
        Empty = 0,
        Boolean = 1,
        Int = 2,
        Float = 3,
        RGB = 4,
        String = 5,
        Elements = 6,
    };

    KT_Variant_Data();
    ~KT_Variant_Data() override;
    KT_Variant_Data(const KT_Variant_Data&) = delete;
    KT_Variant_Data& operator=(const KT_Variant_Data&) = delete;

    // Same kind and an independent copy of the value; element bodies are
    // shared with this one, cached data is not copied.
    KT_Counted* copy() const override;

    Kind kind() const { return kind_; }
    bool as_boolean() const;
    int as_int() const;
    float as_float() const;
    wchar_t* as_char() const;
    KT_RGB* as_rgb() const;

    int get_elem_count() const;
    bool get_elem(const wchar_t* name, KT_Variant*& value) const;
    bool get_elem_at(int index, wchar_t*& name, KT_Variant*& value) const;

    void set_cached_data(const KT_Cached_Data* data) { cached_data_.set(data); }
    void invalidate_cached_data() { cached_data_.invalidate(); }
    const KT_Cached_Data* cached_data() const { return cached_data_.get(); }

protected:
    friend class KT_Variant;

    // Releases whatever the value owns and makes the body empty; cached
    // data stays.
    void reset();
    void set_value(bool value);
    void set_value(int value);
    void set_value(float value);
    void set_value(const KT_RGB* value);
    void set_value(const wchar_t* value);
    // Replaces every element named like name (ignoring case) by one new
    // element at the end, sharing value's body.
    void set_elem(const wchar_t* name, const KT_Variant& value);

private:
    struct Element;
    class Element_List;

    Kind kind_;
    union {
        bool boolean;
        std::int32_t integer;
        float real;
        KT_RGB* rgb;
        wchar_t* text;
        Element_List* elements;
        std::uint64_t raw;
    } value_;
    KT_Cached_Data_Slot cached_data_;
};

class KAVRI_API KT_Variant : public KT_Pointer<KT_Variant_Data> {
public:
    KT_Variant();
    explicit KT_Variant(bool value);
    explicit KT_Variant(int value);
    explicit KT_Variant(float value);
    explicit KT_Variant(const KT_RGB& value);
    explicit KT_Variant(const wchar_t* value);

    KT_Variant_Data::Kind kind() const { return body_ ? body_->kind() : KT_Variant_Data::Empty; }
    bool as_boolean() const { return body_ && body_->as_boolean(); }
    int as_int() const { return body_ ? body_->as_int() : 0; }
    float as_float() const { return body_ ? body_->as_float() : 0.0f; }
    wchar_t* as_char() const { return body_ ? body_->as_char() : nullptr; }
    KT_RGB* as_rgb() const { return body_ ? body_->as_rgb() : nullptr; }

    int get_elem_count() const { return body_ ? body_->get_elem_count() : 0; }
    bool get_elem(const wchar_t* name, KT_Variant*& value) const {
        return body_ && body_->get_elem(name, value);
    }
    bool get_elem_at(int index, wchar_t*& name, KT_Variant*& value) const {
        return body_ && body_->get_elem_at(index, name, value);
    }

    // Setters copy on write; with in_place a shared body changes where it is
    // and every holder sees the change.
    void set_boolean(bool value, bool in_place = false);
    void set_int(int value, bool in_place = false);
    void set_float(float value, bool in_place = false);
    void set_value(const KT_RGB* value, bool in_place = false);
    void set_value(const wchar_t* value, bool in_place = false);
    void set_elem(const wchar_t* name, const KT_Variant& value, bool in_place = false);
    void reset(bool in_place = false);

    void set_cached_data(const KT_Cached_Data* data) {
        if (body_) body_->set_cached_data(data);
    }
    void invalidate_cached_data() {
        if (body_) body_->invalidate_cached_data();
    }

private:
    KT_Variant_Data* writable(bool in_place);
};
