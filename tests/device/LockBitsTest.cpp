// SPDX-License-Identifier: GPL-2.0-or-later
// "Lock Bit" on the real dialog with a simulated chip: the presence check,
// the one lock command of the ticked level, its sleep and texts, and what the
// lock then does to Program and Verify.
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tests/device/DeviceTest.h"

namespace {

using devtest::Bytes;
using devtest::kNoTargetBox;
using devtest::kNoTargetStatus;
using devtest::kPresenceCheckCommands;
using devtest::kProgrammingEnable;
using devtest::TestImage;

struct Level {
    const char* name;
    int radio;
    std::uint8_t commandByte1;
    const char* startText;
    const char* okText;
    std::uint8_t lockBit;
    bool codeStaysReadable;
};

void PrintTo(const Level& c, std::ostream* os) { *os << c.name; }

const Level kLevels[] = {
    {"Level1", IDC_LOCK1, 0x67, "Lock Bit1", "Lock Bit1 Ok", sim::kLockBit1, true},
    {"Level2", IDC_LOCK2, 0x27, "Lock Bit2", "Lock Bit2 Ok", sim::kLockBit2, false},
    {"Level3", IDC_LOCK3, 0x07, "Lock Bit3", "Lock Bit3 Ok", sim::kLockBit3, false},
};

class LockBitsTest : public devtest::DeviceTest {};

TEST_F(LockBitsTest, WithNoLevelTickedChecksTheTargetAndLeavesItInProgrammingMode)
{
    StartWithoutBitClock();
    LoadImage(TestImage(50, 0x3C));
    Click(IDC_PROGRAM);
    const std::string statusBefore = Status();
    const test::BarState barBefore = Bar();
    ForgetRecords();

    Click(IDC_LOCKBIT);

    ExpectBoxes({"No select Lock bit"});
    ASSERT_EQ(commands.size(), kPresenceCheckCommands);
    devtest::ExpectPresenceCheck(commands, 0x3C);
    EXPECT_EQ(host.sleeps, devtest::PresenceCheckSleeps(1));
    EXPECT_EQ(Status(), statusBefore);
    EXPECT_EQ(Bar(), barBefore);
    EXPECT_TRUE(releases.empty());
    EXPECT_FALSE(simPort->PinLevel(sim::Adapter::kSckPin));
    EXPECT_FALSE(simPort->PinLevel(sim::Adapter::kResetControlPin));
    EXPECT_TRUE(chip->InProgrammingMode());
    EXPECT_EQ(chip->Flash()[0], 0x3C) << "the check put the saved byte back";
    EXPECT_EQ(chip->LockBits(), 0);
}

class LockWithoutTarget
    : public LockBitsTest,
      public ::testing::WithParamInterface<std::tuple<sim::ChipFaults::Presence, int /* radio ticked, 0 none */>> {};

TEST_P(LockWithoutTarget, ShowsTheCheckBoxThenTheStatusAndLooksAtNoLevel)
{
    const auto [presence, radio] = GetParam();
    sim::ChipFaults faults;
    faults.presence = presence;
    UseChip({}, faults);
    StartWithoutBitClock();
    if (radio != 0)
        Click(radio);
    ForgetRecords();

    Click(IDC_LOCKBIT);

    ExpectBoxes({kNoTargetBox});
    ASSERT_EQ(atBox.size(), 1u);
    EXPECT_TRUE(atBox[0].released);
    EXPECT_NE(atBox[0].status, kNoTargetStatus) << "the box comes before the text";
    EXPECT_EQ(Status(), kNoTargetStatus);
    EXPECT_EQ(commands.size(), kPresenceCheckCommands) << "nothing after the check";
    EXPECT_TRUE(LockCommandsSent().empty());
    EXPECT_TRUE(TargetReleased());
}

INSTANTIATE_TEST_SUITE_P(Cases, LockWithoutTarget,
                         ::testing::Combine(::testing::Values(sim::ChipFaults::Presence::AbsentMisoHigh,
                                                              sim::ChipFaults::Presence::AbsentMisoLow),
                                            ::testing::Values(0, IDC_LOCK2)),
                         [](const auto& info) {
                             const bool misoHigh = std::get<0>(info.param) == sim::ChipFaults::Presence::AbsentMisoHigh;
                             return std::string(misoHigh ? "MisoHigh" : "MisoLow") +
                                    (std::get<1>(info.param) == 0 ? "NoLevelTicked" : "Lock2Ticked");
                         });

class LockLevel : public LockBitsTest, public ::testing::WithParamInterface<std::tuple<Level, std::uint32_t>> {};

TEST_P(LockLevel, SendsItsOneCommandSleepsThenReleasesAndReportsLast)
{
    const auto& [level, d] = GetParam();
    StoreDelays(1, static_cast<int>(d));
    UseChip(devtest::ChipHolding(TestImage(50, 0x3C)));
    StartWithoutBitClock();
    Click(level.radio);
    LeaveBarElsewhere();
    ForgetRecords();

    Click(IDC_LOCKBIT);

    ExpectBoxes({});
    devtest::ExpectPresenceCheck(commands, 0x3C);
    const Bytes lockCommand{0xAC, level.commandByte1, 0x00};
    EXPECT_EQ(Sent(kPresenceCheckCommands), (std::vector<Bytes>{kProgrammingEnable, lockCommand}));
    EXPECT_EQ(LockCommandsSent(), std::vector<Bytes>{lockCommand});

    using devtest::Joined;
    EXPECT_EQ(host.sleeps,
              Joined(Joined(devtest::PresenceCheckSleeps(d), devtest::EnterSleeps(d)), {100 * d}));
    EXPECT_EQ(host.TotalSleptMs(), 1716 * d);
    const test::Moment& lockSleep = atSleep.back();
    EXPECT_EQ(lockSleep.commandsSent, commands.size()) << "the sleep follows the lock command";
    EXPECT_FALSE(lockSleep.released) << "the sleep comes before the release";
    EXPECT_EQ(lockSleep.status, level.startText);
    EXPECT_EQ(lockSleep.bar, (test::BarState{0, 1, 0}));
    EXPECT_EQ(releases, std::vector<std::size_t>{commands.size()});
    EXPECT_EQ(commands.back().statusAfter, level.startText) << "the text at the release";
    EXPECT_EQ(commands.back().barAfter, (test::BarState{0, 1, 0})) << "the bar at the release";

    EXPECT_EQ(Status(), level.okText);
    EXPECT_EQ(Bar(), (test::BarState{0, 1, 1}));
    EXPECT_TRUE(TargetReleased());
    EXPECT_EQ(chip->LockBits(), level.lockBit);
}

INSTANTIATE_TEST_SUITE_P(Levels, LockLevel, ::testing::Combine(::testing::ValuesIn(kLevels), ::testing::Values(1u, 10u)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "Delay" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST_F(LockBitsTest, TheLastTickedLevelCountsAfterAnother)
{
    StartWithoutBitClock();
    Click(IDC_LOCK3);
    Click(IDC_LOCK1);
    EXPECT_EQ(dlg->IsDlgButtonChecked(IDC_LOCK3), static_cast<UINT>(BST_UNCHECKED));
    ForgetRecords();

    Click(IDC_LOCKBIT);

    EXPECT_EQ(LockCommandsSent(), (std::vector<Bytes>{{0xAC, 0x67, 0x00}}));
    EXPECT_EQ(chip->LockBits(), sim::kLockBit1);
    EXPECT_EQ(Status(), "Lock Bit1 Ok");
}

class LockedChip : public LockBitsTest, public ::testing::WithParamInterface<Level> {};

TEST_P(LockedChip, RefusesProgramHidesTheCodeFromLevel2AndIsFreedByErase)
{
    const Level& level = GetParam();
    const std::vector<std::uint8_t> locked = TestImage(120, 0x3C);
    UseChip(devtest::ChipHolding(locked));
    StartWithoutBitClock();
    LoadImage(locked);
    Click(level.radio);
    Click(IDC_LOCKBIT);
    ASSERT_EQ(chip->LockBits(), level.lockBit);

    ForgetRecords();
    Click(IDC_VERIFY);
    if (level.codeStaysReadable) {
        EXPECT_EQ(Status(), "Verfify Ok");
    } else {
        EXPECT_EQ(Status(), "Verify error !!!");
        EXPECT_EQ(Bar().pos, 1) << "the first byte already reads differently";
    }

    const std::vector<std::uint8_t> other = TestImage(120, 0x90);
    LoadImage(other);
    ForgetRecords();
    Click(IDC_PROGRAM);
    ExpectBoxes({kNoTargetBox});
    EXPECT_EQ(Status(), kNoTargetStatus);
    EXPECT_TRUE(std::equal(locked.begin(), locked.end(), chip->Flash().begin())) << "the flash changed";

    Click(IDC_ERASE);
    EXPECT_EQ(chip->LockBits(), 0);
    ForgetRecords();
    Click(IDC_AUTO);
    EXPECT_EQ(Status(), "Verfify Ok");
    ExpectBoxes({});
    EXPECT_TRUE(std::equal(other.begin(), other.end(), chip->Flash().begin()));
}

INSTANTIATE_TEST_SUITE_P(Levels, LockedChip, ::testing::ValuesIn(kLevels),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
