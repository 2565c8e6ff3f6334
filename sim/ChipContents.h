// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the target chip keeps without power: its flash and its lock bits.
#include <array>
#include <cstddef>
#include <cstdint>

namespace sim {

inline constexpr std::size_t kFlashSize = 8192;
inline constexpr std::uint8_t kErasedByte = 0xFF;

inline constexpr std::uint8_t kLockBit1 = 0x01; // no further writes
inline constexpr std::uint8_t kLockBit2 = 0x02; // as LB1, and reads no longer return the code
inline constexpr std::uint8_t kLockBit3 = 0x04; // as LB2 for this model
inline constexpr std::uint8_t kLockBitsMask = kLockBit1 | kLockBit2 | kLockBit3;

using FlashImage = std::array<std::uint8_t, kFlashSize>;

constexpr FlashImage ErasedFlash()
{
    FlashImage flash{};
    flash.fill(kErasedByte);
    return flash;
}

// Default-constructed contents are a blank, unlocked chip.
struct ChipContents {
    FlashImage flash = ErasedFlash();
    std::uint8_t lockBits = 0;

    bool operator==(const ChipContents&) const = default;
};

} // namespace sim
