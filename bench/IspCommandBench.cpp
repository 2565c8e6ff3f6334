// SPDX-License-Identifier: GPL-2.0-or-later
// The software cost of one ISP command: SendCommand on the simulated chip
// without bit delay, beside the same register accesses made straight on the
// simulated port and the BitDelay calls alone; the difference is the cost of
// the link code, the parallel-port class and the host's port seam.
#include <algorithm>
#include <cstdint>
#include <iostream>

#include "bench/Benchmarks.h"
#include "bench/DialogRig.h"
#include "bench/Timing.h"
#include "port/IspCommands.h"

namespace bench {
namespace {

constexpr std::uint16_t kData = kLpt1;
constexpr std::uint16_t kStatus = kLpt1 + 1;
constexpr std::uint16_t kControl = kLpt1 + 2;
constexpr std::uint8_t kSck = 0x01;
constexpr std::uint8_t kMosiControlBit = 0x01;  // inverted by the port onto pin 1
constexpr std::uint8_t kMisoStatusBit = 0x40;
constexpr double kOverheadTargetMicroseconds = 5.0;

void ReadCommand(std::uint32_t address, std::uint8_t command[3])
{
    const isp::Command read = isp::ReadCode(address, 0x00);
    std::copy(read.begin(), read.end(), command);
}

// The 168 register accesses of one command in SendCommand's order (per bit:
// control read and write, status read, data read and write for each SCK
// edge), made straight on the simulated port.
void ShiftStraight(sim::SimulatedPort& port, const std::uint8_t command[3], std::uint8_t reply[3])
{
    for (int i = 0; i < 3; ++i) {
        std::uint8_t received = 0;
        for (int bit = 7; bit >= 0; --bit) {
            const bool mosi = (command[i] >> bit) & 1;
            port.Out(kControl, static_cast<std::uint8_t>((port.In(kControl) & ~kMosiControlBit) | (mosi ? 0 : kMosiControlBit)));
            if (port.In(kStatus) & kMisoStatusBit)
                received = static_cast<std::uint8_t>(received | (1 << bit));
            port.Out(kData, static_cast<std::uint8_t>(port.In(kData) | kSck));
            port.Out(kData, static_cast<std::uint8_t>(port.In(kData) & ~kSck));
        }
        reply[i] = received;
    }
}

sim::ChipContents PatternChip()
{
    sim::ChipContents contents;
    for (std::uint32_t address = 0; address < sim::kFlashSize; ++address)
        contents.flash[address] = PatternByte(address);
    return contents;
}

} // namespace

LinkCosts MeasureIspCommand(Report& report)
{
    std::cerr << "Measuring one ISP command...\n";
    DialogRig rig(SleepMode::Recorded, PatternChip());
    CBrovikDlg& dlg = rig.Dialog();
    dlg.m_delayBit = 0;
    dlg.LoadPortSelection();
    dlg.EnterProgramming();
    dlg.ProgrammingEnable();

    std::uint8_t command[3];
    std::uint8_t reply[3];
    for (std::uint32_t address = 0; address < sim::kFlashSize; ++address) {
        ReadCommand(address, command);
        dlg.SendCommand(command, reply);
        Require(reply[2] == PatternByte(address), "SendCommand read a wrong byte");
        ShiftStraight(rig.simPort, command, reply);
        Require(reply[2] == PatternByte(address), "the straight accesses read a wrong byte");
    }

    constexpr int kSamples = 15;
    constexpr int kCommandsPerSample = 16384;
    std::uint32_t address = 0;
    const auto nextCommand = [&] { ReadCommand(address++ % sim::kFlashSize, command); };
    const auto sendCommand = [&] {
        nextCommand();
        dlg.SendCommand(command, reply);
    };
    const double viaDialog = MedianMicrosecondsPerCall(kSamples, kCommandsPerSample, sendCommand);
    const double straight = MedianMicrosecondsPerCall(kSamples, kCommandsPerSample, [&] {
        nextCommand();
        ShiftStraight(rig.simPort, command, reply);
    });
    const auto bitDelays = [&] {
        for (int call = 0; call < kBitDelayCallsPerCommand; ++call)
            dlg.BitDelay();
    };
    const double bitDelays0 = MedianMicrosecondsPerCall(kSamples, kCommandsPerSample, bitDelays);
    dlg.m_delayBit = 1;
    const double bitDelays1 = MedianMicrosecondsPerCall(kSamples, 20, bitDelays);
    const double viaDialogAtOne = MedianMicrosecondsPerCall(kSamples, 20, sendCommand);
    dlg.m_delayBit = 0;

    fw::NoPortBackend noPort;
    rig.host.SetPort(noPort);
    const double onNoPort = MedianMicrosecondsPerCall(kSamples, kCommandsPerSample, sendCommand);
    rig.host.SetPort(rig.simPort);

    const double overhead = viaDialog - straight - bitDelays0;
    report.Add("ISP command (SendCommand), bit delay 0, simulated chip", Format("%.2f µs", viaDialog));
    report.Add("its 168 register accesses straight on sim::SimulatedPort", Format("%.2f µs", straight));
    report.Add("its 48 BitDelay calls alone, bit delay 0", Format("%.3f µs", bitDelays0));
    report.AddWithTarget("overhead per ISP command beyond BitDelay and the simulated chip's port accesses",
                         Format("%.2f µs", overhead), Format("< %.0f µs", kOverheadTargetMicroseconds),
                         overhead < kOverheadTargetMicroseconds);
    report.Add("ISP command (SendCommand), bit delay 0, on a no-op port back end", Format("%.2f µs", onNoPort));
    report.Add("its 48 BitDelay calls alone, bit delay 1", Format("%.1f µs", bitDelays1));
    report.Add("ISP command (SendCommand), bit delay 1, simulated chip", Format("%.1f µs", viaDialogAtOne));
    return {bitDelays0, viaDialogAtOne - viaDialog};
}

} // namespace bench
