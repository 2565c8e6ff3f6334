// SPDX-License-Identifier: GPL-2.0-or-later
// How the status line reaches standard output: on a pipe one line per new
// text, on a terminal one line redrawn only when it looks different, and a
// line of its own for each phase that ended.
#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/StatusPrinter.h"

namespace {

using cli::BarState;
using cli::StatusPrinter;

std::string Drawn(const std::string& bar, const std::string& text) { return "\r[" + bar + "] " + text + "\x1b[K"; }

TEST(StatusPrinterTest, BarFillFollowsPositionAndRange)
{
    struct Case {
        BarState bar;
        int filled;
    };
    const Case cases[] = {
        {{0, 8192, 0}, 0},     {{0, 8192, 273}, 0},  {{0, 8192, 274}, 1},  {{0, 8192, 4096}, 15},
        {{0, 8192, 8192}, 30}, {{0, 99, 100}, 30},    // one past the upper bound, as Program leaves it
        {{0, 1, 1}, 30},       {{5, 5, 5}, 0},        // an empty range shows nothing
        {{10, 20, 15}, 15},    {{0, 8192, -4}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bar.low << ".." << c.bar.high << " at " << c.bar.pos);
        EXPECT_EQ(StatusPrinter::Bar(c.bar), std::string(c.filled, '#') + std::string(30 - c.filled, '-'));
    }
}

TEST(StatusPrinterTest, OnAPipeOnlyChangedTextsArePrinted)
{
    std::ostringstream out;
    StatusPrinter printer(out, StatusPrinter::Style::Lines);
    for (const char* text : {"Blank Check", "Blank Check 0%", "Blank Check 0%", "Blank Check 1%", "Blank Check 1%",
                             "Not Blank.", "Not Blank."})
        printer.Show(text, {0, 8192, 0});
    printer.EndLine();
    EXPECT_EQ(out.str(), "Blank Check\nBlank Check 0%\nNot Blank.\n");
}

// Of the percentage texts a pipe gets the first of each ten percent; every
// other text (a phase's first and last) is written, and a new phase starts
// its tens afresh, also when it has the same texts as the one before.
TEST(StatusPrinterTest, OnAPipeOnePercentageLinePerTenPercent)
{
    std::ostringstream out;
    StatusPrinter printer(out, StatusPrinter::Style::Lines);
    std::string expected;
    const auto phase = [&](const std::string& first, const std::string& percentText, int from, int to,
                           const std::string& last) {
        printer.Show(first, {0, 100, 0});
        expected += first + "\n";
        int writtenTens = -1;
        for (int percent = from; percent <= to; ++percent) {
            const std::string text = percentText + " " + std::to_string(percent) + "%";
            printer.Show(text, {0, 100, percent});
            printer.Show(text, {0, 100, percent});
            if (percent / 10 != writtenTens) {
                expected += text + "\n";
                writtenTens = percent / 10;
            }
        }
        printer.Show(last, {0, 100, to});
        expected += last + "\n";
    };
    phase("Verfy Flash", "Verify Flash", 0, 100, "Verfify Ok");  // Program's and Verify's run up to 100
    phase("Blank Check", "Blank Check", 3, 47, "Not Blank.");     // a failure at 47 %
    phase("Blank Check", "Blank Check", 0, 99, "Blank Ok");
    printer.EndLine();
    EXPECT_EQ(out.str(), expected);
    // 11 + 5 + 10 percentage lines and two others per phase.
    EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 26 + 6);
}

// A clock the test moves by hand.
struct ManualClock {
    double now = 100.0;
    StatusPrinter::SecondsClock Reader()
    {
        return [this] { return now; };
    }
};

TEST(StatusPrinterTest, OnATerminalTheLineIsRedrawnOnlyWhenItChanges)
{
    std::ostringstream out;
    ManualClock clock;
    StatusPrinter printer(out, StatusPrinter::Style::InPlace, clock.Reader());
    clock.now += 1.5;
    printer.Show("Read Flash 0%", {0, 8192, 0});
    printer.Show("Read Flash 0%", {0, 8192, 100});  // same text, same fill
    printer.Show("Read Flash 0%", {0, 8192, 300});  // same text, one more '#'
    printer.Show("Read Flash Ok", {0, 8192, 8192});
    printer.EndLine();
    printer.EndLine();  // nothing left to end
    EXPECT_EQ(out.str(), Drawn(std::string(30, '-'), "Read Flash 0%") +
                             Drawn("#" + std::string(29, '-'), "Read Flash 0%") +
                             Drawn(std::string(30, '#'), "Read Flash Ok (1.50 s)") + "\n");
}

