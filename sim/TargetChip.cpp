// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/TargetChip.h"

#include <utility>

namespace sim {
namespace {

constexpr int kCommandBits = 24;
constexpr int kResponseStartBit = 16;

constexpr std::uint8_t kEnableOrMiscPrefix = 0xAC;
constexpr std::uint8_t kProgrammingEnable = 0x53;
constexpr std::uint8_t kChipErase = 0x04;
constexpr std::uint8_t kOpcodeMask = 0x07;
constexpr std::uint8_t kReadCodeOpcode = 0x01;
constexpr std::uint8_t kWriteCodeOpcode = 0x02;

std::uint8_t LockBitWrittenBy(std::uint8_t byte1)
{
    switch (byte1) {
    case 0x67:
        return kLockBit1;
    case 0x27:
        return kLockBit2;
    case 0x07:
        return kLockBit3;
    default:
        return 0;
    }
}

// The upper five address bits travel in bits 7-3 of the first byte.
std::uint16_t CodeAddress(std::uint8_t byte0, std::uint8_t byte1)
{
    return static_cast<std::uint16_t>(((byte0 & 0xF8) << 5) | byte1);
}

} // namespace

TargetChip::TargetChip(fw::IClock& clock, ChipContents contents, ChipFaults faults)
    : clock_(clock), contents_(std::move(contents)), faults_(faults)
{
    contents_.lockBits &= kLockBitsMask;
}

void TargetChip::LoadContents(const ChipContents& contents)
{
    contents_ = contents;
    contents_.lockBits &= kLockBitsMask;
}

void TargetChip::SetPinObserver(std::function<void(const PinLevels&)> observer)
{
    observer_ = std::move(observer);
}

bool TargetChip::Miso() const
{
    switch (faults_.presence) {
    case ChipFaults::Presence::AbsentMisoHigh:
        return true;
    case ChipFaults::Presence::AbsentMisoLow:
        return false;
    case ChipFaults::Presence::Fitted:
        break;
    }
    return programming_ ? misoDriven_ : true;
}

void TargetChip::SetInputs(const ChipInputs& inputs)
{
    if (inputs == inputs_)
        return;
    const ChipInputs previous = std::exchange(inputs_, inputs);
    const bool misoBefore = Miso();

    // Reset-control is taken first when it changes together with SCK.
    if (faults_.presence == ChipFaults::Presence::Fitted) {
        if (previous.resetControl && !inputs.resetControl)
            EnterProgrammingMode();
        else if (!previous.resetControl && inputs.resetControl)
            LeaveProgrammingMode();

        if (programming_ && !previous.sck && inputs.sck)
            OnRisingEdge();
        else if (programming_ && previous.sck && !inputs.sck)
            OnFallingEdge();
    }

    Notify(misoBefore);
    if (Miso() != misoBefore)
        Notify(Miso());
}

void TargetChip::Notify(bool miso) const
{
    if (observer_)
        observer_(PinLevels{inputs_.sck, inputs_.mosi, inputs_.resetControl, miso});
}

void TargetChip::EnterProgrammingMode()
{
    programming_ = true;
    enabled_ = false;
    bitCount_ = 0;
    shiftIn_ = 0;
    misoDriven_ = false;
}

void TargetChip::LeaveProgrammingMode()
{
    EnterProgrammingMode();
    programming_ = false;
}

void TargetChip::OnRisingEdge()
{
    shiftIn_ = (shiftIn_ << 1) | (inputs_.mosi ? 1u : 0u);
    if (++bitCount_ < kCommandBits)
        return;
    const std::uint32_t command = shiftIn_;
    bitCount_ = 0;
    shiftIn_ = 0;
    Execute(static_cast<std::uint8_t>(command >> 16), static_cast<std::uint8_t>(command >> 8),
            static_cast<std::uint8_t>(command));
}

// The host samples MISO before each rising edge, so the bit for the next
// rising edge must be on the line once the previous falling edge has passed.
void TargetChip::OnFallingEdge()
{
    if (bitCount_ == kResponseStartBit)
        response_ = Respond(static_cast<std::uint8_t>(shiftIn_ >> 8), static_cast<std::uint8_t>(shiftIn_));
    if (bitCount_ >= kResponseStartBit) {
        const int bit = kCommandBits - 1 - bitCount_;
        misoDriven_ = ((response_ >> bit) & 1) != 0;
    } else {
        misoDriven_ = false;
    }
}

std::uint8_t TargetChip::Respond(std::uint8_t byte0, std::uint8_t byte1) const
{
    if (!enabled_ || (byte0 & kOpcodeMask) != kReadCodeOpcode)
        return 0x00;
    return ReadCodeByte(CodeAddress(byte0, byte1), clock_.NowMicroseconds());
}

std::uint8_t TargetChip::ReadCodeByte(std::uint16_t address, std::int64_t now) const
{
    if (Erasing(now) || (contents_.lockBits & (kLockBit2 | kLockBit3)) != 0)
        return 0x00;
    const std::uint8_t stored = contents_.flash[address];
    // While a write is in progress the byte reads back with bit 7 inverted.
    if (now < writeEndsAt_ && address == writeAddress_)
        return stored ^ 0x80;
    return stored;
}

void TargetChip::Execute(std::uint8_t byte0, std::uint8_t byte1, std::uint8_t byte2)
{
    if (byte0 == kEnableOrMiscPrefix && byte1 == kProgrammingEnable) {
        enabled_ = true;
        return;
    }
    if (!enabled_)
        return;
    const std::int64_t now = clock_.NowMicroseconds();
    if (byte0 == kEnableOrMiscPrefix) {
        if (byte1 == kChipErase)
            EraseChip(now);
        else if (!Erasing(now))
            contents_.lockBits |= LockBitWrittenBy(byte1);
        return;
    }
    if ((byte0 & kOpcodeMask) == kWriteCodeOpcode)
        WriteCodeByte(CodeAddress(byte0, byte1), byte2, now);
}

void TargetChip::WriteCodeByte(std::uint16_t address, std::uint8_t data, std::int64_t now)
{
    if (Erasing(now) || now < writeEndsAt_ || contents_.lockBits != 0)
        return;
    if (faults_.unprogrammableAddress == address)
        return;
    contents_.flash[address] = data;
    writeAddress_ = address;
    writeEndsAt_ = now + faults_.writeMicroseconds;
}

void TargetChip::EraseChip(std::int64_t now)
{
    contents_ = ChipContents{};
    eraseEndsAt_ = now + kChipEraseMicroseconds;
    writeEndsAt_ = kLongAgo;
}

} // namespace sim
