// SPDX-License-Identifier: GPL-2.0-or-later
// brovik-cli as a user runs it: the built executable on the simulated chip,
// with its own settings and data folders and no display.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <csignal>
#include <cstdio>
#include <sstream>
#include <tuple>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

#include "cli/HexWriter.h"
#include "sim/ChipFile.h"
#include "tests/cli/CliProcess.h"

namespace {

namespace fs = std::filesystem;
using test::CliResult;
using test::Lines;
using test::RunCli;
using test::StandardOutput;

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::vector<std::uint8_t> Pattern(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return bytes;
}

// The file that read writes, decoded strictly: 512 data records of 16 bytes
// at ascending addresses, upper-case digits, right checksums, "\n" line ends,
// then the end-of-file record.
std::optional<sim::FlashImage> DecodeReadBack(const std::string& text)
{
    const std::vector<std::string> lines = Lines(text);
    if (lines.size() != 513 || lines.back() != ":00000001FF" || text.back() != '\n' ||
        text.find('\r') != std::string::npos)
        return std::nullopt;
    const auto byteAt = [](const std::string& line, std::size_t i) -> int {
        const std::string digits = line.substr(1 + 2 * i, 2);
        if (digits.find_first_not_of("0123456789ABCDEF") != std::string::npos)
            return -1;
        return std::stoi(digits, nullptr, 16);
    };
    sim::FlashImage flash{};
    for (std::size_t record = 0; record < 512; ++record) {
        const std::string& line = lines[record];
        if (line.size() != 1 + 2 * 21 || line[0] != ':')
            return std::nullopt;
        int sum = 0;
        for (std::size_t i = 0; i < 21; ++i) {
            const int value = byteAt(line, i);
            if (value < 0)
                return std::nullopt;
            sum += value;
        }
        const std::size_t address = record * 16;
        if (byteAt(line, 0) != 16 || byteAt(line, 1) != int(address >> 8) || byteAt(line, 2) != int(address & 0xFF) ||
            byteAt(line, 3) != 0 || sum % 256 != 0)
            return std::nullopt;
        for (std::size_t i = 0; i < 16; ++i)
            flash[address + i] = static_cast<std::uint8_t>(byteAt(line, 4 + i));
    }
    return flash;
}

class BrovikCliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        environment_ = test::UserEnvironmentIn(dir_);
        chip_ = dir_ / "chip.bin";
    }
    const std::vector<std::string>& Environment() const { return environment_; }
    CliResult Run(const std::vector<std::string>& arguments, StandardOutput output = StandardOutput::Pipe,
                  const std::optional<std::string>& standardInput = std::nullopt) const
    {
        return RunCli(arguments, Environment(), {.output = output, .standardInput = standardInput});
    }
    // On the simulated chip of this test, with simulated time.
    CliResult RunSim(std::vector<std::string> arguments) const
    {
        arguments.insert(arguments.begin(), {"--port", "sim", "--chip", chip_.string(), "--fast"});
        return Run(arguments);
    }
    fs::path Path(const std::string& name) const { return dir_ / name; }
    std::string WriteHex(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        WriteBytes(Path(name), cli::IntelHexText(bytes));
        return Path(name).string();
    }
    std::string WriteText(const std::string& name, const std::string& text) const
    {
        WriteBytes(Path(name), text);
        return Path(name).string();
    }
    sim::ChipContents Chip() const
    {
        const sim::ChipFileLoad loaded = sim::ChipFile(chip_.string()).Load();
        EXPECT_TRUE(loaded.contents) << loaded.error;
        return loaded.contents.value_or(sim::ChipContents{});
    }
    static sim::FlashImage FlashWith(const std::vector<std::uint8_t>& bytes)
    {
        sim::FlashImage flash = sim::ErasedFlash();
        std::copy(bytes.begin(), bytes.end(), flash.begin());
        return flash;
    }
    void ExpectSucceeded(const CliResult& result, const std::string& lastStatus) const
    {
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.err, "");
        ASSERT_FALSE(result.out.empty());
        EXPECT_EQ(Lines(result.out).back(), lastStatus);
    }

    test::TempDir temp_;
    const fs::path& dir_ = temp_.Path();
    fs::path chip_;
    std::vector<std::string> environment_;
};

