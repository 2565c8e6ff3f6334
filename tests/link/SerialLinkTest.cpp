// SPDX-License-Identifier: GPL-2.0-or-later
// The serial link at pin level: bit order and timing of the ISP commands,
// the presence check, and the sleeps that the byte delay scales.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/MainDialogFixture.h"

namespace {

class SerialLinkTest : public test::MainDialogTest {
protected:
    // MOSI as the chip sees it at every rising SCK edge from now on.
    void WatchMosi()
    {
        mosiAtRisingEdge.clear();
        chip->SetPinObserver([this, sck = false](const sim::PinLevels& pins) mutable {
            if (pins.sck && !sck)
                mosiAtRisingEdge.push_back(pins.mosi);
            sck = pins.sck;
        });
    }
    std::vector<std::uint8_t> SentBytes() const
    {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i + 8 <= mosiAtRisingEdge.size(); i += 8) {
            std::uint8_t byte = 0;
            for (std::size_t b = 0; b < 8; ++b)
                byte = static_cast<std::uint8_t>(byte << 1 | mosiAtRisingEdge[i + b]);
            bytes.push_back(byte);
        }
        return bytes;
    }
    void Send(std::vector<std::uint8_t> command)
    {
        std::uint8_t reply[3];
        dlg->SendCommand(command.data(), reply);
    }
    std::vector<bool> mosiAtRisingEdge;
};

TEST_F(SerialLinkTest, ProgrammingEnableShiftsItsBitsMsbFirstOnePerRisingEdge)
{
    Start();
    dlg->EnterProgramming();
    WatchMosi();
    dlg->ProgrammingEnable();
    const std::vector<bool> expected{1, 0, 1, 0, 1, 1, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(mosiAtRisingEdge, expected);
    EXPECT_FALSE(simPort->PinLevel(1)) << "MOSI (pin 1) keeps the last bit sent";
    EXPECT_FALSE(simPort->PinLevel(2)) << "SCK ends low";
    EXPECT_TRUE(chip->ProgrammingEnabled());
}

TEST_F(SerialLinkTest, CommandsCarryAddressAndDataInTheirFormat)
{
    Start();
    dlg->EnterProgramming();
    dlg->ProgrammingEnable();
    WatchMosi();
    Send({0x0A, 0x00, 0x55});  // write 0x55 at 0x0100
    Send({0xF9, 0xFF, 0xFF});  // read 0x1FFF as Verify does
    EXPECT_EQ(SentBytes(), (std::vector<std::uint8_t>{0x0A, 0x00, 0x55, 0xF9, 0xFF, 0xFF}));
    host.Sleep(4);
    EXPECT_EQ(chip->Flash()[0x0100], 0x55);
}

TEST_F(SerialLinkTest, OneCommandIs24PulsesAnd168RegisterAccesses)
{
    Start();
    dlg->EnterProgramming();
    WatchMosi();
    port.accesses.clear();
    Send({0x01, 0x00, 0x00});
    EXPECT_EQ(mosiAtRisingEdge.size(), 24u);
    EXPECT_EQ(port.accesses.size(), 168u);
    EXPECT_FALSE(simPort->PinLevel(2)) << "SCK low after the command";
}

TEST_F(SerialLinkTest, ReplyBytesComeFromTheMisoSamples)
{
    sim::ChipContents contents;
    contents.flash[0x1234] = 0x5A;
    UseChip(contents);
    Start();
    dlg->EnterProgramming();
    dlg->ProgrammingEnable();
    const std::uint8_t command[3] = {0x91, 0x34, 0x00};
    std::uint8_t reply[3];
    dlg->SendCommand(command, reply);
    EXPECT_EQ(reply[2], 0x5A);
}

TEST_F(SerialLinkTest, ReleaseRaisesTheThreeLinesAndLeavesTheOtherBits)
{
    Start();
    dlg->m_port.WriteData(0xA0);
    dlg->m_port.WriteControl(0x04);
    dlg->EnterProgramming();
    dlg->ReleaseTarget();
    EXPECT_EQ(dlg->m_port.ReadData(), 0xA3);
    EXPECT_EQ(dlg->m_port.ReadControl(), 0x05);
    EXPECT_FALSE(chip->InProgrammingMode());
}

TEST_F(SerialLinkTest, PresenceCheckOnAHealthyChipRestoresByteZeroAndStaysInProgrammingMode)
{
    sim::ChipContents contents;
    contents.flash[0] = 0x3C;
    UseChip(contents);
    Start();
    host.sleeps.clear();
    EXPECT_EQ(dlg->CheckTarget(), 1);
    host.Sleep(4);
    EXPECT_EQ(chip->Flash()[0], 0x3C);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_FALSE(simPort->PinLevel(2)) << "SCK low";
    EXPECT_FALSE(simPort->PinLevel(3)) << "reset-control low";
    EXPECT_TRUE(chip->InProgrammingMode());
}

class PresenceCheckWithoutChip : public SerialLinkTest,
                                 public ::testing::WithParamInterface<sim::ChipFaults::Presence> {};

TEST_P(PresenceCheckWithoutChip, WritesTheSavedByteBackReleasesThenShowsTheBox)
{
    sim::ChipFaults faults;
    faults.presence = GetParam();
    UseChip({}, faults);
    Start();
    const std::uint8_t saved = GetParam() == sim::ChipFaults::Presence::AbsentMisoHigh ? 0xFF : 0x00;
    WatchMosi();
    bool releasedBeforeBox = false;
    host.onBox = [&](const test::ShownBox&) {
        releasedBeforeBox = simPort->PinLevel(1) && simPort->PinLevel(2) && simPort->PinLevel(3);
    };
    EXPECT_EQ(dlg->CheckTarget(), 0);
    const std::vector<std::uint8_t> sent = SentBytes();
    ASSERT_EQ(sent.size(), 15u);
    EXPECT_EQ(std::vector<std::uint8_t>(sent.end() - 3, sent.end()), (std::vector<std::uint8_t>{0x02, 0x00, saved}));
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{"Error! Please check your CPU, printer port and power supply."});
    EXPECT_TRUE(releasedBeforeBox);
}

INSTANTIATE_TEST_SUITE_P(Miso, PresenceCheckWithoutChip,
                         ::testing::Values(sim::ChipFaults::Presence::AbsentMisoHigh,
                                           sim::ChipFaults::Presence::AbsentMisoLow),
                         [](const auto& info) {
                             return std::string(info.param == sim::ChipFaults::Presence::AbsentMisoHigh ? "High" : "Low");
                         });

TEST_F(SerialLinkTest, PresenceCheckSleepsScaleWithTheByteDelay)
{
    for (std::uint32_t d : {1u, 3u}) {
        StoreDelays(1, static_cast<int>(d));
        dlg = std::make_unique<CBrovikDlg>();
        Start();
        host.sleeps.clear();
        dlg->CheckTarget();
        const std::vector<std::uint32_t> expected{200 * d, 200 * d, 200 * d, 200 * d, 4 * d, 4 * d, 4 * d, 4 * d};
        EXPECT_EQ(host.sleeps, expected) << "byte delay " << d;
    }
}

// A stored factor is capped when it is read (see the settings tests); a
// typed one stays in the member as typed and is capped where it is used.
TEST_F(SerialLinkTest, HugeFactorsAreCappedInTheSleeps)
{
    Start();
    dlg->m_delayByte = 100000;
    host.sleeps.clear();
    dlg->EnterProgramming();
    EXPECT_EQ(host.sleeps, (std::vector<std::uint32_t>(4, 200000)));
}

} // namespace
