// SPDX-License-Identifier: GPL-2.0-or-later
// The chip's serial programming protocol, bit-banged through the port
// registers as the programmer does it.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "IspRig.h"

namespace simtest {
namespace {

using sim::TargetChip;

constexpr std::int64_t kWrite = sim::kByteWriteMicroseconds;
constexpr std::int64_t kErase = TargetChip::kChipEraseMicroseconds;

class TargetChipIspTest : public ::testing::Test {
protected:
    Rig rig{PatternedContents()};
    const sim::FlashImage pattern = PatternedContents().flash;
};

TEST_F(TargetChipIspTest, ReadShiftsOutTheAddressedByteAsThirdByteOnly)
{
    rig.host.EnableProgramming();
    ASSERT_TRUE(rig.chip.ProgrammingEnabled());
    for (const std::uint16_t address : {0x0001, 0x00BC, 0x0100, 0x0FFF, 0x1000, 0x1ABC, 0x1FFF}) {
        SCOPED_TRACE(testing::Message() << "address 0x" << std::hex << address);
        const auto sampled = rig.host.Transfer(static_cast<std::uint8_t>(((address >> 5) & 0xF8) | 0x01),
                                               static_cast<std::uint8_t>(address), 0xFF);
        EXPECT_EQ(sampled, (std::array<std::uint8_t, 3>{0x00, 0x00, pattern[address]}));
        EXPECT_FALSE(rig.host.Miso()) << "MISO must go low again after the command";
    }
}

TEST_F(TargetChipIspTest, NothingButProgrammingEnableWorksUntilItIsSent)
{
    const std::uint16_t address = 0x0123;
    ASSERT_NE(pattern[address], 0x00);
    for (int entry = 0; entry < 2; ++entry) {
        SCOPED_TRACE(entry == 0 ? "after power-up" : "after re-entering programming mode");
        EXPECT_EQ(rig.host.Read(address), 0x00);
        rig.host.Write(address, 0x42);
        rig.host.Transfer(0xAC, 0x67, 0x00);
        rig.host.EraseChip();
        EXPECT_EQ(rig.chip.Contents(), PatternedContents());

        rig.host.EnableProgramming();
        EXPECT_TRUE(rig.chip.ProgrammingEnabled());
        EXPECT_EQ(rig.host.Read(address), pattern[address]);

        rig.host.SetResetControl(true);
        EXPECT_FALSE(rig.chip.InProgrammingMode());
        rig.host.SetResetControl(false);
        EXPECT_TRUE(rig.chip.InProgrammingMode());
        EXPECT_FALSE(rig.chip.ProgrammingEnabled());
    }
}

TEST_F(TargetChipIspTest, ResetControlHighReleasesMisoAndDropsAHalfShiftedCommand)
{
    rig.host.EnableProgramming();
    rig.host.Shift(0b10101, 5);
    rig.host.SetResetControl(true);
    EXPECT_TRUE(rig.host.Miso());
    EXPECT_FALSE(rig.chip.InProgrammingMode());
    EXPECT_FALSE(rig.chip.ProgrammingEnabled());
    // Clocking while running does nothing either.
    rig.host.Shift(0xAC53, 16);

    rig.host.SetResetControl(false);
    EXPECT_FALSE(rig.host.Miso());
    rig.host.EnableProgramming();
    EXPECT_TRUE(rig.chip.ProgrammingEnabled());
    EXPECT_EQ(rig.host.Read(0x0777), pattern[0x0777]);
}

TEST_F(TargetChipIspTest, MisoChangesOnlyAfterFallingSckAndMosiCountsOnlyOnRisingSck)
{
    std::vector<sim::PinLevels> seen;
    rig.chip.SetPinObserver([&](const sim::PinLevels& levels) { seen.push_back(levels); });
    rig.host.glitchMosiWhileSckHigh = true;

    rig.host.EnableProgramming();
    rig.host.Write(0x0A5A, 0xA5);
    rig.clock.Advance(kWrite);
    EXPECT_EQ(rig.host.Read(0x0A5A), 0xA5);
    EXPECT_EQ(rig.chip.Flash()[0x0A5A], 0xA5);

    bool lastSckEdgeFalling = false;
    int misoChanges = 0;
    for (std::size_t i = 1; i < seen.size(); ++i) {
        if (seen[i].sck != seen[i - 1].sck)
            lastSckEdgeFalling = !seen[i].sck;
        if (seen[i].miso != seen[i - 1].miso) {
            ++misoChanges;
            EXPECT_FALSE(seen[i].sck) << "event " << i;
            EXPECT_TRUE(lastSckEdgeFalling) << "event " << i;
            lastSckEdgeFalling = false;
        }
    }
    // 0xA5 = 10100101 from a low line: seven changes for the data, one back to low.
    EXPECT_EQ(misoChanges, 8);
}

TEST_F(TargetChipIspTest, ByteWriteReadsBackBit7InvertedUntilDoneAndIgnoresWritesMeanwhile)
{
    const std::uint16_t target = 0x1234;
    const std::uint16_t other = 0x0042;
    rig.host.EnableProgramming();
    rig.host.Write(target, 0x3C);
    EXPECT_EQ(rig.chip.Flash()[target], 0x3C);
    EXPECT_EQ(rig.host.Read(target), 0xBC);
    EXPECT_EQ(rig.host.Read(other), pattern[other]) << "only the byte being written is busy";

    rig.clock.Advance(kWrite - 1);
    EXPECT_EQ(rig.host.Read(target), 0xBC);
    rig.host.Write(other, 0x99);
    EXPECT_EQ(rig.chip.Flash()[other], pattern[other]);

    rig.clock.Advance(1);
    EXPECT_EQ(rig.host.Read(target), 0x3C);
    rig.host.Write(other, 0x99);
    EXPECT_EQ(rig.host.Read(other), 0x19);
    EXPECT_EQ(rig.chip.Flash()[other], 0x99);
}

TEST_F(TargetChipIspTest, ChipEraseReadsZeroFor16msThenBlankWithLocksCleared)
{
    rig.host.EnableProgramming();
    rig.host.Transfer(0xAC, 0x67, 0x00);
    rig.host.Transfer(0xAC, 0x27, 0x00);
    ASSERT_EQ(rig.chip.LockBits(), sim::kLockBit1 | sim::kLockBit2);

    rig.host.EraseChip();
    EXPECT_EQ(rig.chip.Contents(), sim::ChipContents{});
    const auto expectBusy = [this] {
        EXPECT_EQ(rig.host.Read(0x0000), 0x00);
        EXPECT_EQ(rig.host.Read(0x1FFF), 0x00);
        rig.host.Write(0x0010, 0x55);
        rig.host.Transfer(0xAC, 0x07, 0x00);
    };
    expectBusy();
    rig.clock.Advance(kErase - 1);
    expectBusy();
    rig.clock.Advance(1);
    EXPECT_EQ(rig.host.Read(0x0000), 0xFF);
    EXPECT_EQ(rig.host.Read(0x0010), 0xFF);
    EXPECT_EQ(rig.chip.Contents(), sim::ChipContents{});
}

TEST_F(TargetChipIspTest, LockBitsRefuseWritesAndAbove1HideTheCodeUntilErased)
{
    struct Case {
        std::uint8_t command;
        std::uint8_t lockBit;
        bool hidesCode;
    };
    const Case cases[] = {
        {0x67, sim::kLockBit1, false},
        {0x27, sim::kLockBit2, true},
        {0x07, sim::kLockBit3, true},
    };
    const std::uint16_t kept = 0x0321;
    const std::uint16_t refused = 0x0322;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "lock command 0xAC 0x" << std::hex << int{c.command});
        Rig fresh;
        fresh.host.EnableProgramming();
        fresh.host.Write(kept, 0x12);
        fresh.clock.Advance(kWrite);

