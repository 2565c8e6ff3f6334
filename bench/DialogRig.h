// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The real main dialog, created modelessly and shown on Qt's offscreen
// platform, on the simulated rig answering at LPT1, with the bench host
// installed. With real sleeps the chip keeps time on the monotonic clock,
// as in brovik-sim; with recorded ones, on the host's virtual clock.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/BrovikDlg.h"
#include "bench/BenchHost.h"
#include "framework/Setup.h"
#include "framework/Sleep.h"
#include "port/ParallelPort.h"
#include "sim/SimulatedRig.h"

namespace bench {

inline constexpr std::uint16_t kLpt1 = CParallelPort::kLpt1Address;

class DialogRig {
    // First, so that the chip can keep time on it.
    fw::MonotonicClock m_monotonicClock;

public:
    explicit DialogRig(SleepMode mode, const sim::ChipContents& contents = {});
    ~DialogRig();
    DialogRig(const DialogRig&) = delete;
    DialogRig& operator=(const DialogRig&) = delete;

    BenchHost host;

private:
    sim::SimulatedRig m_rig;
    const fw::Setup m_setup;

public:
    sim::TargetChip& chip;
    sim::SimulatedPort& simPort;
    CBrovikDlg& Dialog() { return *m_dialog; }

    // Runs operation and returns how many whole ISP commands reached the
    // chip's pins meanwhile (24 rising SCK edges in programming mode each).
    std::size_t CommandsSentBy(const std::function<void()>& operation);

private:
    std::unique_ptr<CBrovikDlg> m_dialog;
};

// Throws with what when the condition does not hold: a measurement of an
// operation that did not do its work is worthless.
void Require(bool condition, const char* what);

// The byte the benchmarks keep at address: no two neighbours alike, and not
// the erased value everywhere, so that a wrong read shows.
inline std::uint8_t PatternByte(std::uint32_t address) { return static_cast<std::uint8_t>(address * 13 + 5); }

} // namespace bench
