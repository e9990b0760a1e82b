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
    static constexpr std::size_t sh_name = 0, sh_offset = 24, sh_size = 32;

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
    std::size_t names() const { return get<std::uint64_t>(names_header() + sh_offset); }

    std::size_t version() const {
        for (std::size_t i = 1; i < count(); ++i) {
            const char* text = reinterpret_cast<const char*>(bytes.data()) + names() +
                               get<std::uint32_t>(header(i) + sh_name);
            if (std::strcmp(text, ".kavri_version") == 0) return i;
        }
        return 0;
    }
    std::size_t version_header() const { return header(version()); }
    std::size_t version_data() const { return get<std::uint64_t>(version_header() + sh_offset); }
    std::size_t string_table() const { return version_data() + sizeof(KT_Fixed_File_Info); }
    // The first string entry of the block, the probe's "ModuleType".
    std::size_t entry() const { return string_table() + 8; }
};

// The "ModuleType" text is read as the C library reads an unsigned
// hexadecimal number: blanks, then a sign, then digits up to the first
// non-digit.
TEST(Version_Resource, ModuleTypeTextsReadAsHexadecimal) {
    const Bytes original = read_file(probe("probe_typed12.kdi"));
    // Two characters each, the length of the probe's "10".
    const std::pair<const wchar_t*, std::int32_t> cases[] = {
        {L"10", 16}, {L"-1", -1}, {L"-a", -10}, {L"+f", 15}, {L" c", 12}, {L"zz", 0}, {L"7g", 7}};
    Scratch_Dir dir;
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(testing::Message() << text);
        Bytes copy = original;
        Elf_View view{copy};
        ASSERT_EQ(view.get<std::uint32_t>(view.entry() + 8), 3u) << "the probe's text moved";
        const std::size_t value = view.entry() + 12 + 4 * view.get<std::uint32_t>(view.entry() + 4);
        view.put<std::uint32_t>(value, static_cast<std::uint32_t>(text[0]));
        view.put<std::uint32_t>(value + 4, static_cast<std::uint32_t>(text[1]));
        write_file(dir / "typed.kdi", copy);

        KT_Module_Version v;
        KD_Read_Module_Version(wide(dir / "typed.kdi").c_str(), v);
        ASSERT_TRUE(v.has_module_type);
        EXPECT_EQ(v.module_type_value, expected);
        EXPECT_EQ(v.may_unload, expected >= 0);
    }
}

// Damages random bit flips do not reach: overflowing offsets and sizes,
// zeroed indices, lost terminators. Each alone leaves no readable version.
std::vector<std::pair<const char*, std::function<void(Elf_View&)>>> damages() {
    using V = Elf_View;
    auto in_block = [](std::size_t at, std::uint32_t value) {
        return [=](V& e) { e.put<std::uint32_t>(e.string_table() + at, value); };
    };
    auto unterminated = [](bool value) {
        return [=](V& e) {
            std::size_t chars = e.get<std::uint32_t>(e.entry() + 4) +
                                (value ? e.get<std::uint32_t>(e.entry() + 8) : 0);
            e.put<std::uint32_t>(e.entry() + 12 + 4 * (chars - 1), L'x');
        };
    };
    return {
        {"empty file", [](V& e) { e.bytes.clear(); }},
        {"missing name table", [](V& e) { e.put<std::uint16_t>(V::shstrndx, 0); }},
        {"name table too long",
         [](V& e) { e.put<std::uint64_t>(e.names_header() + V::sh_size, 1ull << 40); }},
        {"name offset out of the table",
         [](V& e) { e.put<std::uint32_t>(e.version_header() + V::sh_name, 0xFFFFFFF0u); }},
        {"section past the end",
         [](V& e) { e.put<std::uint64_t>(e.version_header() + V::sh_offset, ~0ull - 4); }},
        {"section runs off the end",
         [](V& e) { e.put<std::uint64_t>(e.version_header() + V::sh_size, 1ull << 33); }},
        {"table longer than the section", in_block(0, 0x10000)},
        {"entry longer than the table", in_block(8, 0x7FFFFFF0)},
        {"key longer than any key", in_block(12, 0x40000000)},
        {"key with no terminator", unterminated(false)},
        {"value with no terminator", unterminated(true)},
    };
}

