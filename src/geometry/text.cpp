#include "geometry/text.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <type_traits>

#include "geometry/owned_array.h"

namespace {

int measured(const char* text) {
    return static_cast<int>(std::min<std::size_t>(std::strlen(text), INT32_MAX));
}
int measured(const wchar_t* text) {
    return static_cast<int>(std::min<std::size_t>(std::wcslen(text), INT32_MAX));
}

template <class Char> const Char*& slot_of(KT_Text_Data& t);
template <> const char*& slot_of<char>(KT_Text_Data& t) {
    return t.text;
}
template <> const wchar_t*& slot_of<wchar_t>(KT_Text_Data& t) {
    return t.wide_text;
}

// The characters and a terminating zero.
template <class Char> Char* terminated_copy(const Char* given, int n) {
    Char* made = detail::duplicate_elements<Char>(nullptr, std::int64_t{n} + 1);
    if (made && given) std::memcpy(made, given, sizeof(Char) * static_cast<std::size_t>(n));
    return made;
}

} // namespace

template <class Char> void KT_Text_Data::store_text(const Char* given, int n, bool copy) {
    length = n < 0 ? (given ? measured(given) : 0) : n;
    const Char*& slot = slot_of<Char>(*this);
    if (given && !copy) {
        slot = given;
        return;
    }
    slot = terminated_copy(given, length);
    if (slot)
        ownership |= KT_Owns_Characters;
    else
        length = 0;
}

KT_Text_Data::KT_Text_Data(const KT_Point* p, const char* t, int n, bool copy) {
    take(p, t, n, copy);
}
KT_Text_Data::KT_Text_Data(const KT_Point* p, const wchar_t* t, int n, bool copy) {
    take(p, t, n, copy);
}
KT_Text_Data::KT_Text_Data(const KT_Point_D* p, const char* t, int n, bool copy) {
    take(p, t, n, copy);
}
KT_Text_Data::KT_Text_Data(const KT_Point_D* p, const wchar_t* t, int n, bool copy) {
    take(p, t, n, copy);
}

template <class Position, class Char>
void KT_Text_Data::take(const Position* p, const Char* t, int n, bool copy) {
    if constexpr (std::is_same_v<Position, KT_Point>)
        detail::store_array(position, ownership, KT_Owns_Position, p, 1, copy);
    else
        detail::store_array(position_d, ownership, KT_Owns_Position, p, 1, copy);
    store_text(t, n, copy);
}

KT_Text_Data::KT_Text_Data(const KT_Text_Data& o)
    : KT_Counted(o), position(o.position), position_d(o.position_d), text(o.text),
      wide_text(o.wide_text), length(o.length), ownership(o.ownership) {
    if (position)
        detail::duplicate_if_owned(position, ownership, KT_Owns_Position, 1);
    else
        detail::duplicate_if_owned(position_d, ownership, KT_Owns_Position, 1);
    if (!(ownership & KT_Owns_Characters)) return;
    if (text) text = terminated_copy(o.text, length);
    if (wide_text) wide_text = terminated_copy(o.wide_text, length);
}

KT_Text_Data::~KT_Text_Data() {
    if (position)
        detail::release_array(position, ownership, KT_Owns_Position);
    else
        detail::release_array(position_d, ownership, KT_Owns_Position);
    if (text)
        detail::release_array(text, ownership, KT_Owns_Characters);
    else
        detail::release_array(wide_text, ownership, KT_Owns_Characters);
}
