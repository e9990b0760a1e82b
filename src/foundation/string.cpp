#include "foundation/string.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <utility>

#include "foundation/heap.h"

namespace {

wchar_t* allocate_text(std::int32_t length) {
    return static_cast<wchar_t*>(
        KT_String::alloc((static_cast<std::size_t>(length) + 1) * sizeof(wchar_t)));
}

wchar_t* duplicate(const wchar_t* s, std::int32_t length) {
    wchar_t* text = allocate_text(length);
    if (text) std::wmemcpy(text, s, static_cast<std::size_t>(length) + 1);
    return text;
}

std::int32_t measure(const wchar_t* s) { return static_cast<std::int32_t>(std::wcslen(s)); }

// Upper bound of a formatted result; a format that would need more is
// treated as one that cannot be formatted.
constexpr std::size_t format_limit = std::size_t{1} << 24;

} // namespace

void* KT_String::alloc(std::size_t size) { return KD_AllocateMemory(size); }

KT_String::KT_String(const wchar_t* s) {
    if (!s) return;
    std::int32_t length = measure(s);
    adopt(duplicate(s, length), length);
}

KT_String::KT_String(const KT_String& s) : KT_Object(s) {
    if (s.text_) adopt(duplicate(s.text_, s.length_), s.length_);
}

KT_String::KT_String(KT_String&& s) noexcept
    : text_(std::exchange(s.text_, nullptr)), length_(std::exchange(s.length_, -1)) {}

KT_String::~KT_String() { KD_ReleaseMemory(text_); }

KT_String& KT_String::operator=(KT_String&& s) noexcept {
    if (this != &s) {
        KD_ReleaseMemory(text_);
        text_ = std::exchange(s.text_, nullptr);
        length_ = std::exchange(s.length_, -1);
    }
    return *this;
}

void KT_String::adopt(wchar_t* text, std::int32_t length) {
    text_ = text;
    length_ = text ? length : -1;
}

void KT_String::copy(const KT_String& s) {
    if (text_ == s.text_) return;
    if (!s.text_) {
        KD_ReleaseMemory(text_);
        adopt(nullptr, -1);
        return;
    }
    if (length_ != s.length_) {
        KD_ReleaseMemory(text_);
        adopt(allocate_text(s.length_), s.length_);
        if (!text_) return;
    }
    std::wmemcpy(text_, s.text_, static_cast<std::size_t>(s.length_) + 1);
}

void KT_String::copy(const wchar_t* s) {
    if (s == text_ && s) return;
    wchar_t* old = text_;
    if (!s) {
        adopt(nullptr, -1);
    } else {
        std::int32_t length = measure(s);
        adopt(duplicate(s, length), length);
    }
    KD_ReleaseMemory(old);
}

void KT_String::concatenate(const KT_String& s) {
    if (!s.text_) return;
    const std::int32_t own = length_ > 0 ? length_ : 0;
    wchar_t* joined = allocate_text(own + s.length_);
    if (!joined) return;
    if (own) std::wmemcpy(joined, text_, static_cast<std::size_t>(own));
    std::wmemcpy(joined + own, s.text_, static_cast<std::size_t>(s.length_) + 1);
    KD_ReleaseMemory(text_);
    adopt(joined, own + s.length_);
}

void KT_String::concatenate(const wchar_t* s) {
    if ((!s || !*s) && text_) return;
    const std::int32_t own = length_ > 0 ? length_ : 0;
    const std::int32_t added = s ? measure(s) : 0;
    wchar_t* joined = allocate_text(own + added);
    if (!joined) return;
    if (own) std::wmemcpy(joined, text_, static_cast<std::size_t>(own));
    if (added) std::wmemcpy(joined + own, s, static_cast<std::size_t>(added));
    joined[own + added] = L'\0';
    KD_ReleaseMemory(text_);
    adopt(joined, own + added);
}

bool KT_String::operator==(const KT_String& other) const {
    if (!text_ || !other.text_) return text_ == other.text_;
    return length_ == other.length_ &&
           std::wmemcmp(text_, other.text_, static_cast<std::size_t>(length_)) == 0;
}

bool KT_String::operator==(const wchar_t* other) const {
    if (!text_ || !other) return text_ == other;
    return std::wcscmp(text_, other) == 0;
}

// glibc's vswprintf does not count with a zero-sized buffer, so the length
// is found by formatting into buffers that double until the text fits.
int KT_String::format_list(const wchar_t* format, void* args) {
    va_list& list = *static_cast<va_list*>(args);
    wchar_t local[256];
    std::size_t capacity = sizeof(local) / sizeof(local[0]);
    wchar_t* buffer = local;
    int written = -1;
    for (;;) {
        va_list attempt;
        va_copy(attempt, list);
        errno = 0;
        written = std::vswprintf(buffer, capacity, format, attempt);
        va_end(attempt);
        // A text that cannot be converted fails the same way at any size;
        // only a full buffer is worth retrying.
        if (written >= 0 || errno == EILSEQ || capacity >= format_limit) break;
        if (buffer != local) KD_ReleaseMemory(buffer);
        capacity *= 2;
        buffer = static_cast<wchar_t*>(alloc(capacity * sizeof(wchar_t)));
        if (!buffer) break;
    }
    if (written < 0 || !buffer) {
        copy(L"");
        if (buffer && buffer != local) KD_ReleaseMemory(buffer);
        return 0;
    }
    copy(buffer);
    if (buffer != local) KD_ReleaseMemory(buffer);
    return length_ > 0 ? length_ : 0;
}

int KT_String::Format(const wchar_t* format, ...) {
    if (!format || !*format) {
        copy(format);
        return 0;
    }
    va_list args;
    va_start(args, format);
    int length = format_list(format, &args);
    va_end(args);
    return length;
}

int KT_String::Format(KT_String format, ...) {
    if (format.is_empty()) {
        copy(format);
        return length_ > 0 ? length_ : 0;
    }
    va_list args;
    va_start(args, format);
    int length = format_list(format.text(), &args);
    va_end(args);
    return length;
}

KT_String operator+(const KT_String& a, const KT_String& b) {
    KT_String result(a);
    result.concatenate(b);
    return result;
}

KT_String operator+(const KT_String& a, const wchar_t* b) {
    KT_String result(a);
    result.concatenate(b);
    return result;
}

KT_String operator+(const wchar_t* a, const KT_String& b) {
    KT_String result(a);
    result.concatenate(b);
    return result;
}
