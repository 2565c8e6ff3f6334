#include "tests/cli/CliProcess.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
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
    int open = 2;
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

CliResult RunCli(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                 StandardOutput output, const std::optional<std::string>& standardInput,
                 const std::optional<SignalWhen>& signalWhen)
{
    CliResult result;
    int outRead = -1, outWrite = -1, errPipe[2];
    if (output == StandardOutput::Terminal) {
        if (::openpty(&outRead, &outWrite, nullptr, nullptr, nullptr) != 0)
            return result;
        ::fcntl(outRead, F_SETFD, FD_CLOEXEC);
    } else {
        int outPipe[2];
        if (::pipe2(outPipe, O_CLOEXEC) != 0)
            return result;
        outRead = outPipe[0];
        outWrite = outPipe[1];
    }
    if (::pipe2(errPipe, O_CLOEXEC) != 0)
        return result;
    // Written whole before the child starts, so that a child that stops
    // reading early cannot leave this process blocked or signalled.
    int inputRead = -1;
    if (standardInput) {
        int inputPipe[2];
        if (::pipe2(inputPipe, O_CLOEXEC) != 0)
            return result;
        const ssize_t written = ::write(inputPipe[1], standardInput->data(), standardInput->size());
        ::close(inputPipe[1]);
        if (written != static_cast<ssize_t>(standardInput->size()))
            return result;
        inputRead = inputPipe[0];
    }

    std::vector<std::string> argv{BROVIK_CLI_PATH};
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
        ::dup2(outWrite, STDOUT_FILENO);
        ::dup2(errPipe[1], STDERR_FILENO);
        ::dup2(inputRead >= 0 ? inputRead : ::open("/dev/null", O_RDONLY), STDIN_FILENO);
        ::execve(argPointers[0], argPointers.data(), envPointers.data());
        ::_exit(127);
    }
    ::close(outWrite);
    ::close(errPipe[1]);
    if (inputRead >= 0)
        ::close(inputRead);
    std::optional<std::int64_t> signalledAt;
    if (child > 0)
        Drain(outRead, errPipe[0], result.out, result.err, child, signalWhen, signalledAt);
    ::close(outRead);
    ::close(errPipe[0]);
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child)
        result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (signalledAt)
        result.signalToExit = NowMicroseconds() - *signalledAt;
    return result;
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
