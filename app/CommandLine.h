// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The command line of the dialog programs: --help and --version, answered on
// standard output before any window opens, and at most one HEX file to open
// once the dialog is up. Anything else is a usage error, reported in one line
// on standard error before any window opens. Nothing goes to the toolkit.
#include <optional>
#include <ostream>
#include <string>

struct DialogCommandLine {
    // Set when the program ends here: 0 after --help or --version, 2 after a
    // usage error.
    std::optional<int> exitStatus;
    std::optional<std::string> file;
};

inline constexpr int kUsageErrorStatus = 2;

DialogCommandLine ParseDialogCommandLine(int argc, const char* const* argv, bool simulated, std::ostream& out,
                                         std::ostream& errors);
