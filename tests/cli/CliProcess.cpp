// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/cli/CliProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>

namespace test {
namespace {

std::int64_t NowMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// Reads both streams as they come, so that a child filling one of them never
// blocks; a terminal's read side reports EIO once the child has closed it.
// When signalWhen is given, it is sent to child once out holds its text, and
// signalledAt is set.
void Drain(int outFd, int errFd, std::string& out, std::string& err, pid_t child,
           const std::optional<SignalWhen>& signalWhen, std::optional<std::int64_t>& signalledAt)
{
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&out, &err};
    int open = (outFd >= 0) + (errFd >= 0);
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
                if (signalWhen && !signalledAt && out.find(signalWhen->text) != std::string::npos) {
                    signalledAt = NowMicroseconds();
                    ::kill(child, signalWhen->signal);
                }
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

} // namespace

std::unique_ptr<CliChild> StartCli(const std::vector<std::string>& arguments,
                                   const std::vector<std::string>& environment, const CliStart& start)
{
    int outRead = -1, outWrite = -1, errPipe[2];
    if (start.output == StandardOutput::Terminal) {
        if (::openpty(&outRead, &outWrite, nullptr, nullptr, nullptr) != 0)
            return std::make_unique<CliChild>(-1, -1, -1);
        ::fcntl(outRead, F_SETFD, FD_CLOEXEC);
    } else if (start.output == StandardOutput::Full) {
        outWrite = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    } else if (start.output != StandardOutput::Closed) {
        int outPipe[2];
        if (::pipe2(outPipe, O_CLOEXEC) != 0)
            return std::make_unique<CliChild>(-1, -1, -1);
        outRead = outPipe[0];
        outWrite = outPipe[1];
        if (start.output == StandardOutput::BrokenPipe) {
            ::close(outRead);
            outRead = -1;
        }
    }
    if (::pipe2(errPipe, O_CLOEXEC) != 0)
        return std::make_unique<CliChild>(-1, -1, -1);
    // Written whole before the child starts, so that a child that stops
    // reading early cannot leave this process blocked or signalled.
    int inputRead = -1;
    if (start.standardInput) {
        int inputPipe[2];
        if (::pipe2(inputPipe, O_CLOEXEC) != 0)
            return std::make_unique<CliChild>(-1, -1, -1);
        const std::string& input = *start.standardInput;
        const ssize_t written = ::write(inputPipe[1], input.data(), input.size());
        ::close(inputPipe[1]);
        if (written != static_cast<ssize_t>(input.size()))
            return std::make_unique<CliChild>(-1, -1, -1);
        inputRead = inputPipe[0];
    }

    std::vector<std::string> argv = start.launcher;
    argv.push_back(BROVIK_CLI_PATH);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> argPointers;
    for (std::string& a : argv)
        argPointers.push_back(a.data());
    argPointers.push_back(nullptr);
    std::vector<std::string> env = environment;
    std::vector<char*> envPointers;
    for (std::string& e : env)
        envPointers.push_back(e.data());
    envPointers.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        // Input first: its /dev/null must not take the number of a closed
        // output.
        const int input = inputRead >= 0 ? inputRead
                          : start.standardInputFd >= 0 ? start.standardInputFd
                                                       : ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ::dup2(input, STDIN_FILENO);
        if (outWrite >= 0)
            ::dup2(outWrite, STDOUT_FILENO);
        else
            ::close(STDOUT_FILENO);
        ::dup2(errPipe[1], STDERR_FILENO);
        ::execve(argPointers[0], argPointers.data(), envPointers.data());
        ::_exit(127);
    }
    if (outWrite >= 0)
        ::close(outWrite);
    ::close(errPipe[1]);
    if (inputRead >= 0)
        ::close(inputRead);
    return std::make_unique<CliChild>(child, outRead, errPipe[0]);
}

CliResult CliChild::Wait(const std::optional<SignalWhen>& signalWhen)
{
    CliResult result;
    std::optional<std::int64_t> signalledAt;
    if (pid_ > 0)
        Drain(outFd_, errFd_, result.out, result.err, pid_, signalWhen, signalledAt);
    if (outFd_ >= 0)
        ::close(outFd_);
    ::close(errFd_);
    int status = 0;
    if (pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_)
        result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (signalledAt)
        result.signalToExit = NowMicroseconds() - *signalledAt;
    waited_ = true;
    return result;
}

CliChild::~CliChild()
{
    if (!waited_ && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Wait();
    }
}

CliResult RunCli(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                 const CliStart& start, const std::optional<SignalWhen>& signalWhen)
{
    return StartCli(arguments, environment, start)->Wait(signalWhen);
}

std::vector<std::string> UserEnvironmentIn(const std::filesystem::path& folder)
{
    for (const char* sub : {"home", "config", "data", "runtime"})
        std::filesystem::create_directory(folder / sub);
    std::filesystem::permissions(folder / "runtime", std::filesystem::perms::owner_all);
    return {"PATH=/usr/bin:/bin", "HOME=" + (folder / "home").string(),
            "XDG_CONFIG_HOME=" + (folder / "config").string(), "XDG_DATA_HOME=" + (folder / "data").string(),
            "XDG_RUNTIME_DIR=" + (folder / "runtime").string()};
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace test
