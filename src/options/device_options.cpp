#include "options/device_options.h"

KT_Device_Options::KT_Device_Options(KT_Option_Table& table) {
    static const wchar_t* const names[option_count] = {L"Window ID", L"Context ID", L"Colormap ID"};
    for (int i = 0; i < option_count; ++i)
        options_[i] = table.add(
            KT_Option(names[i], KT_Option_Enum::Local, static_cast<const void*>(nullptr)));
}
