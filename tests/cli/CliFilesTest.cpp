// SPDX-License-Identifier: GPL-2.0-or-later
// The files brovik-cli writes and reads, as a user's set-up has them: links,
// device nodes, standard output, the umask, read-only files, FIFOs, and a
// chip file that two runs work at once or a run killed half-way.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "cli/HexWriter.h"
#include "sim/ChipFile.h"
#include "tests/cli/CliProcess.h"
#include "tests/support/FileChecks.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using test::CliResult;
using test::RunCli;
using test::StartCli;
using test::kNobody;
using test::ModeOf;
using test::ReadFileBytes;
using test::ScopedUmask;
using test::WriteFileBytes;
using Clock = std::chrono::steady_clock;

// True while some process holds a flock() on path: read from the kernel's
// list, so that looking never takes the lock from the program being watched.
bool LockIsHeld(const fs::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    const std::string inode = ":" + std::to_string(info.st_ino) + " ";
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        if (line.find("FLOCK") != std::string::npos && line.find(inode) != std::string::npos)
            return true;
    }
    return false;
}

// True once the child has ended; it is left to be waited for.
bool HasEnded(pid_t pid)
{
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid == pid;
}

class CliFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        environment_ = test::UserEnvironmentIn(dir_);
        chip_ = dir_ / "chip.bin";
    }
    const std::vector<std::string>& Environment() const { return environment_; }
    // On this test's chip file; with simulated time unless real time is asked.
    std::vector<std::string> SimArguments(std::vector<std::string> arguments, bool realTime = false) const
    {
        arguments.insert(arguments.begin(), {"--port", "sim", "--chip", chip_.string()});
        if (!realTime)
            arguments.insert(arguments.begin() + 4, "--fast");
        return arguments;
    }
    CliResult RunSim(std::vector<std::string> arguments) const
    {
        return RunCli(SimArguments(std::move(arguments)), Environment());
    }
    std::string WriteHex(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        WriteFileBytes(dir_ / name, cli::IntelHexText(bytes));
        return (dir_ / name).string();
    }
    sim::ChipContents ChipIn(const fs::path& path) const
    {
        const sim::ChipFileLoad loaded = sim::ChipFile(path.string()).Load();
        EXPECT_TRUE(loaded.contents) << loaded.error;
        return loaded.contents.value_or(sim::ChipContents{});
    }
    static sim::ChipContents Programmed(const std::vector<std::uint8_t>& bytes)
    {
        sim::ChipContents contents;
        std::copy(bytes.begin(), bytes.end(), contents.flash.begin());
        return contents;
    }

    test::TempDir temp_;
    const fs::path& dir_ = temp_.Path();
    fs::path chip_;
    std::vector<std::string> environment_;
};

const std::vector<std::uint8_t> kImage{0x02, 0x00, 0x30, 0x75, 0x81, 0x60, 0xE4, 0xF5};

TEST_F(CliFilesTest, AChipFileBehindASymlinkIsUpdatedAndTheLinkStays)
{
    fs::create_directory(dir_ / "store");
    ASSERT_TRUE(sim::ChipFile((dir_ / "store/real.bin").string()).Save(sim::ChipContents{}));
    fs::create_symlink("store/real.bin", chip_);

    const CliResult result = RunSim({"program", WriteHex("image.hex", kImage)});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(fs::is_symlink(chip_));
    EXPECT_EQ(ChipIn(dir_ / "store/real.bin"), Programmed(kImage));
}

TEST_F(CliFilesTest, ReadToStandardOutputWritesTheHexTextThereAndTheStatusElsewhere)
{
    ASSERT_TRUE(sim::ChipFile(chip_.string()).Save(Programmed(kImage)));
    const std::string expected = cli::IntelHexText(Programmed(kImage).flash);
    for (const char* output : {"-", "/dev/stdout"}) {
        SCOPED_TRACE(output);
        const CliResult result = RunSim({"read", output});
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out, expected);
        EXPECT_NE(result.err.find("Read Flash Ok"), std::string::npos) << result.err;
    }
}

TEST_F(CliFilesTest, ReadIntoTheChipFileInUseIsRefusedAndTheChipKept)
{
    fs::create_symlink(chip_, dir_ / "link.bin");
    for (const bool chipExists : {true, false}) {
        SCOPED_TRACE(chipExists ? "a chip file" : "no chip file yet");
        if (chipExists) {
            ASSERT_TRUE(sim::ChipFile(chip_.string()).Save(Programmed(kImage)));
        }
        const std::string before = chipExists ? ReadFileBytes(chip_) : "";
        for (const fs::path& output : {chip_, dir_ / "link.bin", dir_ / "." / "chip.bin"}) {
            SCOPED_TRACE(output.string());
            const CliResult result = RunSim({"read", output.string()});
            EXPECT_EQ(result.exitStatus, 2);
            EXPECT_EQ(result.err, "brovik-cli: " + output.string() + " is the chip file of this run (" +
                                      chip_.string() + "); read the flash into another file\n");
            EXPECT_EQ(fs::exists(chip_), chipExists);
            if (chipExists) {
                EXPECT_EQ(ReadFileBytes(chip_), before);
            }
        }
        fs::remove(chip_);
    }
}

