#include "font/font.h"

#include <cwchar>

#include "foundation/heap.h"

namespace {

wchar_t* duplicate(const wchar_t* text) {
    if (!text) return nullptr;
    const std::size_t length = std::wcslen(text) + 1;
    auto* copy = static_cast<wchar_t*>(KD_AllocateMemory(length * sizeof(wchar_t)));
    if (copy) std::wmemcpy(copy, text, length);
    return copy;
}

void replace(wchar_t*& slot, const wchar_t* text) {
    wchar_t* fresh = duplicate(text);
    KD_ReleaseMemory(slot);
    slot = fresh;
}

} // namespace

KT_Font_Data::KT_Font_Data(const KT_Font_Data& other)
    : KT_Counted(other), name(duplicate(other.name)), slant(other.slant), weight(other.weight),
      italic(other.italic), pitch(other.pitch), height(other.height), width(other.width),
      character_set(other.character_set), engine_data(other.engine_data),
      engine_word(other.engine_word), set_mask(other.set_mask),
      full_name(duplicate(other.full_name)), engine(other.engine), scale(other.scale) {
    for (int i = 0; i < 4; ++i)
        engine_bytes[i] = other.engine_bytes[i];
}

KT_Font_Data::~KT_Font_Data() {
    KD_ReleaseMemory(name);
    KD_ReleaseMemory(full_name);
}

void KT_Font_Data::set_name(const wchar_t* text) {
    replace(name, text);
}

void KT_Font_Data::set_full_name(const wchar_t* text) {
    replace(full_name, text);
}

void KT_Font::set_name(const wchar_t* name) {
    if (empty()) create_empty_data();
    KT_Font_Data* body = modify();
    body->set_name(name);
    body->set_mask |= KT_Font_Name_Set;
}

void KT_Font::set_full_name(const wchar_t* full_name) {
    if (empty()) create_empty_data();
    modify()->set_full_name(full_name);
}
