// SPDX-License-Identifier: GPL-2.0-or-later
// The kernel's parallel port list, read from a fake /proc tree.
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

#include "port/ParportList.h"

namespace hw {
void PrintTo(const ParportInfo& info, std::ostream* out) { *out << "parport" << info.number << "@" << info.base; }
} // namespace hw

namespace {

namespace fs = std::filesystem;

class ParportListTest : public ::testing::Test {
protected:

    void AddPort(const std::string& name, const char* baseAddr)
    {
        fs::create_directories(root_ / name);
        if (baseAddr)
            std::ofstream(root_ / name / "base-addr") << baseAddr;
    }

    test::TempDir temp_;
    const fs::path& root_ = temp_.Path();
};

TEST_F(ParportListTest, ListsPortsWithABaseAddressByNumber)
{
    AddPort("parport10", "53248\t53240\n");
    AddPort("parport0", "888\t1912\n");
    AddPort("parport2", "632 1656");
    AddPort("parport3", nullptr);
    AddPort("parport4", "none\n");
    AddPort("parport5", "70000\n");
    AddPort("parport6", "-1\n");
    AddPort("parportx", "956\n");
    AddPort("parport", "956\n");
    AddPort("default", "956\n");
    std::ofstream(root_ / "parport7") << "888\n";

    const std::vector<hw::ParportInfo> expected = {{0, 888}, {2, 632}, {10, 53248}};
    EXPECT_EQ(hw::ReadParportList(root_.string()), expected);
}

TEST_F(ParportListTest, MissingRootGivesNoPorts)
{
    EXPECT_TRUE(hw::ReadParportList((root_ / "absent").string()).empty());
}

} // namespace