        fresh.host.Transfer(0xAC, c.command, 0x00);
        EXPECT_EQ(fresh.chip.LockBits(), c.lockBit);
        fresh.host.Write(refused, 0x34);
        fresh.clock.Advance(kWrite);
        EXPECT_EQ(fresh.chip.Flash()[refused], 0xFF);
        EXPECT_EQ(fresh.host.Read(kept), c.hidesCode ? 0x00 : 0x12);

        fresh.host.EraseChip();
        fresh.clock.Advance(kErase);
        EXPECT_EQ(fresh.chip.LockBits(), 0);
        fresh.host.Write(refused, 0x34);
        fresh.clock.Advance(kWrite);
        EXPECT_EQ(fresh.host.Read(refused), 0x34);
    }
}

TEST_F(TargetChipIspTest, UnknownCommandsChangeNothing)
{
    rig.host.EnableProgramming();
    const std::array<std::uint8_t, 3> unknown[] = {
        {0xAC, 0x99, 0x00}, {0xAC, 0x66, 0x00}, {0x03, 0x10, 0x55}, {0x04, 0x10, 0x55},
        {0x07, 0x10, 0x55}, {0x00, 0x00, 0x00}, {0xFF, 0xFF, 0xFF}, {0x50, 0x00, 0x00},
    };
    for (const auto& command : unknown) {
        SCOPED_TRACE(testing::Message() << std::hex << int{command[0]} << " " << int{command[1]});
        EXPECT_EQ(rig.host.Transfer(command[0], command[1], command[2])[2], 0x00);
        EXPECT_EQ(rig.chip.Contents(), PatternedContents());
        EXPECT_TRUE(rig.chip.ProgrammingEnabled());
    }
    rig.host.Write(0x0010, 0x66);
    EXPECT_EQ(rig.chip.Flash()[0x0010], 0x66) << "no unknown command left the chip busy";
}

} // namespace
} // namespace simtest
