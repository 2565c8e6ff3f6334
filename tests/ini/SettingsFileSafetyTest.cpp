// SPDX-License-Identifier: GPL-2.0-or-later
// The settings file as users keep it: behind a symlink, written by an editor
// with a byte-order mark, a FIFO by mistake, read-only, or written by two
// running programs at once.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "framework/IniFile.h"
#include "framework/MemorySettings.h"
#include "tests/support/FileChecks.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using fw::IniFile;

class SettingsFileSafetyTest : public ::testing::Test {
protected:
    test::TempDir temp;
    const fs::path& dir = temp.Path();
};

TEST_F(SettingsFileSafetyTest, ASymlinkedSettingsFileIsUpdatedThroughTheLink)
{
    fs::create_directory(dir / "dotfiles");
    test::WriteFileBytes(dir / "dotfiles/brovik.INI", "[BROVIK]\nLPT PORT=1\n");
    fs::create_symlink(dir / "dotfiles/brovik.INI", dir / "brovik.INI");
    IniFile ini((dir / "brovik.INI").string());

    ASSERT_TRUE(ini.WriteInt("BROVIK", "LPT PORT", 2));
    EXPECT_TRUE(fs::is_symlink(dir / "brovik.INI"));
    EXPECT_EQ(test::ReadFileBytes(dir / "dotfiles/brovik.INI"), "[BROVIK]\nLPT PORT=2\n");
    EXPECT_EQ(ini.GetInt("BROVIK", "LPT PORT", 0), 2);
}

TEST_F(SettingsFileSafetyTest, AByteOrderMarkIsSkippedAndKept)
{
    const std::string bom = "\xEF\xBB\xBF";
    test::WriteFileBytes(dir / "brovik.INI", bom + "[BROVIK]\r\nLPT PORT=2\r\n");
    IniFile ini((dir / "brovik.INI").string());
    EXPECT_EQ(ini.GetInt("BROVIK", "LPT PORT", 0), 2) << "the first section is there";

    ASSERT_TRUE(ini.WriteInt("BROVIK", "DELAY BIT", 5));
    EXPECT_EQ(test::ReadFileBytes(dir / "brovik.INI"), bom + "[BROVIK]\r\nLPT PORT=2\r\nDELAY BIT=5\r\n");
    EXPECT_EQ(IniFile::ParseInt(bom + "LPT PORT=7\n[BROVIK]\nLPT PORT=3\n", "BROVIK", "LPT PORT", 0), 3);
}

