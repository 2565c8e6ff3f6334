// SPDX-License-Identifier: GPL-2.0-or-later
// HEX files that arrive as streams: standard input, a path that names a
// pipe or a device (/dev/stdin, a shell's <(...), a FIFO), and a stop signal
// while brovik-cli still waits for such a file: Ctrl-C on a terminal, SIGTERM
// with a slow pipe. The run must end at once and leave the chip alone.
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "cli/HexWriter.h"
#include "sim/ChipFile.h"
#include "tests/cli/CliProcess.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// From the stop signal to the exit: "about a tenth of a second", with room
// for a loaded machine and the sanitizers' slower exit.
constexpr auto kStopBound = std::chrono::milliseconds(250);

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::uint8_t> Pattern(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 53 + 7);
    return bytes;
}

// Whether the process pid sleeps with the copy of its HEX input open: it
// has started to read the stream and waits for more.
bool WaitsForHexInput(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t end = line.rfind(')');
    if (end == std::string::npos || end + 2 >= line.size() || line[end + 2] != 'S')
        return false;
    std::error_code error;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        if (fs::read_symlink(fd.path(), error).string().find("memfd:brovik-hex-input") != std::string::npos)
            return true;
    }
    return false;
}

// Waits, for as long as the program's start may take, until pid waits for
// its HEX input; drains fd (a terminal's side) meanwhile when given.
bool AwaitHexInputWait(pid_t pid, int drainFd = -1)
{
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        if (WaitsForHexInput(pid))
            return true;
        if (drainFd >= 0) {
            char buffer[4096];
            while (::read(drainFd, buffer, sizeof buffer) > 0) {
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

struct Ending {
    bool inTime = false;       // else it was killed after two seconds
    int status = 0;            // as waitpid gives it
    Clock::duration after{};   // from the signal to the end
    std::string output;        // what it wrote to the drained descriptor
};

// Waits up to two seconds for pid to end, from signalledAt on; drains fd
// when given and calls each (if given) every two milliseconds.
Ending AwaitEnd(pid_t pid, Clock::time_point signalledAt, int drainFd = -1, const std::function<void()>& each = {})
{
    Ending ending;
    const auto drain = [&] {
        char buffer[4096];
        for (ssize_t n; drainFd >= 0 && (n = ::read(drainFd, buffer, sizeof buffer)) > 0;)
            ending.output.append(buffer, static_cast<std::size_t>(n));
    };
    const auto deadline = signalledAt + std::chrono::seconds(2);
    for (;;) {
        if (::waitpid(pid, &ending.status, WNOHANG) == pid) {
            ending.after = Clock::now() - signalledAt;
            ending.inTime = true;
            break;
        }
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &ending.status, 0);
            break;
        }
        drain();
        if (each)
            each();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // What it wrote just before it ended.
    drain();
    return ending;
}

// A write to the pipe after the run has ended must not end this process.
class IgnoredSigpipe {
public:
    IgnoredSigpipe()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGPIPE, &ignore, &previous_);
    }
    ~IgnoredSigpipe() { ::sigaction(SIGPIPE, &previous_, nullptr); }
    IgnoredSigpipe(const IgnoredSigpipe&) = delete;
    IgnoredSigpipe& operator=(const IgnoredSigpipe&) = delete;

private:
    struct sigaction previous_ {};
};

class HexStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        environment_ = test::UserEnvironmentIn(dir_.Path());
        chip_ = dir_.Path() / "chip.bin";
        // A chip that holds something: untouched means still this.
        ASSERT_TRUE(sim::ChipFile(chip_.string()).Save({FlashOf(Pattern(300)), 0}));
        chipBefore_ = ReadBytes(chip_);
        ::stat(chip_.c_str(), &chipStatBefore_);
    }

    static sim::FlashImage FlashOf(const std::vector<std::uint8_t>& bytes)
    {
        sim::FlashImage flash = sim::ErasedFlash();
        std::copy(bytes.begin(), bytes.end(), flash.begin());
        return flash;
    }
    std::vector<std::string> SimArguments(std::vector<std::string> command) const
    {
        command.insert(command.begin(), {"--port", "sim", "--chip", chip_.string(), "--fast"});
        return command;
    }
    std::vector<char*> Pointers(std::vector<std::string>& strings) const
    {
        std::vector<char*> pointers;
        for (std::string& s : strings)
            pointers.push_back(s.data());
        pointers.push_back(nullptr);
        return pointers;
    }
    void ExpectChipUntouched() const
    {
        EXPECT_EQ(ReadBytes(chip_), chipBefore_);
        struct stat now {};
        ASSERT_EQ(::stat(chip_.c_str(), &now), 0);
        EXPECT_EQ(now.st_ino, chipStatBefore_.st_ino) << "the chip file was replaced";
    }
    std::string WriteHexFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        const std::string path = dir_.File(name);
        std::ofstream(path, std::ios::binary) << cli::IntelHexText(bytes);
        return path;
    }

    test::TempDir dir_;
    fs::path chip_;
    std::vector<std::string> environment_;
    std::string chipBefore_;
    struct stat chipStatBefore_ {};
};

// A real terminal: brovik-cli's standard input, output and error are the
// pty, and the interrupt character typed on it makes the kernel send SIGINT.
TEST_F(HexStreamTest, CtrlCOnATerminalEndsARunThatWaitsForItsHexFile)
{
    for (const std::string name : {"-", "/dev/stdin"}) {
        SCOPED_TRACE(name);
        std::vector<std::string> argv = SimArguments({"program", name});
        argv.insert(argv.begin(), BROVIK_CLI_PATH);
        std::vector<char*> args = Pointers(argv);
        std::vector<std::string> env = environment_;
        std::vector<char*> envp = Pointers(env);
        int terminal = -1;
        const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::execve(args[0], args.data(), envp.data());
            ::_exit(127);
        }
        ::fcntl(terminal, F_SETFL, O_NONBLOCK);
        const auto giveUp = [&] {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            ::close(terminal);
        };
        if (!AwaitHexInputWait(child, terminal)) {
            giveUp();
            FAIL() << "brovik-cli did not start to read its input";
        }
        // A first line typed, then Ctrl-C while it waits for the next.
        const std::string typed = ":0300300002337A1E\n";
        if (::write(terminal, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size()) ||
            !AwaitHexInputWait(child, terminal)) {
            giveUp();
            FAIL() << "brovik-cli did not wait for more input after the first line";
        }
        const char interrupt = 0x03;
        const auto signalledAt = Clock::now();
        EXPECT_EQ(::write(terminal, &interrupt, 1), 1);
        const Ending ending = AwaitEnd(child, signalledAt, terminal);
        ::close(terminal);

        ASSERT_TRUE(ending.inTime) << "still running two seconds after Ctrl-C";
        ASSERT_TRUE(WIFEXITED(ending.status)) << "ended by the signal itself, not by its own exit";
        EXPECT_EQ(WEXITSTATUS(ending.status), 130) << ending.output;
        EXPECT_LT(ending.after, kStopBound) << std::chrono::duration_cast<std::chrono::milliseconds>(ending.after).count()
                                            << " ms from Ctrl-C to the exit";
        const std::string source = name == "-" ? "standard input" : name;
        EXPECT_NE(ending.output.find("brovik-cli: stopped (SIGINT) while reading the HEX file from " + source),
                  std::string::npos)
            << ending.output;
        ExpectChipUntouched();
    }
}

