// SPDX-License-Identifier: GPL-2.0-or-later
// Replacing and reading kept files on real files in a temporary folder:
// links, modes, the umask, read-only files, special files, failures and the
// leftovers of killed runs.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "framework/SafeFile.h"
#include "tests/support/FileChecks.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using test::HandToOrdinaryUser;
using test::InChildAsOrdinaryUser;
using test::kNobody;
using test::ModeOf;
using test::ReadFileBytes;
using test::ScopedUmask;
using test::WriteFileBytes;

// The names in folder other than the ones given.
std::vector<std::string> OtherNames(const fs::path& folder, const std::vector<std::string>& known)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end())
            names.push_back(name);
    }
    return names;
}

class SafeFileTest : public ::testing::Test {
protected:
    test::TempDir temp;
    const fs::path& dir = temp.Path();
};

TEST_F(SafeFileTest, ASymlinkIsFollowedToItsTargetAndStays)
{
    fs::create_directory(dir / "dotfiles");
    WriteFileBytes(dir / "dotfiles/real.ini", "old");
    // A chain of two links, the first one relative to its own folder.
    fs::create_symlink("dotfiles/real.ini", dir / "first");
    fs::create_symlink(dir / "first", dir / "second");

    std::string error;
    ASSERT_TRUE(fw::ReplaceFile((dir / "second").string(), "new", fw::NonRegularFile::Refuse, &error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir / "second"));
    EXPECT_TRUE(fs::is_symlink(dir / "first"));
    EXPECT_EQ(ReadFileBytes(dir / "dotfiles/real.ini"), "new");
    EXPECT_EQ(OtherNames(dir / "dotfiles", {"real.ini"}), std::vector<std::string>{});
}

TEST_F(SafeFileTest, ALinkToNothingYetCreatesItsTarget)
{
    fs::create_symlink("target.bin", dir / "link.bin");
    ASSERT_TRUE(fw::ReplaceFile((dir / "link.bin").string(), "made", fw::NonRegularFile::Refuse));
    EXPECT_TRUE(fs::is_symlink(dir / "link.bin"));
    EXPECT_EQ(ReadFileBytes(dir / "target.bin"), "made");
}

TEST_F(SafeFileTest, ANewFileGetsTheUmasksModeAndAnExistingOneKeepsItsOwn)
{
    struct Case {
        mode_t umask;
        std::optional<mode_t> existing;
        mode_t expected;
    };
    const Case cases[] = {
        {077, std::nullopt, 0600}, {022, std::nullopt, 0644}, {002, std::nullopt, 0664},
        {022, 0640, 0640},         {077, 0640, 0640},         {022, 0604, 0604},
        {000, 0600, 0600},         {022, 0755, 0755},
    };
    int number = 0;
    for (const Case& c : cases) {
        const fs::path path = dir / ("file" + std::to_string(number++));
        SCOPED_TRACE(testing::Message() << std::oct << "umask " << c.umask << ", existing "
                                        << c.existing.value_or(0));
        if (c.existing) {
            WriteFileBytes(path, "old");
            ASSERT_EQ(::chmod(path.c_str(), *c.existing), 0);
        }
        const ScopedUmask mask(c.umask);
        ASSERT_TRUE(fw::ReplaceFile(path.string(), "new", fw::NonRegularFile::Refuse));
        EXPECT_EQ(ModeOf(path) & 07777, c.expected);
        EXPECT_EQ(ReadFileBytes(path), "new");
    }
}

TEST_F(SafeFileTest, AnExistingFileKeepsItsOwnerAndGroupWhereTheProcessMaySetThem)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user; run the tests as root to check this";
    const fs::path path = dir / "theirs.ini";
    WriteFileBytes(path, "old");
    ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    ASSERT_TRUE(fw::ReplaceFile(path.string(), "new", fw::NonRegularFile::Refuse));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, kNobody);
    EXPECT_EQ(info.st_gid, kNobody);
    EXPECT_EQ(ReadFileBytes(path), "new");
}

TEST_F(SafeFileTest, AFileItsOwnerMayNotWriteIsLeftAlone)
{
    const fs::path path = dir / "chip.bin";
    WriteFileBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_TRUE(HandToOrdinaryUser(dir, path));
    // The verdict and the message come back through the exit status.
    EXPECT_TRUE(InChildAsOrdinaryUser([&] {
        std::string error;
        const bool replaced = fw::ReplaceFile(path.string(), "new", fw::NonRegularFile::Refuse, &error);
        return !replaced && error == path.string() +
                                         " is read-only (mode 0444); it is left as it is. Make it writable "
                                         "(chmod u+w) to have it replaced";
    }));
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(ModeOf(path) & 07777, 0444u);
    EXPECT_EQ(OtherNames(dir, {"chip.bin"}), std::vector<std::string>{});
}

