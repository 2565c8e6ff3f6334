// SPDX-License-Identifier: GPL-2.0-or-later
#include "IspRig.h"

namespace simtest {
namespace {

constexpr std::uint8_t kSckBit = 0x01;
constexpr std::uint8_t kResetControlBit = 0x02;
constexpr std::uint8_t kStrobeBit = 0x01; // inverted onto pin 1, MOSI

std::uint8_t ReadCommand(std::uint16_t address)
{
    return static_cast<std::uint8_t>(((address >> 5) & 0xF8) | 0x01);
}

std::uint8_t WriteCommand(std::uint16_t address)
{
    return static_cast<std::uint8_t>(((address >> 5) & 0xF8) | 0x02);
}

} // namespace

void IspHost::SetResetControl(bool high)
{
    data_ = static_cast<std::uint8_t>(high ? data_ | kResetControlBit : data_ & ~kResetControlBit);
    port_.Out(kPortBase, data_);
}

void IspHost::SetSck(bool high)
{
    data_ = static_cast<std::uint8_t>(high ? data_ | kSckBit : data_ & ~kSckBit);
    port_.Out(kPortBase, data_);
}

void IspHost::SetMosi(bool high)
{
    const std::uint8_t control = sim::SimulatedPort::kPowerUpControl;
    port_.Out(kControlRegister, static_cast<std::uint8_t>(high ? control & ~kStrobeBit : control | kStrobeBit));
}

bool IspHost::Miso()
{
    return (port_.In(kStatusRegister) & kMisoStatusBit) != 0;
}

std::uint32_t IspHost::Shift(std::uint32_t bits, int count)
{
    std::uint32_t sampled = 0;
    for (int bit = count - 1; bit >= 0; --bit) {
        const bool mosi = ((bits >> bit) & 1) != 0;
        SetMosi(mosi);
        sampled = (sampled << 1) | (Miso() ? 1u : 0u);
        SetSck(true);
        if (glitchMosiWhileSckHigh)
            SetMosi(!mosi);
        SetSck(false);
    }
    return sampled;
}

std::array<std::uint8_t, 3> IspHost::Transfer(std::uint8_t byte0, std::uint8_t byte1, std::uint8_t byte2)
{
    const std::uint32_t sampled = Shift((std::uint32_t{byte0} << 16) | (std::uint32_t{byte1} << 8) | byte2, 24);
    return {static_cast<std::uint8_t>(sampled >> 16), static_cast<std::uint8_t>(sampled >> 8),
            static_cast<std::uint8_t>(sampled)};
}

void IspHost::EnableProgramming()
{
    Transfer(0xAC, 0x53, 0x00);
}

std::uint8_t IspHost::Read(std::uint16_t address)
{
    return Transfer(ReadCommand(address), static_cast<std::uint8_t>(address), 0x00)[2];
}

void IspHost::Write(std::uint16_t address, std::uint8_t value)
{
    Transfer(WriteCommand(address), static_cast<std::uint8_t>(address), value);
}

void IspHost::EraseChip()
{
    Transfer(0xAC, 0x04, 0x00);
}

Rig::Rig(const sim::ChipContents& contents, const sim::ChipFaults& faults)
    : rig(clock, std::span<const std::uint16_t>(&kPortBase, 1), contents, faults),
      chip(rig.chip),
      port(rig.port),
      host(port)
{
}

sim::ChipContents PatternedContents()
{
    sim::ChipContents contents;
    for (std::size_t address = 0; address < sim::kFlashSize; ++address)
        contents.flash[address] = static_cast<std::uint8_t>((address & 0xFF) ^ ((address >> 8) * 0x1D));
    return contents;
}

} // namespace simtest
