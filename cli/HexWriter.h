// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Writes bytes as an Intel HEX text that the dialog's loader reads back.
#include <cstdint>
#include <span>
#include <string>

namespace cli {

inline constexpr std::size_t kHexRecordLength = 16;

// The bytes from address 0 on (at most 65536 of them, the reach of a 16-bit
// record address): data records of kHexRecordLength bytes, the last one
// shorter when the size is not a multiple of it, in upper-case digits, then
// the end-of-file record; every line ends in "\n".
std::string IntelHexText(std::span<const std::uint8_t> bytes);

} // namespace cli
