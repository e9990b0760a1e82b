// Reporting failed checks. KD_Fail_Assertion always writes the report to the
// debug output. With an error log (KAVRI_ERROR_LOG names a file when the
// library loads) the report is appended there and the call returns at once,
// so unattended runs never stop on a dialog; otherwise a dialog offers to
// continue or to debug, and Shift held while answering silences that file
// and line for the rest of the process.
#pragma once

#include <cstddef>
#include <fstream>

#include "foundation/export.h"
#include "platform/diagnostics.h"

// Returns 1 when the person asked to debug (the caller then breaks), else 0.
KAVRI_API int KD_Fail_Assertion(const wchar_t* expression, const wchar_t* title,
                                const wchar_t* file, int line);

// The error log: one instance, built when the library loads and closed
// with a banner when it unloads.
class KAVRI_API Error_Logger {
public:
    Error_Logger();
    ~Error_Logger();
    Error_Logger(const Error_Logger&) = delete;
    Error_Logger& operator=(const Error_Logger&) = delete;

    // True when KAVRI_ERROR_LOG was set at load, even if the file could not
    // be opened (reports are then dropped).
    bool active() const { return active_; }
    void write(const char* text, std::size_t length);

private:
    std::ofstream stream_;
    bool active_;
};

KAVRI_API const Error_Logger& KD_Error_Logger();

#define KAVRI_WIDEN_(text) L##text
#define KAVRI_WIDEN(text) KAVRI_WIDEN_(text)

// Checks a condition in module or client code; breaks into the debugger
// when the person answering the report asks to debug.
#define KAVRI_ASSERT(condition)                                                                    \
    do {                                                                                           \
        if (!(condition) &&                                                                        \
            KD_Fail_Assertion(KAVRI_WIDEN(#condition), L"Kavri", KAVRI_WIDEN(__FILE__), __LINE__)) \
            kdiDebugBreak();                                                                       \
    } while (0)
