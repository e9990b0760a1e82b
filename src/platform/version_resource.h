// Stand-in for the Windows version resource of a module file.
//
// A module carries its version in an ELF section named ".kavri_version",
// read straight from the file without loading it. The section holds a fixed
// record laid out like the Windows fixed file information, followed by a
// string table of name/value pairs:
//
//   KT_Fixed_File_Info                    52 bytes
//   uint32 table bytes, uint32 count      table bytes count this header too
//   count entries, each:
//     uint32 entry bytes, uint32 key characters, uint32 value characters
//     key, then value, as zero-terminated wchar_t text
//
// Keys are whole query paths ("\StringFileInfo\040904b0\ModuleType").
// Everything is little-endian and 4-byte aligned. Modules write the section
// with KAVRI_MODULE_VERSION (renderer/module_version.h).
#pragma once

#include <cstdint>

#include "foundation/export.h"

struct KAVRI_API KT_Fixed_File_Info {
    static constexpr std::uint32_t signature_value = 0xFEEF04BD;

    std::uint32_t signature;
    std::uint32_t structure_version;
    std::uint32_t file_version_ms;
    std::uint32_t file_version_ls;
    std::uint32_t product_version_ms;
    std::uint32_t product_version_ls;
    std::uint32_t file_flags_mask;
    std::uint32_t file_flags;
    std::uint32_t file_os;
    std::uint32_t file_type;
    std::uint32_t file_subtype;
    std::uint32_t file_date_ms;
    std::uint32_t file_date_ls;
};
static_assert(sizeof(KT_Fixed_File_Info) == 52);

struct KAVRI_API KT_Version_String_Table_Header {
    std::uint32_t table_bytes;
    std::uint32_t count;
};

struct KAVRI_API KT_Version_String_Header {
    std::uint32_t entry_bytes;
    std::uint32_t key_characters;
    std::uint32_t value_characters;
};

constexpr const char* kdi_version_section_name = ".kavri_version";

// Size in bytes of the version block of file (its readable version
// resource), or 0 when the file has none: not ELF, truncated, no section
// table, no section of that name, or a block that does not hold together.
// handle is set to 0 (it exists for the caller's sake).
KAVRI_API std::uint32_t kdiGetFileVersionInfoSizeW(const wchar_t* file, std::uint32_t* handle);

// Copies the version block of file into data, which must hold length bytes
// and be 4-byte aligned. False when the file has no readable version
// resource or length is too small for it.
KAVRI_API bool kdiGetFileVersionInfoW(const wchar_t* file, std::uint32_t handle,
                                      std::uint32_t length, void* data);

// Looks up a value in a block filled by kdiGetFileVersionInfoW. "\" gives
// the KT_Fixed_File_Info (length in bytes); a string key (compared ignoring
// case) gives its zero-terminated text (length in characters, terminator
// included). False when there is no such value.
KAVRI_API bool kdiVerQueryValueW(const void* block, const wchar_t* sub_block, void** buffer,
                                 std::uint32_t* length);
