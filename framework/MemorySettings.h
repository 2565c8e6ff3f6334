// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Settings kept in memory for one run (brovik-cli, the benchmarks): integer
// entries of sections, matched as the settings file matches them, without
// regard to ASCII case and to blanks around the names.
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "framework/SettingsStore.h"

namespace fw {

class MemorySettings final : public ISettingsStore {
public:
    int GetInt(const std::string& section, const std::string& entry, int defaultValue) const override;
    // Always stored.
    bool WriteInt(const std::string& section, const std::string& entry, int value) override;

private:
    static std::string Key(std::string_view name);

    std::map<std::pair<std::string, std::string>, int> m_values;
};

} // namespace fw
