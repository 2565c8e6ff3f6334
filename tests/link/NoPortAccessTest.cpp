// A printer port the program may not reach: one clear message in each
// operation, which then goes on as with no adapter and fails its presence
// check.
#include <cerrno>

#include <gtest/gtest.h>

#include "port/HardwarePort.h"
#include "tests/support/MainDialogFixture.h"

namespace {

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
    RefusingKernel kernel;
    hw::HardwarePortBackend hardware{kernel};
};

TEST_F(NoPortAccessTest, EachClickSaysOnceWhatIsMissingThenThePresenceCheckFails)
{
    host.SetPort(hardware);
    Start();
    Click(IDC_BLANK);
    Click(IDC_BLANK);
    const std::vector<std::string> texts = host.BoxTexts();
    ASSERT_EQ(texts.size(), 4u) << "per click: one access message, one presence message";
    EXPECT_NE(texts[0].find("0x378"), std::string::npos) << texts[0];
    EXPECT_NE(texts[0].find("/dev/parport0"), std::string::npos) << texts[0];
    EXPECT_NE(texts[0].find("usermod -aG lp"), std::string::npos) << texts[0];
    EXPECT_NE(texts[0].find("CAP_SYS_RAWIO"), std::string::npos) << texts[0];
    EXPECT_EQ(texts[1], "Error! Please check your CPU, printer port and power supply.");
    EXPECT_EQ(texts[2], texts[0]);
    EXPECT_EQ(texts[3], texts[1]);
    EXPECT_EQ(Status(), "Error! Please check your CPU, power supply and printer port.");
}

} // namespace
