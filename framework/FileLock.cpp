// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/FileLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/SafeFile.h"

namespace fw {
namespace {

// A lock file that was removed and made again by another program after it
// was opened here holds no lock for anyone; it is opened again, this often.
constexpr int kMostOpenings = 10;

std::string CannotOpen(const std::string& lockPath, const std::string& folderPath, int err)
{
    switch (err) {
    case ELOOP:
        return "the lock file " + lockPath + " is a symlink, which is never followed; remove it (rm " + lockPath +
               ") and try again";
    case EISDIR:
        return "the lock file " + lockPath + " is a folder; remove it (rmdir " + lockPath + ") and try again";
    default:
        return "cannot open the lock file " + lockPath + ": " + std::strerror(err) + "; it must be possible to make it "
               "in the folder " + folderPath + " (make the folder writable, or keep the file in another folder), "
               "and then try again";
    }
}

} // namespace

FileLock::FileLock(const std::string& path, Wait wait, MissingFolders folders)
{
    if (folders == MissingFolders::Create && !MakeFoldersFor(path, &error_))
        return;
    const std::optional<FileTarget> target = ResolveFileTarget(path, MissingFolders::Refuse, error_);
    if (!target)
        return;
    if (!target->folder.Valid()) {
        error_ = path + " is not a file in a folder, so it cannot be locked; choose a file";
        return;
    }
    Take(*target, wait);
}

void FileLock::Take(const FileTarget& target, Wait wait)
{
    const std::string lockName = "." + target.name + ".lock";
    const std::string lockPath = target.Beside(lockName);
    const int dirFd = target.folder.Get();
    for (int opening = 0; opening < kMostOpenings; ++opening) {
        fd_ = ::openat(dirFd, lockName.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
        // A lock file that another user made can still be locked for reading.
        if (fd_ < 0 && errno == EACCES) {
            fd_ = ::openat(dirFd, lockName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (fd_ < 0 && errno == ENOENT)
                errno = EACCES;
        }
        if (fd_ < 0) {
            error_ = CannotOpen(lockPath, target.folderPath, errno);
            return;
        }
        struct stat opened {};
        if (::fstat(fd_, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            error_ = "the lock file " + lockPath + " is not a regular file; remove it (rm " + lockPath +
                     ") and try again";
            return;
        }
        int locked;
        do
            locked = ::flock(fd_, LOCK_EX | (wait == Wait::No ? LOCK_NB : 0));
        while (locked != 0 && errno == EINTR);
        if (locked != 0 && errno == EWOULDBLOCK) {
            state_ = State::InUse;
            return;
        }
        if (locked != 0) {
            error_ = "cannot lock " + lockPath + ": " + std::strerror(errno) + "; try again";
            return;
        }
        struct stat named {};
        if (::fstatat(dirFd, lockName.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && SameObject(named, opened)) {
            state_ = State::Held;
            return;
        }
        ::close(fd_);
        fd_ = -1;
    }
    error_ = "the lock file " + lockPath + " keeps being replaced by another program; try again when it has finished";
}

FileLock::~FileLock()
{
    // Closing the descriptor releases the lock.
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace fw
