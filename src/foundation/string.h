// KT_String: the library's wide-character string, used for every name.
// Two states: the null string (no text, length -1) and a real string, which
// may be empty (length 0).
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/export.h"
#include "foundation/object.h"

class KAVRI_API KT_String : public KT_Object {
public:
    KT_String() = default;
    KT_String(const wchar_t* s); // NOLINT: implicit, names are passed as literals
    KT_String(const KT_String& s);
    KT_String(KT_String&& s) noexcept;
    ~KT_String() override;

    KT_String& operator=(const KT_String& s) {
        copy(s);
        return *this;
    }
    KT_String& operator=(KT_String&& s) noexcept;
    KT_String& operator=(const wchar_t* s) {
        copy(s);
        return *this;
    }

    void copy(const KT_String& s);
    void copy(const wchar_t* s);
    void concatenate(const KT_String& s);
    void concatenate(const wchar_t* s);

    // Formats with the C library's wide printf rules (wide strings are %ls)
    // and returns the new length.
    int Format(const wchar_t* format, ...);
    int Format(KT_String format, ...);

    const wchar_t* text() const { return text_; }
    wchar_t* text() { return text_; }
    std::int32_t length() const { return length_; }
    bool is_null() const { return text_ == nullptr; }
    bool is_empty() const { return length_ <= 0; }

    // Same characters (or both null).
    bool operator==(const KT_String& other) const;
    bool operator==(const wchar_t* other) const;

    static void* alloc(std::size_t size);

private:
    void adopt(wchar_t* text, std::int32_t length);
    int format_list(const wchar_t* format, void* args);

    wchar_t* text_ = nullptr;
    std::int32_t length_ = -1;
};

KAVRI_API KT_String operator+(const KT_String& a, const KT_String& b);
KAVRI_API KT_String operator+(const KT_String& a, const wchar_t* b);
KAVRI_API KT_String operator+(const wchar_t* a, const KT_String& b);
