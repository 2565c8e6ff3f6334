// SPDX-License-Identifier: GPL-2.0-or-later
// A stop signal in the middle of a run, inside the process: the operation
// ends at the end of the ISP command in progress, the target is released as
// ReleaseTarget leaves it, and the run says where it stopped.
#include <csignal>
#include <sstream>

#include <gtest/gtest.h>

#include "app/Brovik.h"
#include "cli/CliRun.h"
#include "cli/ConsoleHost.h"
#include "cli/HexWriter.h"
#include "cli/SessionClock.h"
#include "cli/StatusPrinter.h"
#include "cli/StopSignals.h"
#include "framework/SafeFile.h"
#include "port/ParallelPort.h"
#include "sim/SimulatedRig.h"
#include "tests/support/TempDir.h"

namespace {

constexpr std::uint32_t kStopAfterByte = 99;

TEST(CliRunStop, SigintDuringProgramReleasesTheTargetAndNamesTheNextAddress)
{
    cli::SessionClock clock(cli::SessionClock::Mode::Virtual);
    const std::uint16_t lpt1[] = {CParallelPort::kLpt1Address};
    sim::SimulatedRig rig(clock, lpt1);
    sim::TargetChip& chip = rig.chip;
    std::ostringstream out;
    std::ostringstream errors;
    cli::StatusPrinter status(out, cli::StatusPrinter::Style::Lines);
    cli::ConsoleHost host(rig.port, clock, status, errors);
    host.WriteProfileInt("BROVIK", "LPT PORT", 1);
    const fw::Setup setup = SetUpBrovik(host);

    std::vector<std::uint8_t> image(200);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i + 1);
    test::TempDir dir;
    ASSERT_TRUE(fw::ReplaceFile(dir.File("image.hex"), cli::IntelHexText(image), fw::NonRegularFile::Refuse));

    // The signal comes while the chip takes byte 99, as a person's Ctrl-C would.
    sim::PinLevels last{};
    bool raised = false;
    chip.SetPinObserver([&](const sim::PinLevels& pins) {
        last = pins;
        if (!raised && chip.Flash()[kStopAfterByte] == image[kStopAfterByte]) {
            raised = true;
            std::raise(SIGINT);
        }
    });

    cli::Options options;
    options.command = cli::Command::Program;
    options.file = dir.File("image.hex");
    int exitStatus = -1;
    {
        const cli::StopSignals stopSignals;
        exitStatus = cli::CliRun(host, status, errors).Run(options);
    }

    EXPECT_TRUE(raised);
    EXPECT_EQ(exitStatus, 130);
    EXPECT_EQ(errors.str(), "brovik-cli: program stopped at address 0x0064 (SIGINT)\n");
    EXPECT_TRUE(last.sck && last.mosi && last.resetControl) << "the target is not released";
    EXPECT_FALSE(chip.InProgrammingMode());
    for (std::uint32_t address = 0; address < 0x100; ++address)
        EXPECT_EQ(chip.Flash()[address], address <= kStopAfterByte ? image[address] : 0xFF) << address;
}

} // namespace