// The pipe stays open and a byte comes every few milliseconds: the run must
// not wait for its end.
TEST_F(HexStreamTest, SigtermEndsARunThatReadsASlowPipe)
{
    const IgnoredSigpipe ignored;
    for (const std::string name : {"-", "/dev/stdin"}) {
        SCOPED_TRACE(name);
        int pipeFds[2];
        ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
        const int writeEnd = pipeFds[1];
        const std::string start = ":0300300002337A1E\n:0000";
        ASSERT_EQ(::write(writeEnd, start.data(), start.size()), static_cast<ssize_t>(start.size()));
        auto child = test::StartCli(SimArguments({"program", name}), environment_, {.standardInputFd = pipeFds[0]});
        ::close(pipeFds[0]);
        ASSERT_GT(child->Pid(), 0);
        ASSERT_TRUE(AwaitHexInputWait(child->Pid()));

        // Once the run has ended the write fails, which is not this test's fault.
        const auto trickle = [&] {
            const char blank = '\n';
            (void)!::write(writeEnd, &blank, 1);
        };
        for (int i = 0; i < 5; ++i) {
            trickle();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        const auto signalledAt = Clock::now();
        ASSERT_EQ(::kill(child->Pid(), SIGTERM), 0);
        const Ending ending = AwaitEnd(child->Pid(), signalledAt, -1, trickle);
        ::close(writeEnd);
        const test::CliResult result = child->Wait();

        ASSERT_TRUE(ending.inTime) << "still reading two seconds after SIGTERM";
        ASSERT_TRUE(WIFEXITED(ending.status)) << "ended by the signal itself, not by its own exit";
        EXPECT_EQ(WEXITSTATUS(ending.status), 143);
        EXPECT_LT(ending.after, kStopBound) << std::chrono::duration_cast<std::chrono::milliseconds>(ending.after).count()
                                            << " ms from SIGTERM to the exit";
        EXPECT_NE(result.err.find("brovik-cli: stopped (SIGTERM) while reading the HEX file from "), std::string::npos)
            << result.err;
        EXPECT_EQ(result.out, "") << "nothing was loaded or run";
        ExpectChipUntouched();
    }
}

// Each way of naming a stream loads the file as "-" does.
TEST_F(HexStreamTest, APipeOrDeviceNamedAsTheFileIsReadAsAStream)
{
    const std::vector<std::uint8_t> image = Pattern(200);
    const std::string file = WriteHexFile("image.hex", image);
    const std::string fifo = dir_.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        const char* name;
        std::vector<std::string> command;
        test::CliStart start;
    };
    const Case cases[] = {
        {"/dev/stdin on a pipe", {"program", "/dev/stdin"}, {.standardInput = cli::IntelHexText(image)}},
        {"a shell's <(...), a pipe at /dev/fd/N",
         {"program"},
         {.launcher = {"/bin/bash", "-c", "exec \"$0\" \"$@\" <(cat '" + file + "')"}}},
        {"a FIFO", {"program", fifo}, {.launcher = {"/bin/bash", "-c", "cat '" + file + "' > '" + fifo + "' & exec \"$0\" \"$@\""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(sim::ChipFile(chip_.string()).Save({sim::ErasedFlash(), 0}));
        const test::CliResult result = test::RunCli(SimArguments(c.command), environment_, c.start);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.err, "");
        ASSERT_FALSE(result.out.empty());
        EXPECT_EQ(test::Lines(result.out).back(), "Program Flash Ok");
        const sim::ChipFileLoad loaded = sim::ChipFile(chip_.string()).Load();
        ASSERT_TRUE(loaded.contents) << loaded.error;
        EXPECT_EQ(loaded.contents->flash, FlashOf(image));
    }

    // A device that gives nothing is an empty file; one that never ends is
    // cut at the limit and refused as too long.
    const test::CliResult empty = test::RunCli(SimArguments({"program", "/dev/null"}), environment_);
    EXPECT_EQ(empty.exitStatus, 1);
    EXPECT_EQ(test::Lines(empty.err).front(), "File not intel hex format");
    const test::CliResult endless = test::RunCli(SimArguments({"program", "/dev/zero"}), environment_);
    EXPECT_EQ(endless.exitStatus, 1);
    EXPECT_EQ(test::Lines(endless.err).front(), "Error! Your hex file is more than 24576 bytes.");
}

} // namespace
