// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/SafeFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/FileTarget.h"
#include "framework/ReplaceSeam.h"

namespace fw {
namespace {

// Temporary files are named ".NAME.brovik-tmp-PID-NUMBER" beside the target,
// so that one whose process is gone is known for a leftover of a killed run.
constexpr std::string_view kTemporaryMark = ".brovik-tmp-";

std::string Describe(const std::string& what, const std::string& path, int err)
{
    return what + " " + path + ": " + std::strerror(err);
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

std::string TemporaryPrefix(const std::string& name) { return "." + name + std::string(kTemporaryMark); }

bool ProcessIsGone(pid_t pid) { return pid > 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH; }

std::function<void()>& BeforeReplaceHook()
{
    static std::function<void()> hook;
    return hook;
}

// Only this user's own regular files: in a shared folder a name is no proof
// of who made it.
void RemoveLeftovers(const FileTarget& target)
{
    const int listFd = ::openat(target.folder.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    const std::string prefix = TemporaryPrefix(target.name);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix))
            continue;
        const std::string rest(name.substr(prefix.size()));
        char* end = nullptr;
        const long pid = std::strtol(rest.c_str(), &end, 10);
        struct stat info {};
        if (end != rest.c_str() && *end == '-' && ProcessIsGone(static_cast<pid_t>(pid)) &&
            ::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid())
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// A new temporary file beside the target, created 0666 less the umask; -1
// with errno set when none could be made.
int CreateTemporary(const FileTarget& target, std::string& temp)
{
    static std::atomic<unsigned> counter{0};
    const std::string stem = TemporaryPrefix(target.name) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
        temp = stem + std::to_string((static_cast<unsigned long long>(tick) ^ counter++) % 1000000007ULL);
        const int fd = ::openat(target.folder.Get(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                0666);
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
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
            // Neither is allowed: the new file stays the user's own, which is
            // all an ordinary user can have.
        }
    }
    ::fchmod(fd, old.st_mode & 07777);
}

bool SyncFolder(const FileTarget& target, std::string* error)
{
    const int fd = ::openat(target.folder.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = Describe("cannot open the folder", target.folderPath, errno);
        return false;
    }
    // Some file systems cannot sync a folder; what they hold is then as safe
    // as they make it.
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int syncErrno = errno;
    ::close(fd);
    if (!synced && error)
        *error = Describe("cannot sync the folder", target.folderPath, syncErrno);
    return synced;
}

std::string Changed(const std::string& path)
{
    return path + " was changed by someone else while it was being replaced; it is left as it is. Check what is "
                  "there now, and try again";
}

// True when the name holds what was checked: the same object, or still
// nothing. now is what it holds.
bool StillHolds(const FileTarget& target, std::optional<struct stat>& now)
{
    struct stat info {};
    if (::fstatat(target.folder.Get(), target.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        now.reset();
        return errno == ENOENT && !target.existing;
    }
    now = info;
    return target.existing && S_ISREG(info.st_mode) && SameObject(info, *target.existing);
}

// Into the name without replacing anything, where the file system can say so.
int RenameOverNothing(const FileTarget& target, const std::string& temp)
{
    const int renamed = ::renameat2(target.folder.Get(), temp.c_str(), target.folder.Get(), target.name.c_str(),
                                    RENAME_NOREPLACE);
    if (renamed == 0 || (errno != EINVAL && errno != ENOSYS))
        return renamed;
    return ::renameat(target.folder.Get(), temp.c_str(), target.folder.Get(), target.name.c_str());
}

bool WriteThroughTemporary(const std::string& path, const FileTarget& target, std::string_view contents,
                           std::string* error)
{
    RemoveLeftovers(target);
    std::string temp;
    const int fd = CreateTemporary(target, temp);
    if (fd < 0) {
        if (error)
            *error = Describe("cannot create a temporary file in the folder", target.folderPath, errno);
        return false;
    }
    const auto removeTemporary = [&] { ::unlinkat(target.folder.Get(), temp.c_str(), 0); };
    std::string writeError;
    bool written = WriteToStream(fd, contents, target.Beside(temp), &writeError);
    int writeErrno = errno;
    if (written) {
        if (const std::function<void()>& hook = BeforeReplaceHook())
            hook();
        std::optional<struct stat> now;
        if (!StillHolds(target, now)) {
            ::close(fd);
            removeTemporary();
            if (error)
                *error = Changed(path);
            return false;
        }
        // The attributes of the object that is there now, which is the one
        // checked.
        if (now)
            TakeOverAttributes(fd, *now);
        written = ::fsync(fd) == 0;
        writeErrno = errno;
    }
    if (::close(fd) != 0 || !written) {
        if (error)
            *error = !writeError.empty() ? writeError
                                         : Describe("cannot write", target.Beside(temp), written ? errno : writeErrno);
        removeTemporary();
        return false;
    }
    const int renamed = target.existing ? ::renameat(target.folder.Get(), temp.c_str(), target.folder.Get(),
                                                     target.name.c_str())
                                        : RenameOverNothing(target, temp);
    if (renamed != 0) {
        if (error)
            *error = errno == EEXIST ? Changed(path) : Describe("cannot replace", path, errno);
        removeTemporary();
        return false;
    }
    return SyncFolder(target, error);
}

// A device or FIFO, opened for writing as the object checked.
bool WriteIntoStream(const std::string& path, const FileTarget& target, std::string_view contents,
                     std::string* error)
{
    const int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC;
    const int fd = target.unnamed.Valid()
                       ? ::open(("/proc/self/fd/" + std::to_string(target.unnamed.Get())).c_str(), flags)
                       : ::openat(target.folder.Get(), target.name.c_str(), flags | O_NOFOLLOW);
    if (fd < 0) {
        if (error)
            *error = Describe("cannot open", path, errno);
        return false;
    }
    struct stat opened {};
    bool written = false;
    if (::fstat(fd, &opened) != 0 || !SameObject(opened, *target.existing)) {
        if (error)
            *error = Changed(path);
    } else {
        written = WriteToStream(fd, contents, path, error);
    }
    ::close(fd);
    return written;
}

} // namespace

void SetBeforeReplaceHook(std::function<void()> hook) { BeforeReplaceHook() = std::move(hook); }

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
    std::string resolveError;
    const std::optional<FileTarget> target = ResolveFileTarget(path, MissingFolders::Refuse, resolveError);
    if (!target) {
        if (error)
            *error = resolveError;
        return false;
    }
    if (!target->existing)
        return WriteThroughTemporary(path, *target, contents, error);
    const mode_t mode = target->existing->st_mode;
    if (!S_ISREG(mode)) {
        const bool stream = S_ISCHR(mode) || S_ISBLK(mode) || S_ISFIFO(mode);
        if (!stream || nonRegular == NonRegularFile::Refuse) {
            if (error)
                *error = NotRegular(path, mode);
            return false;
        }
        return WriteIntoStream(path, *target, contents, error);
    }
    // A rename needs only the folder's permission; the file's own is kept.
    if (::faccessat(target->folder.Get(), target->name.c_str(), W_OK, AT_EACCESS) != 0) {
        if (error)
            *error = errno == EACCES ? ReadOnly(path, mode) : Describe("cannot write", path, errno);
        return false;
    }
    return WriteThroughTemporary(path, *target, contents, error);
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

bool MakeFoldersFor(const std::string& path, std::string* error)
{
    std::string resolveError;
    if (ResolveFileTarget(path, MissingFolders::Create, resolveError))
        return true;
    if (error)
        *error = resolveError;
    return false;
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat firstFile {}, secondFile {};
    const bool firstThere = ::stat(a.c_str(), &firstFile) == 0;
    const bool secondThere = ::stat(b.c_str(), &secondFile) == 0;
    if (firstThere || secondThere)
        return firstThere && secondThere && SameObject(firstFile, secondFile);
    // Neither is there yet: the same name in the same folder.
    std::string ignored;
    const std::optional<FileTarget> first = ResolveFileTarget(a, MissingFolders::Refuse, ignored);
    const std::optional<FileTarget> second = ResolveFileTarget(b, MissingFolders::Refuse, ignored);
    struct stat firstFolder {}, secondFolder {};
    return first && second && first->folder.Valid() && second->folder.Valid() && first->name == second->name &&
           ::fstat(first->folder.Get(), &firstFolder) == 0 && ::fstat(second->folder.Get(), &secondFolder) == 0 &&
           SameObject(firstFolder, secondFolder);
}

} // namespace fw