TEST_F(SettingsFileSafetyTest, AFifoIsNeitherWaitedForNorReplaced)
{
    const fs::path fifo = dir / "brovik.INI";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    IniFile ini(fifo.string());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ini.GetInt("BROVIK", "LPT PORT", 9), 9);
    EXPECT_FALSE(ini.WriteInt("BROVIK", "LPT PORT", 1));
    EXPECT_EQ(ini.Problem(), fifo.string() + " is a FIFO (named pipe), not a regular file; it is left as it is");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(SettingsFileSafetyTest, AReadOnlySettingsFileIsLeftAloneWithoutAMessage)
{
    const fs::path path = dir / "brovik.INI";
    test::WriteFileBytes(path, "[BROVIK]\nLPT PORT=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    // Root may write any file: the write is tried as an ordinary user.
    ASSERT_TRUE(test::HandToOrdinaryUser(dir, path));
    EXPECT_TRUE(test::InChildAsOrdinaryUser([&] { return !IniFile(path.string()).WriteInt("BROVIK", "LPT PORT", 2); }))
        << "the write was refused";
    EXPECT_EQ(test::ReadFileBytes(path), "[BROVIK]\nLPT PORT=1\n");
    EXPECT_EQ(IniFile(path.string()).Problem(), "") << "a file that reads is no problem";
}

TEST_F(SettingsFileSafetyTest, TwoProgramsWritingDifferentEntriesLoseNone)
{
    constexpr int kWrites = 60;
    const std::string path = (dir / "brovik.INI").string();
    const auto writeAll = [&](const std::string& prefix) {
        IniFile ini(path);
        bool all = true;
        for (int i = 0; i < kWrites; ++i)
            all = ini.WriteInt("BROVIK", prefix + std::to_string(i), i) && all;
        return all;
    };
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(writeAll("CHILD ") ? 0 : 1);
    EXPECT_TRUE(writeAll("PARENT "));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const IniFile ini(path);
    int lost = 0;
    for (int i = 0; i < kWrites; ++i) {
        lost += ini.GetInt("BROVIK", "CHILD " + std::to_string(i), -1) != i;
        lost += ini.GetInt("BROVIK", "PARENT " + std::to_string(i), -1) != i;
    }
    EXPECT_EQ(lost, 0);
}

// A settings folder that other users may write (XDG_CONFIG_HOME on a shared
// folder): a link or lock file that one of them planted is never written
// through, and the program is told why.
TEST_F(SettingsFileSafetyTest, APlantedSettingsLinkOrLockIsRefusedAndReported)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another user's links need root to play that user (uid 65534); run the tests as root";
    fs::permissions(dir, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const fs::path outside = dir / "outside";
    fs::create_directory(outside);
    const fs::path secret = outside / "secret.ini";
    test::WriteFileBytes(secret, "[ROOT]\nKEEP=1\n");
    fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path shared = dir / "shared";
    fs::create_directory(shared);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const fs::path settings = shared / "brovik-sim.INI";
    const fs::path lock = shared / ".brovik-sim.INI.lock";

    struct Case {
        const char* name;
        fs::path plantedAt;
        std::string told;
    };
    const Case cases[] = {
        {"the settings file", settings,
         "the symlink " + settings.string() + " is not followed: it belongs to another user (uid 65534) in the shared "
                                              "folder " +
             shared.string() + ", so it may lead anywhere. Remove it, or choose another name"},
        {"its lock file", lock,
         "the lock file " + lock.string() + " is a symlink, which is never followed; remove it (rm " + lock.string() +
             ") and try again"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(test::InChildAsOrdinaryUser([&] { return ::symlink(secret.c_str(), c.plantedAt.c_str()) == 0; }));
        IniFile ini(settings.string(), fw::MissingFolders::Create);
        std::vector<std::string> told;
        ini.SetLockProblemHandler([&](const std::string& problem) { told.push_back(problem); });
        EXPECT_FALSE(ini.WriteInt("BROVIK", "DELAY BIT", 5));
        EXPECT_EQ(told, std::vector<std::string>{c.told});
        EXPECT_EQ(test::ReadFileBytes(secret), "[ROOT]\nKEEP=1\n");
        EXPECT_EQ(test::ModeOf(secret) & 07777, 0600u);
        EXPECT_TRUE(fs::is_symlink(c.plantedAt));
        fs::remove(c.plantedAt);
    }
    // The user's own link in the same folder is followed.
    fs::create_symlink(secret, settings);
    IniFile ini(settings.string(), fw::MissingFolders::Create);
    EXPECT_TRUE(ini.WriteInt("BROVIK", "DELAY BIT", 5));
    EXPECT_EQ(test::ReadFileBytes(secret), "[ROOT]\nKEEP=1\n[BROVIK]\nDELAY BIT=5\n");
}

// brovik-cli and the benchmarks keep settings in memory: they must find an
// entry exactly when the settings file would.
TEST(SettingsStoresTest, MemoryAndFileMatchNamesAlike)
{
    test::TempDir temp;
    IniFile file((temp.Path() / "brovik.INI").string());
    fw::MemorySettings memory;
    ASSERT_TRUE(file.WriteInt("BROVIK", "LPT PORT", 2));
    memory.WriteInt("BROVIK", "LPT PORT", 2);
    struct Lookup {
        const char* section;
        const char* entry;
    };
    for (const Lookup& lookup : {Lookup{"BROVIK", "LPT PORT"}, Lookup{"brovik", "lpt port"}, Lookup{" Brovik\t", " Lpt Port "},
                                 Lookup{"BROVIK", "LPTPORT"}, Lookup{"BROVIK2", "LPT PORT"}, Lookup{"", "LPT PORT"}}) {
        SCOPED_TRACE(std::string(lookup.section) + "/" + lookup.entry);
        EXPECT_EQ(memory.GetInt(lookup.section, lookup.entry, -1), file.GetInt(lookup.section, lookup.entry, -1));
    }
    memory.WriteInt("brovik", " lpt port", 3);
    EXPECT_EQ(memory.GetInt("BROVIK", "LPT PORT", -1), 3) << "one entry, whatever the spelling";
}

} // namespace
