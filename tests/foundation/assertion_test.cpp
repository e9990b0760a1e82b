#include "foundation/assertion.h"
#include "platform/diagnostics.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "temporary_directory.h"

namespace {

// The last dialog shown and how many were, the answer to give, the Shift
// key's state and every debug output line.
struct Dialog_Record {
    int shown = 0;
    std::wstring text, caption;
    std::uint32_t style = 0;
} dialog;
int answer = KDI_IDOK;
bool shift_held = false;
std::vector<std::wstring> debug_output;

class Assertion : public ::testing::Test {
protected:
    void SetUp() override {
        if (KD_Error_Logger().active()) GTEST_SKIP() << "KAVRI_ERROR_LOG is set for this run";
        dialog = {};
        answer = KDI_IDOK;
        shift_held = false;
        debug_output.clear();
        kdiSetDialogCallback([](const wchar_t* text, const wchar_t* caption, std::uint32_t style) {
            dialog = {dialog.shown + 1, text, caption, style};
            return answer;
        });
        kdiSetKeyStateCallback(
            [](int key) -> std::int16_t { return key == KDI_VK_SHIFT && shift_held ? -32768 : 0; });
        kdiSetDebugOutputSink([](const wchar_t* text) { debug_output.emplace_back(text); });
    }
    // A silenced place stays silenced for the rest of the process, so every
    // test that silences one takes a place no other test or repeat uses.
    static std::wstring fresh_file() {
        return L"place" + std::to_wstring(++places_used_) + L".cpp";
    }
    static int fresh_line() { return 100000 + ++places_used_; }
    // Null puts back the hooks the library starts with.
    void TearDown() override {
        kdiSetDialogCallback(nullptr);
        kdiSetKeyStateCallback(nullptr);
        kdiSetDebugOutputSink(nullptr);
    }

private:
    static inline int places_used_ = 0;
};

const std::wstring report_12 = L"\nThe assertion 'count > 0' failed in mesh.cpp at line 12.\nThe "
                               L"last Win32 error code was 5.\n";
const std::wstring instructions =
    L"\n\nClick OK to ignore and continue, or CANCEL to debug.\nShift-click to always ignore "
    L"this assert.";

TEST_F(Assertion, ReportsWithFileAndLineInTheExactWords) {
    kdiSetLastError(5);
    EXPECT_EQ(KD_Fail_Assertion(L"count > 0", L"Mesh", L"mesh.cpp", 12), 0);
    ASSERT_EQ(debug_output.size(), 1u);
    EXPECT_EQ(debug_output[0], report_12);
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_EQ(dialog.text, report_12 + instructions);
    EXPECT_EQ(dialog.caption, L"Mesh Assertion Failed");
}

// OK and Cancel buttons, the warning icon, system modal, topmost, set
// foreground.
TEST_F(Assertion, TheDialogHasTheReportStyle) {
    const std::uint32_t report_style = 0x22011u;
    KD_Fail_Assertion(L"count > 0", L"Mesh", L"mesh.cpp", 12);
    EXPECT_EQ(dialog.style, report_style);
}

TEST_F(Assertion, CancelAsksToDebug) {
    answer = KDI_IDCANCEL;
    EXPECT_EQ(KD_Fail_Assertion(L"a", L"T", L"cancel.cpp", 3), 1);
}

// Answers a report at file and line with Cancel (asking to debug) while
// Shift is held, which silences that place for the rest of the process.
void silence(const wchar_t* file, int line) {
    shift_held = true;
    answer = KDI_IDCANCEL;
    KD_Fail_Assertion(L"silenced", L"T", file, line);
    shift_held = false;
}

// What a later report at file and line returns: 0 when silenced (or
// answered OK), 1 when the dialog was shown and answered Cancel.
int cancel_answer_at(const wchar_t* file, int line) {
    answer = KDI_IDCANCEL;
    return KD_Fail_Assertion(L"again", L"T", file, line);
}

constexpr int asks_to_debug = 1;
constexpr int ignored = 0;

TEST_F(Assertion, ShiftWithCancelStillAsksToDebugThatOnce) {
    shift_held = true;
    answer = KDI_IDCANCEL;
    EXPECT_EQ(KD_Fail_Assertion(L"a", L"T", fresh_file().c_str(), 40), asks_to_debug);
}

TEST_F(Assertion, ASilencedFileAndLineShowsNoDialog) {
    const std::wstring file = fresh_file();
    silence(file.c_str(), 40);
    const int shown_before = dialog.shown;
    EXPECT_EQ(cancel_answer_at(file.c_str(), 40), ignored);
    EXPECT_EQ(dialog.shown, shown_before);
}

TEST_F(Assertion, ASilencedReportStillReachesTheDebugOutput) {
    const std::wstring file = fresh_file();
    silence(file.c_str(), 40);
    const std::size_t lines_before = debug_output.size();
    cancel_answer_at(file.c_str(), 40);
    EXPECT_EQ(debug_output.size(), lines_before + 1);
}

TEST_F(Assertion, SilencingCoversOnlyThatFileAndLine) {
    const std::wstring file = fresh_file();
    silence(file.c_str(), 40);
    EXPECT_EQ(cancel_answer_at(file.c_str(), 41), asks_to_debug) << "another line";
    EXPECT_EQ(cancel_answer_at((file + L".other").c_str(), 40), asks_to_debug)
        << "a longer file name";
    EXPECT_EQ(cancel_answer_at(file.substr(0, file.size() - 1).c_str(), 40), asks_to_debug)
        << "a shorter file name";
}

TEST_F(Assertion, AComplaintIsSilencedByItsLineAlone) {
    const int line = fresh_line();
    silence(nullptr, line);
    EXPECT_EQ(cancel_answer_at(nullptr, line), ignored) << "the same line";
    EXPECT_EQ(cancel_answer_at(nullptr, line + 1), asks_to_debug) << "another line";
}

struct Complaint_Case {
    const char* name;
    const wchar_t* expression;
    const wchar_t* title;
    const wchar_t* file;
    int line;
};

// Without a file or a line the expression alone is shown, as a complaint.
void expect_complaint(const Complaint_Case& c) {
    SCOPED_TRACE(c.name);
    const std::wstring text = c.expression ? c.expression : L"";
    EXPECT_EQ(KD_Fail_Assertion(c.expression, c.title, c.file, c.line), 0);
    EXPECT_EQ(dialog.text, text);
    EXPECT_EQ(dialog.caption, L"Complaint");
    ASSERT_FALSE(debug_output.empty());
    EXPECT_EQ(debug_output.back(), text);
}

TEST_F(Assertion, WithoutAFileTheExpressionIsShownAsAComplaint) {
    expect_complaint({"no file", L"plain words", L"Ignored", nullptr, 7});
    expect_complaint({"empty file", L"empty file", nullptr, L"", 9});
}

TEST_F(Assertion, WithoutALineTheExpressionIsShownAsAComplaint) {
    expect_complaint({"line zero", L"line zero", L"T", L"file.cpp", 0});
}

TEST_F(Assertion, AComplaintWithNothingShowsAnEmptyText) {
    expect_complaint({"all null", nullptr, nullptr, nullptr, 0});
}

TEST_F(Assertion, ANullTitleLeavesTheCaptionWithoutOne) {
    EXPECT_EQ(KD_Fail_Assertion(nullptr, nullptr, L"null.cpp", 1), 0);
    EXPECT_EQ(dialog.caption, L" Assertion Failed");
}

TEST_F(Assertion, MacroReportsTheConditionWhereItStands) {
    const int line = __LINE__ + 1;
    KAVRI_ASSERT(1 + 1 == 3);
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_NE(dialog.text.find(L"The assertion '1 + 1 == 3' failed in "), std::wstring::npos);
    EXPECT_NE(dialog.text.find(L"assertion_test.cpp at line " + std::to_wstring(line) + L"."),
              std::wstring::npos);
    KAVRI_ASSERT(2 + 2 == 4);
    EXPECT_EQ(dialog.shown, 1);
}

int cancel_breaks() {
    kdiSetDialogCallback(
        [](const wchar_t*, const wchar_t*, std::uint32_t) { return KDI_IDCANCEL; });
    kdiSetDebugOutputSink([](const wchar_t*) {});
    KAVRI_ASSERT(false);
    return 0;
}
KAVRI_CHILD_ROLE(cancel_breaks_role, "cancel_breaks", cancel_breaks);

TEST(AssertionMacro, CancelBreaksIntoTheDebugger) {
    EXPECT_EQ(run_child("cancel_breaks", {{"KAVRI_ERROR_LOG", ""}}), 0)
        << "with the log active the macro never breaks";
    EXPECT_EQ(run_child("cancel_breaks", {}), 128 + 5) << "SIGTRAP";
}

TEST(DiagnosticHooks, DefaultsNeverBlock) {
    EXPECT_EQ(kdiMessageBoxW(L"text", L"caption", 0), KDI_IDOK);
    EXPECT_EQ(kdiGetAsyncKeyState(KDI_VK_SHIFT), 0);
}

// --- the error log across a real load and unload ---

int fail_with_log() {
    // With the log active no dialog may be shown.
    kdiSetDialogCallback(
        [](const wchar_t*, const wchar_t*, std::uint32_t) -> int { std::_Exit(3); });
    kdiSetDebugOutputSink([](const wchar_t*) {});
    kdiSetLastError(2);
    if (KD_Fail_Assertion(L"p != nullptr", L"Log", L"log.cpp", 21) != 0) return 4;
    if (KD_Fail_Assertion(L"héllo wörld", L"Log", nullptr, 0) != 0) return 5;
    return KD_Error_Logger().active() ? 0 : 6;
}
KAVRI_CHILD_ROLE(fail_with_log_role, "fail_with_log", fail_with_log);

using ErrorLog = Temporary_Directory;

const char* time_pattern = R"([A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\d \d\d:\d\d:\d\d \d{4}\n)";

// Each run appends its reports framed by the banners of load and unload.
TEST_F(ErrorLog, LoadAndUnloadFrameTheReportsAppendedToTheLog) {
    const auto log = root_ / "errors.log";
    make_file("errors.log", "earlier line\n");
    ASSERT_EQ(run_child("fail_with_log", {{"KAVRI_ERROR_LOG", log.string()}}), 0);
    ASSERT_EQ(run_child("fail_with_log", {{"KAVRI_ERROR_LOG", log.string()}}), 0);
    const std::string run = std::string(R"(\*\*\*\* Kavri error log opened on )") + time_pattern +
                            "\n" +
                            R"(\nThe assertion 'p != nullptr' failed in log\.cpp at line 21\.\n)" +
                            R"(The last Win32 error code was 2\.\n)" + "h\xC3\xA9llo w\xC3\xB6rld" +
                            "\n" + R"(\*\*\*\* Kavri error log closed on )" + time_pattern + "\n\n";
    const std::string text = contents("errors.log");
    EXPECT_TRUE(std::regex_match(text, std::regex("earlier line\n(" + run + "){2}"))) << text;
}

TEST_F(ErrorLog, AnUnopenableLogStillKeepsTheDialogAway) {
    const auto log = root_ / "missing" / "errors.log";
    EXPECT_EQ(run_child("fail_with_log", {{"KAVRI_ERROR_LOG", log.string()}}), 0);
    EXPECT_FALSE(std::filesystem::exists(log));
    EXPECT_EQ(run_child("fail_with_log", {{"KAVRI_ERROR_LOG", ""}}), 0);
}

} // namespace
