#include "platform/version_resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>

#include "renderer/dynamic_load.h"
#include "test_files.h"

namespace {

using namespace test_files;

// Just enough of the 64-bit ELF layout to find and damage the fields the
// version reader depends on.
struct Elf_View {
    static constexpr std::size_t shoff = 0x28, shentsize = 0x3A, shnum = 0x3C, shstrndx = 0x3E;
    static constexpr std::size_t sh_name = 0, sh_type = 4, sh_offset = 24, sh_size = 32;

    Bytes& bytes;

    template <class T> T get(std::size_t at) const {
        T v;
        std::memcpy(&v, bytes.data() + at, sizeof v);
        return v;
    }
    template <class T> void put(std::size_t at, T v) {
        std::memcpy(bytes.data() + at, &v, sizeof v);
    }

    std::size_t table() const { return get<std::uint64_t>(shoff); }
    std::size_t count() const { return get<std::uint16_t>(shnum); }
    std::size_t header(std::size_t i) const { return table() + i * 64; }
    std::size_t names_header() const { return header(get<std::uint16_t>(shstrndx)); }
    std::size_t offset_of(std::size_t i) const { return get<std::uint64_t>(header(i) + sh_offset); }

    std::size_t index_of(const char* name) const {
        std::size_t names = get<std::uint64_t>(names_header() + sh_offset);
        for (std::size_t i = 1; i < count(); ++i) {
            const char* text = reinterpret_cast<const char*>(bytes.data()) + names +
                               get<std::uint32_t>(header(i) + sh_name);
            if (std::strcmp(text, name) == 0) return i;
        }
        return 0;
    }
    std::size_t version() const { return index_of(".kavri_version"); }
    std::size_t version_header() const { return header(version()); }
    std::size_t version_data() const { return offset_of(version()); }
};

KT_Module_Version read(const fs::path& p) {
    KT_Module_Version v;
    KD_Read_Module_Version(wide(p).c_str(), v);
    return v;
}

TEST(Version_Resource, ProbeRecordsReadBackAsWritten) {
    KT_Module_Version typed = read(probe("probe_typed12.kdi"));
    EXPECT_TRUE(typed.readable);
    EXPECT_EQ(typed.product_version_ms, 0x000C0000u);
    EXPECT_TRUE(typed.version_right);
    EXPECT_TRUE(typed.has_module_type);
    EXPECT_STREQ(typed.module_type, L"10");
    EXPECT_EQ(typed.module_type_value, 16);
    EXPECT_TRUE(typed.may_unload);

    KT_Module_Version pinned = read(probe("probe_pinned12.kdi"));
    EXPECT_EQ(pinned.module_type_value, -1);
    EXPECT_FALSE(pinned.may_unload);

    KT_Module_Version untyped = read(probe("probe_untyped12.kdi"));
    EXPECT_TRUE(untyped.version_right);
    EXPECT_FALSE(untyped.has_module_type);
    EXPECT_TRUE(untyped.may_unload);

    EXPECT_EQ(read(probe("probe_old11.kdi")).product_version_ms, 0x000B0000u);
    EXPECT_FALSE(read(probe("probe_old11.kdi")).version_right);
    EXPECT_EQ(read(probe("probe_minor12_1.kdi")).product_version_ms, 0x000C0001u);
    EXPECT_FALSE(read(probe("probe_minor12_1.kdi")).version_right);
    EXPECT_FALSE(read(probe("probe_unversioned.kdi")).readable);
}

// The "ModuleType" text is read as the C library reads an unsigned
// hexadecimal number: blanks, then a sign, then digits up to the first
// non-digit.
TEST(Version_Resource, ModuleTypeTextsReadAsHexadecimal) {
    const Bytes original = read_file(probe("probe_typed12.kdi"));
    struct Case {
        const wchar_t* text; // two characters, the length of the probe's "10"
        std::int32_t value;
    };
    const Case cases[] = {{L"-1", -1}, {L"-a", -10}, {L"+f", 15},
                          {L" c", 12}, {L"zz", 0},   {L"7g", 7}};
    Scratch_Dir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.text + 2));
        Bytes copy = original;
        Elf_View view{copy};
        const std::size_t entry = view.version_data() + sizeof(KT_Fixed_File_Info) + 8;
        ASSERT_EQ(view.get<std::uint32_t>(entry + 8), 3u);
        const std::size_t value = entry + 12 + 4 * view.get<std::uint32_t>(entry + 4);
        view.put<std::uint32_t>(value, static_cast<std::uint32_t>(c.text[0]));
        view.put<std::uint32_t>(value + 4, static_cast<std::uint32_t>(c.text[1]));
        write_file(dir / "typed.kdi", copy);

        KT_Module_Version v = read(dir / "typed.kdi");
        ASSERT_TRUE(v.has_module_type);
        EXPECT_EQ(v.module_type_value, c.value);
        EXPECT_EQ(v.may_unload, c.value >= 0);
    }
}

