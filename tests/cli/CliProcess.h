#pragma once
// Runs the built brovik-cli as a child process with exactly the environment
// given, and collects what it wrote.
#include <optional>
#include <string>
#include <vector>

namespace test {

struct CliResult {
    // The exit status, or 128 + the signal that ended it.
    int exitStatus = -1;
    std::string out;
    std::string err;
};

enum class StandardOutput { Pipe, Terminal };

// Standard input is a pipe holding standardInput (which must fit the pipe's
// buffer), else /dev/null.
CliResult RunCli(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                 StandardOutput output = StandardOutput::Pipe,
                 const std::optional<std::string>& standardInput = std::nullopt);

// The lines of a text, without their "\n".
std::vector<std::string> Lines(const std::string& text);

} // namespace test
