// SPDX-License-Identifier: GPL-2.0-or-later
// Blank Check and Verify over all 8192 bytes at bit delays 0 and 1, with
// recorded sleeps: the software cost of a whole operation, including the
// status text and the bar that every byte updates. The port accesses an
// operation makes are recorded once and replayed straight on a simulated port
// of their own, so that the simulated chip's share can be taken away exactly.
#include <cstdint>
#include <cstring>
#include <functional>
#include <iostream>
#include <vector>

#include "bench/Benchmarks.h"
#include "bench/DialogRig.h"
#include "bench/Timing.h"
#include "res/Texts.h"

namespace bench {
namespace {

struct PortAccess {
    bool write;
    std::uint16_t address;
    std::uint8_t value;
};

// Passes every access on to the simulated port and notes it.
class RecordingPort final : public fw::IPortBackend {
public:
    explicit RecordingPort(fw::IPortBackend& target) : m_target(target) {}
    std::uint8_t In(std::uint16_t address) override
    {
        accesses.push_back({false, address, 0});
        return m_target.In(address);
    }
    void Out(std::uint16_t address, std::uint8_t value) override
    {
        accesses.push_back({true, address, value});
        m_target.Out(address, value);
    }
    std::vector<PortAccess> accesses;

private:
    fw::IPortBackend& m_target;
};

// The time of the accesses alone, on a chip and port like the rig's.
double ReplayMilliseconds(const std::vector<PortAccess>& accesses)
{
    fw::MonotonicClock clock;
    sim::SimulatedRig rig(clock, std::span<const std::uint16_t>(&kLpt1, 1));
    sim::SimulatedPort& port = rig.port;
    std::vector<double> milliseconds;
    for (int run = 0; run < 7; ++run) {
        const SteadyClock::time_point start = SteadyClock::now();
        for (const PortAccess& access : accesses) {
            if (access.write)
                port.Out(access.address, access.value);
            else
                port.In(access.address);
        }
        milliseconds.push_back(MicrosecondsSince(start) / 1000);
    }
    return Median(std::move(milliseconds));
}

struct FlashOperation {
    const char* name;
    std::function<int(CBrovikDlg&)> run;
    const char* okStatus;
};

void MeasureOperation(Report& report, const LinkCosts& link, const FlashOperation& operation)
{
    DialogRig rig(SleepMode::Recorded);
    CBrovikDlg& dlg = rig.Dialog();
    std::memset(dlg.m_image, sim::kErasedByte, sizeof dlg.m_image);
    dlg.m_lastAddress = CBrovikDlg::kImageSize - 1;

    const auto runChecked = [&] {
        rig.host.boxes.clear();
        Require(operation.run(dlg) == 1, "the operation failed");
        Require(rig.host.boxes.empty() && dlg.m_progress.GetWindowText() == operation.okStatus,
                "the operation did not end as it should");
    };
    dlg.m_delayBit = 0;
    RecordingPort recording(rig.simPort);
    rig.host.SetPort(recording);
    const std::size_t commands = rig.CommandsSentBy(runChecked);
    rig.host.SetPort(rig.simPort);
    const double accessesAlone = ReplayMilliseconds(recording.accesses);

    double totalAtBitDelay[2] = {};
    for (std::uint32_t bitDelay : {0u, 1u}) {
        std::cerr << "Measuring " << operation.name << " at bit delay " << bitDelay << "...\n";
        dlg.m_delayBit = bitDelay;
        const int runs = bitDelay == 0 ? 7 : 3;
        std::vector<double> milliseconds;
        for (int run = 0; run < runs; ++run) {
            const SteadyClock::time_point start = SteadyClock::now();
            runChecked();
            milliseconds.push_back(MicrosecondsSince(start) / 1000);
        }
        totalAtBitDelay[bitDelay] = Median(std::move(milliseconds));
    }

    const auto n = static_cast<double>(commands);
    const double overhead =
        (totalAtBitDelay[0] - accessesAlone) * 1000 / n - link.bitDelaysAtZeroMicroseconds;
    const std::string name = Format("%s, %u bytes (%zu ISP commands, %zu port accesses)", operation.name,
                                    CBrovikDlg::kImageSize, commands, recording.accesses.size());
    report.AddWithTarget(name + ", bit delay 0",
                         Format("%.1f ms = %.2f µs per command; the port accesses alone %.1f ms; beyond BitDelay "
                                "and them %.2f µs per command",
                                totalAtBitDelay[0], totalAtBitDelay[0] * 1000 / n, accessesAlone, overhead),
                         "< 5 µs beyond", overhead < 5.0);
    report.Add(name + ", bit delay 1",
               Format("%.1f ms = %.2f µs per command, %.2f µs more than at bit delay 0", totalAtBitDelay[1],
                      totalAtBitDelay[1] * 1000 / n, (totalAtBitDelay[1] - totalAtBitDelay[0]) * 1000 / n));
}

} // namespace

void MeasureFlashOperations(Report& report, const LinkCosts& link)
{
    MeasureOperation(report, link, {"Blank Check", [](CBrovikDlg& dlg) { return dlg.OnBlank(); }, texts::kBlankOk});
    MeasureOperation(report, link, {"Verify", [](CBrovikDlg& dlg) { return dlg.OnVerify(); }, texts::kVerifyOk});
}

} // namespace bench
