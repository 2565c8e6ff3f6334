#include "cli/StandardInputCopy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace cli {
namespace {

// Writes all of the bytes, or tells errno.
bool WriteAll(int fd, const char* bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t n = ::write(fd, bytes, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

StandardInputCopy::StandardInputCopy(std::size_t limit) : StandardInputCopy(STDIN_FILENO, limit) {}

StandardInputCopy::StandardInputCopy(int fd, std::size_t limit)
{
    copy_ = ::memfd_create("brovik-standard-input", MFD_CLOEXEC);
    if (copy_ < 0) {
        error_ = std::string("no memory file for standard input: ") + std::strerror(errno);
        return;
    }
    const std::size_t keep = limit + 1;
    std::size_t kept = 0;
    char buffer[4096];
    while (kept < keep) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, keep - kept));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error_ = std::string("standard input could not be read: ") + std::strerror(errno);
            return;
        }
        if (n == 0)
            return;
        if (!WriteAll(copy_, buffer, static_cast<std::size_t>(n))) {
            error_ = std::string("standard input could not be kept: ") + std::strerror(errno);
            return;
        }
        kept += static_cast<std::size_t>(n);
    }
}

StandardInputCopy::~StandardInputCopy()
{
    if (copy_ >= 0)
        ::close(copy_);
}

std::string StandardInputCopy::Path() const { return "/proc/self/fd/" + std::to_string(copy_); }

} // namespace cli
