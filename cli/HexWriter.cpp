// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/HexWriter.h"

#include <algorithm>

namespace cli {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";
constexpr std::uint8_t kDataRecord = 0x00;

void AppendByte(std::string& text, std::uint8_t value, std::uint8_t& sum)
{
    text += kDigits[value >> 4];
    text += kDigits[value & 0x0F];
    sum = static_cast<std::uint8_t>(sum + value);
}

} // namespace

std::string IntelHexText(std::span<const std::uint8_t> bytes)
{
    std::string text;
    text.reserve((bytes.size() / kHexRecordLength + 1) * (11 + 2 * kHexRecordLength + 1) + 12);
    for (std::size_t address = 0; address < bytes.size(); address += kHexRecordLength) {
        const std::size_t count = std::min(kHexRecordLength, bytes.size() - address);
        std::uint8_t sum = 0;
        text += ':';
        AppendByte(text, static_cast<std::uint8_t>(count), sum);
        AppendByte(text, static_cast<std::uint8_t>(address >> 8), sum);
        AppendByte(text, static_cast<std::uint8_t>(address & 0xFF), sum);
        AppendByte(text, kDataRecord, sum);
        for (const std::uint8_t value : bytes.subspan(address, count))
            AppendByte(text, value, sum);
        std::uint8_t ignored = 0;
        AppendByte(text, static_cast<std::uint8_t>(0x100 - sum), ignored);
        text += '\n';
    }
    text += ":00000001FF\n";
    return text;
}

} // namespace cli