TEST_F(BrovikCliTest, AutoThenReadGivesTheImageBack)
{
    const std::vector<std::uint8_t> image = Pattern(300);
    const CliResult programmed = RunSim({"auto", WriteHex("image.hex", image)});
    ExpectSucceeded(programmed, "Verfify Ok");
    EXPECT_EQ(Lines(programmed.out).front(), "Load Hex File Ok");
    EXPECT_EQ(Chip().flash, FlashWith(image));

    const std::string readBack = Path("read.hex").string();
    ExpectSucceeded(RunSim({"read", readBack}), "Read Flash Ok");
    const std::optional<sim::FlashImage> flash = DecodeReadBack(ReadBytes(readBack));
    ASSERT_TRUE(flash) << ReadBytes(readBack).substr(0, 200);
    EXPECT_EQ(*flash, FlashWith(image));
}

TEST_F(BrovikCliTest, ProgramThenVerifyTheSameFile)
{
    const std::vector<std::uint8_t> image = Pattern(100);
    const std::string file = WriteHex("image.hex", image);
    ExpectSucceeded(RunSim({"program", file}), "Program Flash Ok");
    EXPECT_EQ(Chip().flash, FlashWith(image));
    ExpectSucceeded(RunSim({"verify", file}), "Verfify Ok");
}

TEST_F(BrovikCliTest, VerifyAgainstADifferentFileFails)
{
    std::vector<std::uint8_t> image = Pattern(100);
    ExpectSucceeded(RunSim({"program", WriteHex("image.hex", image)}), "Program Flash Ok");
    image[40] ^= 0x01;
    const CliResult verified = RunSim({"verify", WriteHex("other.hex", image)});
    EXPECT_EQ(verified.exitStatus, 1);
    char addressLine[96];
    std::snprintf(addressLine, sizeof addressLine, "brovik-cli: first difference at 0x0028: expected 0x%02X, read 0x%02X\n",
                  image[40], image[40] ^ 0x01);
    EXPECT_EQ(verified.err, std::string("Verify error !!!\n") + addressLine);
    EXPECT_EQ(Lines(verified.out).back(), "Verify error !!!");
    EXPECT_EQ(Lines(verified.out).end()[-2], "Verify Flash 40%");
}

TEST_F(BrovikCliTest, BlankOnAProgrammedChipFails)
{
    ExpectSucceeded(RunSim({"program", WriteHex("image.hex", Pattern(100))}), "Program Flash Ok");
    const CliResult blank = RunSim({"blank"});
    EXPECT_EQ(blank.exitStatus, 1);
    EXPECT_EQ(blank.err, "Not Blank.\nbrovik-cli: first difference at 0x0000: expected 0xFF, read 0x0B\n");
    EXPECT_EQ(Lines(blank.out).back(), "Not Blank.");
}

TEST_F(BrovikCliTest, EraseUnlocksSoAutoSucceedsAfterALock)
{
    const std::vector<std::uint8_t> image = Pattern(64);
    ExpectSucceeded(RunSim({"lock", "1"}), "Lock Bit1 Ok");
    EXPECT_EQ(Chip().lockBits, sim::kLockBit1);
    ExpectSucceeded(RunSim({"auto", WriteHex("image.hex", image)}), "Verfify Ok");
    EXPECT_EQ(Chip().lockBits, 0);
    EXPECT_EQ(Chip().flash, FlashWith(image));
}

TEST_F(BrovikCliTest, EachLockLevelSetsItsOwnBit)
{
    const std::pair<const char*, std::uint8_t> levels[] = {
        {"1", sim::kLockBit1}, {"2", sim::kLockBit2}, {"3", sim::kLockBit3}};
    for (const auto& [level, bit] : levels) {
        SCOPED_TRACE(level);
        fs::remove(chip_);
        ExpectSucceeded(RunSim({"lock", level}), std::string("Lock Bit") + level + " Ok");
        EXPECT_EQ(Chip().lockBits, bit);
    }
}

