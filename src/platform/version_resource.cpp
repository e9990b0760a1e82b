#include "platform/version_resource.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>

#include "platform/native_text.h"

namespace {

// A version block is a few hundred bytes; anything far larger is not one.
constexpr std::uint64_t block_limit = 16 * 1024;
constexpr std::uint32_t string_limit = 1024;
// Section headers are read this many at a time.
constexpr std::uint64_t headers_per_read = 32;

class File {
public:
    explicit File(const wchar_t* path) {
        char name[PATH_MAX];
        if (!kdiWideToNative(path, name, sizeof name)) return;
        fd_ = open(name, O_RDONLY | O_CLOEXEC);
        struct stat info;
        if (fd_ >= 0 && fstat(fd_, &info) == 0 && S_ISREG(info.st_mode))
            size_ = static_cast<std::uint64_t>(info.st_size);
    }
    ~File() {
        if (fd_ >= 0) close(fd_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    std::uint64_t size() const { return size_; }

    // Reads exactly length bytes at offset, all of which must lie in the file.
    bool read(std::uint64_t offset, std::uint64_t length, void* out) const {
        if (fd_ < 0 || offset > size_ || length > size_ - offset) return false;
        auto* bytes = static_cast<unsigned char*>(out);
        while (length > 0) {
            ssize_t got = pread(fd_, bytes, length, static_cast<off_t>(offset));
            if (got <= 0) return false;
            bytes += got;
            offset += static_cast<std::uint64_t>(got);
            length -= static_cast<std::uint64_t>(got);
        }
        return true;
    }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Offset and size of a section whose bytes all lie inside the file.
struct Extent {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

bool extent_of(const Elf64_Shdr& section, const File& file, Extent& out) {
    if (section.sh_type == SHT_NOBITS) return false;
    if (section.sh_offset > file.size() || section.sh_size > file.size() - section.sh_offset)
        return false;
    out = {section.sh_offset, section.sh_size};
    return true;
}

bool read_elf_header(const File& file, Elf64_Ehdr& header) {
    if (!file.read(0, sizeof header, &header)) return false;
    const unsigned char* id = header.e_ident;
    return std::memcmp(id, ELFMAG, SELFMAG) == 0 && id[EI_CLASS] == ELFCLASS64 &&
           id[EI_DATA] == ELFDATA2LSB && id[EI_VERSION] == EV_CURRENT &&
           header.e_shentsize >= sizeof(Elf64_Shdr) && header.e_shoff != 0;
}

// Where the section header table lies. The count and the name table index
// may overflow into section 0 (extended numbering).
struct Table_Layout {
    std::uint64_t offset = 0;
    std::uint64_t entry_size = 0;
    std::uint64_t count = 0;
    std::uint64_t names_index = 0;
};

bool table_layout(const File& file, const Elf64_Ehdr& header, Table_Layout& out) {
    Elf64_Shdr first;
    if (!file.read(header.e_shoff, sizeof first, &first)) return false;
    out.offset = header.e_shoff;
    out.entry_size = header.e_shentsize;
    out.count = header.e_shnum != 0 ? header.e_shnum : first.sh_size;
    out.names_index = header.e_shstrndx != SHN_XINDEX ? header.e_shstrndx : first.sh_link;
    if (out.count == 0 || out.count > file.size() / out.entry_size) return false;
    if (out.offset > file.size() || out.count * out.entry_size > file.size() - out.offset)
        return false;
    return out.names_index != SHN_UNDEF && out.names_index < out.count;
}

bool read_section(const File& file, const Table_Layout& layout, std::uint64_t i, Elf64_Shdr& out) {
    return file.read(layout.offset + i * layout.entry_size, sizeof out, &out);
}

// Whether the section named at offset name of the name table is ours. The
// name is compared with its terminator, all of it inside the table.
bool is_version_section(const File& file, const Extent& names, std::uint64_t name) {
    constexpr std::size_t wanted = sizeof ".kavri_version";
    char text[wanted];
    if (name >= names.size || names.size - name < wanted) return false;
    return file.read(names.offset + name, wanted, text) &&
           std::memcmp(text, kdi_version_section_name, wanted) == 0;
}

bool find_version_section(const File& file, Extent& out) {
    Elf64_Ehdr header;
    Table_Layout layout;
    Elf64_Shdr names_section;
    Extent names;
    if (!read_elf_header(file, header) || !table_layout(file, header, layout) ||
        !read_section(file, layout, layout.names_index, names_section) ||
        names_section.sh_type != SHT_STRTAB || !extent_of(names_section, file, names))
        return false;

    unsigned char chunk[headers_per_read * sizeof(Elf64_Shdr)];
    const std::uint64_t per_read = sizeof chunk / layout.entry_size;
    for (std::uint64_t first = 0; first < layout.count; first += per_read) {
        std::uint64_t n = std::min(per_read, layout.count - first);
        if (n == 0 ||
            !file.read(layout.offset + first * layout.entry_size, n * layout.entry_size, chunk))
            return false;
        for (std::uint64_t i = first == 0 ? 1 : 0; i < n; ++i) {
            Elf64_Shdr section;
            std::memcpy(&section, chunk + i * layout.entry_size, sizeof section);
            if (is_version_section(file, names, section.sh_name))
                return extent_of(section, file, out);
        }
    }
    return false;
}

template <class T> T load(const unsigned char* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

bool terminated(const unsigned char* text, std::uint32_t characters) {
    return load<std::uint32_t>(text + (characters - 1) * sizeof(wchar_t)) == 0;
}

// One string entry starting at p with room bytes left in the table; its size
// in bytes, or 0 when it does not hold together.
std::uint32_t check_entry(const unsigned char* p, std::uint64_t room) {
    if (room < sizeof(KT_Version_String_Header)) return 0;
    auto header = load<KT_Version_String_Header>(p);
    std::uint32_t key = header.key_characters;
    std::uint32_t value = header.value_characters;
    if (key == 0 || value == 0 || key > string_limit || value > string_limit) return 0;
    std::uint64_t needed = sizeof header + (std::uint64_t{key} + value) * sizeof(wchar_t);
    if (header.entry_bytes % 4 || header.entry_bytes < needed || header.entry_bytes > room)
        return 0;
    const unsigned char* text = p + sizeof header;
    if (!terminated(text, key) || !terminated(text + key * sizeof(wchar_t), value)) return 0;
    return header.entry_bytes;
}

// Size of the block at data (at most available bytes), 0 when its fixed
// record or string table is damaged.
std::uint32_t check_block(const unsigned char* data, std::uint64_t available) {
    constexpr std::uint64_t fixed = sizeof(KT_Fixed_File_Info);
    if (available < fixed + sizeof(KT_Version_String_Table_Header)) return 0;
    if (load<KT_Fixed_File_Info>(data).signature != KT_Fixed_File_Info::signature_value) return 0;
    auto table = load<KT_Version_String_Table_Header>(data + fixed);
    if (table.table_bytes < sizeof table || table.table_bytes > available - fixed) return 0;

    const unsigned char* p = data + fixed + sizeof table;
    std::uint64_t room = table.table_bytes - sizeof table;
    for (std::uint32_t i = 0; i < table.count; ++i) {
        std::uint32_t bytes = check_entry(p, room);
        if (bytes == 0) return 0;
        p += bytes;
        room -= bytes;
    }
    return static_cast<std::uint32_t>(fixed + table.table_bytes);
}

// Hands the checked version block of path (bytes, size) to use and returns
// its result; 0 when the file has no readable version resource.
template <class Use> std::uint32_t with_block(const wchar_t* path, Use use) {
    File file(path);
    Extent section;
    if (!find_version_section(file, section) || section.size > block_limit) return 0;
    alignas(std::uint32_t) unsigned char bytes[block_limit];
    if (!file.read(section.offset, section.size, bytes)) return 0;
    std::uint32_t size = check_block(bytes, section.size);
    return size ? use(bytes, size) : 0;
}

bool find_string(const unsigned char* data, const wchar_t* key, void** buffer,
                 std::uint32_t* length) {
    auto table = load<KT_Version_String_Table_Header>(data + sizeof(KT_Fixed_File_Info));
    const unsigned char* p = data + sizeof(KT_Fixed_File_Info) + sizeof table;
    for (std::uint32_t i = 0; i < table.count; ++i) {
        auto header = load<KT_Version_String_Header>(p);
        auto* text = reinterpret_cast<const wchar_t*>(p + sizeof header);
        if (wcscasecmp(text, key) == 0) {
            *buffer = const_cast<wchar_t*>(text + header.key_characters);
            *length = header.value_characters;
            return true;
        }
        p += header.entry_bytes;
    }
    return false;
}

} // namespace

std::uint32_t kdiGetFileVersionInfoSizeW(const wchar_t* file, std::uint32_t* handle) {
    if (handle) *handle = 0;
    if (!file) return 0;
    return with_block(file, [](const unsigned char*, std::uint32_t size) { return size; });
}

bool kdiGetFileVersionInfoW(const wchar_t* file, std::uint32_t, std::uint32_t length, void* data) {
    if (!file || !data || reinterpret_cast<std::uintptr_t>(data) % alignof(std::uint32_t))
        return false;
    auto copy = [&](const unsigned char* bytes, std::uint32_t size) -> std::uint32_t {
        if (length < size) return 0;
        std::memcpy(data, bytes, size);
        return size;
    };
    return with_block(file, copy) != 0;
}

bool kdiVerQueryValueW(const void* block, const wchar_t* sub_block, void** buffer,
                       std::uint32_t* length) {
    if (!block || !sub_block || !buffer || !length) return false;
    const auto* data = static_cast<const unsigned char*>(block);
    if (std::wcscmp(sub_block, L"\\") == 0) {
        *buffer = const_cast<unsigned char*>(data);
        *length = sizeof(KT_Fixed_File_Info);
        return true;
    }
    return find_string(data, sub_block, buffer, length);
}
