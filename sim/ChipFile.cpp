#include "sim/ChipFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/AtomicFile.h"

namespace sim {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

std::string CannotRead(const std::string& path, int err)
{
    return "cannot read the chip file " + path + ": " + std::strerror(err);
}

bool ReadExactly(int fd, char* buffer, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = EIO; // the file shrank while being read
            return false;
        }
        buffer += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string ParentFolder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
        return user->pw_dir;
    return {};
}

} // namespace

ChipFileLoad ChipFile::Load() const
{
    const FileDescriptor file(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        if (errno == ENOENT)
            return {ChipContents{}, {}};
        return {std::nullopt, CannotRead(path_, errno)};
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return {std::nullopt, CannotRead(path_, errno)};
    if (!S_ISREG(info.st_mode))
        return {std::nullopt, "the chip file " + path_ + " is not a regular file"};
    if (static_cast<std::size_t>(info.st_size) != kChipFileSize) {
        return {std::nullopt, "the chip file " + path_ + " is " + std::to_string(info.st_size) +
                                  " bytes long; a chip file is exactly " + std::to_string(kChipFileSize) +
                                  " bytes (" + std::to_string(kFlashSize) + " flash bytes and one lock byte)"};
    }

    std::string bytes(kChipFileSize, '\0');
    if (!ReadExactly(file.get(), bytes.data(), bytes.size()))
        return {std::nullopt, CannotRead(path_, errno)};

    ChipContents contents;
    std::copy_n(bytes.begin(), kFlashSize, contents.flash.begin());
    contents.lockBits = static_cast<std::uint8_t>(bytes[kFlashSize]) & kLockBitsMask;
    return {contents, {}};
}

bool ChipFile::Save(const ChipContents& contents, std::string* error) const
{
    if (const ChipFileLoad existing = Load(); !existing.contents) {
        if (error)
            *error = "not saving the chip over it: " + existing.error;
        return false;
    }
    if (const std::string folder = ParentFolder(path_); !folder.empty() && !fw::MakeDirectories(folder, error))
        return false;

    std::string bytes(contents.flash.begin(), contents.flash.end());
    bytes.push_back(static_cast<char>(contents.lockBits & kLockBitsMask));
    return fw::WriteFileAtomically(path_, bytes, error);
}

std::string DefaultChipPath()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    // Relative values are not valid there and are ignored.
    const std::string base = dataHome && *dataHome == '/' ? std::string(dataHome) : HomeFolder() + "/.local/share";
    return base + "/brovik/simulated-chip.bin";
}

} // namespace sim
