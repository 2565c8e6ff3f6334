// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer target for the INI reader and writer.
//
// Input: a first line "section|entry|otherSection|otherEntry|value", then the
// INI text. Besides surviving any text, a write must read back as written,
// must not change what any other entry reads, and must be a no-op when
// repeated.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "framework/IniFile.h"

namespace {

std::vector<std::string> Fields(std::string_view line)
{
    std::vector<std::string> fields;
    for (;;) {
        const auto bar = line.find('|');
        fields.emplace_back(line.substr(0, bar));
        if (bar == std::string_view::npos)
            break;
        line.remove_prefix(bar + 1);
    }
    fields.resize(5);
    return fields;
}

// How the reader compares names: blanks and tabs trimmed, ASCII case folded.
std::string Normalised(std::string_view name)
{
    const auto first = name.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    std::string result(name.substr(first, name.find_last_not_of(" \t") - first + 1));
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto newline = input.find('\n');
    const std::string_view text = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
    const std::vector<std::string> f = Fields(input.substr(0, newline));
    const std::string& section = f[0];
    const std::string& entry = f[1];
    const std::string& otherSection = f[2];
    const std::string& otherEntry = f[3];
    int value = 0;
    std::from_chars(f[4].data(), f[4].data() + f[4].size(), value);

    const int otherBefore = fw::IniFile::ParseInt(text, otherSection, otherEntry, -1);
    const auto written = fw::IniFile::WithInt(text, section, entry, value);
    if (!written)
        return 0;
    Check(fw::IniFile::ParseInt(*written, section, entry, ~value) == value);
    if (Normalised(otherSection) != Normalised(section) || Normalised(otherEntry) != Normalised(entry))
        Check(fw::IniFile::ParseInt(*written, otherSection, otherEntry, -1) == otherBefore);
    Check(fw::IniFile::WithInt(*written, section, entry, value) == written);
    return 0;
}