// A closed standard output is /dev/null to the program, never the next file
// it opens; a standard output that cannot take the dump fails the run.
TEST_F(CliFilesTest, AClosedOrFailingStandardOutputNeverGetsTheDumpElsewhere)
{
    ASSERT_TRUE(sim::ChipFile(chip_.string()).Save(Programmed(kImage)));
    const std::string chipBefore = ReadFileBytes(chip_);
    const fs::path lockFile = dir_ / ".chip.bin.lock";
    struct Case {
        const char* name;
        test::StandardOutput output;
        std::vector<std::string> command;
        int exitStatus;
        std::string errorLine;
    };
    const Case cases[] = {
        {"read - with output closed", test::StandardOutput::Closed, {"read", "-"}, 0, ""},
        {"blank (which fails: the chip holds a program) with output closed", test::StandardOutput::Closed, {"blank"}, 1, ""},
        {"read - into /dev/full", test::StandardOutput::Full, {"read", "-"}, 1,
         "brovik-cli: the flash could not be written out: cannot write to standard output: No space left on device"},
        {"read - into a pipe nobody reads", test::StandardOutput::BrokenPipe, {"read", "-"}, 1,
         "brovik-cli: the flash could not be written out: cannot write to standard output: Broken pipe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult result = RunCli(SimArguments(c.command), Environment(), {.output = c.output});
        EXPECT_EQ(result.exitStatus, c.exitStatus) << result.err;
        if (!c.errorLine.empty()) {
            EXPECT_NE(result.err.find(c.errorLine + "\n"), std::string::npos) << result.err;
        }
        EXPECT_EQ(fs::file_size(lockFile), 0u) << "the lock file took nothing";
        EXPECT_EQ(ReadFileBytes(chip_), chipBefore);
        for (const fs::directory_entry& entry : fs::directory_iterator(dir_))
            EXPECT_EQ(entry.path().filename().string().find("brovik-tmp"), std::string::npos) << entry.path();
    }
}

TEST_F(CliFilesTest, ReadIntoADeviceNodeWritesToTheDeviceAndLeavesTheNode)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mknod needs root; run the tests as root to check read into a device node";
    const fs::path node = dir_ / "null";
    ASSERT_EQ(::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    const CliResult result = RunSim({"read", node.string()});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(S_ISCHR(ModeOf(node)));
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().filename().string().find("brovik-tmp"), std::string::npos) << entry.path();
}

TEST_F(CliFilesTest, NewFilesFollowTheUmaskAndExistingFilesKeepTheirMode)
{
    const std::string hex = WriteHex("image.hex", kImage);
    {
        const ScopedUmask mask(077);
        EXPECT_EQ(RunSim({"program", hex}).exitStatus, 0);
        EXPECT_EQ(RunSim({"read", (dir_ / "dump.hex").string()}).exitStatus, 0);
    }
    EXPECT_EQ(ModeOf(chip_) & 07777, 0600u) << "a flash dump is nobody else's business";
    EXPECT_EQ(ModeOf(dir_ / "dump.hex") & 07777, 0600u);

    ASSERT_EQ(::chmod(chip_.c_str(), 0640), 0);
    ASSERT_EQ(::chmod((dir_ / "dump.hex").c_str(), 0640), 0);
    {
        const ScopedUmask mask(077);
        EXPECT_EQ(RunSim({"erase"}).exitStatus, 0);
        EXPECT_EQ(RunSim({"read", (dir_ / "dump.hex").string()}).exitStatus, 0);
    }
    EXPECT_EQ(ChipIn(chip_), sim::ChipContents{});
    EXPECT_EQ(ModeOf(chip_) & 07777, 0640u);
    EXPECT_EQ(ModeOf(dir_ / "dump.hex") & 07777, 0640u);
}