TEST_F(BrovikCliTest, WithoutChipOptionTheChipOfTheSimulatorIsUsed)
{
    ExpectSucceeded(Run({"--port", "sim", "--fast", "lock", "2"}), "Lock Bit2 Ok");
    const sim::ChipFileLoad loaded = sim::ChipFile((dir_ / "data/brovik/simulated-chip.bin").string()).Load();
    ASSERT_TRUE(loaded.contents) << loaded.error;
    EXPECT_EQ(loaded.contents->lockBits, sim::kLockBit2);
}

TEST_F(BrovikCliTest, AMissingHexFileIsReportedByItsPath)
{
    const std::string missing = Path("missing.hex").string();
    for (const char* command : {"program", "verify", "auto"}) {
        SCOPED_TRACE(command);
        const CliResult result = RunSim({command, missing});
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err, missing + " was not found.\n");
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(fs::exists(chip_)) << "a run that changed nothing wrote the chip file";
    }
}

// A file with one byte at address 0 loads as the dialog loads it, and then
// counts as no file for Program, which says so itself.
TEST_F(BrovikCliTest, AFileOfOneByteAtAddressZeroIsNoProgram)
{
    const CliResult result = RunSim({"program", WriteText("one.hex", ":01000000AA55\n:00000001FF\n")});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "Please open a hex file before programing.\n");
    EXPECT_EQ(Lines(result.out), (std::vector<std::string>{"Load Hex File Ok", "Please open a hex file before programing."}));
}

TEST_F(BrovikCliTest, ARefusedHexFileLeavesTheChipFileAlone)
{
    ExpectSucceeded(RunSim({"program", WriteHex("image.hex", Pattern(50))}), "Program Flash Ok");
    const std::string before = ReadBytes(chip_);
    struct stat beforeInfo {};
    ASSERT_EQ(::stat(chip_.c_str(), &beforeInfo), 0);

    // The line named is where the loader stopped: the record with the fault,
    // the end of a file without an end record, or the record that reaches
    // beyond the flash.
    const std::string good = ":0300300002337A1E\n";
    const std::tuple<std::string, std::string, int> refusals[] = {
        {good + good + ":0300300002337A1F\n:00000001FF\n", "Check sum error\n", 3},
        {"not a hex file\n", "File not intel hex format\n", 1},
        {good + "\n" + good + good, "File not intel hex format\n", 4},
        {good + ":01200000FFE0\n" + good + ":00000001FF\n", "Error! Your hex file is more than 8192 bytes.\n", 2},
    };
    const std::string bad = Path("bad.hex").string();
    for (const auto& [text, message, line] : refusals) {
        SCOPED_TRACE(message);
        const CliResult result = RunSim({"auto", WriteText("bad.hex", text)});
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err, message + "brovik-cli: " + bad + " was refused at line " + std::to_string(line) + "\n");
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(ReadBytes(chip_), before);
        struct stat afterInfo {};
        ASSERT_EQ(::stat(chip_.c_str(), &afterInfo), 0);
        EXPECT_EQ(afterInfo.st_ino, beforeInfo.st_ino) << "the chip file was replaced";
    }
}

