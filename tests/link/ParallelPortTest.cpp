// SPDX-License-Identifier: GPL-2.0-or-later
// Printer-port register access: the inverted lines, the port numbers, and
// the LPT3 address taken from the kernel's list.
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "port/ParallelPort.h"
#include "tests/support/TestHost.h"

namespace {

// Answers reads from a table and records writes.
class ScriptedPort final : public fw::IPortBackend {
public:
    std::map<std::uint16_t, std::uint8_t> inputs;
    std::vector<std::pair<std::uint16_t, std::uint8_t>> outputs;
    std::vector<std::uint16_t> reads;

    std::uint8_t In(std::uint16_t address) override
    {
        reads.push_back(address);
        return inputs.count(address) ? inputs[address] : 0x00;
    }
    void Out(std::uint16_t address, std::uint8_t value) override { outputs.emplace_back(address, value); }
};

class ParallelPortTest : public ::testing::Test {
protected:
    ParallelPortTest() { host.SetPort(backend); }
    test::TestHost host;
    const fw::Setup setup{host};
    ScriptedPort backend;
    CParallelPort port;
};

TEST_F(ParallelPortTest, WritesInvertTheControlLinesAndMaskTheDataByte)
{
    port.SetPort(1);
    struct Case {
        int value;
        bool control;
        std::uint16_t address;
        std::uint8_t out;
    };
    const Case cases[] = {{0x01, true, 0x37A, 0x0A}, {0x00, true, 0x37A, 0x0B}, {0x0B, true, 0x37A, 0x00},
                          {0xF4, true, 0x37A, 0xFF}, {0x1FE, false, 0x378, 0xFE}, {0x5A, false, 0x378, 0x5A}};
    for (const Case& c : cases) {
        backend.outputs.clear();
        c.control ? port.WriteControl(c.value) : port.WriteData(c.value);
        ASSERT_EQ(backend.outputs.size(), 1u);
        EXPECT_EQ(backend.outputs[0].first, c.address);
        EXPECT_EQ(backend.outputs[0].second, c.out) << "value " << c.value;
    }
}

TEST_F(ParallelPortTest, ReadsUndoTheInversions)
{
    port.SetPort(1);
    struct Case {
        std::uint16_t address;
        std::uint8_t in;
        int expected;
    };
    const Case cases[] = {{0x37A, 0x0A, 0x01}, {0x37A, 0x0B, 0x00}, {0x379, 0x7F, 0xFF},
                          {0x379, 0x80, 0x00}, {0x379, 0x40, 0xC0}, {0x378, 0xA5, 0xA5}};
    for (const Case& c : cases) {
        backend.inputs[c.address] = c.in;
        const int value = c.address == 0x37A ? port.ReadControl() : c.address == 0x379 ? port.ReadStatus() : port.ReadData();
        EXPECT_EQ(value, c.expected) << std::hex << "in " << int(c.in) << " at " << c.address;
    }
    EXPECT_EQ(backend.reads.size(), 6u) << "one port access per operation";
}

TEST_F(ParallelPortTest, PortNumbersSelectTheBaseAndOthersLeaveIt)
{
    EXPECT_EQ(port.BaseAddress(), 0);
    port.SetPort(1);
    EXPECT_EQ(port.BaseAddress(), 0x378);
    port.SetPort(2);
    EXPECT_EQ(port.BaseAddress(), 0x278);
    for (int other : {0, 7, -1, 4}) {
        port.SetPort(other);
        EXPECT_EQ(port.BaseAddress(), 0x278) << "port number " << other;
    }
}

TEST_F(ParallelPortTest, WithoutAPortNothingIsReached)
{
    port.WriteData(0x12);
    port.WriteControl(0x01);
    EXPECT_EQ(port.ReadData(), 0xFF);
    EXPECT_EQ(port.ReadStatus(), 0x7F);
    EXPECT_EQ(port.ReadControl(), 0xF4);
    EXPECT_TRUE(backend.outputs.empty());
    EXPECT_TRUE(backend.reads.empty());
}

TEST_F(ParallelPortTest, ExplicitBaseFormsTouchNoField)
{
    port.SetPort(2);
    port.WriteControl(0x3BC, 0x01);
    EXPECT_EQ(backend.outputs.at(0), (std::pair<std::uint16_t, std::uint8_t>{0x3BE, 0x0A}));
    EXPECT_EQ(port.BaseAddress(), 0x278);
}

TEST(Lpt3Address, IsTheFirstKernelPortThatIsNeitherLpt1NorLpt2)
{
    const auto dir = std::filesystem::temp_directory_path() / "brovik-parport-test";
    std::filesystem::remove_all(dir);
    const auto addPort = [&](int n, const char* contents) {
        std::filesystem::create_directories(dir / ("parport" + std::to_string(n)));
        std::ofstream(dir / ("parport" + std::to_string(n)) / "base-addr") << contents;
    };
    EXPECT_EQ(CParallelPort::Lpt3Address(hw::ReadParportList(dir.string())), 0x3BC) << "no ports listed";
    addPort(0, "888\t1912\n");   // 0x378
    addPort(1, "632\t1656\n");   // 0x278
    EXPECT_EQ(CParallelPort::Lpt3Address(hw::ReadParportList(dir.string())), 0x3BC) << "only LPT1 and LPT2";
    addPort(10, "49152\t49160\n");  // 0xC000, a PCIe card
    addPort(2, "53248\t53256\n");   // 0xD000, listed before parport10
    EXPECT_EQ(CParallelPort::Lpt3Address(hw::ReadParportList(dir.string())), 0xD000);
    std::filesystem::remove_all(dir);
}

} // namespace
