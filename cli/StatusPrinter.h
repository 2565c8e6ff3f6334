#pragma once
// Follows the status line on standard output. On a terminal it is one line
// redrawn in place: a bar of the progress control's fill, then the text. In a
// pipe or file it is one line per new text, so that a log holds each
// percentage once and not each of the 8192 bytes.
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
    enum class Style { Lines, InPlace };
    static constexpr int kBarWidth = 30;

    StatusPrinter(std::ostream& out, Style style) : out_(out), style_(style) {}

    void Show(const std::string& text, const BarState& bar);
    // Finishes a line drawn in place, so that what follows starts on a line of
    // its own; the next text is drawn afresh.
    void EndLine();

    // The bar of the in-place line: kBarWidth characters, '#' for the filled
    // part (a position past the range counts as full), '-' for the rest.
    static std::string Bar(const BarState& bar);

private:
    std::ostream& out_;
    Style style_;
    // The text last printed (Lines) or the line last drawn (InPlace); empty
    // while nothing is drawn.
    std::string last_;
};

} // namespace cli
