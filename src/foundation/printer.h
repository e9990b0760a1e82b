// Printer calls that put the numeric locale back to "C" afterwards:
// printer drivers change it, and the library formats and parses numbers
// with "C" conventions.
#pragma once

#include <cstdint>

#include "foundation/export.h"

struct kdiDeviceMode;

KAVRI_API void* kdiCreateDC(const wchar_t* driver, const wchar_t* device, const wchar_t* port,
                            const kdiDeviceMode* mode);
KAVRI_API std::uint32_t kdiDeviceCapabilities(const wchar_t* device, const wchar_t* port,
                                              std::uint16_t capability, wchar_t* output,
                                              const kdiDeviceMode* mode);
KAVRI_API std::int32_t kdiDocumentProperties(void* window, void* printer, const wchar_t* device,
                                             kdiDeviceMode* output, const kdiDeviceMode* input,
                                             std::uint32_t mode);