TEST_F(CliFilesTest, AReadOnlyChipFileOrOutputIsNotReplacedAndTheRunFails)
{
    // Root may write any file: the runs go as an ordinary user then.
    std::vector<std::string> launcher;
    if (::geteuid() == 0) {
        launcher = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
        for (const fs::path& folder : {dir_, dir_ / "home", dir_ / "config", dir_ / "data", dir_ / "runtime"})
            ASSERT_EQ(::chown(folder.c_str(), kNobody, kNobody), 0);
    }
    const std::string dump = (dir_ / "dump.hex").string();
    ASSERT_TRUE(sim::ChipFile(chip_.string()).Save(Programmed(kImage)));
    WriteFileBytes(dump, "keep");
    for (const fs::path& file : {chip_, fs::path(dump)}) {
        ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
        }
    }
    struct Case {
        std::vector<std::string> command;
        std::string message;
    };
    const Case cases[] = {
        {{"erase"}, "brovik-cli: the simulated chip could not be saved: the chip file " + chip_.string() +
                        " is read-only (mode 0444); it is left as it is. Make it writable (chmod u+w) to have it "
                        "replaced\n"},
        {{"read", dump}, "brovik-cli: the flash could not be written out: " + dump +
                             " is read-only (mode 0444); it is left as it is. Make it writable (chmod u+w) to have "
                             "it replaced\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command[0]);
        const CliResult result = RunCli(SimArguments(c.command), Environment(), {.launcher = launcher});
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_EQ(ChipIn(chip_), Programmed(kImage));
    EXPECT_EQ(ReadFileBytes(dump), "keep");
}

TEST_F(CliFilesTest, AFifoAsChipFileOrSettingsFileEndsTheRunAtOnce)
{
    ASSERT_EQ(::mkfifo(chip_.c_str(), 0600), 0);
    auto start = Clock::now();
    CliResult result = RunSim({"erase"});
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "brovik-cli: the chip file " + chip_.string() +
                              " is a FIFO (named pipe), not a regular file; it is left as it is\n");
    EXPECT_TRUE(fs::is_fifo(chip_));

    fs::remove(chip_);
    const fs::path settings = dir_ / "config/brovik.INI";
    ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
    start = Clock::now();
    result = RunSim({"erase"});
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "brovik-cli: the stored settings are not used: " + settings.string() +
                              " is a FIFO (named pipe), not a regular file; it is left as it is\n");
    EXPECT_TRUE(fs::is_fifo(settings));
}

// A lock level set during a real-timed program is not lost: the second run
// finds the chip in use and says so, and run again afterwards both changes
// are in the chip file.
TEST_F(CliFilesTest, TwoRunsOnOneChipLoseNoChange)
{
    const std::string hex = WriteHex("image.hex", {0x12, 0x34, 0x56, 0x78});
    const auto program = StartCli(SimArguments({"program", hex}, true), Environment());
    const fs::path lockFile = dir_ / ".chip.bin.lock";
    while (!LockIsHeld(lockFile) && !HasEnded(program->Pid()))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(LockIsHeld(lockFile)) << "the program run never held the chip";

    const CliResult lock = RunSim({"lock", "1"});
    const CliResult programmed = program->Wait();
    EXPECT_EQ(programmed.exitStatus, 0) << programmed.err;
    EXPECT_EQ(lock.exitStatus, 1);
    EXPECT_EQ(lock.err, "brovik-cli: the simulated chip " + chip_.string() +
                            " is in use by another program; try again when it has finished\n");
    EXPECT_EQ(ChipIn(chip_), Programmed({0x12, 0x34, 0x56, 0x78}));

    EXPECT_EQ(RunSim({"lock", "1"}).exitStatus, 0);
    sim::ChipContents both = Programmed({0x12, 0x34, 0x56, 0x78});
    both.lockBits = sim::kLockBit1;
    EXPECT_EQ(ChipIn(chip_), both);
}

// However a run is killed, the chip file holds either what it held before or
// all of what the run wrote, and what a killed save left is cleared later.
// The kills fall around the end of the run, where the chip file is written.
TEST_F(CliFilesTest, AKilledRunLeavesTheChipFileOldOrNewAndWhole)
{
    sim::ChipContents before;
    for (std::size_t i = 0; i < before.flash.size(); ++i)
        before.flash[i] = static_cast<std::uint8_t>(i * 7);
    const fs::path lockFile = dir_ / ".chip.bin.lock";
    const auto startErase = [&] {
        EXPECT_TRUE(sim::ChipFile(chip_.string()).Save(before));
        auto run = StartCli(SimArguments({"erase"}), Environment());
        while (!LockIsHeld(lockFile) && !HasEnded(run->Pid()))
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        return run;
    };
    const auto whole = startErase();
    const auto lockedAt = Clock::now();
    ASSERT_EQ(whole->Wait().exitStatus, 0);
    const auto runLength = Clock::now() - lockedAt;

    int oldSeen = 0;
    int newSeen = 0;
    for (const double share : {0.5, 0.8, 0.9, 0.95, 1.0, 1.0, 1.05, 1.1}) {
        SCOPED_TRACE(testing::Message() << "killed at " << share << " of the run");
        const auto run = startErase();
        std::this_thread::sleep_for(std::chrono::duration_cast<Clock::duration>(runLength * share));
        ::kill(run->Pid(), SIGKILL);
        run->Wait();
        const sim::ChipContents after = ChipIn(chip_);
        EXPECT_TRUE(after == before || after == sim::ChipContents{});
        oldSeen += after == before;
        newSeen += after == sim::ChipContents{};
    }
    RecordProperty("old", oldSeen);
    RecordProperty("new", newSeen);
    EXPECT_EQ(RunSim({"erase"}).exitStatus, 0);
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().filename().string().find("brovik-tmp"), std::string::npos) << entry.path();
}

} // namespace
