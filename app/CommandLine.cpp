#include "app/InfoOptions.h"

#include <cstdio>
#include <string_view>

#include "res/Version.h"

namespace {

constexpr const char* kRealPortHelp = R"(Usage: brovik [--help] [--version]

Opens the brovik dialog: erase, blank check, program, verify and lock the
flash of an 8051-family chip (8 KiB of flash, three lock bits) through an
adapter on the printer port chosen with Lpt1, Lpt2 or Lpt3.

Options:
  -h, --help     print this text
  --version      print the program's name and version

Settings: LPT PORT, DELAY BIT and DELAY BYTE, in section [BROVIK] of
$XDG_CONFIG_HOME/brovik.INI (else ~/.config/brovik.INI).
See brovik(1) for the wiring of the adapter.
)";

constexpr const char* kSimulatedHelp = R"(Usage: brovik-sim [--help] [--version]

Opens the brovik dialog on a simulated adapter and chip: every button works
as with real hardware, and no printer port is touched. The chip keeps its
flash and lock bits between runs in its chip file.

Options:
  -h, --help     print this text
  --version      print the program's name and version

Settings: $XDG_CONFIG_HOME/brovik-sim.INI (else ~/.config/brovik-sim.INI).
Chip file: $XDG_DATA_HOME/brovik/simulated-chip.bin
(else ~/.local/share/brovik/simulated-chip.bin).
)";

} // namespace

std::optional<int> AnswerInfoOptions(int argc, char** argv, bool simulated)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(simulated ? kSimulatedHelp : kRealPortHelp, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::printf("%s %s\n", simulated ? "brovik-sim" : "brovik", kBrovikVersion);
            return 0;
        }
    }
    return std::nullopt;
}
