// SPDX-License-Identifier: GPL-2.0-or-later
// Files in folders that another user may write (/tmp and the like), as that
// user would attack them: links planted where the program will write, a file
// swapped for a link between the check and the rename, planted lock files.
// The attacker is uid 65534, so these tests run as root and skip otherwise.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "framework/FileLock.h"
#include "framework/ReplaceSeam.h"
#include "framework/SafeFile.h"
#include "tests/support/FileChecks.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using test::InChildAsOrdinaryUser;
using test::kNobody;
using test::ModeOf;
using test::ReadFileBytes;
using test::WriteFileBytes;

std::string PlantedLinkError(const fs::path& link)
{
    return "the symlink " + link.string() + " is not followed: it belongs to another user (uid 65534) in the shared "
                                            "folder " +
           link.parent_path().string() + ", so it may lead anywhere. Remove it, or choose another name";
}

// A folder of root's that the other user cannot enter, holding what a
// planted link aims at, and a sticky folder that everybody may write.
class SharedFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "another user's links need root to play that user (uid 65534); run the tests as root";
        fs::permissions(dir, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        fs::create_directory(outside);
        fs::permissions(outside, fs::perms::owner_all);
        WriteFileBytes(secret, "root only");
        fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
        MakeShared(shared, 01777);
    }
    static void MakeShared(const fs::path& folder, mode_t mode)
    {
        fs::create_directory(folder);
        ASSERT_EQ(::chmod(folder.c_str(), mode), 0);
    }
    // A symlink that the other user makes.
    static bool Plant(const fs::path& target, const fs::path& link)
    {
        return InChildAsOrdinaryUser([&] { return ::symlink(target.c_str(), link.c_str()) == 0; });
    }
    void ExpectOutsideUntouched() const
    {
        EXPECT_EQ(ReadFileBytes(secret), "root only");
        EXPECT_EQ(ModeOf(secret) & 07777, 0600u);
        std::size_t names = 0;
        for ([[maybe_unused]] const fs::directory_entry& entry : fs::directory_iterator(outside))
            ++names;
        EXPECT_EQ(names, 1u) << "nothing was made beside the secret";
    }
    std::size_t TemporaryFilesIn(const fs::path& folder) const
    {
        std::size_t found = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            found += entry.path().filename().string().find("brovik-tmp") != std::string::npos;
        return found;
    }

    test::TempDir temp;
    const fs::path& dir = temp.Path();
    const fs::path outside = dir / "outside";
    const fs::path secret = outside / "secret";
    const fs::path shared = dir / "shared";
};

TEST_F(SharedFolderTest, ALinkIsFollowedOnlyWhenItsOwnerMayChooseWhereItLeads)
{
    struct Case {
        const char* name;
        mode_t folderMode;
        bool folderIsTheirs;
        bool linkIsTheirs;
        bool followed;
    };
    const Case cases[] = {
        {"their link in a sticky folder", 01777, false, true, false},
        {"their link in a world-writable folder", 0777, false, true, false},
        {"their link in their own sticky folder", 01777, true, true, true},
        {"my own link in a sticky folder", 01777, false, false, true},
        {"their link in a folder only they may write", 0755, true, true, true},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = dir / ("folder" + std::to_string(number));
        const fs::path target = outside / ("target" + std::to_string(number++));
        MakeShared(folder, c.folderMode);
        if (c.folderIsTheirs) {
            ASSERT_EQ(::chown(folder.c_str(), kNobody, kNobody), 0);
        }
        WriteFileBytes(target, "old");
        const fs::path link = folder / "dump.hex";
        if (c.linkIsTheirs) {
            ASSERT_TRUE(Plant(target, link));
        } else {
            fs::create_symlink(target, link);
        }

        std::string error;
        EXPECT_EQ(fw::ReplaceFile(link.string(), "new", fw::NonRegularFile::Refuse, &error), c.followed) << error;
        EXPECT_EQ(ReadFileBytes(target), c.followed ? "new" : "old");
        EXPECT_EQ(error, c.followed ? "" : PlantedLinkError(link));
        EXPECT_TRUE(fs::is_symlink(link)) << "the link stays either way";
        EXPECT_EQ(TemporaryFilesIn(folder), 0u);
        fs::remove(target);
    }
    ExpectOutsideUntouched();
}

TEST_F(SharedFolderTest, APlantedLinkAnywhereOnTheWayIsRefused)
{
    // To the secret itself, to the folder holding it, to a device through a
    // stream write, and to a place that does not exist yet.
    ASSERT_TRUE(Plant(secret, shared / "dump.hex"));
    ASSERT_TRUE(Plant(outside, shared / "folder"));
    ASSERT_TRUE(Plant("/dev/null", shared / "device"));
    ASSERT_TRUE(Plant(outside / "new/sub/chip.bin", shared / "chip.bin"));
    struct Case {
        fs::path path;
        fs::path link;
        fw::NonRegularFile nonRegular;
    };
    for (const Case& c : {Case{shared / "dump.hex", shared / "dump.hex", fw::NonRegularFile::WriteAsStream},
                          Case{shared / "folder/secret", shared / "folder", fw::NonRegularFile::Refuse},
                          Case{shared / "device", shared / "device", fw::NonRegularFile::WriteAsStream},
                          Case{shared / "chip.bin", shared / "chip.bin", fw::NonRegularFile::Refuse}}) {
        SCOPED_TRACE(c.path.string());
        std::string error;
        EXPECT_FALSE(fw::ReplaceFile(c.path.string(), "dump", c.nonRegular, &error));
        EXPECT_EQ(error, PlantedLinkError(c.link));
        // The default locations make folders; not through such a link.
        EXPECT_FALSE(fw::MakeFoldersFor(c.path.string(), &error));
        EXPECT_EQ(error, PlantedLinkError(c.link));
    }
    EXPECT_EQ(TemporaryFilesIn(shared), 0u);
    ExpectOutsideUntouched();
}

