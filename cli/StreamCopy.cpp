// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/StreamCopy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/Options.h"
#include "cli/StopSignals.h"
#include "framework/SafeFile.h"

namespace cli {

bool StreamCopy::IsStream(const std::string& path)
{
    if (path == kStandardInput)
        return true;
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode));
}

StreamCopy::StreamCopy(const std::string& path, std::size_t limit)
{
    if (path == kStandardInput) {
        Copy(STDIN_FILENO, "standard input", limit);
        return;
    }
    // Not blocking: a FIFO without a writer yet would hold the open itself,
    // where no stop signal can end the wait. The reads wait for input instead.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = path + " could not be opened: " + std::strerror(errno);
        return;
    }
    Copy(fd, path, limit);
    ::close(fd);
}

void StreamCopy::Copy(int fd, const std::string& name, std::size_t limit)
{
    copy_ = ::memfd_create("brovik-hex-input", MFD_CLOEXEC);
    if (copy_ < 0) {
        error_ = "no memory file for " + name + ": " + std::strerror(errno);
        return;
    }
    const std::size_t keep = limit + 1;
    std::size_t kept = 0;
    char buffer[4096];
    while (kept < keep) {
        if (!StopSignals::WaitForInput(fd)) {
            stopped_ = true;
            error_ = name + " was not read to its end";
            return;
        }
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, keep - kept));
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0) {
            error_ = name + " could not be read: " + std::strerror(errno);
            return;
        }
        if (n == 0)
            return;
        std::string writeError;
        if (!fw::WriteToStream(copy_, std::string_view(buffer, static_cast<std::size_t>(n)), "the copy of " + name,
                               &writeError)) {
            error_ = name + " could not be kept: " + writeError;
            return;
        }
        kept += static_cast<std::size_t>(n);
    }
}

StreamCopy::~StreamCopy()
{
    if (copy_ >= 0)
        ::close(copy_);
}

std::string StreamCopy::Path() const { return "/proc/self/fd/" + std::to_string(copy_); }

} // namespace cli
