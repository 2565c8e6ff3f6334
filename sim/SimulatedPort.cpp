// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SimulatedPort.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace sim {
namespace {

constexpr int kConnectorPins = 25;
constexpr int kFirstDataPin = 2;
constexpr int kFirstGroundPin = 18;
constexpr int kStrobePin = 1;
constexpr int kAutoFeedPin = 14;
constexpr int kInitPin = 16;
constexpr int kSelectInPin = 17;
constexpr int kAckPin = 10;
constexpr int kBusyPin = 11;
constexpr int kPaperOutPin = 12;
constexpr int kSelectPin = 13;
constexpr int kErrorPin = 15;

constexpr bool IsInputPin(int pin)
{
    return pin == kAckPin || pin == kBusyPin || pin == kPaperOutPin || pin == kSelectPin || pin == kErrorPin;
}

constexpr bool Bit(std::uint8_t value, int bit)
{
    return ((value >> bit) & 1) != 0;
}

// Status bits 0-2 are not wired to the connector and read as 1.
constexpr std::uint8_t kUnwiredStatusBits = 0x07;

} // namespace

SimulatedPort::SimulatedPort(TargetChip& chip) : adapter_(chip), driven_(OutputPins())
{
    adapter_.Drive(driven_);
}

void SimulatedPort::AddBase(std::uint16_t base)
{
    if (std::find(bases_.begin(), bases_.end(), base) == bases_.end())
        bases_.push_back(base);
}

std::optional<SimulatedPort::Register> SimulatedPort::Decode(std::uint16_t address) const
{
    for (const std::uint16_t base : bases_) {
        switch (address - base) {
        case 0:
            return Register::Data;
        case 1:
            return Register::Status;
        case 2:
            return Register::Control;
        default:
            break;
        }
    }
    return std::nullopt;
}

std::uint8_t SimulatedPort::In(std::uint16_t address)
{
    const std::optional<Register> reg = Decode(address);
    if (!reg)
        return 0xFF;
    switch (*reg) {
    case Register::Data:
        return data_;
    case Register::Status:
        return Status();
    case Register::Control:
        return control_;
    }
    return 0xFF;
}

void SimulatedPort::Out(std::uint16_t address, std::uint8_t value)
{
    const std::optional<Register> reg = Decode(address);
    if (reg == Register::Data)
        data_ = value;
    else if (reg == Register::Control)
        control_ = value;
    else
        return;
    driven_ = OutputPins();
    adapter_.Drive(driven_);
}

ConnectorPins SimulatedPort::OutputPins() const
{
    ConnectorPins pins;
    for (int bit = 0; bit < 8; ++bit)
        pins[kFirstDataPin + bit] = Bit(data_, bit);
    pins[kStrobePin] = !Bit(control_, 0);
    pins[kAutoFeedPin] = !Bit(control_, 1);
    pins[kInitPin] = Bit(control_, 2);
    pins[kSelectInPin] = !Bit(control_, 3);
    return pins;
}

std::uint8_t SimulatedPort::Status() const
{
    const auto in = [this](int pin, int bit) {
        return static_cast<std::uint8_t>(adapter_.InputLevel(pin) ? 1u << bit : 0u);
    };
    // Busy (pin 11) is inverted by the port hardware.
    return static_cast<std::uint8_t>(kUnwiredStatusBits | in(kErrorPin, 3) | in(kSelectPin, 4) |
                                     in(kPaperOutPin, 5) | in(kAckPin, 6) | (in(kBusyPin, 7) ^ 0x80));
}

bool SimulatedPort::PinLevel(int pin) const
{
    if (pin < 1 || pin > kConnectorPins)
        throw std::out_of_range("connector pin " + std::to_string(pin) + " does not exist");
    if (IsInputPin(pin))
        return adapter_.InputLevel(pin);
    if (pin >= kFirstGroundPin)
        return false;
    return driven_[pin];
}

} // namespace sim
