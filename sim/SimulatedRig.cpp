// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SimulatedRig.h"

namespace sim {

SimulatedRig::SimulatedRig(fw::IClock& clock, std::span<const std::uint16_t> bases, const ChipContents& contents,
                           const ChipFaults& faults)
    : chip(clock, contents, faults), port(chip)
{
    for (const std::uint16_t base : bases)
        port.AddBase(base);
}

} // namespace sim
