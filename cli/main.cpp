// SPDX-License-Identifier: GPL-2.0-or-later
// brovik-cli: the dialog program's operations from a terminal.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/HelpText.h"
#include "cli/Options.h"
#include "cli/RunSettings.h"
#include "cli/Session.h"
#include "framework/IniFile.h"
#include "framework/StandardDescriptors.h"
#include "res/Version.h"
#include "sim/ChipFile.h"

namespace {

int UsageFailure(const std::string& message)
{
    std::cerr << "brovik-cli: " << message << "\nbrovik-cli: try 'brovik-cli --help'\n";
    return cli::kExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    if (!fw::OpenNullOnClosedStandardDescriptors())
        return cli::kExitFailed;
    // A reader of the output that goes away (| head) must not stop a run
    // half-way with the target in programming mode.
    std::signal(SIGPIPE, SIG_IGN);
    const auto parsed = cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* error = std::get_if<cli::UsageError>(&parsed))
        return UsageFailure(error->message);
    const cli::Options& options = std::get<cli::Options>(parsed);
    if (options.version) {
        std::cout << "brovik-cli " << kBrovikVersion << '\n';
        return cli::kExitSucceeded;
    }

    // The dialog program's settings, whichever program reads them.
    const fw::IniFile stored(fw::IniFile::DefaultPathFor("brovik"));
    if (const std::string problem = stored.Problem(); !problem.empty())
        std::cerr << "brovik-cli: the stored settings are not used: " << problem << '\n';
    if (options.help) {
        std::cout << cli::HelpText(stored.Path(), sim::DefaultChipPath());
        return cli::kExitSucceeded;
    }
    const auto settings = cli::ResolveRunSettings(options, stored);
    if (const auto* error = std::get_if<cli::UsageError>(&settings))
        return UsageFailure(error->message);
    const cli::RunSettings& run = std::get<cli::RunSettings>(settings);
    for (const std::string& note : run.notes)
        std::cerr << "brovik-cli: " << note << '\n';
    return cli::RunSession(options, run);
}
