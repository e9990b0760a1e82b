// The version record a driver module carries, written at compile time:
//
//   KAVRI_MODULE_VERSION(12, 0, L"ffffffff");   // product 12.0, ModuleType -1
//   KAVRI_MODULE_VERSION(12, 0);                // product 12.0, no ModuleType
//
// Place it once, at namespace scope, in one source file of the module. The
// library reads the record from the module file before loading it and
// refuses modules whose product version is not the one it requires.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/version_resource.h"

// The key under which the library looks for the module type.
#define KAVRI_MODULE_TYPE_KEY L"\\StringFileInfo\\040904b0\\ModuleType"

namespace kavri_module_detail {

constexpr KT_Fixed_File_Info fixed_info(std::uint32_t major, std::uint32_t minor) {
    std::uint32_t version = (major << 16) | (minor & 0xFFFF);
    return {KT_Fixed_File_Info::signature_value,
            0x00010000,
            version,
            0,
            version,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0};
}

struct Untyped_Record {
    KT_Fixed_File_Info fixed;
    KT_Version_String_Table_Header table;
};

template <std::size_t K, std::size_t V> struct Typed_Record {
    KT_Fixed_File_Info fixed;
    KT_Version_String_Table_Header table;
    KT_Version_String_Header entry;
    wchar_t key[K];
    wchar_t value[V];
};

constexpr Untyped_Record make_record(std::uint32_t major, std::uint32_t minor) {
    return {fixed_info(major, minor), {sizeof(KT_Version_String_Table_Header), 0}};
}

template <std::size_t V>
constexpr auto make_record(std::uint32_t major, std::uint32_t minor, const wchar_t (&type)[V]) {
    constexpr wchar_t key[] = KAVRI_MODULE_TYPE_KEY;
    constexpr std::size_t K = sizeof key / sizeof key[0];
    using Record = Typed_Record<K, V>;
    constexpr auto entry_bytes = sizeof(KT_Version_String_Header) + (K + V) * sizeof(wchar_t);

    Record record{};
    record.fixed = fixed_info(major, minor);
    record.table = {
        static_cast<std::uint32_t>(sizeof(KT_Version_String_Table_Header) + entry_bytes), 1};
    record.entry = {static_cast<std::uint32_t>(entry_bytes), static_cast<std::uint32_t>(K),
                    static_cast<std::uint32_t>(V)};
    for (std::size_t i = 0; i < K; ++i)
        record.key[i] = key[i];
    for (std::size_t i = 0; i < V; ++i)
        record.value[i] = type[i];
    return record;
}

} // namespace kavri_module_detail

#define KAVRI_MODULE_VERSION(...)                                                                  \
    [[gnu::used, gnu::section(".kavri_version")]] static constexpr auto kavri_module_version =     \
        kavri_module_detail::make_record(__VA_ARGS__)
