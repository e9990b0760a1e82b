#include "foundation/file.h"

#include "platform/file_handle.h"

namespace {

constexpr std::uint32_t dispositions[] = {KDI_CREATE_NEW, KDI_CREATE_ALWAYS, KDI_OPEN_EXISTING};

using Transfer = int (*)(void* handle, void* buffer, std::uint32_t count, std::uint32_t* done);

int read_some(void* handle, void* buffer, std::uint32_t count, std::uint32_t* done) {
    return kdiReadFile(handle, buffer, count, done);
}

int write_some(void* handle, void* buffer, std::uint32_t count, std::uint32_t* done) {
    return kdiWriteFile(handle, buffer, count, done);
}

// Repeats the transfer on the rest of the buffer until one call moves all
// that is still wanted.
int transfer_all(Transfer transfer, void* handle, void* buffer, std::uint32_t count) {
    if (count == 0) return 1;
    auto* rest = static_cast<unsigned char*>(buffer);
    for (;;) {
        std::uint32_t done = 0;
        if (!transfer(handle, rest, count, &done) || done == 0) return 0;
        if (done >= count) return 1;
        rest += done;
        count -= done;
    }
}

} // namespace

void* KT_File::invalid_handle() {
    return kdiInvalidHandleValue();
}

KT_File::~KT_File() {
    if (handle_ != invalid_handle()) close();
}

const void* KT_File::open(int mode) {
    if (!pathname_) return nullptr;
    // Opening again must not leak the handle already held.
    if (handle_ != invalid_handle()) close();
    const std::uint32_t disposition = mode >= 0 && mode <= 2 ? dispositions[mode] : 0;
    handle_ = kdiCreateFileW(pathname_, KDI_GENERIC_READ | KDI_GENERIC_WRITE, 0, nullptr,
                             disposition, KDI_FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle_;
}

int KT_File::read(void* buffer, std::uint32_t count) {
    return transfer_all(read_some, handle_, buffer, count);
}

int KT_File::write(void* buffer, std::uint32_t count) {
    return transfer_all(write_some, handle_, buffer, count);
}

int KT_File::close() {
    const int result = kdiCloseHandle(handle_);
    handle_ = invalid_handle();
    return result;
}