TEST_F(BrovikCliTest, AChipFileThatDoesNotLoadIsReportedAndLeftAsItIs)
{
    const std::string notAChip(100, 'x');
    WriteBytes(chip_, notAChip);
    const CliResult result = RunSim({"erase"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find(chip_.string()), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("100 bytes"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(ReadBytes(chip_), notAChip);
}

TEST_F(BrovikCliTest, UsageErrorsExitWithTwoAndTouchNothing)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string storedSettings;  // brovik.INI, empty for none
        std::string message;
    };
    const std::vector<Case> cases = {
        {{}, "", "no command given"},
        {{"--port", "sim", "format"}, "", "unknown command \"format\""},
        {{"--port", "sim", "program"}, "", "program needs FILE"},
        {{"--port", "sim", "read"}, "", "read needs FILE"},
        {{"--port", "sim", "erase", "now"}, "", "too many arguments for erase: \"now\""},
        {{"--port", "sim", "lock"}, "", "lock needs 1|2|3"},
        {{"--port", "sim", "lock", "4"}, "", "lock takes the level 1, 2 or 3, not \"4\""},
        {{"--port", "lpt4", "erase"}, "", "--port takes lpt1, lpt2, lpt3, sim, a device /dev/parportN or a base address such as 0xD010, not \"lpt4\""},
        {{"--port", "sim", "-q", "--verbose", "erase"}, "", "--quiet and --verbose cannot be used together"},
        {{"--port"}, "", "--port needs a value"},
        {{"--port", "sim", "--bit-delay", "0", "erase"}, "", "--bit-delay takes a whole number from 1 to 10, not \"0\""},
        {{"--port", "sim", "--bit-delay", "11", "erase"}, "", "--bit-delay takes a whole number from 1 to 10, not \"11\""},
        {{"--port", "sim", "--byte-delay", "abc", "erase"}, "", "--byte-delay takes a whole number from 1 to 10, not \"abc\""},
        {{"--port", "sim", "--byte-delay=5x", "erase"}, "", "--byte-delay takes a whole number from 1 to 10, not \"5x\""},
        {{"--port", "sim", "--byte-delay", "", "erase"}, "", "--byte-delay takes a whole number from 1 to 10, not \"\""},
        {{"--port", "lpt1", "--fast", "erase"}, "", "--fast is for the simulated chip only"},
        {{"--fast", "erase"}, "[BROVIK]\nLPT PORT=1\n", "--fast is for the simulated chip only"},
        {{"--port", "lpt2", "--chip", "c.bin", "erase"}, "", "--chip is for the simulated chip only"},
        {{"--port", "sim", "--fast=yes", "erase"}, "", "--fast takes no value"},
        {{"--port", "sim", "--force", "erase"}, "", "unknown option --force"},
        {{"erase"}, "", "pass --port"},
        {{"erase"}, "[BROVIK]\nLPT PORT=4\n", "pass --port"},
    };
    const fs::path ini = dir_ / "config/brovik.INI";
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.arguments)
            shown += "[" + a + "] ";
        SCOPED_TRACE(shown);
        fs::remove(ini);
        if (!c.storedSettings.empty())
            WriteBytes(ini, c.storedSettings);
        const CliResult result = Run(c.arguments);
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_EQ(result.out, "");
        for (const std::string& line : Lines(result.err))
            EXPECT_EQ(line.rfind("brovik-cli: ", 0), 0u) << line;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("--help"), std::string::npos) << result.err;
        EXPECT_TRUE(fs::is_empty(dir_ / "data"));
    }
}

