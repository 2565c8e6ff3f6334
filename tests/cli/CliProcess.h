#pragma once
// Runs the built brovik-cli as a child process with exactly the environment
// given, and collects what it wrote.
#include <cstdint>
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

enum class StandardOutput { Pipe, Terminal };

// Standard input is a pipe holding standardInput (which must fit the pipe's
// buffer), else /dev/null.
CliResult RunCli(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                 StandardOutput output = StandardOutput::Pipe,
                 const std::optional<std::string>& standardInput = std::nullopt,
                 const std::optional<SignalWhen>& signalWhen = std::nullopt);

// The lines of a text, without their "\n".
std::vector<std::string> Lines(const std::string& text);

} // namespace test
