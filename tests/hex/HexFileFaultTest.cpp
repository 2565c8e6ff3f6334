// SPDX-License-Identifier: GPL-2.0-or-later
// "Open Hex File" when the chosen file cannot be used: real missing files,
// folders, unreadable and locked files, files too long for the buffer, and
// Cancel. None of them may disturb the image loaded before.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/AppName.h"
#include "tests/hex/HexLoadFixture.h"

namespace test {
namespace {

class HexFileFaultTest : public HexLoadTest {
protected:
    // A loaded image, a status and a bar position that a refused load must
    // not disturb (the bar alone is reset once a file has been chosen).
    void LoadEarlierImage()
    {
        OpenHex(WriteFile("earlier.hex", Record(0, 0x0000, {0x12, 0x34, 0x56, 0x78}) + "\n" + kEndRecord));
        ASSERT_EQ(dlg->m_lastAddress, 3u);
        ASSERT_EQ(Status(), "Load Hex File Ok");
        host.boxes.clear();
    }

    void ExpectEarlierImageKept()
    {
        EXPECT_EQ(dlg->m_lastAddress, 3u);
        const std::vector<std::uint8_t> start(dlg->m_image, dlg->m_image + 5);
        EXPECT_EQ(start, (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78, 0x00}));
        EXPECT_EQ(Status(), "Load Hex File Ok");
    }

    void ExpectOneBox(const std::string& text, UINT icon)
    {
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, text);
        EXPECT_EQ(host.boxes[0].icon, icon);
        EXPECT_EQ(host.boxes[0].caption, fw::ApplicationName());
    }
};

struct RefusalCase {
    const char* name;
    // Prepares the file in the scratch folder and returns the path to choose.
    std::function<std::string(HexLoadTest&)> prepare;
    // The box text, with %1 standing for the chosen path.
    std::string text;
    UINT icon;
};

std::string WithPath(std::string text, const std::string& path)
{
    if (const auto at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, path);
    return text;
}

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class HexRefusalTest : public HexFileFaultTest, public ::testing::WithParamInterface<RefusalCase> {};

const RefusalCase kRefusals[] = {
    {"TypedNameOfAMissingFile", [](HexLoadTest& t) { return t.PathOf("typed-without-extension"); },
     "%1 was not found.", MB_ICONHAND},
    {"Folder",
     [](HexLoadTest& t) {
         std::filesystem::create_directory(t.PathOf("folder.hex"));
         return t.PathOf("folder.hex");
     },
     "Access to %1 was denied.", MB_ICONHAND},
    {"FileInPlaceOfAFolder",
     [](HexLoadTest& t) {
         t.WriteFile("plain.hex", kExample);
         return t.PathOf("plain.hex/inner.hex");
     },
     "%1 contains an invalid path.", MB_ICONHAND},
    {"FileLongerThanTheBuffer",
     [](HexLoadTest& t) {
         const std::string contents = HexFileOfSize(24576) + "\n";
         EXPECT_EQ(contents.size(), 24577u);
         return t.WriteFile("long.hex", contents);
     },
     kOver24576, 0},
};

TEST_P(HexRefusalTest, EarlierImageStaysLoaded)
{
    ASSERT_NO_FATAL_FAILURE(LoadEarlierImage());
    const std::string path = GetParam().prepare(*this);

    OpenHex(path);

    ExpectOneBox(WithPath(GetParam().text, path), GetParam().icon);
    ExpectEarlierImageKept();
    EXPECT_EQ(Bar(), (BarState{0, 1, 0}));
}

INSTANTIATE_TEST_SUITE_P(Files, HexRefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST_F(HexFileFaultTest, MissingFileLeavesTheEarlierImageToProgram)
{
    ASSERT_NO_FATAL_FAILURE(LoadEarlierImage());
    OpenHex(PathOf("missing.hex"));
    ExpectOneBox(PathOf("missing.hex") + " was not found.", MB_ICONHAND);
    host.boxes.clear();

    Click(IDC_PROGRAM);

    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{});
    EXPECT_EQ(Status(), "Program Flash Ok");
    const std::vector<std::uint8_t> flash(chip->Flash().begin(), chip->Flash().begin() + 5);
    EXPECT_EQ(flash, (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78, 0xFF}));
}

// Root reads files whatever their mode bits say, through the capabilities
// CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH. Lowering them in this thread's
// effective set, where the dialog runs, makes the bits count for it too.
class FileAccessOverrideLowered {
public:
    FileAccessOverrideLowered()
    {
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_lowered = ::syscall(SYS_capset, &m_header, lowered) == 0;
    }
    ~FileAccessOverrideLowered()
    {
        if (m_lowered)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    FileAccessOverrideLowered(const FileAccessOverrideLowered&) = delete;
    FileAccessOverrideLowered& operator=(const FileAccessOverrideLowered&) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
};

TEST_F(HexFileFaultTest, FileWithoutReadPermission)
{
    ASSERT_NO_FATAL_FAILURE(LoadEarlierImage());
    const std::string path = WriteFile("unreadable.hex", kExample);
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    FileAccessOverrideLowered lowered;
    if (const int probe = ::open(path.c_str(), O_RDONLY); probe >= 0) {
        ::close(probe);
        GTEST_SKIP() << "this process reads files without read permission even with CAP_DAC_OVERRIDE lowered";
    }

    OpenHex(path);

    ExpectOneBox("Access to " + path + " was denied.", MB_ICONHAND);
    ExpectEarlierImageKept();
}

// An exclusive lock on another open file description: another program that
// has the file open exclusively.
int LockExclusively(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

TEST_F(HexFileFaultTest, FileLockedByAnotherOpener)
{
    ASSERT_NO_FATAL_FAILURE(LoadEarlierImage());
    const std::string path = WriteFile("locked.hex", kExample);
    const int other = LockExclusively(path);
    ASSERT_GE(other, 0);

    OpenHex(path);
    ExpectOneBox("A sharing violation occurred while accessing " + path + ".", MB_ICONHAND);
    ExpectEarlierImageKept();

    ::close(other);
    host.boxes.clear();
    OpenHex(path);
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{});
    EXPECT_EQ(dlg->m_lastAddress, 0x32u);
}

TEST_F(HexFileFaultTest, FileIsClosedWhenTheCommandEnds)
{
    const std::string good = WriteFile("good.hex", kExample);
    const std::string bad = WriteFile("bad.hex", ":0300300002337A1F\n");
    for (const std::string& path : {good, bad}) {
        OpenHex(path);
        const int after = LockExclusively(path);
        EXPECT_GE(after, 0) << path << " is still locked after the command";
        if (after >= 0)
            ::close(after);
    }
}

TEST_F(HexFileFaultTest, CancelChangesNothing)
{
    ASSERT_NO_FATAL_FAILURE(LoadEarlierImage());
    ASSERT_EQ(Bar(), (BarState{0, 1, 1}));

    CancelOpenHex();

    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{});
    ExpectEarlierImageKept();
    EXPECT_EQ(Bar(), (BarState{0, 1, 1}));
}

TEST_F(HexFileFaultTest, FileDialogOffersHexFiles)
{
    CancelOpenHex();

    std::vector<std::string> filters;
    for (const Event& event : host.journal) {
        if (event.kind == Event::FileDialog)
            filters.push_back(event.text);
    }
    EXPECT_EQ(filters, std::vector<std::string>{"Hex File|*.hex||"});
}

} // namespace
} // namespace test