// The stored port and delays are what the dialog's operations get when no
// option says otherwise, and the file is never written, not even where the
// dialog program would fill in a missing delay.
TEST_F(BrovikCliTest, StoredSettingsAreUsedAndNeverWritten)
{
    const std::string missing = Path("missing.hex").string();
    const std::string notFound = missing + " was not found.\n";
    const fs::path ini = dir_ / "config/brovik.INI";
    struct Case {
        std::string storedSettings;
        std::vector<std::string> arguments;
        int exitStatus;
        std::string err;
    };
    // A load refused before any port access: the real port is never touched.
    const std::vector<Case> cases = {
        {"[BROVIK]\r\nLPT PORT=2\r\nDELAY BIT=3\r\nDELAY BYTE=4\r\n[OTHER]\r\nKEY=1\r\n",
         {"--verbose", "program", missing}, 1, "brovik-cli: port 0x278, bit delay 3, byte delay 4\n" + notFound},
        {"[BROVIK]\r\nLPT PORT=2\r\nDELAY BIT=3\r\nDELAY BYTE=4\r\n",
         {"--verbose", "--bit-delay", "7", "--port", "lpt1", "verify", missing}, 1,
         "brovik-cli: port 0x378, bit delay 7, byte delay 4\n" + notFound},
        // Used as the dialog uses them: above 10 as stored, 0 as 1.
        {"[brovik]\nlpt port = 1\nDELAY BIT=0\nDELAY BYTE=12\n", {"--verbose", "auto", missing}, 1,
         "brovik-cli: DELAY BYTE in " + ini.string() + " is 12, outside 1 to 10: used as it stands, as the dialog "
         "program uses it (--byte-delay chooses another)\nbrovik-cli: port 0x378, bit delay 1, byte delay 12\n" +
             notFound},
        {"[BROVIK]\nDELAY BIT=11\n", {"--verbose", "--port", "sim", "--chip", chip_.string(), "--fast", "erase"}, 0,
         "brovik-cli: DELAY BIT in " + ini.string() + " is 11, outside 1 to 10: used as it stands, as the dialog "
         "program uses it (--bit-delay chooses another)\nbrovik-cli: port 0x378, bit delay 11, byte delay 1\n"},
        {"[BROVIK]\nLPT PORT=3\n", {"--verbose", "--port", "sim", "--chip", chip_.string(), "--fast", "erase"}, 0,
         "brovik-cli: port 0x378, bit delay 1, byte delay 1\n"},
        // Negative (a factor above 2147483647 as the dialog stores it) and
        // very large factors are used as the cap; each is said once.
        {"[BROVIK]\nLPT PORT=1\nDELAY BIT=-1\nDELAY BYTE=-1\n", {"--verbose", "program", missing}, 1,
         "brovik-cli: DELAY BIT in " + ini.string() + " is -1, outside 1 to 10: a negative delay is used as 1000, the "
         "longest delay the programs use (--bit-delay chooses another)\nbrovik-cli: DELAY BYTE in " + ini.string() +
         " is -1, outside 1 to 10: a negative delay is used as 1000, the longest delay the programs use "
         "(--byte-delay chooses another)\nbrovik-cli: port 0x378, bit delay 1000, byte delay 1000\n" + notFound},
        {"[BROVIK]\nLPT PORT=1\nDELAY BIT=25\nDELAY BYTE=5000\n", {"--verbose", "program", missing}, 1,
         "brovik-cli: DELAY BIT in " + ini.string() + " is 25, outside 1 to 10: used as it stands, as the dialog "
         "program uses it (--bit-delay chooses another)\nbrovik-cli: DELAY BYTE in " + ini.string() +
         " is 5000, outside 1 to 10: used as 1000, the longest delay the programs use (--byte-delay chooses "
         "another)\nbrovik-cli: port 0x378, bit delay 25, byte delay 1000\n" + notFound},
        // An option in its place says nothing of the stored value.
        {"[BROVIK]\nLPT PORT=1\nDELAY BIT=-1\nDELAY BYTE=-1\n",
         {"--verbose", "--bit-delay", "2", "--byte-delay", "3", "program", missing}, 1,
         "brovik-cli: port 0x378, bit delay 2, byte delay 3\n" + notFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.storedSettings);
        WriteBytes(ini, c.storedSettings);
        const CliResult result = Run(c.arguments);
        EXPECT_EQ(result.exitStatus, c.exitStatus);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(ReadBytes(ini), c.storedSettings);
        std::vector<std::string> configFiles;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir_ / "config"))
            configFiles.push_back(entry.path().filename().string());
        EXPECT_EQ(configFiles, std::vector<std::string>{"brovik.INI"});
    }
}

