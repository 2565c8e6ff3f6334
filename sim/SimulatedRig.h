// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The simulated adapter and target chip as every program and test fits them:
// a chip on the adapter, the adapter on a simulated port that answers at the
// given printer-port base addresses.
#include <cstdint>
#include <span>

#include "sim/SimulatedPort.h"
#include "sim/TargetChip.h"

namespace sim {

struct SimulatedRig {
    SimulatedRig(fw::IClock& clock, std::span<const std::uint16_t> bases, const ChipContents& contents = {},
                 const ChipFaults& faults = {});
    SimulatedRig(const SimulatedRig&) = delete;
    SimulatedRig& operator=(const SimulatedRig&) = delete;

    TargetChip chip;
    SimulatedPort port;
};

} // namespace sim
