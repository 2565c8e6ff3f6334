// SPDX-License-Identifier: GPL-2.0-or-later
// brovik-bench: the software cost, timing fidelity and redraws of the real
// main dialog on the simulated chip, on Qt's offscreen platform. Prints a
// Markdown table; exits 1 when a target is missed and 2 when a measured
// operation did not do its work.
#include <QApplication>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "bench/Benchmarks.h"
#include "framework/ToolkitMessages.h"

// With --screen N: only the Program from the keyboard, N times, on the
// display at hand (scripts/screen-bench.sh runs it under Xvfb).
int main(int argc, char** argv)
{
    const bool onScreen = argc == 3 && std::string(argv[1]) == "--screen";
    if (!onScreen)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    fw::FilterToolkitMessages();
    QApplication application(argc, argv);
    bench::Report report;
    try {
        if (onScreen) {
            bench::MeasureProgramOnScreen(report, std::max(1, std::atoi(argv[2])));
            return report.Print() ? 0 : 1;
        }
        const bench::LinkCosts link = bench::MeasureIspCommand(report);
        bench::MeasureFlashOperations(report, link);
        bench::MeasureRedraws(report);
        bench::MeasureHexLoad(report);
        bench::MeasureProgramTiming(report, link);
    } catch (const std::exception& failure) {
        std::cerr << "brovik-bench: " << failure.what() << '\n';
        return 2;
    }
    return report.Print() ? 0 : 1;
}
