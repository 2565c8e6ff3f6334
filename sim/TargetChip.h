// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The target microcontroller as seen from its serial programming pins: SCK,
// MOSI and reset-control in, MISO out. Time comes from the host's clock so
// that write and erase times pass with recorded sleeps as with real ones.
#include <cstdint>
#include <functional>
#include <limits>

#include "framework/Clock.h"
#include "sim/ChipContents.h"
#include "sim/ChipFaults.h"

namespace sim {

struct ChipInputs {
    bool sck = false;
    bool mosi = false;
    bool resetControl = true;

    bool operator==(const ChipInputs&) const = default;
};

struct PinLevels {
    bool sck;
    bool mosi;
    bool resetControl;
    bool miso;
};

class TargetChip {
public:
    static constexpr std::int64_t kChipEraseMicroseconds = 16000;

    // The chip starts running (reset-control high, SCK and MOSI low) until
    // its inputs are first driven.
    explicit TargetChip(fw::IClock& clock, ChipContents contents = {}, ChipFaults faults = {});

    void SetInputs(const ChipInputs& inputs);
    // The level on the MISO line: high when nothing drives it.
    bool Miso() const;

    const ChipContents& Contents() const { return contents_; }
    // The flash and lock bits become contents, as when the chip file was
    // changed by another program between two operations.
    void LoadContents(const ChipContents& contents);
    const FlashImage& Flash() const { return contents_.flash; }
    std::uint8_t LockBits() const { return contents_.lockBits; }
    bool InProgrammingMode() const { return programming_; }
    bool ProgrammingEnabled() const { return enabled_; }

    // Called after every change of SCK, MOSI or reset-control, and again
    // after every change of MISO that it causes.
    void SetPinObserver(std::function<void(const PinLevels&)> observer);

private:
    void EnterProgrammingMode();
    void LeaveProgrammingMode();
    void OnRisingEdge();
    void OnFallingEdge();
    void Execute(std::uint8_t byte0, std::uint8_t byte1, std::uint8_t byte2);
    void WriteCodeByte(std::uint16_t address, std::uint8_t data, std::int64_t now);
    void EraseChip(std::int64_t now);
    std::uint8_t Respond(std::uint8_t byte0, std::uint8_t byte1) const;
    std::uint8_t ReadCodeByte(std::uint16_t address, std::int64_t now) const;
    bool Erasing(std::int64_t now) const { return now < eraseEndsAt_; }
    void Notify(bool miso) const;

    fw::IClock& clock_;
    ChipContents contents_;
    ChipFaults faults_;
    ChipInputs inputs_;
    std::function<void(const PinLevels&)> observer_;

    bool programming_ = false;
    bool enabled_ = false;
    int bitCount_ = 0;
    std::uint32_t shiftIn_ = 0;
    std::uint8_t response_ = 0;
    bool misoDriven_ = false;

    static constexpr std::int64_t kLongAgo = std::numeric_limits<std::int64_t>::min();
    std::int64_t eraseEndsAt_ = kLongAgo;
    std::int64_t writeEndsAt_ = kLongAgo;
    std::uint16_t writeAddress_ = 0;
};

} // namespace sim
