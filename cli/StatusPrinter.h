// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Follows the status line on standard output. On a terminal the operation in
// progress is one line redrawn in place: a bar of the progress control's fill,
// then the text. A phase that ends in an "... Ok" text keeps its line, with
// the seconds it took, and the next phase starts on a line of its own. In a
// pipe or file it is one line per new text, except that of the percentage
// texts ("Blank Check 37%") only the first of each ten percent is written:
// a log holds each phase's first and last text and at most ten progress
// lines, not each of the 8192 bytes. Silent prints nothing.
#include <functional>
#include <ostream>
#include <string>

namespace cli {

struct BarState {
    int low;
    int high;
    int pos;
};

class StatusPrinter {
public:
    enum class Style { Lines, InPlace, Silent };
    static constexpr int kBarWidth = 30;
    // Seconds on a clock that only moves forward.
    using SecondsClock = std::function<double()>;

    // With the machine's monotonic clock.
    StatusPrinter(std::ostream& out, Style style);
    StatusPrinter(std::ostream& out, Style style, SecondsClock clock);

    void Show(const std::string& text, const BarState& bar);
    // Finishes a line drawn in place, so that what follows starts on a line of
    // its own; the next text is drawn afresh.
    void EndLine();

    // The bar of the in-place line: kBarWidth characters, '#' for the filled
    // part (a position past the range counts as full), '-' for the rest.
    static std::string Bar(const BarState& bar);
    // A text that ends a phase: it ends in "Ok".
    static bool EndsPhase(const std::string& text);

private:
    void ShowAsLine(const std::string& text);
    void ShowInPlace(const std::string& text, const BarState& bar);

    std::ostream& out_;
    Style style_;
    SecondsClock clock_;
    // The text last printed (Lines) or the line last drawn (InPlace); empty
    // while nothing is drawn.
    std::string last_;
    // The text that ended the last phase, kept until another text comes, so
    // that showing it again (as when the run shows its last line) draws
    // nothing.
    std::string ended_;
    // Lines: of the last percentage text written since the last other text,
    // what stands before its number, and the number's tens ("47%" is 4).
    std::string percentStem_;
    int percentTenth_ = -1;
    double phaseStart_;
};

} // namespace cli