TEST(Version_Resource, QueriesTheRootAndStringsOfABlock) {
    std::wstring file = wide(probe("probe_typed12.kdi"));
    std::uint32_t size = kdiGetFileVersionInfoSizeW(file.c_str(), nullptr);
    ASSERT_GT(size, sizeof(KT_Fixed_File_Info));
    std::vector<std::uint32_t> block((size + 3) / 4);
    EXPECT_FALSE(kdiGetFileVersionInfoW(file.c_str(), 0, size - 1, block.data()));
    ASSERT_TRUE(kdiGetFileVersionInfoW(file.c_str(), 0, size, block.data()));

    void* value = nullptr;
    std::uint32_t length = 0;
    ASSERT_TRUE(kdiVerQueryValueW(block.data(), L"\\", &value, &length));
    EXPECT_EQ(length, sizeof(KT_Fixed_File_Info));
    EXPECT_EQ(static_cast<KT_Fixed_File_Info*>(value)->signature, 0xFEEF04BDu);

    ASSERT_TRUE(kdiVerQueryValueW(block.data(), L"\\stringfileinfo\\040904B0\\moduletype", &value,
                                  &length));
    EXPECT_STREQ(static_cast<const wchar_t*>(value), L"10");
    EXPECT_EQ(length, 3u);
    EXPECT_FALSE(
        kdiVerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\Other", &value, &length));
}

struct Damage {
    const char* what;
    std::function<void(Elf_View&)> apply;
};

// Each damage alone must leave the file without a readable version.
std::vector<Damage> damages() {
    using V = Elf_View;
    auto set_version = [](std::size_t field, std::uint64_t value) {
        return [=](V& e) { e.put<std::uint64_t>(e.version_header() + field, value); };
    };
    auto in_block = [](std::size_t at, std::uint32_t value) {
        return [=](V& e) { e.put<std::uint32_t>(e.version_data() + at, value); };
    };
    constexpr std::size_t fixed = sizeof(KT_Fixed_File_Info);
    constexpr std::size_t entry = fixed + 8;
    return {
        {"empty file", [](V& e) { e.bytes.clear(); }},
        {"cut inside the header", [](V& e) { e.bytes.resize(40); }},
        {"cut in half", [](V& e) { e.bytes.resize(e.bytes.size() / 2); }},
        {"last byte missing", [](V& e) { e.bytes.pop_back(); }},
        {"wrong magic", [](V& e) { e.bytes[1] = 'X'; }},
        {"32-bit class", [](V& e) { e.bytes[4] = 1; }},
        {"big-endian", [](V& e) { e.bytes[5] = 2; }},
        {"no section table", [](V& e) { e.put<std::uint64_t>(V::shoff, 0); }},
        {"table past the end", [](V& e) { e.put<std::uint64_t>(V::shoff, e.bytes.size() + 8); }},
        {"table overflowing", [](V& e) { e.put<std::uint64_t>(V::shoff, ~std::uint64_t{0} - 8); }},
        {"table runs off the end",
         [](V& e) { e.put<std::uint64_t>(V::shoff, e.bytes.size() - 70); }},
        {"huge count", [](V& e) { e.put<std::uint16_t>(V::shnum, 0xFFFE); }},
        {"tiny entries", [](V& e) { e.put<std::uint16_t>(V::shentsize, 10); }},
        {"missing name table", [](V& e) { e.put<std::uint16_t>(V::shstrndx, 0); }},
        {"name table index too big", [](V& e) { e.put<std::uint16_t>(V::shstrndx, 0xFFF0); }},
        {"name table not a string table",
         [](V& e) { e.put<std::uint32_t>(e.names_header() + V::sh_type, 1); }},
        {"name table past the end",
         [](V& e) { e.put<std::uint64_t>(e.names_header() + V::sh_offset, e.bytes.size()); }},
        {"name table too long",
         [](V& e) { e.put<std::uint64_t>(e.names_header() + V::sh_size, 1ull << 40); }},
        {"section renamed",
         [](V& e) {
             std::size_t names = e.get<std::uint64_t>(e.names_header() + V::sh_offset);
             e.bytes[names + e.get<std::uint32_t>(e.version_header() + V::sh_name) + 3] = 'X';
         }},
        {"name offset out of the table",
         [](V& e) { e.put<std::uint32_t>(e.version_header() + V::sh_name, 0xFFFFFFF0u); }},
        {"section without bytes", [](V& e) { e.put<std::uint32_t>(e.version_header() + 4, 8); }},
        {"section past the end", set_version(V::sh_offset, ~std::uint64_t{0} - 4)},
        {"section runs off the end", set_version(V::sh_size, 1ull << 33)},
        {"section too small", set_version(V::sh_size, 20)},
        {"wrong signature", in_block(0, 0xFEEF04BC)},
        {"table longer than the section", in_block(fixed, 0x10000)},
        {"table shorter than its header", in_block(fixed, 4)},
        {"more entries than the table holds", in_block(fixed + 4, 2)},
        {"entry longer than the table", in_block(entry, 0x7FFFFFF0)},
        {"entry of no bytes", in_block(entry, 0)},
        {"key longer than any key", in_block(entry + 4, 0x40000000)},
        {"value without room", in_block(entry + 8, 200)},
        {"key with no terminator",
         [](V& e) {
             std::size_t key_end = e.version_data() + entry + 12 +
                                   4 * (e.get<std::uint32_t>(e.version_data() + entry + 4) - 1);
             e.put<std::uint32_t>(key_end, L'x');
         }},
        {"value with no terminator",
         [](V& e) {
             std::size_t start = e.version_data() + entry;
             std::size_t chars = e.get<std::uint32_t>(start + 4) + e.get<std::uint32_t>(start + 8);
             e.put<std::uint32_t>(start + 12 + 4 * (chars - 1), L'x');
         }},
    };
}

TEST(Version_Resource, DamagedFilesHaveNoReadableVersion) {
    const Bytes original = read_file(probe("probe_typed12.kdi"));
    ASSERT_GT(original.size(), 1000u);
    Scratch_Dir dir;
    {
        Bytes copy = original;
        Elf_View view{copy};
        ASSERT_NE(view.version(), 0u) << "the probe lost its version section";
    }
    int n = 0;
    for (const Damage& d : damages()) {
        SCOPED_TRACE(d.what);
        Bytes copy = original;
        Elf_View view{copy};
        d.apply(view);
        std::string name = "damaged" + std::to_string(n++) + ".kdi";
        write_file(dir / name.c_str(), copy);
        std::wstring file(name.begin(), name.end());

        EXPECT_EQ(kdiGetFileVersionInfoSizeW(wide(dir / name.c_str()).c_str(), nullptr), 0u);
        KT_Dynamic_Load_Status status = KT_Load_Undetermined;
        EXPECT_EQ(
            KD_Load_Dynamic_Routine(file.c_str(), L"KD_Device", wide(dir.path()).c_str(), &status),
            nullptr);
        EXPECT_EQ(status, KT_Load_No_Version);
    }
    EXPECT_EQ(kdiGetFileVersionInfoSizeW(wide(dir.path()).c_str(), nullptr), 0u)
        << "a directory is not a module";
    EXPECT_EQ(kdiGetFileVersionInfoSizeW(L"", nullptr), 0u);
    EXPECT_EQ(kdiGetFileVersionInfoSizeW(nullptr, nullptr), 0u);
}

// Several hundred copies with bytes flipped where the reader looks: the
// identification bytes, the section fields of the header, the section
// table, the section names and the version block. Whatever survives, the
// loader answers with a status, and a routine exactly when it succeeds.
TEST(Version_Resource, MutatedCopiesAlwaysGiveAStatus) {
    const Bytes original = read_file(probe("probe_typed12.kdi"));
    Bytes probe_copy = original;
    Elf_View view{probe_copy};
    struct Region {
        std::size_t begin, end;
    };
    std::size_t names = view.get<std::uint64_t>(view.names_header() + Elf_View::sh_offset);
    std::size_t names_size = view.get<std::uint64_t>(view.names_header() + Elf_View::sh_size);
    const Region regions[] = {
        {0, 16},
        {Elf_View::shoff, Elf_View::shoff + 8},
        {Elf_View::shentsize, 0x40},
        {view.table(), view.table() + view.count() * 64},
        {names, names + names_size},
        {view.version_data(), view.version_data() + 200},
    };

    Scratch_Dir dir;
    std::mt19937 random(20261206);
    std::map<int, int> seen;
    for (int i = 0; i < 480; ++i) {
        Bytes copy = original;
        const Region& r = regions[i % std::size(regions)];
        int flips = 1 + static_cast<int>(random() % 6);
        for (int f = 0; f < flips; ++f) {
            std::size_t at = r.begin + random() % (r.end - r.begin);
            copy[at] ^= static_cast<unsigned char>(1u << (random() % 8));
        }
        // Fresh names: the loader must not find an earlier mutant listed.
        std::string name = "mutant" + std::to_string(i) + ".kdi";
        write_file(dir / name.c_str(), copy);
        std::wstring file(name.begin(), name.end());

        KT_Dynamic_Load_Status status = KT_Load_Undetermined;
        KT_Dynamic_Routine routine =
            KD_Load_Dynamic_Routine(file.c_str(), L"KD_Device", wide(dir.path()).c_str(), &status);
        ASSERT_GE(status, KT_Load_Success) << name;
        ASSERT_LE(status, KT_Load_No_Entry_Point) << name;
        ASSERT_EQ(routine != nullptr, status == KT_Load_Success) << name;
        ++seen[status];
        if (routine)
            KD_Unload_Dynamic_Routine(file.c_str(), L"KD_Device", wide(dir.path()).c_str());
    }
    // Both outcomes must occur, or the flips missed what the reader reads.
    EXPECT_GT(seen[KT_Load_Success], 0);
    EXPECT_GT(seen[KT_Load_No_Version], 0);

    for (int i = 0; i < 60; ++i) {
        Bytes copy(original.begin(), original.begin() + random() % original.size());
        write_file(dir / "cut.kdi", copy);
        EXPECT_EQ(kdiGetFileVersionInfoSizeW(wide(dir / "cut.kdi").c_str(), nullptr), 0u)
            << "cut at " << copy.size();
    }
}

} // namespace