// Without a runtime folder the toolkit warns on standard error; its lines
// too say that they come from brovik-cli.
TEST_F(BrovikCliTest, ToolkitWarningsAreMarkedAsBrovikCli)
{
    std::vector<std::string> environment = Environment();
    std::erase_if(environment, [](const std::string& e) { return e.rfind("XDG_RUNTIME_DIR=", 0) == 0; });
    const CliResult result = RunCli({"--port", "sim", "--chip", chip_.string(), "--fast", "erase"}, environment);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    for (const std::string& line : Lines(result.err))
        EXPECT_EQ(line.rfind("brovik-cli: ", 0), 0u) << line;
}

TEST_F(BrovikCliTest, AMissingFolderIsAnInvalidPath)
{
    const std::string inMissingFolder = Path("no-such-folder/image.hex").string();
    const CliResult result = RunSim({"program", inMissingFolder});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, inMissingFolder + " contains an invalid path.\n");
}

// A chip locked at level 2 no longer gives its code back: read must not pass
// off what it returns as the flash.
TEST_F(BrovikCliTest, ReadOfAChipThatFailsThePresenceCheckWritesNothing)
{
    ExpectSucceeded(RunSim({"program", WriteHex("image.hex", Pattern(64))}), "Program Flash Ok");
    ExpectSucceeded(RunSim({"lock", "2"}), "Lock Bit2 Ok");
    const fs::path out = Path("out.hex");

    const CliResult read = RunSim({"read", out.string()});

    EXPECT_EQ(read.exitStatus, 1);
    EXPECT_FALSE(fs::exists(out));
    const std::vector<std::string> err = Lines(read.err);
    ASSERT_EQ(err.size(), 2u) << read.err;
    EXPECT_EQ(err[0], "Error! Please check your CPU, printer port and power supply.");
    EXPECT_EQ(err[1].rfind("brovik-cli: the chip did not answer", 0), 0u) << err[1];
    EXPECT_NE(err[1].find("lock bits are set fails this check until it is erased"), std::string::npos) << err[1];
    EXPECT_EQ(Lines(read.out).back(), "Error! Please check your CPU, power supply and printer port.");
    for (const std::string& line : Lines(read.out))
        EXPECT_EQ(line.find("Read Flash"), std::string::npos) << "read went on after the presence check: " << line;
}

