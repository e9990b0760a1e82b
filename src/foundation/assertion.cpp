#include "foundation/assertion.h"

#include <ctime>
#include <map>
#include <string>
#include <utility>

#include "foundation/heap.h"
#include "foundation/heap_allocator.h"
#include "foundation/load_order.h"
#include "foundation/string.h"
#include "platform/environment.h"
#include "platform/text_encoding.h"

namespace {

__attribute__((init_priority(KAVRI_LOAD_ORDER_ERROR_LOGGER))) Error_Logger error_logger;

constexpr wchar_t report_format[] =
    L"\nThe assertion '%ls' failed in %ls at line %d.\nThe last Win32 error code was %d.\n";
constexpr wchar_t instructions[] =
    L"\n\nClick OK to ignore and continue, or CANCEL to debug.\nShift-click to always ignore "
    L"this assert.";
constexpr wchar_t title_format[] = L"%ls Assertion Failed";
constexpr wchar_t complaint_title[] = L"Complaint";

using Heap_Wide_String =
    std::basic_string<wchar_t, std::char_traits<wchar_t>, KT_Heap_Allocator<wchar_t>>;
// Ordered by file name (character by character, shorter first) and then
// by line.
using Ignore_Key = std::pair<Heap_Wide_String, int>;
using Ignore_Set = std::map<Ignore_Key, int, std::less<Ignore_Key>,
                            KT_Heap_Allocator<std::pair<const Ignore_Key, int>>>;

Ignore_Set& ignore_set() {
    static Ignore_Set set;
    return set;
}

// Writes "<banner><local time as ctime gives it>" to the log and flushes
// after each line break.
void write_banner(std::ofstream& stream, const char* banner) {
    const std::time_t now = std::time(nullptr);
    const char* time_text = std::ctime(&now);
    stream << banner << (time_text ? time_text : "\n") << std::flush;
}

void log_report(const wchar_t* report) {
    const std::size_t length = std::wcslen(report);
    const std::size_t bytes = kdiWideToUtf8(report, length, nullptr, 0);
    KT_Scratch<char> text(bytes + 1);
    if (!text) return;
    kdiWideToUtf8(report, length, text.get(), bytes);
    text[bytes] = '\0';
    error_logger.write(text.get(), bytes);
}

} // namespace

Error_Logger::Error_Logger() : active_(false) {
    char* path = kdiDupEnv("KAVRI_ERROR_LOG");
    active_ = path != nullptr;
    if (active_) {
        // A path that cannot be opened leaves the stream failed, so later
        // writes are dropped instead of bringing the dialog back.
        stream_.open(path, std::ios::out | std::ios::app);
        write_banner(stream_, "**** Kavri error log opened on ");
        stream_ << '\n' << std::flush;
    }
    kdiFreeEnvironmentCopy(path);
}

Error_Logger::~Error_Logger() {
    if (!active_) return;
    stream_ << '\n' << std::flush;
    write_banner(stream_, "**** Kavri error log closed on ");
    stream_ << '\n' << std::flush << '\n' << std::flush;
    stream_.close();
}

void Error_Logger::write(const char* text, std::size_t length) {
    stream_.write(text, static_cast<std::streamsize>(length));
    stream_.flush();
}

const Error_Logger& KD_Error_Logger() {
    return error_logger;
}

int KD_Fail_Assertion(const wchar_t* expression, const wchar_t* title, const wchar_t* file,
                      int line) {
    if (!expression) expression = L"";
    const bool located = file && *file && line != 0;
    KT_String report;
    if (located)
        report.Format(report_format, expression, file, line, kdiGetLastError());
    else
        report.copy(expression);

    kdiOutputDebugStringW(report.text());

    if (error_logger.active()) {
        log_report(report.text());
        return 0;
    }

    Ignore_Key key(file ? file : L"", line);
    if (ignore_set().count(key)) return 0;

    KT_String text(report);
    KT_String caption(complaint_title);
    if (located) {
        text.concatenate(instructions);
        caption.Format(title_format, title ? title : L"");
    }
    const int button = kdiMessageBoxW(text.text(), caption.text(), KDI_ASSERTION_BOX_STYLE);
    if (kdiGetAsyncKeyState(KDI_VK_SHIFT) != 0) ignore_set().emplace(std::move(key), 1);
    return button == KDI_IDCANCEL ? 1 : 0;
}
