// SPDX-License-Identifier: GPL-2.0-or-later
// Real HEX files: small 8051 programs compiled by sdcc when the test runs,
// programmed with `brovik-cli auto` on a fresh simulated chip, and compared
// byte for byte with the binary that srecord's srec_cat makes of the same
// file (0xFF above it, where nothing was written). sdcc writes records out of
// address order, its start-up code last at address 0.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/ChipFile.h"
#include "tests/cli/CliProcess.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

bool ToolFound(const std::string& name) { return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0; }

std::vector<std::uint8_t> ReadBinary(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Program {
    const char* name;  // tests/cli/sdcc/<name>.c
    // The program is worth its place only if it has this shape.
    std::size_t minimumBinarySize;
};

void PrintTo(const Program& c, std::ostream* os) { *os << c.name; }

class SdccPrograms : public ::testing::TestWithParam<Program> {
protected:
    // Runs command in the scratch folder; its output goes to log.
    int Shell(const std::string& command, const std::string& log) const
    {
        return std::system(("cd '" + dir_.Path().string() + "' && " + command + " >'" + log + "' 2>&1").c_str());
    }

    test::TempDir dir_;
};

TEST_P(SdccPrograms, AutoProgramsExactlyWhatSrecordReads)
{
    if (!ToolFound("sdcc") || !ToolFound("srec_cat"))
        GTEST_SKIP() << "sdcc or srec_cat is not installed (scripts/install-deps.sh installs both)";
    const Program& program = GetParam();
    const std::string name = program.name;
    const fs::path source = fs::path(BROVIK_SDCC_PROGRAMS) / (name + ".c");
    const fs::path ihx = dir_.Path() / (name + ".ihx");
    const fs::path bin = dir_.Path() / (name + ".bin");
    const fs::path log = dir_.Path() / "tool.log";

    ASSERT_EQ(Shell("sdcc -mmcs51 --code-size 8192 '" + source.string() + "' -o '" + ihx.string() + "'", log.string()), 0)
        << ReadText(log);
    ASSERT_EQ(Shell("srec_cat '" + ihx.string() + "' -intel -o '" + bin.string() + "' -binary", log.string()), 0)
        << ReadText(log);
    const std::vector<std::uint8_t> expected = ReadBinary(bin);
    ASSERT_GE(expected.size(), program.minimumBinarySize);
    ASSERT_LE(expected.size(), sim::kFlashSize);

    for (const char* folder : {"home", "config", "data"})
        fs::create_directory(dir_.Path() / folder);
    const fs::path chip = dir_.Path() / "chip.bin";
    const test::CliResult result = test::RunCli(
        {"--port", "sim", "--chip", chip.string(), "--fast", "auto", ihx.string()},
        {"PATH=/usr/bin:/bin", "HOME=" + (dir_.Path() / "home").string(),
         "XDG_CONFIG_HOME=" + (dir_.Path() / "config").string(), "XDG_DATA_HOME=" + (dir_.Path() / "data").string()});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    ASSERT_FALSE(result.out.empty());
    EXPECT_EQ(test::Lines(result.out).back(), "Verfify Ok");

    const sim::ChipFileLoad loaded = sim::ChipFile(chip.string()).Load();
    ASSERT_TRUE(loaded.contents) << loaded.error;
    std::size_t differences = 0;
    for (std::size_t address = 0; address < sim::kFlashSize; ++address) {
        const std::uint8_t want = address < expected.size() ? expected[address] : 0xFF;
        const std::uint8_t got = loaded.contents->flash[address];
        if (got != want && ++differences <= 5)
            ADD_FAILURE() << "flash[0x" << std::hex << address << "] is 0x" << int(got) << ", srec_cat gives 0x" << int(want);
    }
    EXPECT_EQ(differences, 0u);
}

INSTANTIATE_TEST_SUITE_P(Compiled, SdccPrograms,
                         ::testing::Values(Program{"tables_high", 0x1F80}, Program{"interrupt_handler", 0x0E},
                                           Program{"larger_than_4k", 4097}),
                         [](const ::testing::TestParamInfo<Program>& info) { return std::string(info.param.name); });

} // namespace