// With real timing: the stop comes while Program writes, and the run ends at
// the end of the command in progress, with the bytes before it on the chip.
TEST_F(BrovikCliTest, SigintStopsProgramAtAnAddressAndKeepsWhatWasWritten)
{
    const std::vector<std::uint8_t> image = Pattern(1000);
    const CliResult result = RunCli({"--port", "sim", "--chip", chip_.string(), "program", WriteHex("image.hex", image)},
                                    Environment(), {}, test::SignalWhen{"Program Flash 10%", SIGINT});

    EXPECT_EQ(result.exitStatus, 130) << result.err;
    ASSERT_TRUE(result.signalToExit);
    EXPECT_LT(*result.signalToExit, 500'000) << "microseconds from SIGINT to the exit";
    const std::vector<std::string> err = Lines(result.err);
    ASSERT_EQ(err.size(), 1u) << result.err;
    const std::string prefix = "brovik-cli: program stopped at address 0x";
    ASSERT_EQ(err[0].rfind(prefix, 0), 0u) << err[0];
    EXPECT_EQ(err[0].substr(prefix.size() + 4), " (SIGINT)");
    const std::size_t stoppedAt = std::stoul(err[0].substr(prefix.size(), 4), nullptr, 16);
    EXPECT_GE(stoppedAt, 50u);
    EXPECT_LT(stoppedAt, image.size());
    EXPECT_EQ(Chip().flash, FlashWith(std::vector<std::uint8_t>(image.begin(), image.begin() + static_cast<long>(stoppedAt))));
    EXPECT_NE(Lines(result.out).back(), "Program Flash Ok");
}

TEST_F(BrovikCliTest, OnAPipeEachPhaseWritesItsTextsAndOneLinePerTenPercent)
{
    const CliResult result = RunSim({"blank"});
    ExpectSucceeded(result, "Blank Ok");
    std::vector<std::string> expected{"Blank Check"};
    for (int percent = 0; percent <= 90; percent += 10)
        expected.push_back("Blank Check " + std::to_string(percent) + "%");
    expected.push_back("Blank Ok");
    EXPECT_EQ(Lines(result.out), expected);
    EXPECT_FALSE(fs::exists(chip_)) << "a blank check changed the chip";
}

TEST_F(BrovikCliTest, OnATerminalTheStatusIsOneLineRedrawnInPlace)
{
    const CliResult result = Run({"--port", "sim", "--chip", chip_.string(), "--fast", "erase"}, StandardOutput::Terminal);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    // The terminal turns the final "\n" into "\r\n".
    const std::string prefix = "\r[" + std::string(30, '-') + "] Erase\x1b[K" + "\r[" + std::string(30, '#') + "] Erase Ok (";
    ASSERT_EQ(result.out.substr(0, prefix.size()), prefix) << result.out;
    EXPECT_TRUE(result.out.ends_with(" s)\x1b[K\r\n")) << result.out;
}

// What stays on the terminal after auto: each finished phase on a line of its
// own, its last drawing being its Ok text with the seconds it took.
TEST_F(BrovikCliTest, OnATerminalAutoKeepsOneLinePerPhase)
{
    const std::string hex = WriteHex("image.hex", Pattern(300));
    const CliResult result = Run({"--port", "sim", "--chip", chip_.string(), "--fast", "auto", hex}, StandardOutput::Terminal);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    ASSERT_TRUE(result.out.ends_with("\r\n")) << result.out;
    std::vector<std::string> finalDrawings;
    for (std::size_t start = 0; start < result.out.size();) {
        const std::size_t end = result.out.find("\r\n", start);
        const std::string line = result.out.substr(start, end - start);
        const std::string last = line.substr(line.rfind('\r') + 1);
        EXPECT_TRUE(last.ends_with("\x1b[K")) << last;
        finalDrawings.push_back(last.substr(0, last.size() - 3));
        start = end + 2;
    }
    const std::vector<std::string> phases{"Load Hex File Ok", "Erase Ok", "Blank Ok", "Program Flash Ok", "Verfify Ok"};
    ASSERT_EQ(finalDrawings.size(), phases.size()) << result.out;
    for (std::size_t i = 0; i < phases.size(); ++i) {
        const std::string& line = finalDrawings[i];
        const std::string start = "[" + std::string(30, '#') + "] " + phases[i] + " (";
        EXPECT_EQ(line.substr(0, start.size()), start) << line;
        const std::string seconds = line.substr(std::min(line.size(), start.size()));
        EXPECT_TRUE(seconds.size() >= 7 && seconds.ends_with(" s)") && seconds[seconds.size() - 6] == '.') << line;
    }
    EXPECT_EQ(Chip().flash, FlashWith(Pattern(300)));
}

// "-" loads the HEX file from standard input, a pipe that has no length of
// its own: the length is what arrived, with the file's limit.
TEST_F(BrovikCliTest, ADashReadsTheHexFileFromStandardInput)
{
    const std::string image = cli::IntelHexText(Pattern(700));
    ExpectSucceeded(Run({"--port", "sim", "--chip", chip_.string(), "--fast", "auto", "-"}, StandardOutput::Pipe, image),
                    "Verfify Ok");
    EXPECT_EQ(Chip().flash, FlashWith(Pattern(700)));
    ExpectSucceeded(Run({"--port", "sim", "--chip", chip_.string(), "--fast", "verify", "-"}, StandardOutput::Pipe, image),
                    "Verfify Ok");

    const std::string other = cli::IntelHexText(Pattern(20));
    const CliResult differs = Run({"--port", "sim", "--chip", chip_.string(), "--fast", "verify", "-"}, StandardOutput::Pipe,
                                  cli::IntelHexText(std::vector<std::uint8_t>(20, 0x5A)));
    EXPECT_EQ(differs.exitStatus, 1);
    EXPECT_EQ(differs.err, "Verify error !!!\nbrovik-cli: first difference at 0x0000: expected 0x5A, read 0x0B\n");

    // One byte past the limit, and far past it, is refused before the chip is touched.
    for (const std::size_t size : {std::size_t{24577}, std::size_t{60000}}) {
        SCOPED_TRACE(size);
        std::string tooLong = other;
        tooLong.resize(size, '\n');
        const CliResult refused =
            Run({"--port", "sim", "--chip", chip_.string(), "--fast", "program", "-"}, StandardOutput::Pipe, tooLong);
        EXPECT_EQ(refused.exitStatus, 1);
        EXPECT_EQ(refused.err, "Error! Your hex file is more than 24576 bytes.\nbrovik-cli: the data may still fit in the "
                               "flash: with more bytes per record the file gets shorter, for example srec_cat - "
                               "-intel -o OUT -intel -obs 32\n");
        EXPECT_EQ(Chip().flash, FlashWith(Pattern(700)));
    }
    // Exactly at the limit it loads: the end-of-file record stops the parser.
    std::string atLimit = other;
    atLimit.resize(24576, '\n');
    ExpectSucceeded(Run({"--port", "sim", "--chip", chip_.string(), "--fast", "program", "-"}, StandardOutput::Pipe, atLimit),
                    "Program Flash Ok");
}

TEST_F(BrovikCliTest, QuietPrintsFaultMessagesOnly)
{
    const std::string hex = WriteHex("image.hex", Pattern(64));
    for (const StandardOutput output : {StandardOutput::Pipe, StandardOutput::Terminal}) {
        const CliResult done = Run({"--port", "sim", "--chip", chip_.string(), "--fast", "-q", "auto", hex}, output);
        EXPECT_EQ(done.exitStatus, 0) << done.err;
        EXPECT_EQ(done.out, "");
        EXPECT_EQ(done.err, "");
        const CliResult failed = Run({"--port", "sim", "--chip", chip_.string(), "--fast", "--quiet", "blank"}, output);
        EXPECT_EQ(failed.exitStatus, 1);
        EXPECT_EQ(failed.out, "");
        EXPECT_EQ(failed.err, "Not Blank.\nbrovik-cli: first difference at 0x0000: expected 0xFF, read 0x0B\n");
    }
}

TEST_F(BrovikCliTest, VersionNamesTheProgramAndTheRelease)
{
    const CliResult result = Run({"--version", "erase"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "brovik-cli 5.0\n");
    EXPECT_EQ(result.err, "");
}

// A port given by base address reaches the hardware back end at that base;
// where the kernel has no port there, that is what the user is told, and the
// run fails.
TEST_F(BrovikCliTest, APortByAddressIsReachedAtThatBase)
{
    const CliResult result = Run({"--verbose", "--port", "0xD010", "blank"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err.rfind("brovik-cli: base 0xD010, driven as LPT1 (0x378)\n", 0), 0u) << result.err;
    EXPECT_NE(result.err.find("Cannot reach the parallel port at 0xD010"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("0x37"), result.err.find("0x378)")) << "no access to LPT1 itself: " << result.err;
}

TEST_F(BrovikCliTest, HelpNamesTheCommandsOptionsExitStatusAndFiles)
{
    const CliResult result = Run({"erase", "--bogus", "--help"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "");
    for (const char* word : {"erase", "blank", "program FILE", "verify FILE", "auto FILE", "lock 1|2|3", "read FILE",
                             "--port lpt1|lpt2|lpt3|sim", "--chip FILE", "--fast", "--bit-delay N", "--byte-delay N",
                             "--verbose", "Exit status", "simulated chip only", "erase and program read nothing back",
                             "auto and verify prove the result", "SIGINT", "130"})
        EXPECT_NE(result.out.find(word), std::string::npos) << word;
    EXPECT_NE(result.out.find((dir_ / "config/brovik.INI").string()), std::string::npos);
    EXPECT_NE(result.out.find((dir_ / "data/brovik/simulated-chip.bin").string()), std::string::npos);
}

} // namespace
