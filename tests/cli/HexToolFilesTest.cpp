// SPDX-License-Identifier: GPL-2.0-or-later
// HEX files as srecord and binutils write them: extended and start address
// records, data placed above 64 KiB, and files too long for the loader that
// the suggested rewrite makes short enough.
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

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> Pattern(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 29 + 3);
    return bytes;
}

class HexToolFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ToolFound("srec_cat") || !ToolFound("objcopy"))
            GTEST_SKIP() << "srec_cat or objcopy is not installed (scripts/install-deps.sh installs both)";
        environment_ = test::UserEnvironmentIn(dir_.Path());
        chip_ = dir_.Path() / "chip.bin";
        std::ofstream(Path("program.bin"), std::ios::binary)
            .write(reinterpret_cast<const char*>(program_.data()), static_cast<std::streamsize>(program_.size()));
    }

    std::string Path(const std::string& name) const { return dir_.File(name); }
    // Runs command in the scratch folder; fails the test if it fails.
    void Tool(const std::string& command) const
    {
        const std::string log = Path("tool.log");
        ASSERT_EQ(std::system(("cd '" + dir_.Path().string() + "' && " + command + " >'" + log + "' 2>&1").c_str()), 0)
            << command << ": " << ReadText(log);
    }
    test::CliResult Run(const std::vector<std::string>& command) const
    {
        std::vector<std::string> arguments = {"--port", "sim", "--chip", chip_.string(), "--fast"};
        arguments.insert(arguments.end(), command.begin(), command.end());
        return test::RunCli(arguments, environment_);
    }
    sim::FlashImage Flash() const
    {
        const sim::ChipFileLoad loaded = sim::ChipFile(chip_.string()).Load();
        EXPECT_TRUE(loaded.contents) << loaded.error;
        return loaded.contents ? loaded.contents->flash : sim::FlashImage{};
    }
    sim::FlashImage Programmed() const
    {
        sim::FlashImage flash = sim::ErasedFlash();
        std::copy(program_.begin(), program_.end(), flash.begin());
        return flash;
    }

    test::TempDir dir_;
    fs::path chip_;
    std::vector<std::string> environment_;
    // Small, so that programming it takes little time on the bit clock.
    const std::vector<std::uint8_t> program_ = Pattern(2000);
};

// Records of types 3, 4 (with a base of zero) and 5 are skipped; types 2 and
// 4 with any other base put the data outside the flash and refuse the file.
TEST_F(HexToolFilesTest, ABaseOfZeroLoadsAndAnyOtherIsRefused)
{
    Tool("srec_cat program.bin -binary -execution-start-address 0 -o linear-zero.hex -intel");
    Tool("objcopy -I binary -O ihex --set-start 0x30 program.bin segment-start.hex");
    Tool("srec_cat program.bin -binary -offset 0x10000 -o linear-high.hex -intel");
    Tool("objcopy -I binary -O ihex --change-addresses 0x10000 program.bin segment-high.hex");
    struct Case {
        const char* file;
        const char* records;  // that the tool must have written: the case is about them
        bool loads;
    };
    const Case cases[] = {
        {"linear-zero.hex", ":020000040000FA", true},
        {"linear-zero.hex", ":04000005", true},
        {"segment-start.hex", ":04000003", true},
        {"linear-high.hex", ":020000040001F9", false},
        {"segment-high.hex", ":020000021000EC", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " with " + c.records);
        ASSERT_NE(ReadText(Path(c.file)).find(c.records), std::string::npos) << ReadText(Path(c.file)).substr(0, 200);
        std::filesystem::remove(chip_);
        const test::CliResult result = Run({"program", Path(c.file)});
        if (c.loads) {
            EXPECT_EQ(result.exitStatus, 0) << result.err;
            EXPECT_EQ(result.err, "");
            EXPECT_EQ(Flash(), Programmed());
        } else {
            EXPECT_EQ(result.exitStatus, 1);
            EXPECT_EQ(result.err, "Error! Your hex file is more than 8192 bytes.\nbrovik-cli: " + Path(c.file) +
                                      " was refused at line 1\n");
            EXPECT_FALSE(fs::exists(chip_)) << "the chip was changed";
        }
    }
}

// One byte a record makes a file of 2000 bytes too long; the rewrite that
// the hint suggests loads, and programs the same bytes.
TEST_F(HexToolFilesTest, AFileTooLongOnlyForItsRecordsGetsTheRewriteHint)
{
    Tool("srec_cat program.bin -binary -o short-records.hex -intel -obs 1");
    ASSERT_GT(fs::file_size(Path("short-records.hex")), 24576u);

    const test::CliResult refused = Run({"program", Path("short-records.hex")});
    EXPECT_EQ(refused.exitStatus, 1);
    const std::string suggestion = "srec_cat " + Path("short-records.hex") + " -intel -o OUT -intel -obs 32";
    EXPECT_EQ(refused.err, "Error! Your hex file is more than 24576 bytes.\nbrovik-cli: the data may still fit in "
                           "the flash: with more bytes per record the file gets shorter, for example " +
                               suggestion + "\n");
    EXPECT_FALSE(fs::exists(chip_));

    std::string rewrite = suggestion;
    rewrite.replace(rewrite.find("OUT"), 3, "rewritten.hex");
    Tool(rewrite);
    const test::CliResult programmed = Run({"program", Path("rewritten.hex")});
    EXPECT_EQ(programmed.exitStatus, 0) << programmed.err;
    EXPECT_EQ(Flash(), Programmed());
}

} // namespace
