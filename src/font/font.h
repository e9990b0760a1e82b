// Font records: a name, a full name and a set of attributes, each with a
// bit in the set mask telling whether it was given. The engine a font
// belongs to draws it; fonts do not keep their engine alive.
#pragma once

#include <cstdint>

#include "foundation/counted.h"
#include "foundation/export.h"

class KT_Font_Engine_Data;

// Bits of KT_Font_Data::set_mask.
enum KT_Font_Set_Bits : std::uint32_t {
    KT_Font_Name_Set = 1,
    KT_Font_Weight_Set = 2,
    KT_Font_Italic_Set = 4,
    KT_Font_Height_Set = 8,
    KT_Font_Width_Set = 16,
    KT_Font_Character_Set_Set = 32,
    KT_Font_Slant_Set = 128,
    KT_Font_Pitch_Set = 256,
};

class KAVRI_API KT_Font_Data : public KT_Counted {
public:
    explicit KT_Font_Data(KT_Font_Engine_Data* engine = nullptr) : engine(engine) {}
    KT_Font_Data(const KT_Font_Data& other);
    KT_Font_Data& operator=(const KT_Font_Data&) = delete;
    ~KT_Font_Data() override;

    KT_Counted* copy() const override { return new KT_Font_Data(*this); }

    // Replace the owned strings with copies of text (null clears them).
    void set_name(const wchar_t* text);
    void set_full_name(const wchar_t* text);

    wchar_t* name = nullptr;
    float slant = 0.0f;
    std::uint8_t weight = 0;
    std::uint8_t italic = 0;
    std::uint16_t pitch = 0;
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t character_set = -1;
    std::uint64_t engine_data = 0;
    std::uint32_t engine_word = 0;
    std::uint32_t set_mask = 0;
    wchar_t* full_name = nullptr;
    KT_Font_Engine_Data* engine = nullptr;
    std::uint8_t engine_bytes[4] = {0, 0, 0, 0};
    std::int32_t scale = 1;
};

class KAVRI_API KT_Font : public KT_Pointer<KT_Font_Data> {
public:
    KT_Font() = default;
    explicit KT_Font(KT_Font_Data* body) : KT_Pointer(body) {}

    // A new default body without engine in place of the current one.
    void create_empty_data() { attach(new KT_Font_Data); }
    void set_name(const wchar_t* name);
    void set_full_name(const wchar_t* full_name);
};
