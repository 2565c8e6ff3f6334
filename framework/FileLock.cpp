#include "framework/FileLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "framework/SafeFile.h"

namespace fw {
namespace {

std::string LockPathOf(const std::string& target)
{
    const std::string folder = FolderOf(target);
    const std::size_t slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "/." + name + ".lock";
}

} // namespace

FileLock::FileLock(const std::string& path, Wait wait)
{
    const std::string target = FollowSymlinks(path);
    if (!MakeDirectories(FolderOf(target), &error_))
        return;
    const std::string lockPath = LockPathOf(target);
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    // A lock file that another user made can still be locked for reading.
    if (fd_ < 0 && errno == EACCES)
        fd_ = ::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = "cannot open the lock file " + lockPath + ": " + std::strerror(errno);
        return;
    }
    int locked;
    do
        locked = ::flock(fd_, LOCK_EX | (wait == Wait::No ? LOCK_NB : 0));
    while (locked != 0 && errno == EINTR);
    if (locked == 0) {
        state_ = State::Held;
    } else if (errno == EWOULDBLOCK) {
        state_ = State::InUse;
    } else {
        error_ = "cannot lock " + lockPath + ": " + std::strerror(errno);
    }
}

FileLock::~FileLock()
{
    // Closing the descriptor releases the lock.
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace fw
