// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A simulated chip on the simulated port, and a host that drives it through
// the port registers the way the programmer does, with a clock advanced by hand.
#include <array>
#include <cstdint>

#include "framework/Clock.h"
#include "framework/PortIo.h"
#include "sim/ChipContents.h"
#include "sim/ChipFaults.h"
#include "port/ParallelPort.h"
#include "sim/SimulatedRig.h"

namespace simtest {

inline constexpr std::uint16_t kPortBase = CParallelPort::kLpt1Address;
inline constexpr std::uint16_t kStatusRegister = kPortBase + 1;
inline constexpr std::uint16_t kControlRegister = kPortBase + 2;
inline constexpr std::uint8_t kMisoStatusBit = 0x40;

class ManualClock final : public fw::IClock {
public:
    std::int64_t NowMicroseconds() override { return now_; }
    void Advance(std::int64_t microseconds) { now_ += microseconds; }

private:
    std::int64_t now_ = 5'000'000;
};

class IspHost {
public:
    explicit IspHost(fw::IPortBackend& port) : port_(port) {}

    // Flips MOSI while SCK is high: a chip that samples on the rising edge
    // must not notice.
    bool glitchMosiWhileSckHigh = false;

    void SetResetControl(bool high);
    bool Miso();
    // Shifts out the low count bits of bits, MSB first; returns what MISO
    // gave before each rising edge.
    std::uint32_t Shift(std::uint32_t bits, int count);
    std::array<std::uint8_t, 3> Transfer(std::uint8_t byte0, std::uint8_t byte1, std::uint8_t byte2);

    void EnableProgramming();
    std::uint8_t Read(std::uint16_t address);
    void Write(std::uint16_t address, std::uint8_t value);
    void EraseChip();

private:
    void SetSck(bool high);
    void SetMosi(bool high);

    fw::IPortBackend& port_;
    std::uint8_t data_ = sim::SimulatedPort::kPowerUpData; // D0 = SCK, D1 = reset-control
};

struct Rig {
    explicit Rig(const sim::ChipContents& contents = {}, const sim::ChipFaults& faults = {});

    ManualClock clock;
    sim::SimulatedRig rig;
    sim::TargetChip& chip;
    sim::SimulatedPort& port;
    IspHost host;
};

// Every address holds a byte that differs from the bytes at the addresses a
// wrong address decoding would reach.
sim::ChipContents PatternedContents();

} // namespace simtest
