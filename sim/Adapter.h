// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The programming adapter between the PC's 25-pin printer connector and the
// target chip's serial programming pins.
#include <bitset>

#include "sim/TargetChip.h"

namespace sim {

// Levels on the 25-pin connector, indexed by pin number (index 0 unused).
using ConnectorPins = std::bitset<26>;

class Adapter {
public:
    static constexpr int kMosiPin = 1;          // nStrobe
    static constexpr int kSckPin = 2;           // D0
    static constexpr int kResetControlPin = 3;  // D1
    static constexpr int kMisoPin = 10;         // nAck

    explicit Adapter(TargetChip& chip) : chip_(chip) {}

    // Passes the PC's output pin levels on to the chip.
    void Drive(const ConnectorPins& pcOutputs);
    // The level the adapter presents on one of the PC's input pins;
    // inputs it does not connect float high.
    bool InputLevel(int pin) const;

private:
    TargetChip& chip_;
};

} // namespace sim
