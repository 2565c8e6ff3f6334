// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The target's ISP commands: three bytes each, sent most significant bit
// first while three bytes come back. Every command the programs send is built
// here and nowhere else.
#include <array>
#include <cstdint>

namespace isp {

using Command = std::array<std::uint8_t, 3>;

// Byte 0 of read and write code byte: address bits 12 to 8 in bits 7 to 3,
// the operation in bits 2 to 0. Address bits above bit 12 are not sent.
inline constexpr std::uint8_t kReadCodeOperation = 0x01;
inline constexpr std::uint8_t kWriteCodeOperation = 0x02;

constexpr Command ProgrammingEnable() { return {0xAC, 0x53, 0x00}; }

constexpr Command ChipErase() { return {0xAC, 0x04, 0x00}; }

// Reply byte 2 is the byte at address; the filler carries nothing.
constexpr Command ReadCode(std::uint32_t address, std::uint8_t filler)
{
    return {static_cast<std::uint8_t>(((address >> 5) & 0xF8) | kReadCodeOperation),
            static_cast<std::uint8_t>(address & 0xFF), filler};
}

constexpr Command WriteCode(std::uint32_t address, std::uint8_t data)
{
    return {static_cast<std::uint8_t>(((address >> 5) & 0xF8) | kWriteCodeOperation),
            static_cast<std::uint8_t>(address & 0xFF), data};
}

// Lock level 1, 2 or 3: the commands differ only in bits 6 and 5 of byte 1.
constexpr Command LockBit(int level)
{
    constexpr std::uint8_t kLevelByte[] = {0x67, 0x27, 0x07};
    return {0xAC, kLevelByte[level - 1], 0x00};
}

} // namespace isp
