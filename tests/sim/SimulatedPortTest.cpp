// SPDX-License-Identifier: GPL-2.0-or-later
// The printer port's registers at pin level, and the adapter's wiring.
#include <gtest/gtest.h>

#include <vector>

#include "IspRig.h"
#include "sim/Adapter.h"

namespace simtest {
namespace {

class SimulatedPortTest : public ::testing::Test {
protected:
    SimulatedPortTest()
    {
        rig.chip.SetPinObserver([this](const sim::PinLevels& levels) { seen.push_back(levels); });
    }

    Rig rig;
    std::vector<sim::PinLevels> seen;
};

TEST_F(SimulatedPortTest, PowersUpWithLatchesHeldAndChipInProgrammingMode)
{
    EXPECT_EQ(rig.port.In(kPortBase), 0x00);
    EXPECT_EQ(rig.port.In(kControlRegister), 0x0C);
    // Data 0x00 holds reset-control low, so the chip wakes in programming mode.
    EXPECT_TRUE(rig.chip.InProgrammingMode());
    EXPECT_FALSE(rig.chip.ProgrammingEnabled());
    EXPECT_FALSE(rig.port.PinLevel(sim::Adapter::kResetControlPin));
    EXPECT_TRUE(rig.port.PinLevel(sim::Adapter::kMosiPin));
}

TEST_F(SimulatedPortTest, DataRegisterIsLatchedOntoPins2To9)
{
    for (const std::uint8_t value : {0x01, 0x02, 0x04, 0x80, 0x5A, 0xFF, 0x00}) {
        SCOPED_TRACE(testing::Message() << "data 0x" << std::hex << int{value});
        rig.port.Out(kPortBase, value);
        EXPECT_EQ(rig.port.In(kPortBase), value);
        for (int bit = 0; bit < 8; ++bit)
            EXPECT_EQ(rig.port.PinLevel(2 + bit), ((value >> bit) & 1) != 0) << "pin " << 2 + bit;
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back().sck, (value & 0x01) != 0);
        EXPECT_EQ(seen.back().resetControl, (value & 0x02) != 0);
    }
}

TEST_F(SimulatedPortTest, ControlRegisterDrivesPins1_14_16_17WithHardwareInversions)
{
    struct Case {
        std::uint8_t value;
        bool pin1, pin14, pin16, pin17;
    };
    const Case cases[] = {
        {0x00, true, true, false, true},  {0x01, false, true, false, true}, {0x02, true, false, false, true},
        {0x04, true, true, true, true},   {0x08, true, true, false, false}, {0x0C, true, true, true, false},
        {0x0F, false, false, true, false}, {0xF0, true, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "control 0x" << std::hex << int{c.value});
        rig.port.Out(kControlRegister, c.value);
        EXPECT_EQ(rig.port.In(kControlRegister), c.value);
        EXPECT_EQ(rig.port.PinLevel(1), c.pin1);
        EXPECT_EQ(rig.port.PinLevel(14), c.pin14);
        EXPECT_EQ(rig.port.PinLevel(16), c.pin16);
        EXPECT_EQ(rig.port.PinLevel(17), c.pin17);
    }
    // Pin 1 is MOSI: its level reached the chip with the last write.
    rig.port.Out(kControlRegister, 0x0C);
    rig.port.Out(kControlRegister, 0x0D);
    ASSERT_FALSE(seen.empty());
    EXPECT_FALSE(seen.back().mosi);
    rig.port.Out(kControlRegister, 0x0C);
    EXPECT_TRUE(seen.back().mosi);
}

TEST_F(SimulatedPortTest, StatusRegisterReadsMisoOnBit6AndInvertedBusyOnBit7)
{
    // In programming mode and idle the chip holds MISO low; with reset-control
    // high it lets go and the line floats high. Pins 11, 12, 13 and 15 float
    // high: status bits 3-5 read 1, bit 7 (inverted pin 11) reads 0.
    EXPECT_EQ(rig.port.In(kStatusRegister), 0x3F);
    EXPECT_FALSE(rig.port.PinLevel(sim::Adapter::kMisoPin));
    rig.host.SetResetControl(true);
    EXPECT_EQ(rig.port.In(kStatusRegister), 0x7F);
    EXPECT_TRUE(rig.port.PinLevel(sim::Adapter::kMisoPin));
    for (const int pin : {11, 12, 13, 15})
        EXPECT_TRUE(rig.port.PinLevel(pin)) << "pin " << pin;
    for (int ground = 18; ground <= 25; ++ground)
        EXPECT_FALSE(rig.port.PinLevel(ground)) << "pin " << ground;

    // The status register is an input: writing it changes nothing.
    const std::size_t changes = seen.size();
    rig.port.Out(kStatusRegister, 0x00);
    EXPECT_EQ(rig.port.In(kStatusRegister), 0x7F);
    EXPECT_EQ(seen.size(), changes);
}

TEST_F(SimulatedPortTest, EveryBaseReachesTheSameRegistersAndOtherAddressesFloat)
{
    rig.port.AddBase(0x278);
    rig.port.Out(0x278, 0x03);
    EXPECT_EQ(rig.port.In(kPortBase), 0x03);
    rig.port.Out(kControlRegister, 0x05);
    EXPECT_EQ(rig.port.In(0x27A), 0x05);
    EXPECT_EQ(rig.port.In(0x279), rig.port.In(kStatusRegister));

    const std::size_t changes = seen.size();
    for (const std::uint16_t address : {0x3BC, 0x3BE, 0x37B, 0x377, 0x27B}) {
        SCOPED_TRACE(testing::Message() << "address 0x" << std::hex << address);
        EXPECT_EQ(rig.port.In(address), 0xFF);
        rig.port.Out(address, 0x00);
    }
    EXPECT_EQ(seen.size(), changes);
    EXPECT_EQ(rig.port.In(kPortBase), 0x03);
    EXPECT_EQ(rig.port.In(kControlRegister), 0x05);
}

TEST(SimulatedPortWithoutBase, ReachesNothing)
{
    ManualClock clock;
    sim::TargetChip chip(clock);
    sim::SimulatedPort port(chip);
    for (const std::uint16_t address : {0x378, 0x379, 0x37A}) {
        port.Out(address, 0x01);
        EXPECT_EQ(port.In(address), 0xFF);
    }
    EXPECT_FALSE(port.PinLevel(sim::Adapter::kSckPin));
}

} // namespace
} // namespace simtest
