#include "platform/printer_device.h"

#include <cerrno>

#include "platform/diagnostics.h"

void* kdiCreateDCW(const wchar_t*, const wchar_t*, const wchar_t*, const kdiDeviceMode*) {
    kdiSetLastError(ENODEV);
    return nullptr;
}

std::uint32_t kdiDeviceCapabilitiesW(const wchar_t*, const wchar_t*, std::uint16_t, wchar_t*,
                                     const kdiDeviceMode*) {
    kdiSetLastError(ENODEV);
    return 0;
}

std::int32_t kdiDocumentPropertiesW(void*, void*, const wchar_t*, kdiDeviceMode*,
                                    const kdiDeviceMode*, std::uint32_t) {
    kdiSetLastError(ENODEV);
    return 0;
}
