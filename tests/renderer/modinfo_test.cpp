#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "test_files.h"

namespace {

using namespace test_files;

struct Tool_Run {
    int exit_status = -1;
    std::string output;
};

Tool_Run modinfo(const std::string& arguments) {
    Scratch_Dir dir;
    fs::path out = dir / "out.txt";
    std::string command =
        std::string(KAVRI_BIN_DIR) + "/kavri-modinfo " + arguments + " > " + out.string() + " 2>&1";
    int raw = std::system(command.c_str());
    Tool_Run r;
    r.exit_status = raw >= 0 ? (raw >> 8) & 0xFF : -1;
    Bytes bytes = read_file(out);
    r.output.assign(bytes.begin(), bytes.end());
    return r;
}

TEST(Modinfo, ReportsEachModuleAndSucceedsOnlyWhenAllWouldLoad) {
    std::string list = "-p \"/nonexistent;" + probe_dir().string() + "\"";
    Tool_Run good = modinfo(list + " probe_typed12.kdi probe_pinned12.kdi");
    EXPECT_EQ(good.exit_status, 0) << good.output;
    EXPECT_NE(good.output.find(probe("probe_typed12.kdi").string()), std::string::npos);
    EXPECT_NE(good.output.find("product version: 12.0"), std::string::npos);
    EXPECT_NE(good.output.find("ffffffff (-1: stays loaded)"), std::string::npos);
    EXPECT_NE(good.output.find("0 (success)"), std::string::npos);

    Tool_Run device = modinfo("null12.kdi");
    EXPECT_EQ(device.exit_status, 0) << device.output;
    EXPECT_NE(device.output.find("entry point KD_Device"), std::string::npos);

    Tool_Run mixed = modinfo(list + " probe_typed12.kdi probe_old11.kdi");
    EXPECT_EQ(mixed.exit_status, 1);
    EXPECT_NE(mixed.output.find("4 (the module's version is not the one required)"),
              std::string::npos)
        << mixed.output;

    Tool_Run missing = modinfo("probe_typed12.kdi");
    EXPECT_EQ(missing.exit_status, 1) << "probe modules lie outside the default search";
    EXPECT_NE(missing.output.find("not found"), std::string::npos);

    Tool_Run unversioned = modinfo(list + " probe_unversioned.kdi");
    EXPECT_NE(unversioned.output.find("3 (the module has no readable version resource)"),
              std::string::npos);
    Tool_Run no_entry = modinfo(list + " probe_no_entry12.kdi");
    EXPECT_NE(no_entry.output.find("5 ("), std::string::npos);

    EXPECT_EQ(modinfo("").exit_status, 2);
    EXPECT_EQ(modinfo("-p").exit_status, 2);
}

} // namespace
