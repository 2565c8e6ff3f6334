// SPDX-License-Identifier: GPL-2.0-or-later
// The file exception: which errno gives which cause, the cause texts with the
// file name put in, and the stop-icon box that reports it.
#include <cerrno>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "framework/AppName.h"
#include "framework/File.h"
#include "tests/support/TestHost.h"

namespace {

const std::string kName = "/media/usb/firmware.hex";

struct ErrnoCase {
    int error;
    std::string text;
};

void PrintTo(const ErrnoCase& c, std::ostream* os) { *os << ::strerrorname_np(c.error); }

class FileExceptionErrnoTest : public ::testing::TestWithParam<ErrnoCase> {};

TEST_P(FileExceptionErrnoTest, MessageNamesTheFile)
{
    try {
        CFileException::ThrowOsError(GetParam().error, kName);
    } catch (const CFileException& fault) {
        EXPECT_EQ(fault.m_osError, GetParam().error);
        EXPECT_EQ(fault.ErrorMessage(), GetParam().text);
        return;
    }
    ADD_FAILURE() << "nothing thrown";
}

INSTANTIATE_TEST_SUITE_P(
    Errors, FileExceptionErrnoTest,
    ::testing::Values(ErrnoCase{ENOENT, kName + " was not found."},
                      ErrnoCase{ENOTDIR, kName + " contains an invalid path."},
                      ErrnoCase{ENAMETOOLONG, kName + " contains an invalid path."},
                      ErrnoCase{ELOOP, kName + " contains an invalid path."},
                      ErrnoCase{EMFILE, kName + " could not be opened because there are too many open files."},
                      ErrnoCase{ENFILE, kName + " could not be opened because there are too many open files."},
                      ErrnoCase{EACCES, "Access to " + kName + " was denied."},
                      ErrnoCase{EPERM, "Access to " + kName + " was denied."},
                      ErrnoCase{EROFS, "Access to " + kName + " was denied."},
                      ErrnoCase{EISDIR, "Access to " + kName + " was denied."},
                      ErrnoCase{EBADF, "An invalid file handle was associated with " + kName + "."},
                      ErrnoCase{EIO, "A hardware I/O error was reported while accessing " + kName + "."},
                      ErrnoCase{ENXIO, "A hardware I/O error was reported while accessing " + kName + "."},
                      ErrnoCase{ENODEV, "A hardware I/O error was reported while accessing " + kName + "."},
                      ErrnoCase{EWOULDBLOCK, "A sharing violation occurred while accessing " + kName + "."},
                      ErrnoCase{ENOLCK, "A locking violation occurred while accessing " + kName + "."},
                      ErrnoCase{ENOSPC, "Disk full while accessing " + kName + "."},
                      ErrnoCase{EINVAL, "An unknown error occurred while accessing " + kName + "."},
                      ErrnoCase{EOVERFLOW, "An unknown error occurred while accessing " + kName + "."}),
    [](const auto& info) { return std::string(::strerrorname_np(info.param.error)); });

// The causes that no errno leads to still have their texts.
TEST(FileExceptionTest, CausesWithoutAnErrno)
{
    const std::pair<CFileException::Cause, std::string> cases[] = {
        {CFileException::none, "No error occurred."},
        {CFileException::removeCurrentDir, kName + " could not be removed because it is the current directory."},
        {CFileException::directoryFull, kName + " could not be created because the directory is full."},
        {CFileException::badSeek, "Seek failed on " + kName},
        {CFileException::endOfFile, "An attempt was made to access " + kName + " past its end."},
    };
    for (const auto& [cause, text] : cases)
        EXPECT_EQ(CFileException(cause, 0, kName).ErrorMessage(), text);
}

TEST(FileExceptionTest, FaultWithoutANameSpeaksOfAnUnnamedFile)
{
    EXPECT_EQ(CFileException(CFileException::hardIO, EIO).ErrorMessage(),
              "A hardware I/O error was reported while accessing an unnamed file.");
}

TEST(FileExceptionTest, ReportShowsTheMessageWithTheStopIcon)
{
    test::TestHost host;
    const fw::Setup setup(host);
    CFileException(CFileException::fileNotFound, ENOENT, kName).ReportError();

    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, kName + " was not found.");
    EXPECT_EQ(host.boxes[0].icon, MB_ICONHAND);
    EXPECT_EQ(host.boxes[0].caption, fw::ApplicationName());
}

} // namespace
