// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/ppdev/GuestMarks.h"

#include <fcntl.h>
#include <unistd.h>

namespace ppdev {

std::vector<std::string> GuestMarks::NewLines()
{
    std::vector<std::string> lines;
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return lines;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, readUpTo_);
        if (got <= 0)
            break;
        readUpTo_ += got;
        partial_.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    for (std::size_t newline; (newline = partial_.find('\n')) != std::string::npos;) {
        lines.push_back(partial_.substr(0, newline));
        partial_.erase(0, newline + 1);
    }
    return lines;
}

} // namespace ppdev
