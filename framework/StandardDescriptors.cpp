// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/StandardDescriptors.h"

#include <cerrno>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace fw {

bool OpenNullOnClosedStandardDescriptors()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number: this one, as the lower ones are open.
        const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened != fd) {
            if (opened >= 0)
                ::close(opened);
            return false;
        }
    }
    return true;
}

} // namespace fw
