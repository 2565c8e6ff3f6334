// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where a host keeps the settings: integer entries of sections. The INI file
// and the in-memory store are the two kinds; both match names alike.
#include <string>

namespace fw {

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // The entry's integer, or defaultValue when it is not there.
    virtual int GetInt(const std::string& section, const std::string& entry, int defaultValue) const = 0;
    // False when the entry could not be stored.
    virtual bool WriteInt(const std::string& section, const std::string& entry, int value) = 0;
};

} // namespace fw
