// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/Adapter.h"

namespace sim {

void Adapter::Drive(const ConnectorPins& pcOutputs)
{
    chip_.SetInputs(ChipInputs{
        .sck = pcOutputs[kSckPin],
        .mosi = pcOutputs[kMosiPin],
        .resetControl = pcOutputs[kResetControlPin],
    });
}

bool Adapter::InputLevel(int pin) const
{
    return pin == kMisoPin ? chip_.Miso() : true;
}

} // namespace sim
