// SPDX-License-Identifier: GPL-2.0-or-later
// A program started with some of descriptors 0, 1 and 2 closed gets /dev/null
// there, so that the next file it opens cannot take their place.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "framework/StandardDescriptors.h"

namespace {

bool IsDevNull(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) && info.st_rdev == makedev(1, 3);
}

TEST(StandardDescriptorsTest, ClosedOnesGetDevNullAndOpenOnesAreKept)
{
    struct Case {
        bool closed[3];
    };
    for (const Case& c : {Case{{false, true, false}}, Case{{true, true, true}}, Case{{true, false, true}},
                          Case{{false, false, false}}}) {
        SCOPED_TRACE(testing::Message() << c.closed[0] << c.closed[1] << c.closed[2]);
        int keep[2];
        ASSERT_EQ(::pipe(keep), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            // The ones left open are the write end of a pipe, to tell them apart.
            for (int fd = 0; fd < 3; ++fd) {
                if (c.closed[fd])
                    ::close(fd);
                else
                    ::dup2(keep[1], fd);
            }
            ::close(keep[0]);
            ::close(keep[1]);
            if (!fw::OpenNullOnClosedStandardDescriptors())
                ::_exit(10);
            for (int fd = 0; fd < 3; ++fd) {
                const int access = ::fcntl(fd, F_GETFL) & O_ACCMODE;
                if (c.closed[fd] && (!IsDevNull(fd) || access != (fd == 0 ? O_RDONLY : O_WRONLY)))
                    ::_exit(20 + fd);
                if (!c.closed[fd] && IsDevNull(fd))
                    ::_exit(30 + fd);
            }
            const int next = ::open("/dev/null", O_RDONLY);
            ::_exit(next > 2 ? 0 : 40);
        }
        ::close(keep[0]);
        ::close(keep[1]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

} // namespace
