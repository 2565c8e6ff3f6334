#pragma once
// What a run uses: the options where given, else what the dialog program
// stored in its settings file.
#include <variant>

#include "cli/Options.h"

namespace fw {
class IniFile;
}

namespace cli {

// The dialog program's settings, as it stores them.
inline constexpr const char* kSettingsSection = "BROVIK";
inline constexpr const char* kLptPortEntry = "LPT PORT";
inline constexpr const char* kDelayBitEntry = "DELAY BIT";
inline constexpr const char* kDelayByteEntry = "DELAY BYTE";

struct RunSettings {
    PortChoice port;
    // "LPT PORT" as the dialog reads it: 1 to 3 (the simulated adapter sits at LPT1).
    int lptPort;
    int bitDelay;
    int byteDelay;
};

// A port comes from --port, else from a stored "LPT PORT" of 1 to 3; without
// either the run cannot start. A delay comes from its option (1 to 10), else
// it is the stored value, which the dialog then takes as it always does.
std::variant<RunSettings, UsageError> ResolveRunSettings(const Options& options, const fw::IniFile& stored);

} // namespace cli
