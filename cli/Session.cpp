#include "cli/Session.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

#include "app/Brovik.h"
#include "cli/CliRun.h"
#include "cli/ConsoleHost.h"
#include "cli/ExitStatus.h"
#include "cli/RelocatedPort.h"
#include "cli/SessionClock.h"
#include "cli/StatusPrinter.h"
#include "cli/StopSignals.h"
#include "framework/ToolkitMessages.h"
#include "framework/WinApp.h"
#include "port/HardwarePort.h"
#include "sim/ChipFile.h"
#include "sim/SimulatedPort.h"

namespace cli {
namespace {

// Where the simulated adapter answers: LPT1, which "LPT PORT" 1 selects.
constexpr std::uint16_t kSimulatedPortBase = 0x378;
// A port chosen by address or device is driven through the same registers.
constexpr std::uint16_t kRelocatedFromBase = kSimulatedPortBase;

StatusPrinter::Style StatusStyle(const Options& options)
{
    if (options.quiet)
        return StatusPrinter::Style::Silent;
    return ::isatty(STDOUT_FILENO) ? StatusPrinter::Style::InPlace : StatusPrinter::Style::Lines;
}

int RunOnPort(const Options& options, const RunSettings& settings, fw::IPortBackend& port, SessionClock& clock)
{
    StatusPrinter status(std::cout, StatusStyle(options));
    ConsoleHost host(port, clock, status, std::cerr);
    host.WriteProfileInt(kSettingsSection, kLptPortEntry, settings.lptPort);
    host.WriteProfileInt(kSettingsSection, kDelayBitEntry, settings.bitDelay);
    host.WriteProfileInt(kSettingsSection, kDelayByteEntry, settings.byteDelay);
    fw::IHost* const previous = fw::InstallHost(&host);

    // The window is only there for the handlers: it is never on a screen.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    fw::PrefixToolkitMessages("brovik-cli: ");
    // Qt reads its own options from the arguments; ours are not for it.
    char programName[] = "brovik-cli";
    char* arguments[] = {programName, nullptr};
    int argumentCount = 1;
    int exitStatus = kExitFailed;
    fw::RunApplication(argumentCount, arguments, theApp, [&] {
        exitStatus = CliRun(host, status, std::cerr).Run(options);
        // Ends the program instead of starting the dialog program's own run.
        return false;
    });
    fw::InstallHost(previous);
    return exitStatus;
}

int RunOnSimulatedChip(const Options& options, const RunSettings& settings, SessionClock& clock)
{
    const sim::ChipFile chipFile(options.chipPath.value_or(sim::DefaultChipPath()));
    const sim::ChipFileLoad loaded = chipFile.Load();
    if (!loaded.contents) {
        std::cerr << "brovik-cli: " << loaded.error << '\n';
        return kExitFailed;
    }
    sim::TargetChip chip(clock, *loaded.contents);
    sim::SimulatedPort port(chip);
    port.AddBase(kSimulatedPortBase);
    int exitStatus = RunOnPort(options, settings, port, clock);
    if (chip.Contents() != *loaded.contents) {
        std::string error;
        if (!chipFile.Save(chip.Contents(), &error)) {
            std::cerr << "brovik-cli: the simulated chip could not be saved: " << error << '\n';
            exitStatus = kExitFailed;
        }
    }
    return exitStatus;
}

} // namespace

int RunSession(const Options& options, const RunSettings& settings)
{
    // Caught until the simulated chip is saved, so that what was written stays.
    const StopSignals stopSignals;
    SessionClock clock(options.fast ? SessionClock::Mode::Virtual : SessionClock::Mode::Real);
    if (settings.port == PortChoice::Simulated)
        return RunOnSimulatedChip(options, settings, clock);
    hw::HardwarePortBackend port;
    if (settings.relocatedBase == 0)
        return RunOnPort(options, settings, port, clock);
    if (options.verbose) {
        char moved[64];
        std::snprintf(moved, sizeof moved, "base 0x%X, driven as LPT1 (0x%X)", settings.relocatedBase, kRelocatedFromBase);
        std::cerr << "brovik-cli: " << (options.portDevice.empty() ? "" : options.portDevice + " at ") << moved << '\n';
    }
    RelocatedPort relocated(port, kRelocatedFromBase, settings.relocatedBase);
    return RunOnPort(options, settings, relocated, clock);
}

} // namespace cli
