// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/File.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <iterator>
#include <string>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "framework/AppName.h"
#include "framework/Host.h"
#include "framework/WinApp.h"

namespace {

// Indexed by CFileException::Cause.
constexpr std::string_view kCauseTexts[] = {
    "No error occurred.",
    "An unknown error occurred while accessing %1.",
    "%1 was not found.",
    "%1 contains an invalid path.",
    "%1 could not be opened because there are too many open files.",
    "Access to %1 was denied.",
    "An invalid file handle was associated with %1.",
    "%1 could not be removed because it is the current directory.",
    "%1 could not be created because the directory is full.",
    "Seek failed on %1",
    "A hardware I/O error was reported while accessing %1.",
    "A sharing violation occurred while accessing %1.",
    "A locking violation occurred while accessing %1.",
    "Disk full while accessing %1.",
    "An attempt was made to access %1 past its end.",
};
static_assert(std::size(kCauseTexts) == CFileException::endOfFile + 1);

// Whether the folder that path names its file in exists.
bool FolderExists(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat status{};
    return ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

CFileException::CFileException(Cause cause, int osError, std::string fileName)
    : m_cause(cause), m_osError(osError), m_fileName(std::move(fileName))
{
}

CFileException::Cause CFileException::CauseFromErrno(int error)
{
    switch (error) {
    case 0:
        return none;
    case ENOENT:
        return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return badPath;
    case EMFILE:
    case ENFILE:
        return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return accessDenied;
    case EBADF:
        return invalidFile;
    case EIO:
    case ENXIO:
    case ENODEV:
        return hardIO;
    case EWOULDBLOCK:
        return sharingViolation;
    case ENOLCK:
        return lockViolation;
    case ENOSPC:
        return diskFull;
    default:
        return generic;
    }
}

void CFileException::ThrowOsError(int error, const std::string& fileName)
{
    throw CFileException(CauseFromErrno(error), error, fileName);
}

std::string CFileException::ErrorMessage() const
{
    const std::string name = m_fileName.empty() ? std::string("an unnamed file") : m_fileName;
    std::string text(kCauseTexts[m_cause]);
    for (auto at = text.find("%1"); at != std::string::npos; at = text.find("%1", at + name.size()))
        text.replace(at, 2, name);
    return text;
}

int CFileException::ReportError() const
{
    CWnd* owner = AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr;
    return fw::CurrentHost().MessageBox(owner, ErrorMessage(), fw::ApplicationName(), MB_OK | MB_ICONHAND);
}

CFile::~CFile() { Close(); }

void CFile::Open(const std::string& path, UINT openFlags)
{
    Close();
    // Non-blocking, so that a FIFO without a writer cannot hang the caller;
    // it reads as an empty file. Regular files do not notice the flag.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        // ENOENT stands for a missing folder as well: only a missing file in
        // a folder that exists is "not found".
        if (error == ENOENT && !FolderExists(path))
            throw CFileException(CFileException::badPath, error, path);
        CFileException::ThrowOsError(error, path);
    }
    const auto refuse = [&](int error) {
        ::close(fd);
        CFileException::ThrowOsError(error, path);
    };
    struct stat status{};
    if (::fstat(fd, &status) != 0)
        refuse(errno);
    // Linux opens a directory for reading; its bytes are no file contents.
    if (S_ISDIR(status.st_mode))
        refuse(EISDIR);
    // The lock belongs to this open file description: it conflicts with every
    // other exclusive opener, in this process or another.
    if (openFlags & shareExclusive) {
        int locked;
        while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
        }
        if (locked != 0)
            refuse(errno);
    }
    m_fd = fd;
}

std::uint64_t CFile::GetLength() const
{
    struct stat status{};
    if (::fstat(m_fd, &status) != 0)
        CFileException::ThrowOsError(errno);
    return static_cast<std::uint64_t>(status.st_size);
}

UINT CFile::Read(void* buffer, UINT count)
{
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = ::read(m_fd, bytes + done, count - done);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            CFileException::ThrowOsError(errno);
        }
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}
