// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/hex/HexLoadFixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace test {

std::string Record(std::uint8_t type, std::uint16_t address, const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> fields{static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(address >> 8),
                                     static_cast<std::uint8_t>(address & 0xFF), type};
    fields.insert(fields.end(), data.begin(), data.end());
    std::uint8_t sum = 0;
    for (std::uint8_t byte : fields)
        sum = static_cast<std::uint8_t>(sum + byte);
    fields.push_back(static_cast<std::uint8_t>(-sum));
    std::string text = ":";
    for (std::uint8_t byte : fields) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += digits;
    }
    return text;
}

std::string HexFileOfSize(std::size_t size)
{
    std::string text = Record(0, 0x0100, {0x55}) + "\n";
    const std::string emptyRecord = Record(0, 0x0000, {}) + "\n";
    while (text.size() + emptyRecord.size() + kEndRecord.size() <= size)
        text += emptyRecord;
    text += std::string(size - kEndRecord.size() - text.size(), ' ');
    return text + kEndRecord;
}


std::string HexLoadTest::WriteFile(const std::string& name, const std::string& contents) const
{
    const std::string path = PathOf(name);
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

void HexLoadTest::OpenHex(const std::string& path)
{
    host.onOpenFile = [path](std::string& chosen) {
        chosen = path;
        return true;
    };
    Click(IDC_OPENHEX);
}

void HexLoadTest::CancelOpenHex()
{
    host.onOpenFile = [](std::string&) { return false; };
    Click(IDC_OPENHEX);
}

} // namespace test
