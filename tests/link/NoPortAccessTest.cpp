// SPDX-License-Identifier: GPL-2.0-or-later
// A printer port the program may not reach: each operation says once what
// is missing and ends right there, with no command, no sleep and no "Ok".
#include <cerrno>

#include <gtest/gtest.h>

#include "port/HardwarePort.h"
#include "tests/support/MainDialogFixture.h"

namespace {

const std::string kNoTargetBox = "Error! Please check your CPU, printer port and power supply.";
const std::string kNoTargetStatus = "Error! Please check your CPU, power supply and printer port.";

// A kernel that lists LPT1 but refuses both ways in.
class RefusingKernel final : public hw::IPortSystem {
public:
    std::vector<hw::ParportInfo> Parports() override { return {{0, 0x378}}; }
    int Open(const std::string&) override { return -EACCES; }
    int Claim(int) override { return -EINVAL; }
    int Ioctl(int, unsigned long, void*) override { return -EINVAL; }
    void Close(int) override {}
    int Ioperm(std::uint16_t, unsigned, bool) override { return -EPERM; }
    std::uint8_t Inb(std::uint16_t) override
    {
        ADD_FAILURE() << "no direct I/O without permission";
        return 0xFF;
    }
    void Outb(std::uint16_t, std::uint8_t) override { ADD_FAILURE() << "no direct I/O without permission"; }
};

class NoPortAccessTest : public test::MainDialogTest {
protected:
    void SetUp() override
    {
        // The recording port now stands in front of the refusing hardware.
        port.Retarget(hardware);
        Start();
        LoadImage(std::vector<std::uint8_t>(64, 0x5A));
        Click(IDC_LOCK1);
    }

    RefusingKernel kernel;
    hw::HardwarePortBackend hardware{kernel};
};

TEST_F(NoPortAccessTest, TheMessageSaysWhatIsMissingAndHowToFixIt)
{
    Click(IDC_ERASE);
    const std::vector<std::string> texts = host.BoxTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("Cannot reach the parallel port at 0x378"), std::string::npos) << texts[0];
    EXPECT_NE(texts[0].find("/dev/parport0"), std::string::npos) << texts[0];
    EXPECT_NE(texts[0].find("usermod -aG lp"), std::string::npos) << texts[0];
    EXPECT_NE(texts[0].find("CAP_SYS_RAWIO"), std::string::npos) << texts[0];
}

// Auto stops after the erase that could not reach the port; each later
// click tries the port again and says so again.
TEST_F(NoPortAccessTest, EachOperationEndsRightAfterTheMessage)
{
    for (const int button : {IDC_ERASE, IDC_BLANK, IDC_PROGRAM, IDC_VERIFY, IDC_AUTO, IDC_LOCKBIT}) {
        SCOPED_TRACE(button);
        host.journal.clear();
        port.accesses.clear();
        dlg->m_progress.SetWindowText("before");

        Click(button);

        ASSERT_EQ(host.journal.size(), 1u) << "one box and nothing else: no sleep, no second message";
        EXPECT_EQ(host.journal[0].kind, test::Event::Box);
        EXPECT_NE(host.journal[0].text.find("Cannot reach the parallel port at 0x378"), std::string::npos);
        EXPECT_NE(host.journal[0].text, kNoTargetBox);
        // The access that found the port unreachable, and the write of the
        // same line change, which went nowhere: no clock pulse, no command.
        EXPECT_LE(port.accesses.size(), 2u);
        EXPECT_EQ(Status(), kNoTargetStatus);
    }
}

} // namespace