// The other user owns the file in the sticky folder, and swaps it for a link
// to the secret in the moment between the check and the rename.
TEST_F(SharedFolderTest, AFileSwappedForALinkBeforeTheRenameIsNotReplaced)
{
    const fs::path file = shared / "dump.hex";
    const auto swapForLink = [&] {
        ASSERT_TRUE(InChildAsOrdinaryUser(
            [&] { return ::unlink(file.c_str()) == 0 && ::symlink(secret.c_str(), file.c_str()) == 0; }));
    };
    const std::string changed = file.string() + " was changed by someone else while it was being replaced; it is "
                                                "left as it is. Check what is there now, and try again";
    for (const bool existedBefore : {true, false}) {
        SCOPED_TRACE(existedBefore ? "their file swapped" : "a link put where there was none");
        fs::remove(file);
        if (existedBefore) {
            ASSERT_TRUE(InChildAsOrdinaryUser([&] {
                const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
                return fd >= 0 && ::fchmod(fd, 0666) == 0 && ::close(fd) == 0;
            }));
        }
        int hookCalls = 0;
        fw::SetBeforeReplaceHook([&] {
            ++hookCalls;
            if (existedBefore) {
                swapForLink();
            } else {
                ASSERT_TRUE(Plant(secret, file));
            }
        });
        std::string error;
        EXPECT_FALSE(fw::ReplaceFile(file.string(), "dump", fw::NonRegularFile::WriteAsStream, &error));
        fw::SetBeforeReplaceHook({});
        EXPECT_EQ(hookCalls, 1);
        EXPECT_EQ(error, changed);
        EXPECT_TRUE(fs::is_symlink(file)) << "what they put there is left as it is";
        EXPECT_EQ(TemporaryFilesIn(shared), 0u);
        ExpectOutsideUntouched();
    }
}

TEST_F(SharedFolderTest, TheReplacedFileKeepsTheOwnerAndModeOfWhatWasThere)
{
    const fs::path file = shared / "theirs.hex";
    ASSERT_TRUE(InChildAsOrdinaryUser([&] {
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        return fd >= 0 && ::fchmod(fd, 0666) == 0 && ::close(fd) == 0;
    }));
    // The other user changes the mode after the first look; what is there
    // at the rename is what counts.
    fw::SetBeforeReplaceHook([&] { ASSERT_TRUE(InChildAsOrdinaryUser([&] { return ::chmod(file.c_str(), 0640) == 0; })); });
    std::string error;
    EXPECT_TRUE(fw::ReplaceFile(file.string(), "dump", fw::NonRegularFile::Refuse, &error)) << error;
    fw::SetBeforeReplaceHook({});
    struct stat info {};
    ASSERT_EQ(::lstat(file.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_uid, kNobody);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadFileBytes(file), "dump");
}

TEST_F(SharedFolderTest, APlantedLockFileTakesNoLockAndSaysWhatToDo)
{
    const std::string chip = (shared / "chip.bin").string();
    const fs::path lock = shared / ".chip.bin.lock";
    struct Case {
        const char* name;
        std::function<bool()> plant;
        std::string error;
    };
    const Case cases[] = {
        {"a link to the secret", [&] { return Plant(secret, lock); },
         "the lock file " + lock.string() + " is a symlink, which is never followed; remove it (rm " + lock.string() +
             ") and try again"},
        {"a link to nowhere", [&] { return Plant(outside / "made/by/us", lock); },
         "the lock file " + lock.string() + " is a symlink, which is never followed; remove it (rm " + lock.string() +
             ") and try again"},
        {"a folder", [&] { return InChildAsOrdinaryUser([&] { return ::mkdir(lock.c_str(), 0777) == 0; }); },
         "the lock file " + lock.string() + " is a folder; remove it (rmdir " + lock.string() + ") and try again"},
        {"a FIFO", [&] { return InChildAsOrdinaryUser([&] { return ::mkfifo(lock.c_str(), 0666) == 0; }); },
         "the lock file " + lock.string() + " is not a regular file; remove it (rm " + lock.string() +
             ") and try again"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.plant());
        for (const fw::FileLock::Wait wait : {fw::FileLock::Wait::No, fw::FileLock::Wait::Yes}) {
            const fw::FileLock taken(chip, wait, fw::MissingFolders::Create);
            EXPECT_EQ(taken.GetState(), fw::FileLock::State::Unavailable);
            EXPECT_EQ(taken.Error(), c.error);
        }
        fs::remove(lock);
    }
    ExpectOutsideUntouched();
}

TEST_F(SharedFolderTest, ALockInAFolderTheUserMayNotWriteIsUnavailable)
{
    const fs::path folder = dir / "roots";
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const std::string chip = (folder / "chip.bin").string();
    EXPECT_TRUE(InChildAsOrdinaryUser([&] {
        const fw::FileLock taken(chip, fw::FileLock::Wait::No);
        return taken.GetState() == fw::FileLock::State::Unavailable &&
               taken.Error() == "cannot open the lock file " + folder.string() +
                                    "/.chip.bin.lock: Permission denied; it must be possible to make it in the folder " +
                                    folder.string() +
                                    " (make the folder writable, or keep the file in another folder), and then try "
                                    "again";
    }));
    EXPECT_FALSE(fs::exists(folder / ".chip.bin.lock"));
}

} // namespace
