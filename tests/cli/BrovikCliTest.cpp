// brovik-cli as a user runs it: the built executable on the simulated chip,
// with its own settings and data folders and no display.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

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
    CliResult Run(const std::vector<std::string>& arguments, StandardOutput output = StandardOutput::Pipe) const
    {
        return RunCli(arguments, Environment(), output);
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
    EXPECT_EQ(verified.err, "Verify error !!!\n");
    EXPECT_EQ(Lines(verified.out).back(), "Verify error !!!");
    EXPECT_EQ(Lines(verified.out).end()[-2], "Verify Flash 40%");
}

TEST_F(BrovikCliTest, BlankOnAProgrammedChipFails)
{
    ExpectSucceeded(RunSim({"program", WriteHex("image.hex", Pattern(100))}), "Program Flash Ok");
    const CliResult blank = RunSim({"blank"});
    EXPECT_EQ(blank.exitStatus, 1);
    EXPECT_EQ(blank.err, "Not Blank.\n");
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

    const std::pair<const char*, const char*> refusals[] = {
        {":0300300002337A1F\n:00000001FF\n", "Check sum error\n"},
        {"not a hex file\n", "File not intel hex format\n"},
        {":01200000FFE0\n:00000001FF\n", "Error! Your hex file is more than 8192 bytes.\n"},
    };
    for (const auto& [text, message] : refusals) {
        SCOPED_TRACE(message);
        const CliResult result = RunSim({"auto", WriteText("bad.hex", text)});
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err, message);
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
        {{"--port", "lpt4", "erase"}, "", "--port takes lpt1, lpt2, lpt3 or sim, not \"lpt4\""},
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
        EXPECT_EQ(result.err.rfind("brovik-cli: ", 0), 0u) << result.err;
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
        {"[brovik]\nlpt port = 1\nDELAY BYTE=12\n", {"--verbose", "auto", missing}, 1,
         "brovik-cli: port 0x378, bit delay 1, byte delay 1\n" + notFound},
        {"[BROVIK]\nLPT PORT=3\n", {"--verbose", "--port", "sim", "--chip", chip_.string(), "--fast", "erase"}, 0,
         "brovik-cli: port 0x378, bit delay 1, byte delay 1\n"},
    };
    const fs::path ini = dir_ / "config/brovik.INI";
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

TEST_F(BrovikCliTest, OnAPipeEachTextIsOneLineAndRepeatsAreDropped)
{
    const CliResult result = RunSim({"blank"});
    ExpectSucceeded(result, "Blank Ok");
    std::vector<std::string> expected{"Blank Check"};
    for (int percent = 0; percent <= 99; ++percent)
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
    EXPECT_EQ(result.out, "\r[" + std::string(30, '-') + "] Erase\x1b[K" + "\r[" + std::string(30, '#') +
                              "] Erase Ok\x1b[K\r\n");
}

TEST_F(BrovikCliTest, HelpNamesTheCommandsOptionsExitStatusAndFiles)
{
    const CliResult result = Run({"erase", "--bogus", "--help"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "");
    for (const char* word : {"erase", "blank", "program FILE", "verify FILE", "auto FILE", "lock 1|2|3", "read FILE",
                             "--port lpt1|lpt2|lpt3|sim", "--chip FILE", "--fast", "--bit-delay N", "--byte-delay N",
                             "--verbose", "Exit status", "simulated chip only"})
        EXPECT_NE(result.out.find(word), std::string::npos) << word;
    EXPECT_NE(result.out.find((dir_ / "config/brovik.INI").string()), std::string::npos);
    EXPECT_NE(result.out.find((dir_ / "data/brovik/simulated-chip.bin").string()), std::string::npos);
}

} // namespace
