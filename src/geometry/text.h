// Text records: an anchor point and a string of narrow or wide characters.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"

enum KT_Text_Ownership : std::uint32_t {
    KT_Owns_Position = 1,
    KT_Owns_Characters = 2,
};

class KAVRI_API KT_Text_Data : public KT_Counted {
public:
    // A negative length measures the string up to its terminating zero. A
    // copied string gets a zero after its length.
    KT_Text_Data(const KT_Point* position, const char* text, int length, bool copy);
    KT_Text_Data(const KT_Point* position, const wchar_t* text, int length, bool copy);
    KT_Text_Data(const KT_Point_D* position, const char* text, int length, bool copy);
    KT_Text_Data(const KT_Point_D* position, const wchar_t* text, int length, bool copy);
    KT_Text_Data(const KT_Text_Data& other);
    ~KT_Text_Data() override;
    KT_Counted* copy() const override { return new KT_Text_Data(*this); }

    const KT_Point* position = nullptr;
    const KT_Point_D* position_d = nullptr;
    const char* text = nullptr;
    const wchar_t* wide_text = nullptr;
    std::int32_t length = 0;
    std::uint32_t ownership = 0; // KT_Text_Ownership bits

private:
    template <class Position, class Char>
    void take(const Position* position, const Char* text, int length, bool copy);
    template <class Char> void store_text(const Char* given, int n, bool copy);
};

class KAVRI_API KT_Text : public KT_Pointer<KT_Text_Data> {
public:
    KT_Text() = default;
    template <class Position, class Char>
    KT_Text(const Position* position, const Char* text, int length, bool copy)
        : KT_Pointer(new KT_Text_Data(position, text, length, copy)) {}
};
