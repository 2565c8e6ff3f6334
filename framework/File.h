// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// CFile: a file opened for reading, its length and its bytes. Faults are
// thrown as CFileException, which carries the cause, the file name and errno.
#include <cstdint>
#include <string>

#include "framework/Types.h"

class CFileException {
public:
    enum Cause {
        none,
        generic,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    // An empty file name stands for a fault that no name belongs to.
    CFileException(Cause cause = none, int osError = 0, std::string fileName = {});

    static Cause CauseFromErrno(int error);
    // Throws the cause that error maps to.
    [[noreturn]] static void ThrowOsError(int error, const std::string& fileName = {});

    // The cause's text with "%1" replaced by the file name, or by
    // "an unnamed file" when there is none.
    std::string ErrorMessage() const;
    // Shows ErrorMessage in a box with the stop icon, owned by the main window.
    int ReportError() const;

    Cause m_cause;
    int m_osError;
    std::string m_fileName;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        // No other program may have the file open at the same time.
        shareExclusive = 0x0010,
    };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens path for reading; throws CFileException naming path. A directory
    // is refused as access denied, as it cannot be read as a file.
    void Open(const std::string& path, UINT openFlags);
    // The length in bytes; throws CFileException without a name.
    std::uint64_t GetLength() const;
    // Reads up to count bytes, fewer only at the end of the file; returns how
    // many were read. Throws CFileException without a name.
    UINT Read(void* buffer, UINT count);
    void Close();

private:
    int m_fd = -1;
};
