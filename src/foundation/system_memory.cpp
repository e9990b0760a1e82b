#include "foundation/system_memory.h"

#include "platform/memory_status.h"

bool kdiGetGlobalMemoryStatusEx(std::uint32_t& load, std::uint64_t& available_physical,
                                std::uint64_t& available_virtual) {
    kdiMemoryStatusEx status{};
    status.length = sizeof(status);
    if (kdiGlobalMemoryStatusEx(&status)) {
        load = status.memory_load;
        available_physical = status.available_physical;
        available_virtual = status.available_virtual;
        return true;
    }
    kdiMemoryStatus older{};
    older.length = sizeof(older);
    if (!kdiGlobalMemoryStatus(&older)) return false;
    load = older.memory_load;
    available_physical = older.available_physical;
    available_virtual = older.available_virtual;
    return true;
}
