// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a run uses: the options where given, else what the dialog program
// stored in its settings file.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "cli/Options.h"

namespace fw {
class IniFile;
}
namespace hw {
struct ParportInfo;
}

namespace cli {

// The dialog program's settings, as it stores them.
inline constexpr const char* kSettingsSection = "BROVIK";
inline constexpr const char* kLptPortEntry = "LPT PORT";
inline constexpr const char* kDelayBitEntry = "DELAY BIT";
inline constexpr const char* kDelayByteEntry = "DELAY BYTE";

struct RunSettings {
    PortChoice port;
    // "LPT PORT" as the dialog reads it: 1 to 3 (the simulated adapter, and a
    // port chosen by address or device, sit at LPT1).
    int lptPort;
    // The base address the dialog's LPT1 is moved to, or 0 to leave the
    // dialog's choice where it is.
    std::uint16_t relocatedBase;
    int bitDelay;
    int byteDelay;
    // What the run says on its error stream before it starts: which stored
    // delay outside 1 to 10 it uses, as what, and why.
    std::vector<std::string> notes;
};

// A port comes from --port, else from a stored "LPT PORT" of 1 to 3; without
// either the run cannot start. A delay comes from its option (1 to 10), else
// it is the stored value, which the dialog then takes as it always does.
// A device named with --port is looked up in the kernel's list of ports.
std::variant<RunSettings, UsageError> ResolveRunSettings(const Options& options, const fw::IniFile& stored);

// The base address of /dev/parportN as the kernel reports it.
std::variant<std::uint16_t, UsageError> DeviceBaseAddress(const std::string& device,
                                                          const std::vector<hw::ParportInfo>& kernelPorts);

} // namespace cli
