// brovik-bench: the software cost, timing fidelity and redraws of the real
// main dialog on the simulated chip, on Qt's offscreen platform. Prints a
// Markdown table; exits 1 when a target is missed and 2 when a measured
// operation did not do its work.
#include <QApplication>

#include <cstdlib>
#include <exception>
#include <iostream>

#include "bench/Benchmarks.h"
#include "framework/ToolkitMessages.h"

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    fw::FilterToolkitMessages();
    QApplication application(argc, argv);
    bench::Report report;
    try {
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
