// SPDX-License-Identifier: GPL-2.0-or-later
// The settings store on disk: defaults, round trips, preserved bytes and
// atomic replacement.
#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

#include "framework/IniFile.h"

namespace {

namespace fs = std::filesystem;
using fw::IniFile;

class IniFileTest : public ::testing::Test {
protected:

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    static void WriteText(const std::string& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string ReadText(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::vector<std::string> FilesInDir() const
    {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(dir_))
            names.push_back(item.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir temp_;
    const fs::path& dir_ = temp_.Path();
};

TEST_F(IniFileTest, RoundTripsValuesInSeveralSections)
{
    IniFile ini(PathOf("brovik.INI"));
    ASSERT_TRUE(ini.WriteInt("LPT", "LPT PORT", 1));
    ASSERT_TRUE(ini.WriteInt("Delays", "Write", INT_MIN));
    ASSERT_TRUE(ini.WriteInt("LPT", "Retries", INT_MAX));
    ASSERT_TRUE(ini.WriteInt("lpt", "lpt port", 3));

    EXPECT_EQ(ini.GetInt("LPT", "LPT PORT", -1), 3);
    EXPECT_EQ(ini.GetInt("Delays", "Write", -1), INT_MIN);
    EXPECT_EQ(ini.GetInt("LPT", "Retries", -1), INT_MAX);
    EXPECT_EQ(ReadText(ini.Path()), "[LPT]\nLPT PORT=3\nRetries=2147483647\n[Delays]\nWrite=-2147483648\n");
}

TEST_F(IniFileTest, ReadsTheDefaultForWhatIsMissingOrUnreadable)
{
    WriteText(PathOf("present.INI"), "[LPT]\nLPT PORT=2\n");
    fs::create_directory(PathOf("folder.INI"));
    const struct {
        std::string file;
        const char* section;
        const char* entry;
    } cases[] = {
        {"missing.INI", "LPT", "LPT PORT"},
        {"present.INI", "Other", "LPT PORT"},
        {"present.INI", "LPT", "Other"},
        {"folder.INI", "LPT", "LPT PORT"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IniFile(PathOf(c.file)).GetInt(c.section, c.entry, 77), 77) << c.file << " [" << c.section << "] " << c.entry;
    EXPECT_EQ(IniFile(PathOf("present.INI")).GetInt("lpt", "Lpt Port", 77), 2);
}

TEST_F(IniFileTest, WriteKeepsEveryOtherByte)
{
    const std::string before = "; brovik settings\r\n"
                               "\r\n"
                               "[Window]\r\n"
                               "Left = 10\r\n"
                               "# kept\r\n"
                               "[LPT]\r\n"
                               "lpt port=2\r\n"
                               "\r\n"
                               "[Last]\r\n"
                               "Z=9";
    WriteText(PathOf("brovik.INI"), before);
    IniFile ini(PathOf("brovik.INI"));

    ASSERT_TRUE(ini.WriteInt("LPT", "LPT PORT", 3));
    ASSERT_TRUE(ini.WriteInt("LPT", "Speed", 4));
    ASSERT_TRUE(ini.WriteInt("New", "N", 5));

    EXPECT_EQ(ReadText(ini.Path()), "; brovik settings\r\n"
                                    "\r\n"
                                    "[Window]\r\n"
                                    "Left = 10\r\n"
                                    "# kept\r\n"
                                    "[LPT]\r\n"
                                    "lpt port=3\r\n"
                                    "Speed=4\r\n"
                                    "\r\n"
                                    "[Last]\r\n"
                                    "Z=9\r\n"
                                    "[New]\r\n"
                                    "N=5\r\n");
    EXPECT_EQ(ini.GetInt("Window", "Left", -1), 10);
}

TEST_F(IniFileTest, WriteCreatesTheMissingFoldersOnlyOfTheDefaultLocation)
{
    std::string told;
    IniFile named(PathOf("named/deeper/brovik.INI"));
    named.SetLockProblemHandler([&](const std::string& problem) { told = problem; });
    EXPECT_FALSE(named.WriteInt("LPT", "LPT PORT", 1));
    EXPECT_FALSE(fs::exists(PathOf("named")));
    EXPECT_EQ(told, "the folder " + PathOf("named") + " does not exist; create it, or choose a file in a folder that "
                    "exists (folders are made only for the default locations)");

    IniFile ini(PathOf("config/deeper/brovik.INI"), fw::MissingFolders::Create);
    ASSERT_TRUE(ini.WriteInt("LPT", "LPT PORT", 1));
    EXPECT_EQ(ReadText(ini.Path()), "[LPT]\nLPT PORT=1\n");
}

TEST_F(IniFileTest, WriteRefusesToReplaceAFileItCannotRead)
{
    fs::create_directory(PathOf("brovik.INI"));
    WriteText(PathOf("brovik.INI/inside"), "x");
    EXPECT_FALSE(IniFile(PathOf("brovik.INI")).WriteInt("LPT", "LPT PORT", 1));
    EXPECT_EQ(ReadText(PathOf("brovik.INI/inside")), "x");
}

TEST_F(IniFileTest, WriteThatFailsHalfWayLeavesTheOldFileWhole)
{
    std::string before = "[LPT]\nLPT PORT=2\n[Padding]\n";
    for (int i = 0; i < 40; ++i)
        before += "Entry" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    WriteText(PathOf("brovik.INI"), before);
    IniFile ini(PathOf("brovik.INI"));

    // A file size limit below the new contents makes the real write of the
    // temporary file stop part-way with EFBIG.
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = ini.WriteInt("LPT", "LPT PORT", 3);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadText(ini.Path()), before);
    EXPECT_EQ(FilesInDir(), (std::vector<std::string>{".brovik.INI.lock", "brovik.INI"})) << "no temporary file is left";
    EXPECT_EQ(ini.GetInt("LPT", "LPT PORT", -1), 2);
}

TEST_F(IniFileTest, WriteOfANameThatCannotBeStoredLeavesTheFile)
{
    WriteText(PathOf("brovik.INI"), "[LPT]\nA=1\n");
    IniFile ini(PathOf("brovik.INI"));
    EXPECT_FALSE(ini.WriteInt("LPT", "A=B", 2));
    EXPECT_EQ(ReadText(ini.Path()), "[LPT]\nA=1\n");
}

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value)
        : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnvironment() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(IniDefaultPathTest, LivesInTheUsersConfigurationFolder)
{
    const struct {
        const char* xdg;
        const char* expected;
    } cases[] = {
        {"/xdg/config", "/xdg/config/brovik-sim.INI"},
        {nullptr, "/home/tester/.config/brovik-sim.INI"},
        {"", "/home/tester/.config/brovik-sim.INI"},
        {"relative/config", "/home/tester/.config/brovik-sim.INI"},
    };
    ScopedEnvironment home("HOME", "/home/tester");
    for (const auto& c : cases) {
        ScopedEnvironment xdg("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(IniFile::DefaultPathFor("brovik-sim"), c.expected) << (c.xdg ? c.xdg : "(unset)");
    }
}

} // namespace
