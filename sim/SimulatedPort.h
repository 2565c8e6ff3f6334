// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The PC printer port with the programming adapter plugged in: the data,
// status and control registers at each configured base address, mapped onto
// connector pins the way the port hardware does it.
#include <cstdint>
#include <optional>
#include <vector>

#include "framework/PortIo.h"
#include "sim/Adapter.h"
#include "sim/TargetChip.h"

namespace sim {

class SimulatedPort final : public fw::IPortBackend {
public:
    static constexpr std::uint8_t kPowerUpData = 0x00;
    static constexpr std::uint8_t kPowerUpControl = 0x0C;

    // Powers the adapter up with the port's power-up register values.
    explicit SimulatedPort(TargetChip& chip);

    // Makes the port answer at base (data), base+1 (status), base+2 (control).
    // Every base reaches the same registers and the same adapter.
    void AddBase(std::uint16_t base);

    std::uint8_t In(std::uint16_t address) override;
    void Out(std::uint16_t address, std::uint8_t value) override;

    // The level on connector pin 1-25: outputs as driven, inputs as the
    // adapter presents them, ground pins low.
    bool PinLevel(int pin) const;

private:
    enum class Register { Data, Status, Control };

    std::optional<Register> Decode(std::uint16_t address) const;
    ConnectorPins OutputPins() const;
    std::uint8_t Status() const;

    std::vector<std::uint16_t> bases_;
    std::uint8_t data_ = kPowerUpData;
    std::uint8_t control_ = kPowerUpControl;
    Adapter adapter_;
    ConnectorPins driven_;
};

} // namespace sim
