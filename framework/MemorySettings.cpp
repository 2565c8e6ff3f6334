// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/MemorySettings.h"

namespace fw {

std::string MemorySettings::Key(std::string_view name)
{
    constexpr std::string_view kBlanks = " \t";
    const auto first = name.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    std::string key(name.substr(first, name.find_last_not_of(kBlanks) - first + 1));
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

int MemorySettings::GetInt(const std::string& section, const std::string& entry, int defaultValue) const
{
    const auto found = m_values.find({Key(section), Key(entry)});
    return found == m_values.end() ? defaultValue : found->second;
}

bool MemorySettings::WriteInt(const std::string& section, const std::string& entry, int value)
{
    m_values[{Key(section), Key(entry)}] = value;
    return true;
}

} // namespace fw
