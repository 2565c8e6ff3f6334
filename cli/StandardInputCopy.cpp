#include "cli/StandardInputCopy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

#include "framework/SafeFile.h"

namespace cli {

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
        std::string writeError;
        if (!fw::WriteToStream(copy_, std::string_view(buffer, static_cast<std::size_t>(n)), "the copy of standard input",
                               &writeError)) {
            error_ = "standard input could not be kept: " + writeError;
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
