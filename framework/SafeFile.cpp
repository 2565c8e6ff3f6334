#include "framework/SafeFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {
namespace {

// Temporary files are named ".NAME.brovik-tmp-PID-NUMBER" beside the target,
// so that one whose process is gone is known for a leftover of a killed run.
constexpr std::string_view kTemporaryMark = ".brovik-tmp-";
constexpr int kMostLinksFollowed = 40;

std::string Describe(const std::string& what, const std::string& path, int err)
{
    return what + " " + path + ": " + std::strerror(err);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe)";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "a special file";
}

std::string NotRegular(const std::string& path, mode_t mode)
{
    return path + " is " + KindOf(mode) + ", not a regular file; it is left as it is";
}

std::string ReadOnly(const std::string& path, mode_t mode)
{
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode & 07777));
    return path + " is read-only (mode " + octal + "); it is left as it is. Make it writable (chmod u+w) to have it replaced";
}

std::string TemporaryPrefix(const std::string& target) { return "." + NameOf(target) + std::string(kTemporaryMark); }

bool ProcessIsGone(pid_t pid) { return pid > 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH; }

void RemoveLeftovers(const std::string& folder, const std::string& target)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const std::string prefix = TemporaryPrefix(target);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix))
            continue;
        const std::string rest(name.substr(prefix.size()));
        char* end = nullptr;
        const long pid = std::strtol(rest.c_str(), &end, 10);
        if (end != rest.c_str() && *end == '-' && ProcessIsGone(static_cast<pid_t>(pid)))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// A new temporary file beside target, created 0666 less the umask; -1 with
// errno set when none could be made.
int CreateTemporary(const std::string& target, std::string& temp)
{
    static std::atomic<unsigned> counter{0};
    const std::string stem = FolderOf(target) + "/" + TemporaryPrefix(target) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        temp = stem + std::to_string((static_cast<unsigned long long>(tick) ^ counter++) % 1000000007ULL);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// The old file's owner, group and permission bits on the new one: first the
// owner and group (which clears set-id bits), as far as the process may set
// them, then the bits.
void TakeOverAttributes(int fd, const struct stat& old)
{
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    ::fchmod(fd, old.st_mode & 07777);
}

bool SyncFolder(const std::string& folder, std::string* error)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = Describe("cannot open the folder", folder, errno);
        return false;
    }
    // Some file systems cannot sync a folder; what they hold is then as safe
    // as they make it.
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int syncErrno = errno;
    ::close(fd);
    if (!synced && error)
        *error = Describe("cannot sync the folder", folder, syncErrno);
    return synced;
}

bool WriteThroughTemporary(const std::string& path, const std::string& target, std::string_view contents,
                           const struct stat* old, std::string* error)
{
    const std::string folder = FolderOf(target);
    RemoveLeftovers(folder, target);
    std::string temp;
    const int fd = CreateTemporary(target, temp);
    if (fd < 0) {
        if (error)
            *error = Describe("cannot create a temporary file in the folder", folder, errno);
        return false;
    }
    if (old)
        TakeOverAttributes(fd, *old);
    std::string writeError;
    const bool written = WriteToStream(fd, contents, temp, &writeError) && ::fsync(fd) == 0;
    const int writeErrno = errno;
    if (::close(fd) != 0 || !written) {
        if (error)
            *error = !writeError.empty() ? writeError : Describe("cannot write", temp, written ? errno : writeErrno);
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        if (error)
            *error = Describe("cannot replace", path, errno);
        ::unlink(temp.c_str());
        return false;
    }
    return SyncFolder(folder, error);
}

} // namespace

bool WriteToStream(int fd, std::string_view contents, const std::string& name, std::string* error)
{
    while (!contents.empty()) {
        const ssize_t n = ::write(fd, contents.data(), contents.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (error)
                *error = Describe("cannot write to", name, errno);
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool ReplaceFile(const std::string& path, std::string_view contents, NonRegularFile nonRegular, std::string* error)
{
    // The kernel's view first: it also follows links that name no path,
    // such as /dev/stdout on a pipe.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) != 0) {
        if (errno != ENOENT) {
            if (error)
                *error = Describe("cannot look at", path, errno);
            return false;
        }
        return WriteThroughTemporary(path, FollowSymlinks(path), contents, nullptr, error);
    }
    if (!S_ISREG(existing.st_mode)) {
        const bool stream = S_ISCHR(existing.st_mode) || S_ISBLK(existing.st_mode) || S_ISFIFO(existing.st_mode);
        if (!stream || nonRegular == NonRegularFile::Refuse) {
            if (error)
                *error = NotRegular(path, existing.st_mode);
            return false;
        }
        const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            if (error)
                *error = Describe("cannot open", path, errno);
            return false;
        }
        const bool written = WriteToStream(fd, contents, path, error);
        ::close(fd);
        return written;
    }
    // A rename needs only the folder's permission; the file's own is kept.
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        if (error)
            *error = errno == EACCES ? ReadOnly(path, existing.st_mode) : Describe("cannot write", path, errno);
        return false;
    }
    return WriteThroughTemporary(path, FollowSymlinks(path), contents, &existing, error);
}

ReadResult ReadRegularFile(const std::string& path, std::size_t maxSize, std::string& contents, std::string* error)
{
    contents.clear();
    // Without blocking: opening a FIFO would wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return ReadResult::Missing;
        if (error)
            *error = Describe("cannot read", path, errno);
        return ReadResult::Failed;
    }
    struct stat info {};
    ReadResult result = ReadResult::Read;
    if (::fstat(fd, &info) != 0) {
        if (error)
            *error = Describe("cannot read", path, errno);
        result = ReadResult::Failed;
    } else if (!S_ISREG(info.st_mode)) {
        if (error)
            *error = NotRegular(path, info.st_mode);
        result = ReadResult::Failed;
    } else if (static_cast<std::size_t>(info.st_size) > maxSize) {
        if (error)
            *error = path + " is " + std::to_string(info.st_size) + " bytes long, more than the " +
                     std::to_string(maxSize) + " bytes it may hold";
        result = ReadResult::Failed;
    }
    char buffer[8192];
    while (result == ReadResult::Read) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (error)
                *error = Describe("cannot read", path, errno);
            result = ReadResult::Failed;
        } else if (n == 0) {
            break;
        } else if (contents.size() + static_cast<std::size_t>(n) > maxSize) {
            if (error)
                *error = path + " grew beyond " + std::to_string(maxSize) + " bytes while it was read";
            result = ReadResult::Failed;
        } else {
            contents.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    if (result != ReadResult::Read)
        contents.clear();
    return result;
}

std::string FollowSymlinks(const std::string& path)
{
    std::string current = path;
    for (int followed = 0; followed < kMostLinksFollowed; ++followed) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::string link(4096, '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size())
            return path;
        link.resize(static_cast<std::size_t>(n));
        current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
    }
    return path;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool MakeDirectories(const std::string& path, std::string* error)
{
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/')
            continue;
        const std::string part = path.substr(0, pos);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            if (error)
                *error = Describe("cannot create the folder", part, errno);
            return false;
        }
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace fw
