#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "test_files.h"

namespace {

using namespace test_files;

// Runs the program and gives its exit status and everything it printed.
std::pair<int, std::string> modinfo(const std::string& arguments) {
    Scratch_Dir dir;
    fs::path out = dir / "out.txt";
    std::string command =
        std::string(KAVRI_BIN_DIR) + "/kavri-modinfo " + arguments + " > " + out.string() + " 2>&1";
    int raw = std::system(command.c_str());
    Bytes bytes = read_file(out);
    return {raw >= 0 ? (raw >> 8) & 0xFF : -1, std::string(bytes.begin(), bytes.end())};
}

TEST(Modinfo, ReportsEachModuleAndSucceedsOnlyWhenAllWouldLoad) {
    const std::string list = "-p \"/nonexistent;" + probe_dir().string() + "\" ";
    const struct {
        std::string arguments;
        int exit_status;
        std::string printed; // empty: anything
    } cases[] = {
        {list + "probe_typed12.kdi probe_pinned12.kdi", 0, probe("probe_typed12.kdi").string()},
        {list + "probe_typed12.kdi", 0, "product version: 12.0"},
        {list + "probe_pinned12.kdi", 0, "ffffffff (-1: stays loaded)"},
        {list + "probe_untyped12.kdi", 0, "0 (success)"},
        {"null12.kdi", 0, "entry point KD_Device"},
        {list + "probe_typed12.kdi probe_old11.kdi", 1,
         "4 (the module's version is not the one required)"},
        // The probe modules lie outside the default search.
        {"probe_typed12.kdi", 1, "not found"},
        {list + "probe_unversioned.kdi", 1, "3 (the module has no readable version resource)"},
        {list + "probe_no_entry12.kdi", 1, "5 ("},
        {"", 0, "gdifont12.kdi"},
        {"-p", 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto [status, output] = modinfo(c.arguments);
        EXPECT_EQ(status, c.exit_status) << output;
        EXPECT_NE(output.find(c.printed), std::string::npos) << output;
    }
}

} // namespace
