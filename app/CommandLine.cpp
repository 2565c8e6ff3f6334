// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/CommandLine.h"

#include <string_view>

#include "res/Version.h"

namespace {

constexpr const char* kRealPortHelp = R"(Usage: brovik [--help] [--version] [FILE]

Opens the brovik dialog: erase, blank check, program, verify and lock the
flash of an 8051-family chip (8 KiB of flash, three lock bits) through an
adapter on the printer port chosen with Lpt1, Lpt2 or Lpt3.

  FILE           an Intel HEX file, opened at start as "Open Hex File"
                 opens it; a file dropped on the dialog is opened too

Options:
  -h, --help     print this text
  --version      print the program's name and version

Settings: LPT PORT, DELAY BIT and DELAY BYTE, in section [BROVIK] of
$XDG_CONFIG_HOME/brovik.INI (else ~/.config/brovik.INI).
See brovik(1) for the wiring of the adapter.
)";

constexpr const char* kSimulatedHelp = R"(Usage: brovik-sim [--help] [--version] [FILE]

Opens the brovik dialog on a simulated adapter and chip: every button works
as with real hardware, and no printer port is touched. The chip keeps its
flash and lock bits between runs in its chip file.

  FILE           an Intel HEX file, opened at start as "Open Hex File"
                 opens it; a file dropped on the dialog is opened too

Options:
  -h, --help     print this text
  --version      print the program's name and version

Settings: $XDG_CONFIG_HOME/brovik-sim.INI (else ~/.config/brovik-sim.INI).
Chip file: $XDG_DATA_HOME/brovik/simulated-chip.bin
(else ~/.local/share/brovik/simulated-chip.bin).
)";

DialogCommandLine UsageError(const char* program, const std::string& problem, std::ostream& errors)
{
    errors << program << ": " << problem << "; try '" << program << " --help'\n";
    return {kUsageErrorStatus, std::nullopt};
}

} // namespace

DialogCommandLine ParseDialogCommandLine(int argc, const char* const* argv, bool simulated, std::ostream& out,
                                         std::ostream& errors)
{
    const char* program = simulated ? "brovik-sim" : "brovik";
    // --help and --version win wherever they stand before a "--".
    for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            out << (simulated ? kSimulatedHelp : kRealPortHelp);
            return {0, std::nullopt};
        }
        if (argument == "--version") {
            out << program << ' ' << kBrovikVersion << '\n';
            return {0, std::nullopt};
        }
    }
    DialogCommandLine result;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.size() > 1 && argument[0] == '-')
            return UsageError(program, "unknown option " + argument, errors);
        if (result.file)
            return UsageError(program, "one file only, not also " + argument, errors);
        result.file = argument;
    }
    return result;
}
