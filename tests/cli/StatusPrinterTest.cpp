// How the status line reaches standard output: on a pipe one line per new
// text, on a terminal one line redrawn only when it looks different.
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
    EXPECT_EQ(out.str(), "Blank Check\nBlank Check 0%\nBlank Check 1%\nNot Blank.\n");
}

TEST(StatusPrinterTest, OnATerminalTheLineIsRedrawnOnlyWhenItChanges)
{
    std::ostringstream out;
    StatusPrinter printer(out, StatusPrinter::Style::InPlace);
    printer.Show("Read Flash 0%", {0, 8192, 0});
    printer.Show("Read Flash 0%", {0, 8192, 100});  // same text, same fill
    printer.Show("Read Flash 0%", {0, 8192, 300});  // same text, one more '#'
    printer.Show("Read Flash Ok", {0, 8192, 8192});
    printer.EndLine();
    printer.EndLine();  // nothing left to end
    EXPECT_EQ(out.str(), Drawn(std::string(30, '-'), "Read Flash 0%") +
                             Drawn("#" + std::string(29, '-'), "Read Flash 0%") +
                             Drawn(std::string(30, '#'), "Read Flash Ok") + "\n");
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

} // namespace
