// Loads the default device module through the library's own search, which
// must find the module installed beside libkavri.so. Exit status 0 on success.
#include <cstdio>

#include "renderer/dynamic_load.h"

int main() {
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    KT_Dynamic_Routine entry = KD_Load_Dynamic_Routine(L"null12.kdi", L"KD_Device", nullptr, &status);
    std::printf("null12.kdi: %ls\n", KD_Dynamic_Load_Status_Text(status));
    if (!entry)
        return 1;
    KD_Unload_Dynamic_Routine(L"null12.kdi", L"KD_Device", nullptr);
    return 0;
}
