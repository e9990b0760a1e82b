// Host hooks for the diagnostic services of the library: debug output, a
// modal dialog, the state of a key, and the last system error. Each hook is
// replaceable so that a host (or a test) can answer in place of a person;
// the defaults never block.
#pragma once

#include <cstdint>

#include "foundation/export.h"

// Buttons a dialog may answer with.
inline constexpr int KDI_IDOK = 1;
inline constexpr int KDI_IDCANCEL = 2;
// Dialog style: OK and Cancel, stop icon, task-modal, default desktop only.
inline constexpr std::uint32_t KDI_ASSERTION_BOX_STYLE = 0x22011;
inline constexpr int KDI_VK_SHIFT = 16;

using kdiDebugOutputSink = void (*)(const wchar_t* text);
using kdiDialogCallback = int (*)(const wchar_t* text, const wchar_t* caption, std::uint32_t style);
// Non-zero when the key (a virtual key code) is held.
using kdiKeyStateCallback = std::int16_t (*)(int key);

// Each setter installs a hook (null restores the default) and returns the
// one it replaces.
KAVRI_API kdiDebugOutputSink kdiSetDebugOutputSink(kdiDebugOutputSink sink);
KAVRI_API kdiDialogCallback kdiSetDialogCallback(kdiDialogCallback callback);
KAVRI_API kdiKeyStateCallback kdiSetKeyStateCallback(kdiKeyStateCallback callback);

// Default sink: the text on standard error as UTF-8.
KAVRI_API void kdiOutputDebugStringW(const wchar_t* text);
// Default: writes caption and text to standard error and answers OK.
KAVRI_API int kdiMessageBoxW(const wchar_t* text, const wchar_t* caption, std::uint32_t style);
// Default: no key is held.
KAVRI_API std::int16_t kdiGetAsyncKeyState(int key);

// The last errno a platform stand-in saw on this thread (0 when none).
KAVRI_API int kdiGetLastError();
KAVRI_API void kdiSetLastError(int error);

// Stops in the debugger when one is attached (a trap signal otherwise ends
// the process the way an unhandled breakpoint does).
KAVRI_API void kdiDebugBreak();
