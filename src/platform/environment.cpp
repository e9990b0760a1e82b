#include "platform/environment.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/diagnostics.h"
#include "platform/text_encoding.h"

namespace {

std::string to_utf8(const wchar_t* text) {
    const std::size_t length = std::wcslen(text);
    std::string out(kdiWideToUtf8(text, length, nullptr, 0), '\0');
    kdiWideToUtf8(text, length, out.data(), out.size());
    return out;
}

} // namespace

char* kdiDupEnv(const char* name) {
    const char* value = name ? std::getenv(name) : nullptr;
    return value ? ::strdup(value) : nullptr;
}

void kdiFreeEnvironmentCopy(char* copy) {
    std::free(copy);
}

std::size_t kdiGetEnvironmentVariableW(const wchar_t* name, wchar_t* buffer, std::size_t capacity) {
    if (!name) return 0;
    const char* value = std::getenv(to_utf8(name).c_str());
    if (!value) {
        kdiSetLastError(ENOENT);
        return 0;
    }
    const std::size_t bytes = std::strlen(value);
    const std::size_t length = kdiUtf8ToWide(value, bytes, nullptr, 0);
    if (!buffer || length + 1 > capacity) return length + 1;
    kdiUtf8ToWide(value, bytes, buffer, length);
    buffer[length] = L'\0';
    return length;
}

bool kdiSetEnvironmentVariableW(const wchar_t* name, const wchar_t* value) {
    if (!name || !*name) {
        kdiSetLastError(EINVAL);
        return false;
    }
    const std::string key = to_utf8(name);
    const int result =
        value ? ::setenv(key.c_str(), to_utf8(value).c_str(), 1) : ::unsetenv(key.c_str());
    if (result != 0) kdiSetLastError(errno);
    return result == 0;
}
