#include "foundation/printer.h"

#include <clocale>

#include "platform/printer_device.h"

namespace {

void restore_numeric_locale() {
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace

void* kdiCreateDC(const wchar_t* driver, const wchar_t* device, const wchar_t* port,
                  const kdiDeviceMode* mode) {
    void* context = kdiCreateDCW(driver, device, port, mode);
    restore_numeric_locale();
    return context;
}

std::uint32_t kdiDeviceCapabilities(const wchar_t* device, const wchar_t* port,
                                    std::uint16_t capability, wchar_t* output,
                                    const kdiDeviceMode* mode) {
    const std::uint32_t result = kdiDeviceCapabilitiesW(device, port, capability, output, mode);
    restore_numeric_locale();
    return result;
}

std::int32_t kdiDocumentProperties(void* window, void* printer, const wchar_t* device,
                                   kdiDeviceMode* output, const kdiDeviceMode* input,
                                   std::uint32_t mode) {
    const std::int32_t result =
        kdiDocumentPropertiesW(window, printer, device, output, input, mode);
    restore_numeric_locale();
    return result;
}
