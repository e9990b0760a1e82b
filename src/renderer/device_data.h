// Devices: the renderer at the bottom of a stack, which talks to an output
// (a window, a printer, memory). Its module describes the output in the
// native options, which the device's effective options start from.
#pragma once

#include "foundation/export.h"
#include "options/device_options.h"
#include "renderer/renderer_data.h"

class KAVRI_API KT_Device_Data : public KT_Renderer_Data {
public:
    // A device stacked on another renderer (a selector over a device, say).
    explicit KT_Device_Data(const KT_Renderer_Data* beneath);

    KT_Renderer_Options& inherited_options() override { return native_renderer_options; }
    KT_Option_Table& inherited_option_table() override { return native_options; }
    // Merges the palette requested here into the native options and has the
    // module install it when that changed them.
    void optimize_current_options() override;
    // Called when a merge changed the palette of the native options.
    virtual void update_palette() = 0;

    KT_Option_Table native_options;
    KT_Renderer_Options native_renderer_options;
    KT_Device_Options device_options;
    KT_Device_Options current_device_options;

protected:
    // A bottom device.
    KT_Device_Data();
};
