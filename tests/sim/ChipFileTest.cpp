// SPDX-License-Identifier: GPL-2.0-or-later
// The chip file: 8192 flash bytes and a lock byte, written atomically, and
// never written over when it is not a chip file.
#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "IspRig.h"
#include "sim/ChipFile.h"

namespace simtest {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ChipFileTest : public ::testing::Test {
protected:

    test::TempDir temp_;
    const fs::path& folder = temp_.Path();
};

TEST_F(ChipFileTest, SavedChipLoadsBackWithFlashAndLockByte)
{
    sim::ChipContents contents = PatternedContents();
    contents.lockBits = sim::kLockBit1 | sim::kLockBit3;
    const sim::ChipFile file((folder / "not" / "yet" / "there.bin").string(), fw::MissingFolders::Create);

    std::string error;
    ASSERT_TRUE(file.Save(contents, &error)) << error;
    const std::string bytes = ReadBytes(file.Path());
    ASSERT_EQ(bytes.size(), 8193u);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[0x1ABC]), contents.flash[0x1ABC]);
    EXPECT_EQ(bytes.back(), '\x05');

    const sim::ChipFileLoad loaded = file.Load();
    ASSERT_TRUE(loaded.contents) << loaded.error;
    EXPECT_EQ(*loaded.contents, contents);

    // A second save replaces the file.
    ASSERT_TRUE(file.Save(sim::ChipContents{}, &error)) << error;
    EXPECT_EQ(file.Load().contents, std::optional<sim::ChipContents>(sim::ChipContents{}));
}

TEST_F(ChipFileTest, AFileTheUserNamedGetsNoFoldersMade)
{
    const fs::path path = folder / "not" / "there.bin";
    std::string error;
    EXPECT_FALSE(sim::ChipFile(path.string()).Save(sim::ChipContents{}, &error));
    EXPECT_EQ(error, "cannot use the chip file: the folder " + (folder / "not").string() +
                         " does not exist; create it, or choose a file in a folder that exists (folders are made "
                         "only for the default locations)");
    EXPECT_FALSE(fs::exists(folder / "not"));
}

TEST_F(ChipFileTest, MissingFileIsABlankUnlockedChip)
{
    const sim::ChipFileLoad loaded = sim::ChipFile((folder / "absent.bin").string()).Load();
    ASSERT_TRUE(loaded.contents) << loaded.error;
    EXPECT_EQ(loaded.contents->flash, sim::ErasedFlash());
    EXPECT_EQ(loaded.contents->lockBits, 0);
    EXPECT_TRUE(loaded.error.empty());
}

TEST_F(ChipFileTest, LockByteKeepsOnlyTheThreeLockBits)
{
    const fs::path path = folder / "chip.bin";
    std::ofstream(path, std::ios::binary) << std::string(sim::kFlashSize, '\x00') << '\xF2';
    const sim::ChipFileLoad loaded = sim::ChipFile(path.string()).Load();
    ASSERT_TRUE(loaded.contents) << loaded.error;
    EXPECT_EQ(loaded.contents->lockBits, sim::kLockBit2);
    EXPECT_EQ(loaded.contents->flash[0], 0x00);
}

TEST_F(ChipFileTest, WrongSizeIsReportedAndTheFileIsNeverOverwritten)
{
    for (const std::size_t size : {std::size_t{0}, std::size_t{8192}, std::size_t{8194}, std::size_t{65536}}) {
        SCOPED_TRACE(testing::Message() << size << " bytes");
        const fs::path path = folder / ("odd-" + std::to_string(size) + ".bin");
        const std::string original(size, '\x5A');
        std::ofstream(path, std::ios::binary) << original;
        const sim::ChipFile file(path.string());

        const sim::ChipFileLoad loaded = file.Load();
        EXPECT_FALSE(loaded.contents);
        EXPECT_NE(loaded.error.find(path.string()), std::string::npos) << loaded.error;
        EXPECT_NE(loaded.error.find(" " + std::to_string(size) + " bytes"), std::string::npos) << loaded.error;
        EXPECT_NE(loaded.error.find("8193 bytes"), std::string::npos) << loaded.error;

        std::string error;
        EXPECT_FALSE(file.Save(sim::ChipContents{}, &error));
        EXPECT_NE(error.find(path.string()), std::string::npos) << error;
        EXPECT_EQ(ReadBytes(path), original);
    }
}

TEST_F(ChipFileTest, PathThatCannotBeAChipFileIsAnErrorAndIsLeftAlone)
{
    const fs::path aFolder = folder / "folder.bin";
    fs::create_directory(aFolder);
    const fs::path aFile = folder / "plain";
    std::ofstream(aFile) << "keep";

    for (const fs::path& path : {aFolder, aFile / "chip.bin"}) {
        SCOPED_TRACE(path.string());
        const sim::ChipFile file(path.string());
        const sim::ChipFileLoad loaded = file.Load();
        EXPECT_FALSE(loaded.contents);
        EXPECT_NE(loaded.error.find(path.string()), std::string::npos) << loaded.error;
        std::string error;
        EXPECT_FALSE(file.Save(sim::ChipContents{}, &error));
        EXPECT_NE(error.find(path.string()), std::string::npos) << error;
    }
    EXPECT_TRUE(fs::is_directory(aFolder));
    EXPECT_EQ(ReadBytes(aFile), "keep");
}

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(DefaultChipPathTest, FollowsXdgDataHomeElseHome)
{
    struct Case {
        const char* dataHome;
        const char* expected;
    };
    const Case cases[] = {
        {"/data/home", "/data/home/brovik/simulated-chip.bin"},
        {nullptr, "/home/someone/.local/share/brovik/simulated-chip.bin"},
        {"", "/home/someone/.local/share/brovik/simulated-chip.bin"},
        {"relative/dir", "/home/someone/.local/share/brovik/simulated-chip.bin"},
    };
    const ScopedEnvironment home("HOME", "/home/someone");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataHome ? c.dataHome : "(unset)");
        const ScopedEnvironment dataHome("XDG_DATA_HOME", c.dataHome);
        EXPECT_EQ(sim::DefaultChipPath(), c.expected);
    }
}

} // namespace
} // namespace simtest
