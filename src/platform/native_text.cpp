#include "platform/native_text.h"

#include <cstring>
#include <cwchar>

#include "platform/text_encoding.h"

bool kdiWideToNative(const wchar_t* s, char* out, std::size_t capacity) {
    if (!out || capacity == 0) return false;
    out[0] = 0;
    if (!s) return false;
    std::size_t length = std::wcslen(s);
    std::size_t bytes = kdiWideToUtf8(s, length, nullptr, 0);
    if (bytes >= capacity) return false;
    kdiWideToUtf8(s, length, out, bytes);
    out[bytes] = 0;
    return true;
}

bool kdiNativeToWide(const char* s, wchar_t* out, std::size_t capacity) {
    if (!out || capacity == 0) return false;
    out[0] = 0;
    if (!s) return false;
    std::size_t length = std::strlen(s);
    std::size_t characters = kdiUtf8ToWide(s, length, nullptr, 0);
    if (characters >= capacity) return false;
    kdiUtf8ToWide(s, length, out, characters);
    out[characters] = 0;
    return true;
}
