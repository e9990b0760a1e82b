#include "platform/diagnostics.h"

#include <atomic>
#include <csignal>
#include <cstdio>

#include "platform/text_encoding.h"

namespace {

void default_sink(const wchar_t* text) {
    kdiWriteWide(stderr, text);
    std::fflush(stderr);
}

int default_dialog(const wchar_t* text, const wchar_t* caption, std::uint32_t) {
    kdiWriteWide(stderr, caption);
    std::fputc('\n', stderr);
    kdiWriteWide(stderr, text);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    return KDI_IDOK;
}

std::int16_t default_key_state(int) {
    return 0;
}

// Hooks may be installed from one thread while another reports.
std::atomic<kdiDebugOutputSink> sink{default_sink};
std::atomic<kdiDialogCallback> dialog{default_dialog};
std::atomic<kdiKeyStateCallback> key_state{default_key_state};

thread_local int last_error = 0;

} // namespace

kdiDebugOutputSink kdiSetDebugOutputSink(kdiDebugOutputSink replacement) {
    return sink.exchange(replacement ? replacement : default_sink);
}

kdiDialogCallback kdiSetDialogCallback(kdiDialogCallback replacement) {
    return dialog.exchange(replacement ? replacement : default_dialog);
}

kdiKeyStateCallback kdiSetKeyStateCallback(kdiKeyStateCallback replacement) {
    return key_state.exchange(replacement ? replacement : default_key_state);
}

void kdiOutputDebugStringW(const wchar_t* text) {
    if (text) sink.load()(text);
}

int kdiMessageBoxW(const wchar_t* text, const wchar_t* caption, std::uint32_t style) {
    return dialog.load()(text ? text : L"", caption ? caption : L"", style);
}

std::int16_t kdiGetAsyncKeyState(int key) {
    return key_state.load()(key);
}

int kdiGetLastError() {
    return last_error;
}

void kdiSetLastError(int error) {
    last_error = error;
}

void kdiDebugBreak() {
    std::raise(SIGTRAP);
}
