// KT_File: whole-buffer reads and writes on a file opened by path.
#pragma once

#include <cstdint>

#include "foundation/export.h"
#include "foundation/object.h"

class KAVRI_API KT_File : public KT_Object {
public:
    enum Open_Mode { Create_New = 0, Create_Always = 1, Open_Existing = 2 };

    KT_File() = default;
    // Closes the file if it is still open.
    ~KT_File() override;
    KT_File(const KT_File&) = delete;
    KT_File& operator=(const KT_File&) = delete;

    // Opens pathname for reading and writing, unshared: mode 0 creates a
    // new file (failing when one exists), 1 creates or truncates, 2 opens
    // an existing file. Any other mode fails. Returns the handle, or the
    // invalid handle value on failure; null when there is no pathname. A
    // handle still open is closed first.
    const void* open(int mode);
    // Transfers exactly count bytes: 1 when all of them moved, 0 when a
    // call failed or the end of the file came first.
    int read(void* buffer, std::uint32_t count);
    int write(void* buffer, std::uint32_t count);
    // 1 when the handle was closed.
    int close();

    const void* handle() const { return handle_; }
    // The pathname is not copied: the caller's text must outlive its use.
    wchar_t* pathname() const { return pathname_; }
    void set_pathname(wchar_t* pathname) { pathname_ = pathname; }

private:
    void* handle_ = invalid_handle();
    wchar_t* pathname_ = nullptr;

    static void* invalid_handle();
};
