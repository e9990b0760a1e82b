// KT_Directory: a directory path and a search for the plain files in it.
#pragma once

#include "foundation/export.h"
#include "foundation/object.h"

struct kdiFindData;

class KAVRI_API KT_Directory : public KT_Object {
public:
    KT_Directory() = default;
    // Keeps its own copy of path (which may be null).
    explicit KT_Directory(const wchar_t* path);
    ~KT_Directory() override;
    KT_Directory(const KT_Directory&) = delete;
    KT_Directory& operator=(const KT_Directory&) = delete;

    wchar_t* pathname() const { return pathname_; }
    void set_pathname(const wchar_t* path);

    // Starts a search for the plain files (not directories) matching
    // pattern (* and ? wildcards; null means every file) in this directory,
    // or in the current one when there is no path. Returns the first file
    // name, valid until the next call, and the search in search; null and a
    // null search when there is none.
    wchar_t* first_file(void*& search, const wchar_t* pattern);
    // The next plain file of the search, or null at its end (the caller
    // still ends the search).
    wchar_t* next_file(void*& search);
    // Ends the search and sets search to null.
    void end_file_search(void*& search);

private:
    void release_search_data();
    wchar_t* skip_directories(void* search);

    kdiFindData* search_data_ = nullptr;
    wchar_t* pathname_ = nullptr;
};
