#include "platform/memory_status.h"

#include <cerrno>
#include <cstdio>
#include <sys/sysinfo.h>
#include <unistd.h>

#include "platform/diagnostics.h"

namespace {

// Bytes of address space the process has mapped, or 0 when unknown.
std::uint64_t mapped_bytes() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    unsigned long long pages = 0;
    const int read = std::fscanf(statm, "%llu", &pages);
    std::fclose(statm);
    const long page_size = ::sysconf(_SC_PAGESIZE);
    return read == 1 && page_size > 0 ? pages * static_cast<std::uint64_t>(page_size) : 0;
}

template <class Record> bool query(Record* status, std::uint32_t length) {
    if (!status || status->length != length) {
        kdiSetLastError(EINVAL);
        return false;
    }
    struct sysinfo info;
    if (::sysinfo(&info) != 0) {
        kdiSetLastError(errno);
        return false;
    }
    const std::uint64_t unit = info.mem_unit ? info.mem_unit : 1;
    status->total_physical = info.totalram * unit;
    status->available_physical = (info.freeram + info.bufferram) * unit;
    status->total_page_file = (info.totalram + info.totalswap) * unit;
    status->available_page_file = (info.freeram + info.bufferram + info.freeswap) * unit;
    const std::uint64_t used = status->total_physical - status->available_physical;
    status->memory_load = status->total_physical
                              ? static_cast<std::uint32_t>(used * 100 / status->total_physical)
                              : 0;
    const std::uint64_t mapped = mapped_bytes();
    status->total_virtual = KDI_TOTAL_VIRTUAL;
    status->available_virtual = mapped < KDI_TOTAL_VIRTUAL ? KDI_TOTAL_VIRTUAL - mapped : 0;
    return true;
}

} // namespace

int kdiGlobalMemoryStatusEx(kdiMemoryStatusEx* status) {
    if (!query(status, sizeof(kdiMemoryStatusEx))) return 0;
    status->available_extended_virtual = 0;
    return 1;
}

int kdiGlobalMemoryStatus(kdiMemoryStatus* status) {
    return query(status, sizeof(kdiMemoryStatus)) ? 1 : 0;
}
