#pragma once
// Runs the built brovik-cli as a child process with exactly the environment
// given, and collects what it wrote.
#include <filesystem>
#include <memory>
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

// A brovik-cli child that runs while the test goes on.
class CliChild {
public:
    CliChild(int pid, int outFd, int errFd) : pid_(pid), outFd_(outFd), errFd_(errFd) {}
    CliChild(const CliChild&) = delete;
    CliChild& operator=(const CliChild&) = delete;
    ~CliChild();

    int Pid() const { return pid_; }
    // Collects what it writes until it ends, and how it ended.
    CliResult Wait();

private:
    int pid_;
    int outFd_;
    int errFd_;
    bool waited_ = false;
};

// launcher, when given, is a command that runs brovik-cli (setpriv ...).
std::unique_ptr<CliChild> StartCli(const std::vector<std::string>& arguments,
                                   const std::vector<std::string>& environment,
                                   StandardOutput output = StandardOutput::Pipe,
                                   const std::vector<std::string>& launcher = {});

CliResult RunCli(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                 StandardOutput output = StandardOutput::Pipe, const std::vector<std::string>& launcher = {});

// Makes the home, configuration, data and runtime folders of a user in
// folder and returns the environment that points there, without a display or
// a platform choice: the program must manage without.
std::vector<std::string> UserEnvironmentIn(const std::filesystem::path& folder);

// The lines of a text, without their "\n".
std::vector<std::string> Lines(const std::string& text);

} // namespace test
