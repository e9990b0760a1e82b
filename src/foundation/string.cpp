#include "foundation/string.h"

#include <cerrno>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
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

std::int32_t measure(const wchar_t* s) {
    return static_cast<std::int32_t>(std::wcslen(s));
}

// Upper bound of a formatted result; a format that would need more is
// treated as one that cannot be formatted.
constexpr std::size_t format_limit = std::size_t{1} << 24;

std::size_t add_saturated(std::size_t a, std::size_t b) {
    return a > SIZE_MAX - b ? SIZE_MAX : a + b;
}

// A width or precision written in the format or taken from the arguments
// ('*'); a negative one from the arguments counts by its size.
std::size_t read_count(const wchar_t*& p, va_list& args) {
    if (*p == L'*') {
        ++p;
        const long long value = va_arg(args, int);
        return static_cast<std::size_t>(value < 0 ? -value : value);
    }
    std::size_t value = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p)
        value = add_saturated(value > SIZE_MAX / 10 ? SIZE_MAX : value * 10,
                              static_cast<std::size_t>(*p - L'0'));
    return value;
}

enum class Argument_Size { Int, Long, Long_Long, Intmax, Size, Ptrdiff, Long_Double };

Argument_Size read_length(const wchar_t*& p) {
    switch (*p) {
    case L'h':
        p += p[1] == L'h' ? 2 : 1;
        return Argument_Size::Int;
    case L'l':
        if (p[1] == L'l') {
            p += 2;
            return Argument_Size::Long_Long;
        }
        ++p;
        return Argument_Size::Long;
    case L'q':
        ++p;
        return Argument_Size::Long_Long;
    case L'j':
        ++p;
        return Argument_Size::Intmax;
    case L'z':
        ++p;
        return Argument_Size::Size;
    case L't':
        ++p;
        return Argument_Size::Ptrdiff;
    case L'L':
        ++p;
        return Argument_Size::Long_Double;
    default:
        return Argument_Size::Int;
    }
}

bool is_one_of(wchar_t c, const wchar_t* set) {
    return c != L'\0' && std::wcschr(set, c) != nullptr;
}

void skip_integer(Argument_Size size, va_list& args) {
    switch (size) {
    case Argument_Size::Long:
        (void)va_arg(args, long);
        return;
    case Argument_Size::Long_Long:
        (void)va_arg(args, long long);
        return;
    case Argument_Size::Intmax:
        (void)va_arg(args, std::intmax_t);
        return;
    case Argument_Size::Size:
        (void)va_arg(args, std::size_t);
        return;
    case Argument_Size::Ptrdiff:
        (void)va_arg(args, std::ptrdiff_t);
        return;
    default:
        (void)va_arg(args, int);
        return;
    }
}

// Steps over the argument a conversion takes; false for a conversion this
// scan does not know, after which the arguments cannot be followed.
bool skip_argument(wchar_t conversion, Argument_Size size, va_list& args) {
    if (is_one_of(conversion, L"diouxXcC")) {
        skip_integer(size, args);
    } else if (is_one_of(conversion, L"fFeEgGaA")) {
        if (size == Argument_Size::Long_Double)
            (void)va_arg(args, long double);
        else
            (void)va_arg(args, double);
    } else if (is_one_of(conversion, L"sSpn")) {
        (void)va_arg(args, void*);
    } else if (conversion != L'm') {
        return false;
    }
    return true;
}

// The characters the widths and precisions of a format ask for, read from
// the arguments without formatting anything. Formatting an output far past
// the limit costs seconds per attempt, so such a format is refused from
// this bound alone. A format that numbers its arguments ("%1$d") is not
// followed and gives 0, leaving it to the limit of the retries.
std::size_t requested_padding(const wchar_t* format, va_list& args) {
    std::size_t total = 0;
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%') continue;
        ++p;
        if (*p == L'%') continue;
        const wchar_t* digits = p;
        while (*digits >= L'0' && *digits <= L'9')
            ++digits;
        if (*digits == L'$') return 0;
        while (is_one_of(*p, L"-+ #0'I"))
            ++p;
        total = add_saturated(total, read_count(p, args));
        if (*p == L'.') {
            ++p;
            total = add_saturated(total, read_count(p, args));
        }
        const Argument_Size size = read_length(p);
        if (!*p || !skip_argument(*p, size, args)) break;
    }
    return total;
}

} // namespace

void* KT_String::alloc(std::size_t size) {
    return KD_AllocateMemory(size);
}

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

KT_String::~KT_String() {
    KD_ReleaseMemory(text_);
}

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
    va_list scan;
    va_copy(scan, list);
    const std::size_t padding = requested_padding(format, scan);
    va_end(scan);
    if (padding >= format_limit) {
        copy(L"");
        return 0;
    }
    wchar_t local[256];
    std::size_t capacity = sizeof(local) / sizeof(local[0]);
    wchar_t* buffer = local;
    // Wide fields need at least their padding: start there rather than
    // doubling up to it.
    const std::size_t needed = padding + std::wcslen(format) + 1;
    if (needed > capacity) {
        capacity = needed;
        buffer = static_cast<wchar_t*>(alloc(capacity * sizeof(wchar_t)));
    }
    int written = -1;
    for (;;) {
        if (!buffer) break;
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
