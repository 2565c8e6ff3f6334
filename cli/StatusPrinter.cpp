#include "cli/StatusPrinter.h"

#include <algorithm>
#include <cstdint>

namespace cli {
namespace {
// Clears from the cursor to the end of the line: a shorter text leaves
// nothing of the longer one before it.
constexpr const char* kClearToEndOfLine = "\x1b[K";
} // namespace

std::string StatusPrinter::Bar(const BarState& bar)
{
    std::int64_t filled = 0;
    if (bar.high > bar.low) {
        filled = (static_cast<std::int64_t>(bar.pos) - bar.low) * kBarWidth / (static_cast<std::int64_t>(bar.high) - bar.low);
        filled = std::clamp<std::int64_t>(filled, 0, kBarWidth);
    }
    return std::string(static_cast<std::size_t>(filled), '#') + std::string(static_cast<std::size_t>(kBarWidth - filled), '-');
}

void StatusPrinter::Show(const std::string& text, const BarState& bar)
{
    if (style_ == Style::Lines) {
        if (text == last_)
            return;
        last_ = text;
        out_ << text << '\n';
        out_.flush();
        return;
    }
    // Drawn only when it looks different: the bar moves 30 times and the
    // percentage 100 times, while the text is set for every byte.
    std::string line = "\r[" + Bar(bar) + "] " + text + kClearToEndOfLine;
    if (line == last_)
        return;
    last_ = std::move(line);
    out_ << last_;
    out_.flush();
}

void StatusPrinter::EndLine()
{
    if (style_ != Style::InPlace || last_.empty())
        return;
    out_ << '\n';
    out_.flush();
    last_.clear();
}

} // namespace cli