TEST_F(SafeFileTest, AFolderOrFifoIsNeverReplaced)
{
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    struct Case {
        const char* name;
        fw::NonRegularFile nonRegular;
        const char* kind;
    };
    for (const Case& c : {Case{"folder", fw::NonRegularFile::Refuse, "a folder"},
                          Case{"folder", fw::NonRegularFile::WriteAsStream, "a folder"},
                          Case{"fifo", fw::NonRegularFile::Refuse, "a FIFO (named pipe)"}}) {
        SCOPED_TRACE(c.name);
        const std::string path = (dir / c.name).string();
        std::string error;
        EXPECT_FALSE(fw::ReplaceFile(path, "new", c.nonRegular, &error));
        EXPECT_EQ(error, path + " is " + c.kind + ", not a regular file; it is left as it is");
    }
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    EXPECT_EQ(OtherNames(dir, {"folder", "fifo"}), std::vector<std::string>{});
}

TEST_F(SafeFileTest, AFifoTakesTheContentsAsAStream)
{
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::string error;
    EXPECT_TRUE(fw::ReplaceFile(fifo.string(), "streamed", fw::NonRegularFile::WriteAsStream, &error)) << error;
    char buffer[16] = {};
    EXPECT_EQ(::read(reader, buffer, sizeof buffer), 8);
    EXPECT_EQ(std::string(buffer), "streamed");
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(SafeFileTest, ADeviceNodeTakesTheContentsAsAStreamAndStays)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mknod needs root; run the tests as root to check a device node";
    const fs::path node = dir / "null";
    ASSERT_EQ(::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    std::string error;
    EXPECT_TRUE(fw::ReplaceFile(node.string(), "gone", fw::NonRegularFile::WriteAsStream, &error)) << error;
    EXPECT_FALSE(fw::ReplaceFile(node.string(), "gone", fw::NonRegularFile::Refuse, &error));
    EXPECT_EQ(error, node.string() + " is a device, not a regular file; it is left as it is");
    EXPECT_TRUE(S_ISCHR(ModeOf(node)));
    EXPECT_EQ(OtherNames(dir, {"null"}), std::vector<std::string>{});
}

TEST_F(SafeFileTest, AWriteThatFailsRemovesItsTemporaryFileAndKeepsTheOldOne)
{
    const fs::path path = dir / "settings.ini";
    WriteFileBytes(path, "old");
    // A file size limit makes the write of the temporary file fail half-way.
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{10, 10};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool replaced = fw::ReplaceFile(path.string(), std::string(100, 'x'), fw::NonRegularFile::Refuse, &error);
        ::_exit(!replaced && error.find("File too large") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(OtherNames(dir, {"settings.ini"}), std::vector<std::string>{});
}

TEST_F(SafeFileTest, LeftoversOfKilledRunsAreClearedAtTheNextWriteOfTheSameFile)
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const std::string ofKilledRun = ".chip.bin.brovik-tmp-" + std::to_string(gone) + "-123";
    // Process 1 always runs: its file may still be being written.
    const std::string ofRunningProgram = ".chip.bin.brovik-tmp-1-456";
    const std::string ofOtherFile = ".other.bin.brovik-tmp-" + std::to_string(gone) + "-789";
    for (const std::string& name : {ofKilledRun, ofRunningProgram, ofOtherFile})
        WriteFileBytes(dir / name, "half");

    ASSERT_TRUE(fw::ReplaceFile((dir / "chip.bin").string(), "whole", fw::NonRegularFile::Refuse));
    EXPECT_FALSE(fs::exists(dir / ofKilledRun));
    EXPECT_TRUE(fs::exists(dir / ofRunningProgram));
    EXPECT_TRUE(fs::exists(dir / ofOtherFile)) << "only the leftovers of the file written go";
}

TEST_F(SafeFileTest, ReadingTakesOnlyRegularFilesAndNeverWaits)
{
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    WriteFileBytes(dir / "big", std::string(101, 'b'));
    WriteFileBytes(dir / "small", "small");
    fs::create_symlink("small", dir / "link");
    struct Case {
        const char* name;
        fw::ReadResult result;
        std::string contents;
        std::string error;  // after the path
    };
    const Case cases[] = {
        {"small", fw::ReadResult::Read, "small", ""},
        {"link", fw::ReadResult::Read, "small", ""},
        {"missing", fw::ReadResult::Missing, "", ""},
        {"fifo", fw::ReadResult::Failed, "", " is a FIFO (named pipe), not a regular file; it is left as it is"},
        {"folder", fw::ReadResult::Failed, "", " is a folder, not a regular file; it is left as it is"},
        {"big", fw::ReadResult::Failed, "", " is 101 bytes long, more than the 100 bytes it may hold"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (dir / c.name).string();
        std::string contents = "before";
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(fw::ReadRegularFile(path, 100, contents, &error), c.result);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(contents, c.contents);
        EXPECT_EQ(error, c.error.empty() ? "" : path + c.error);
    }
}

} // namespace
