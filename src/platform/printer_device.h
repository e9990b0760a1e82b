// Printer device contexts. The host has no printing system: every call
// answers that no printer is there.
#pragma once

#include <cstdint>

#include "foundation/export.h"

// Printer settings record; never looked into here.
struct kdiDeviceMode;

// Null: no device context.
KAVRI_API void* kdiCreateDCW(const wchar_t* driver, const wchar_t* device, const wchar_t* port,
                             const kdiDeviceMode* mode);
// 0: the capability is not available.
KAVRI_API std::uint32_t kdiDeviceCapabilitiesW(const wchar_t* device, const wchar_t* port,
                                               std::uint16_t capability, wchar_t* output,
                                               const kdiDeviceMode* mode);
// 0: no settings were read or written.
KAVRI_API std::int32_t kdiDocumentPropertiesW(void* window, void* printer, const wchar_t* device,
                                              kdiDeviceMode* output, const kdiDeviceMode* input,
                                              std::uint32_t mode);
