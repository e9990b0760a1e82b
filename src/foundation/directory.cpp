#include "foundation/directory.h"

#include <cwchar>

#include "foundation/heap.h"
#include "foundation/string.h"
#include "platform/file_handle.h"
#include "platform/find_file.h"

namespace {

wchar_t* duplicate(const wchar_t* text) {
    if (!text) return nullptr;
    const std::size_t length = std::wcslen(text);
    auto* copy = static_cast<wchar_t*>(KD_AllocateMemory((length + 1) * sizeof(wchar_t)));
    if (copy) std::wmemcpy(copy, text, length + 1);
    return copy;
}

bool is_directory(const kdiFindData& data) {
    return data.attributes & KDI_FILE_ATTRIBUTE_DIRECTORY;
}

} // namespace

KT_Directory::KT_Directory(const wchar_t* path) : pathname_(duplicate(path)) {}

KT_Directory::~KT_Directory() {
    release_search_data();
    KD_ReleaseMemory(pathname_);
}

void KT_Directory::set_pathname(const wchar_t* path) {
    wchar_t* copy = duplicate(path);
    KD_ReleaseMemory(pathname_);
    pathname_ = copy;
}

void KT_Directory::release_search_data() {
    KD_ReleaseMemory(search_data_);
    search_data_ = nullptr;
}

wchar_t* KT_Directory::first_file(void*& search, const wchar_t* pattern) {
    search = nullptr;
    release_search_data();
    search_data_ = static_cast<kdiFindData*>(KD_AllocateMemory(sizeof(kdiFindData)));
    if (!search_data_) return nullptr;

    KT_String path(pathname_ ? pathname_ : L".");
    path.concatenate(L"/");
    path.concatenate(pattern ? pattern : L"*");
    void* found = kdiFindFirstFileW(path.text(), search_data_);
    if (found == kdiInvalidHandleValue()) return nullptr;
    search = found;
    wchar_t* name = skip_directories(search);
    // A search that found no plain file is over; nothing is left for the
    // caller to end.
    if (!name) end_file_search(search);
    return name;
}

wchar_t* KT_Directory::next_file(void*& search) {
    if (!search_data_ || !search) return nullptr;
    if (!kdiFindNextFileW(search, search_data_)) return nullptr;
    return skip_directories(search);
}

// Moves past directories from the current entry on; null when the search
// ends first.
wchar_t* KT_Directory::skip_directories(void* search) {
    while (is_directory(*search_data_))
        if (!kdiFindNextFileW(search, search_data_)) return nullptr;
    return search_data_->file_name;
}

void KT_Directory::end_file_search(void*& search) {
    if (search) kdiFindClose(search);
    search = nullptr;
}
