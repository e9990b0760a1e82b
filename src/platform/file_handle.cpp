#include "platform/file_handle.h"

#include <cerrno>
#include <cstdint>
#include <cwchar>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "platform/diagnostics.h"
#include "platform/text_encoding.h"

namespace {

int descriptor(void* handle) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

void* as_handle(int fd) {
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(fd));
}

bool valid(void* handle) {
    return handle != kdiInvalidHandleValue() && descriptor(handle) >= 0;
}

int open_flags(std::uint32_t access, std::uint32_t disposition) {
    const bool reads = access & KDI_GENERIC_READ;
    const bool writes = access & KDI_GENERIC_WRITE;
    int flags = O_CLOEXEC | (reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY);
    switch (disposition) {
    case KDI_CREATE_NEW:
        return flags | O_CREAT | O_EXCL;
    case KDI_CREATE_ALWAYS:
        return flags | O_CREAT | O_TRUNC;
    case KDI_OPEN_EXISTING:
        return flags;
    case KDI_OPEN_ALWAYS:
        return flags | O_CREAT;
    case KDI_TRUNCATE_EXISTING:
        return flags | O_TRUNC;
    default:
        return -1;
    }
}

int fail(int error) {
    kdiSetLastError(error);
    return 0;
}

// One read or write call, retried when a signal interrupts it.
template <class Call>
int transfer(void* handle, const void* buffer, std::uint32_t count, std::uint32_t* done,
             Call call) {
    if (done) *done = 0;
    if (!valid(handle)) return fail(EBADF);
    if (!buffer && count) return fail(EFAULT);
    ssize_t moved;
    do {
        moved = call(descriptor(handle), count);
    } while (moved < 0 && errno == EINTR);
    if (moved < 0) return fail(errno);
    if (done) *done = static_cast<std::uint32_t>(moved);
    return 1;
}

} // namespace

void* kdiCreateFileW(const wchar_t* path, std::uint32_t access, std::uint32_t, void*,
                     std::uint32_t disposition, std::uint32_t, void*) {
    const int flags = open_flags(access, disposition);
    if (!path || flags == -1) {
        kdiSetLastError(EINVAL);
        return kdiInvalidHandleValue();
    }
    const std::size_t length = std::wcslen(path);
    std::string name(kdiWideToUtf8(path, length, nullptr, 0), '\0');
    kdiWideToUtf8(path, length, name.data(), name.size());
    int fd;
    do {
        fd = ::open(name.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        kdiSetLastError(errno);
        return kdiInvalidHandleValue();
    }
    return as_handle(fd);
}

int kdiReadFile(void* handle, void* buffer, std::uint32_t count, std::uint32_t* done) {
    return transfer(handle, buffer, count, done,
                    [buffer](int fd, std::uint32_t n) { return ::read(fd, buffer, n); });
}

int kdiWriteFile(void* handle, const void* buffer, std::uint32_t count, std::uint32_t* done) {
    return transfer(handle, buffer, count, done,
                    [buffer](int fd, std::uint32_t n) { return ::write(fd, buffer, n); });
}

int kdiCloseHandle(void* handle) {
    if (!valid(handle)) return fail(EBADF);
    // Linux releases the descriptor even when close reports EINTR: never retry.
    if (::close(descriptor(handle)) != 0 && errno != EINTR) return fail(errno);
    return 1;
}