TEST(StatusPrinterTest, AfterAnEndedLineTheSameTextIsDrawnAfresh)
{
    std::ostringstream out;
    StatusPrinter printer(out, StatusPrinter::Style::InPlace);
    printer.Show("Blank Check 1%", {0, 8192, 101});
    printer.EndLine();
    printer.Show("Blank Check 1%", {0, 8192, 101});
    const std::string line = Drawn(std::string(30, '-'), "Blank Check 1%");
    EXPECT_EQ(out.str(), line + "\n" + line);
}

// The Auto run's phases, each ended by its Ok text: every one keeps its line
// with the seconds since the previous phase ended, and the Ok text shown once
// more (as the run shows its last line) draws nothing.
TEST(StatusPrinterTest, OnATerminalEachEndedPhaseKeepsItsLineWithItsSeconds)
{
    std::ostringstream out;
    ManualClock clock;
    StatusPrinter printer(out, StatusPrinter::Style::InPlace, clock.Reader());
    const std::string empty(30, '-');
    const std::string full(30, '#');
    struct Step {
        double seconds;  // before the text
        const char* text;
        BarState bar;
        std::string drawn;
    };
    const Step steps[] = {
        {0.25, "Erase", {0, 1, 0}, Drawn(empty, "Erase")},
        {0.5, "Erase Ok", {0, 1, 1}, Drawn(full, "Erase Ok (0.75 s)") + "\n"},
        {0.04, "Blank Check 50%", {0, 8192, 4096}, Drawn(std::string(15, '#') + std::string(15, '-'), "Blank Check 50%")},
        {2.0, "Blank Ok", {0, 8192, 8192}, Drawn(full, "Blank Ok (2.04 s)") + "\n"},
        {1.0, "Blank Ok", {0, 8192, 8192}, ""},
        {0.0, "Program Flash Ok", {0, 99, 100}, Drawn(full, "Program Flash Ok (1.00 s)") + "\n"},
        {0.1, "Verfy Flash", {0, 99, 100}, Drawn(full, "Verfy Flash")},
        {3.0, "Verfify Ok", {0, 100, 100}, Drawn(full, "Verfify Ok (3.10 s)") + "\n"},
        {0.0, "Verfify Ok", {0, 100, 101}, ""},
    };
    std::string expected;
    for (const Step& step : steps) {
        clock.now += step.seconds;
        printer.Show(step.text, step.bar);
        expected += step.drawn;
        EXPECT_EQ(out.str(), expected) << "after " << step.text;
    }
    printer.EndLine();
    EXPECT_EQ(out.str(), expected) << "an ended phase needs no further line end";
}

TEST(StatusPrinterTest, AFailureEndsTheLineInProgressAndTheNextTextStartsAfresh)
{
    std::ostringstream out;
    ManualClock clock;
    StatusPrinter printer(out, StatusPrinter::Style::InPlace, clock.Reader());
    printer.Show("Verify Flash 40%", {0, 100, 40});
    printer.EndLine();  // as a message box does before its text
    printer.Show("Verify error !!!", {0, 100, 40});
    printer.EndLine();
    const std::string bar = std::string(12, '#') + std::string(18, '-');
    EXPECT_EQ(out.str(), Drawn(bar, "Verify Flash 40%") + "\n" + Drawn(bar, "Verify error !!!") + "\n");
}

TEST(StatusPrinterTest, SilentPrintsNothing)
{
    std::ostringstream out;
    StatusPrinter printer(out, StatusPrinter::Style::Silent);
    printer.Show("Erase", {0, 1, 0});
    printer.Show("Erase Ok", {0, 1, 1});
    printer.Show("Blank Check 3%", {0, 8192, 300});
    printer.EndLine();
    EXPECT_EQ(out.str(), "");
}

} // namespace
