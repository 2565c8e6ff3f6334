// SPDX-License-Identifier: GPL-2.0-or-later
// brovik-cli run by root on files in a sticky folder that another user
// (uid 65534) may write: the links and lock files that user planted there
// are never followed, the run is refused with a message, and the file they
// aim at is untouched.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "sim/ChipFile.h"
#include "tests/cli/CliProcess.h"
#include "tests/support/FileChecks.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using test::CliResult;
using test::InChildAsOrdinaryUser;
using test::ReadFileBytes;
using test::RunCli;
using test::WriteFileBytes;

class CliSharedFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "another user's links need root to play that user (uid 65534); run the tests as root";
        fs::permissions(dir, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        environment = test::UserEnvironmentIn(dir);
        fs::create_directory(outside);
        fs::permissions(outside, fs::perms::owner_all);
        WriteFileBytes(secret, std::string(8193, '\x5A'));
        fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
        fs::create_directory(shared);
        ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    }
    static std::function<bool()> PlantLink(const fs::path& target, const fs::path& link)
    {
        return [=] { return InChildAsOrdinaryUser([&] { return ::symlink(target.c_str(), link.c_str()) == 0; }); };
    }
    static std::function<bool()> PlantFolder(const fs::path& folder)
    {
        return [=] { return InChildAsOrdinaryUser([&] { return ::mkdir(folder.c_str(), 0777) == 0; }); };
    }
    std::size_t NamesOutside() const
    {
        std::size_t names = 0;
        for ([[maybe_unused]] const fs::directory_entry& entry : fs::recursive_directory_iterator(outside))
            ++names;
        return names;
    }

    test::TempDir temp;
    const fs::path& dir = temp.Path();
    std::vector<std::string> environment;
    const fs::path outside = dir / "outside";
    const fs::path secret = outside / "secret";
    const fs::path shared = dir / "shared";
};

TEST_F(CliSharedFolderTest, PlantedLinksAndLockFilesRefuseTheRunAndTouchNothingOutside)
{
    const fs::path ownChip = dir / "chip.bin";
    const fs::path sharedChip = shared / "chip.bin";
    const fs::path dump = shared / "dump.hex";
    const fs::path lock = shared / ".chip.bin.lock";
    const auto linkRefused = [&](const fs::path& link) {
        return "the symlink " + link.string() + " is not followed: it belongs to another user (uid 65534) in the "
                                                "shared folder " +
               shared.string() + ", so it may lead anywhere. Remove it, or choose another name";
    };
    const std::string notLocked = "brovik-cli: the simulated chip " + sharedChip.string() +
                                  " cannot be locked, so it is not used: ";
    struct Case {
        const char* name;
        std::function<bool()> plant;
        fs::path chip;
        std::vector<std::string> command;
        std::string error;
    };
    const Case cases[] = {
        {"read into their link", PlantLink(secret, dump), ownChip, {"read", dump.string()},
         "brovik-cli: the flash could not be written out: " + linkRefused(dump)},
        {"--chip their link", PlantLink(secret, sharedChip), sharedChip, {"erase"},
         notLocked + linkRefused(sharedChip)},
        {"--chip their link to a missing path", PlantLink(outside / "new/sub/chip.bin", sharedChip), sharedChip,
         {"erase"}, notLocked + linkRefused(sharedChip)},
        {"their lock link", PlantLink(secret, lock), sharedChip, {"lock", "1"},
         notLocked + "the lock file " + lock.string() + " is a symlink, which is never followed; remove it (rm " +
             lock.string() + ") and try again"},
        {"their lock folder", PlantFolder(lock), sharedChip, {"program", "-"},
         notLocked + "the lock file " + lock.string() + " is a folder; remove it (rmdir " + lock.string() +
             ") and try again"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.plant());
        // Root's own chip file, unless a link was planted in its place.
        if (!fs::is_symlink(c.chip)) {
            ASSERT_TRUE(sim::ChipFile(c.chip.string()).Save(sim::ChipContents{}));
        }
        const std::string chipBefore = fs::is_symlink(c.chip) ? "" : ReadFileBytes(c.chip);

        std::vector<std::string> arguments = {"--port", "sim", "--fast", "--chip", c.chip.string()};
        arguments.insert(arguments.end(), c.command.begin(), c.command.end());
        const CliResult result = RunCli(arguments, environment, {.standardInput = ":00000001FF\n"});
        EXPECT_EQ(result.exitStatus, 1) << result.err;
        EXPECT_EQ(result.err, c.error + "\n");
        EXPECT_EQ(ReadFileBytes(secret), std::string(8193, '\x5A'));
        EXPECT_EQ(test::ModeOf(secret) & 07777, 0600u);
        EXPECT_EQ(NamesOutside(), 1u) << "no folder or file was made outside";
        if (!chipBefore.empty()) {
            EXPECT_EQ(ReadFileBytes(c.chip), chipBefore);
        }
        for (const fs::path& planted : {dump, sharedChip, lock}) {
            if (fs::is_symlink(planted) || fs::is_directory(planted))
                fs::remove(planted);
        }
    }
}

} // namespace
