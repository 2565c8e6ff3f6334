// SPDX-License-Identifier: GPL-2.0-or-later
// Chips that misbehave: an empty socket, a byte that will not program, a chip
// slower than the program's waits.
#include <gtest/gtest.h>

#include <array>

#include "IspRig.h"

namespace simtest {
namespace {

using Presence = sim::ChipFaults::Presence;

TEST(ChipFaultsTest, EmptySocketAnswersWithTheFloatingLevelOnly)
{
    struct Case {
        Presence presence;
        std::uint8_t status;
        std::uint8_t sampledByte;
    };
    for (const Case& c : {Case{Presence::AbsentMisoHigh, 0x7F, 0xFF}, Case{Presence::AbsentMisoLow, 0x3F, 0x00}}) {
        SCOPED_TRACE(c.presence == Presence::AbsentMisoHigh ? "MISO floating high" : "MISO held low");
        sim::ChipFaults faults;
        faults.presence = c.presence;
        Rig rig({}, faults);
        EXPECT_EQ(rig.port.In(kStatusRegister), c.status);
        rig.host.EnableProgramming();
        rig.host.Write(0x0100, 0x00);
        rig.clock.Advance(sim::kByteWriteMicroseconds);
        const std::array<std::uint8_t, 3> all = {c.sampledByte, c.sampledByte, c.sampledByte};
        EXPECT_EQ(rig.host.Transfer(0x01, 0x00, 0x00), all);
        rig.host.SetResetControl(true);
        EXPECT_EQ(rig.port.In(kStatusRegister), c.status);
        EXPECT_FALSE(rig.chip.InProgrammingMode());
        EXPECT_FALSE(rig.chip.ProgrammingEnabled());
        EXPECT_EQ(rig.chip.Contents(), sim::ChipContents{});
    }
}

TEST(ChipFaultsTest, UnprogrammableByteKeepsItsOldValue)
{
    sim::ChipFaults faults;
    faults.unprogrammableAddress = 0x0200;
    Rig rig({}, faults);
    rig.host.EnableProgramming();
    rig.host.Write(0x0200, 0x5A);
    EXPECT_EQ(rig.host.Read(0x0200), 0xFF);
    rig.clock.Advance(sim::kByteWriteMicroseconds);
    EXPECT_EQ(rig.host.Read(0x0200), 0xFF);
    rig.host.Write(0x0201, 0x5A);
    rig.clock.Advance(sim::kByteWriteMicroseconds);
    EXPECT_EQ(rig.host.Read(0x0201), 0x5A);
    EXPECT_EQ(rig.chip.Flash()[0x0200], 0xFF);
}

TEST(ChipFaultsTest, SlowChipStaysBusyPastTheNormalWriteTime)
{
    constexpr std::int64_t kSlowWrite = 10'000;
    sim::ChipFaults faults;
    faults.writeMicroseconds = kSlowWrite;
    Rig rig({}, faults);
    rig.host.EnableProgramming();
    rig.host.Write(0x0300, 0x11);
    rig.clock.Advance(sim::kByteWriteMicroseconds);
    EXPECT_EQ(rig.host.Read(0x0300), 0x91);
    rig.host.Write(0x0301, 0x22);
    rig.clock.Advance(kSlowWrite - sim::kByteWriteMicroseconds - 1);
    EXPECT_EQ(rig.host.Read(0x0300), 0x91);

    rig.clock.Advance(1);
    EXPECT_EQ(rig.host.Read(0x0300), 0x11);
    EXPECT_EQ(rig.chip.Flash()[0x0301], 0xFF) << "the write sent while busy was lost";
    rig.host.Write(0x0301, 0x22);
    EXPECT_EQ(rig.chip.Flash()[0x0301], 0x22);
}

} // namespace
} // namespace simtest
