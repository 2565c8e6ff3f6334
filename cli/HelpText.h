// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include <string>

namespace cli {

// The text of --help, naming where the dialog program's settings file and the
// default chip file are on this machine.
std::string HelpText(const std::string& settingsPath, const std::string& defaultChipPath);

} // namespace cli
