// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The measurements of brovik-bench, each adding its rows to the report.
#include "bench/Report.h"

namespace bench {

// SendCommand's BitDelay calls: two for each of a command's 24 bits.
inline constexpr int kBitDelayCallsPerCommand = 48;

// The parts of one ISP command's time that are not the program's own work,
// for the other measurements to take away from theirs.
struct LinkCosts {
    double bitDelaysAtZeroMicroseconds;  // its 48 BitDelay calls at bit delay 0
    double bitClockAtOneMicroseconds;    // what bit delay 1 adds to it
};

LinkCosts MeasureIspCommand(Report& report);
void MeasureFlashOperations(Report& report, const LinkCosts& link);
void MeasureProgramTiming(Report& report, const LinkCosts& link);
// The same Program as a user meets it on a real display: Enter on the
// "Program" button of the shown dialog to the end of the command, runs times,
// against the sleeps, the bit clock and the machine's wake-up lateness.
void MeasureProgramOnScreen(Report& report, int runs);
void MeasureRedraws(Report& report);
void MeasureHexLoad(Report& report);

} // namespace bench
