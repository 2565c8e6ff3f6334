// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The results table that brovik-bench prints: one row per measurement, as
// Markdown, so that it can go into the README as printed.
#include <optional>
#include <string>
#include <vector>

namespace bench {

struct ResultRow {
    std::string measurement;
    std::string result;
    std::string target;       // empty: a figure for reference, no target
    std::optional<bool> met;  // set when there is a target
};

class Report {
public:
    void Add(std::string measurement, std::string result);
    void AddWithTarget(std::string measurement, std::string result, std::string target, bool met);
    // Prints the machine and the table; returns whether every target was met.
    bool Print() const;

private:
    std::vector<ResultRow> m_rows;
};

// printf-style formatting into a string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace bench
