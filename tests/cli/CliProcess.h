// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Runs the built brovik-cli as a child process with exactly the environment
// given, and collects what it wrote.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace test {

struct CliResult {
    // The exit status, or 128 + the signal that ended it.
    int exitStatus = -1;
    std::string out;
    std::string err;
    // With a SignalWhen that fired: microseconds from the signal to the exit.
    std::optional<std::int64_t> signalToExit;
};

// Sends signal to the child as soon as its standard output holds text.
struct SignalWhen {
    std::string text;
    int signal;
};

enum class StandardOutput {
    Pipe,
    Terminal,
    Closed,     // the child starts with descriptor 1 closed
    Full,       // /dev/full: every write fails
    BrokenPipe, // a pipe whose reading end is closed
};

// How the child is started, beyond its arguments and environment.
struct CliStart {
    StandardOutput output = StandardOutput::Pipe;
    // Standard input is a pipe holding this (which must fit the pipe's
    // buffer), else /dev/null.
    std::optional<std::string> standardInput{};
    // Else, when not -1, standard input is this descriptor: the read end of
    // a pipe that the test goes on writing to.
    int standardInputFd = -1;
    // A command that runs brovik-cli (setpriv ...), when given.
    std::vector<std::string> launcher{};
};

// A brovik-cli child that runs while the test goes on.
class CliChild {
public:
    CliChild(int pid, int outFd, int errFd) : pid_(pid), outFd_(outFd), errFd_(errFd) {}
    CliChild(const CliChild&) = delete;
    CliChild& operator=(const CliChild&) = delete;
    ~CliChild();

    int Pid() const { return pid_; }
    // Collects what it writes until it ends, and how it ended.
    CliResult Wait(const std::optional<SignalWhen>& signalWhen = std::nullopt);

private:
    int pid_;
    int outFd_;
    int errFd_;
    bool waited_ = false;
};

std::unique_ptr<CliChild> StartCli(const std::vector<std::string>& arguments,
                                   const std::vector<std::string>& environment, const CliStart& start = {});

CliResult RunCli(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                 const CliStart& start = {}, const std::optional<SignalWhen>& signalWhen = std::nullopt);

// Makes the home, configuration, data and runtime folders of a user in
// folder and returns the environment that points there, without a display or
// a platform choice: the program must manage without.
std::vector<std::string> UserEnvironmentIn(const std::filesystem::path& folder);

// The lines of a text, without their "\n".
std::vector<std::string> Lines(const std::string& text);

} // namespace test