// Writes bytes as a module under a fresh name (the loader must not find an
// earlier copy listed) and loads it.
KT_Dynamic_Load_Status load_copy(const Scratch_Dir& dir, const Bytes& bytes) {
    static int copies = 0;
    const std::string name = "copy" + std::to_string(copies++) + ".kdi";
    write_file(dir / name.c_str(), bytes);
    const std::wstring file(name.begin(), name.end()), where = wide(dir.path());
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    KT_Dynamic_Routine routine =
        KD_Load_Dynamic_Routine(file.c_str(), L"KD_Device", where.c_str(), &status);
    EXPECT_EQ(routine != nullptr, status == KT_Load_Success) << name;
    if (routine) KD_Unload_Dynamic_Routine(file.c_str(), L"KD_Device", where.c_str());
    return status;
}

TEST(Version_Resource, DamagedFilesHaveNoReadableVersion) {
    const Bytes original = read_file(probe("probe_typed12.kdi"));
    Scratch_Dir dir;
    for (const auto& [what, apply] : damages()) {
        SCOPED_TRACE(what);
        Bytes copy = original;
        Elf_View view{copy};
        ASSERT_NE(view.version(), 0u) << "the probe lost its version section";
        apply(view);
        EXPECT_EQ(load_copy(dir, copy), KT_Load_No_Version);
    }
    // Truncated anywhere, a file has no version.
    std::mt19937 random(7);
    for (int i = 0; i < 60; ++i) {
        Bytes copy(original.begin(), original.begin() + random() % original.size());
        write_file(dir / "cut.kdi", copy);
        EXPECT_EQ(kdiGetFileVersionInfoSizeW(wide(dir / "cut.kdi").c_str(), nullptr), 0u)
            << "cut at " << copy.size();
    }
    EXPECT_EQ(kdiGetFileVersionInfoSizeW(wide(dir.path()).c_str(), nullptr), 0u)
        << "a directory is not a module";
    EXPECT_EQ(kdiGetFileVersionInfoSizeW(nullptr, nullptr), 0u);
}

// Several hundred copies with bytes flipped where the reader looks: the
// identification bytes, the section fields of the header, the section
// table, the section names and the version block. Whatever survives, the
// loader answers with a status.
TEST(Version_Resource, MutatedCopiesAlwaysGiveAStatus) {
    const Bytes original = read_file(probe("probe_typed12.kdi"));
    Bytes probe_copy = original;
    Elf_View view{probe_copy};
    const std::size_t names_size = view.get<std::uint64_t>(view.names_header() + Elf_View::sh_size);
    const std::pair<std::size_t, std::size_t> regions[] = {
        {0, 16},
        {Elf_View::shoff, Elf_View::shoff + 8},
        {Elf_View::shentsize, 0x40},
        {view.table(), view.table() + view.count() * 64},
        {view.names(), view.names() + names_size},
        {view.version_data(), view.version_data() + 200},
    };
    Scratch_Dir dir;
    std::mt19937 random(20261206);
    std::map<int, int> seen;
    for (int i = 0; i < 480; ++i) {
        Bytes copy = original;
        const auto [begin, end] = regions[i % std::size(regions)];
        for (int f = 0, flips = 1 + static_cast<int>(random() % 6); f < flips; ++f)
            copy[begin + random() % (end - begin)] ^=
                static_cast<unsigned char>(1u << (random() % 8));
        KT_Dynamic_Load_Status status = load_copy(dir, copy);
        ASSERT_TRUE(status >= KT_Load_Success && status <= KT_Load_No_Entry_Point) << i;
        ++seen[status];
    }
    // Both outcomes must occur, or the flips missed what the reader reads.
    EXPECT_GT(seen[KT_Load_Success], 0);
    EXPECT_GT(seen[KT_Load_No_Version], 0);
}

} // namespace
