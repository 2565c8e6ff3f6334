// SPDX-License-Identifier: GPL-2.0-or-later
// The port model that QEMU's host-driver parallel port talks to through
// ppdev requests: the ISP traffic of the programmer, carried as raw register
// bytes, must reach the simulated chip, and the faults must show on MISO.
#include <cerrno>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <gtest/gtest.h>

#include "sim/ppdev/PpdevChipPort.h"
#include "tests/sim/IspRig.h"

namespace {

using ppdev::PortFault;
using ppdev::PpdevChipPort;

// The programmer's register accesses at LPT1, turned into the requests QEMU
// sends for them.
class PpdevRequests final : public fw::IPortBackend {
public:
    explicit PpdevRequests(PpdevChipPort& port) : port_(port) {}

    std::uint8_t In(std::uint16_t address) override
    {
        std::uint8_t value = 0;
        Request(address == simtest::kStatusRegister ? PPRSTATUS : address == simtest::kPortBase ? PPRDATA : PPRCONTROL,
                &value);
        return value;
    }
    void Out(std::uint16_t address, std::uint8_t value) override
    {
        Request(address == simtest::kPortBase ? PPWDATA : PPWCONTROL, &value);
    }
    int Request(unsigned long request, void* argument)
    {
        int error = 0;
        const int result = port_.Ioctl(request, argument, &error);
        EXPECT_EQ(result, 0) << "request 0x" << std::hex << request << " refused, errno " << std::dec << error;
        return result;
    }

private:
    PpdevChipPort& port_;
};

constexpr std::uint16_t kAddress = 0x0123;
constexpr std::uint8_t kStored = 0x5A;

struct Bench {
    explicit Bench(PortFault fault = PortFault::None, const sim::ChipContents& contents = {})
        : port(clock, contents, fault, 0, nullptr), requests(port), host(requests)
    {
        requests.Request(PPCLAIM, nullptr);
    }
    void EnterProgramming()
    {
        host.SetResetControl(true);
        host.SetResetControl(false);
        host.EnableProgramming();
    }

    simtest::ManualClock clock;
    PpdevChipPort port;
    PpdevRequests requests;
    simtest::IspHost host;
};

TEST(PpdevChipPort, WritesAndReadsTheChipThroughPpdevRequests)
{
    Bench bench;
    bench.EnterProgramming();
    bench.host.Write(kAddress, kStored);
    bench.clock.Advance(sim::kByteWriteMicroseconds);
    EXPECT_EQ(bench.host.Read(kAddress), kStored);
    EXPECT_EQ(bench.port.Contents().flash[kAddress], kStored);
    EXPECT_EQ(bench.port.Contents().flash[kAddress + 1], sim::kErasedByte);
}

struct FaultCase {
    PortFault fault;
    std::uint8_t read; // what the programmer reads of kStored
};

class PpdevChipPortFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(PpdevChipPortFaults, ShowOnTheBytesRead)
{
    sim::ChipContents contents;
    contents.flash[kAddress] = kStored;
    Bench bench(GetParam().fault, contents);
    bench.EnterProgramming();
    EXPECT_EQ(bench.host.Read(kAddress), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(Faults, PpdevChipPortFaults,
                         ::testing::Values(FaultCase{PortFault::None, kStored}, FaultCase{PortFault::MisoStuckHigh, 0xFF},
                                           FaultCase{PortFault::MisoStuckLow, 0x00},
                                           // Each bit a clock late: the last bit before the byte was 0.
                                           FaultCase{PortFault::MisoOneClockLate, kStored >> 1}));

TEST(PpdevChipPort, AnswersRequestsAsPpdevOnParportPcDoes)
{
    simtest::ManualClock clock;
    PpdevChipPort port(clock, {}, PortFault::None, 0, nullptr);
    std::uint8_t byte = 0;
    int error = 0;
    EXPECT_EQ(port.Ioctl(PPRSTATUS, &byte, &error), -1);
    EXPECT_EQ(error, EINVAL) << "register access before PPCLAIM";
    ASSERT_EQ(port.Ioctl(PPCLAIM, nullptr, &error), 0);
    timeval time{};
    EXPECT_EQ(port.Ioctl(PPGETTIME, &time, &error), -1);
    EXPECT_EQ(error, ENOTTY);

    const auto read = [&](unsigned long request) {
        std::uint8_t value = 0;
        EXPECT_EQ(port.Ioctl(request, &value, &error), 0);
        return value;
    };
    EXPECT_EQ(read(PPRDATA), PpdevChipPort::kResetData);
    EXPECT_EQ(read(PPRCONTROL), PpdevChipPort::kResetControl);
    byte = 0x00;
    port.Ioctl(PPWDATA, &byte, &error);
    EXPECT_EQ(read(PPRDATA), 0x00);

    // Only the four signal bits are written; bit 5 turns the data lines to
    // input, where nothing drives them.
    byte = 0xFF;
    port.Ioctl(PPWCONTROL, &byte, &error);
    EXPECT_EQ(read(PPRCONTROL), 0x0F);
    EXPECT_EQ(read(PPRDATA), 0xFF);
    int output = 0;
    port.Ioctl(PPDATADIR, &output, &error);
    EXPECT_EQ(read(PPRDATA), 0x00) << "the latch drives the lines again";

    int mode = IEEE1284_MODE_COMPAT;
    EXPECT_EQ(port.Ioctl(PPNEGOT, &mode, &error), 0);
    mode = IEEE1284_MODE_ECP;
    EXPECT_EQ(port.Ioctl(PPNEGOT, &mode, &error), -1);
    EXPECT_EQ(error, EIO);
}

TEST(PpdevChipPort, DataLinesTurnedToInputLetTheChipRun)
{
    Bench bench;
    bench.EnterProgramming();
    int direction = 1;
    bench.requests.Request(PPDATADIR, &direction);
    direction = 0;
    bench.requests.Request(PPDATADIR, &direction);
    // Reset-control went high and low again: programming mode anew, and the
    // write is refused until programming is enabled again.
    bench.host.Write(kAddress, kStored);
    EXPECT_EQ(bench.port.Contents().flash[kAddress], sim::kErasedByte);
}

} // namespace
