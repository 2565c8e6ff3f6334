// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/StatusPrinter.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace cli {
namespace {
// Clears from the cursor to the end of the line: a shorter text leaves
// nothing of the longer one before it.
constexpr const char* kClearToEndOfLine = "\x1b[K";
constexpr std::string_view kOkEnding = "Ok";

// Where the number of a text ending in "<digits>%" starts, or npos.
std::size_t PercentageStart(const std::string& text)
{
    if (text.size() < 2 || text.back() != '%')
        return std::string::npos;
    const std::size_t end = text.size() - 1;
    std::size_t first = end;
    while (first > 0 && std::isdigit(static_cast<unsigned char>(text[first - 1])))
        --first;
    // More digits than a percentage has is no percentage.
    return first == end || end - first > 3 ? std::string::npos : first;
}

double MonotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
} // namespace

StatusPrinter::StatusPrinter(std::ostream& out, Style style) : StatusPrinter(out, style, MonotonicSeconds) {}

StatusPrinter::StatusPrinter(std::ostream& out, Style style, SecondsClock clock)
    : out_(out), style_(style), clock_(std::move(clock)), phaseStart_(clock_())
{
}

std::string StatusPrinter::Bar(const BarState& bar)
{
    std::int64_t filled = 0;
    if (bar.high > bar.low) {
        filled = (static_cast<std::int64_t>(bar.pos) - bar.low) * kBarWidth / (static_cast<std::int64_t>(bar.high) - bar.low);
        filled = std::clamp<std::int64_t>(filled, 0, kBarWidth);
    }
    return std::string(static_cast<std::size_t>(filled), '#') + std::string(static_cast<std::size_t>(kBarWidth - filled), '-');
}

bool StatusPrinter::EndsPhase(const std::string& text) { return text.ends_with(kOkEnding); }

void StatusPrinter::Show(const std::string& text, const BarState& bar)
{
    switch (style_) {
    case Style::Silent:
        return;
    case Style::Lines:
        ShowAsLine(text);
        return;
    case Style::InPlace:
        ShowInPlace(text, bar);
        return;
    }
}

void StatusPrinter::ShowAsLine(const std::string& text)
{
    if (text == last_)
        return;
    last_ = text;
    if (const std::size_t first = PercentageStart(text); first != std::string::npos) {
        const std::string stem = text.substr(0, first);
        const int tenth = std::stoi(text.substr(first, text.size() - 1 - first)) / 10;
        if (stem == percentStem_ && tenth == percentTenth_)
            return;
        percentStem_ = stem;
        percentTenth_ = tenth;
    } else {
        percentStem_.clear();
        percentTenth_ = -1;
    }
    out_ << text << '\n';
    out_.flush();
}

void StatusPrinter::ShowInPlace(const std::string& text, const BarState& bar)
{
    if (text == ended_)
        return;
    ended_.clear();
    if (EndsPhase(text)) {
        const double now = clock_();
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, " (%.2f s)", std::max(0.0, now - phaseStart_));
        out_ << "\r[" << Bar(bar) << "] " << text << seconds << kClearToEndOfLine << '\n';
        out_.flush();
        ended_ = text;
        last_.clear();
        phaseStart_ = now;
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
