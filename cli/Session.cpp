// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/Session.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

#include "app/Brovik.h"
#include "cli/CliRun.h"
#include "cli/ConsoleHost.h"
#include "cli/ExitStatus.h"
#include "cli/RelocatedPort.h"
#include "cli/SessionClock.h"
#include "cli/StatusPrinter.h"
#include "cli/StopSignals.h"
#include "framework/SafeFile.h"
#include "framework/ToolkitMessages.h"
#include "framework/WinApp.h"
#include "port/HardwarePort.h"
#include "port/ParallelPort.h"
#include "port/ParportList.h"
#include "sim/ChipOperation.h"
#include "sim/SimulatedRig.h"

namespace cli {
namespace {

// A port chosen by address or device is driven through LPT1's registers,
// which "LPT PORT" 1 selects.
constexpr std::uint16_t kRelocatedFromBase = CParallelPort::kLpt1Address;

// True when read's output goes to standard output ("-", /dev/stdout, or the
// file standard output is open on): the status lines then go to the error
// stream, so that the HEX text stays whole.
bool ReadsToStandardOutput(const Options& options)
{
    if (options.command != Command::Read)
        return false;
    if (options.file == "-")
        return true;
    struct stat output {}, file {};
    return ::fstat(STDOUT_FILENO, &output) == 0 && ::stat(options.file.c_str(), &file) == 0 &&
           output.st_dev == file.st_dev && output.st_ino == file.st_ino;
}

StatusPrinter::Style StatusStyle(const Options& options, int statusFd)
{
    if (options.quiet)
        return StatusPrinter::Style::Silent;
    return ::isatty(statusFd) ? StatusPrinter::Style::InPlace : StatusPrinter::Style::Lines;
}

int RunOnPort(const Options& options, const RunSettings& settings, fw::IPortBackend& port, SessionClock& clock)
{
    const bool statusOnErrors = ReadsToStandardOutput(options);
    std::ostream& statusStream = statusOnErrors ? std::cerr : std::cout;
    StatusPrinter status(statusStream, StatusStyle(options, statusOnErrors ? STDERR_FILENO : STDOUT_FILENO));
    ConsoleHost host(port, clock, status, std::cerr);
    host.WriteProfileInt(kSettingsSection, kLptPortEntry, settings.lptPort);
    host.WriteProfileInt(kSettingsSection, kDelayBitEntry, settings.bitDelay);
    host.WriteProfileInt(kSettingsSection, kDelayByteEntry, settings.byteDelay);
    const fw::Setup setup = SetUpBrovik(host);

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
    return exitStatus;
}

// The run is one operation on the chip that the chip file keeps. Folders are
// made only on the way to the default chip file.
int RunOnSimulatedChip(const Options& options, const RunSettings& settings, SessionClock& clock)
{
    const sim::ChipFile chipFile = options.chipPath ? sim::ChipFile(*options.chipPath)
                                                    : sim::ChipFile(sim::DefaultChipPath(), fw::MissingFolders::Create);
    // The dump would replace the chip it was read from, lock bits and all.
    if (options.command == Command::Read &&
        fw::SameFile(options.file == kStandardInput ? "/dev/stdout" : options.file, chipFile.Path())) {
        std::cerr << "brovik-cli: " << options.file << " is the chip file of this run (" << chipFile.Path()
                  << "); read the flash into another file\n";
        return kExitUsage;
    }
    sim::SimulatedRig rig(clock, CParallelPort::LptAddresses(hw::ReadParportList()));
    sim::ChipOperation operation(chipFile, rig.chip);
    if (operation.Started() != sim::ChipOperation::Start::Ready) {
        std::cerr << "brovik-cli: " << operation.Problem() << '\n';
        return kExitFailed;
    }
    int exitStatus = RunOnPort(options, settings, rig.port, clock);
    std::string error;
    if (!operation.Finish(&error)) {
        std::cerr << "brovik-cli: the simulated chip could not be saved: " << error << '\n';
        exitStatus = kExitFailed;
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
