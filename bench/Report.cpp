// SPDX-License-Identifier: GPL-2.0-or-later
#include "bench/Report.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <thread>

namespace bench {
namespace {

// The first value of a field of /proc/cpuinfo, such as "model name".
std::string CpuInfoField(const std::string& field)
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        const auto colon = line.find(':');
        if (line.rfind(field, 0) == 0 && colon != std::string::npos && line.find_first_not_of(" \t", field.size()) == colon)
            return line.substr(std::min(line.size(), colon + 2));
    }
    return "?";
}

// The 1, 5 and 15 minute load averages: other work on the machine shows in
// every figure.
std::string LoadAverages()
{
    std::ifstream loadavg("/proc/loadavg");
    std::string one, five, fifteen;
    loadavg >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

} // namespace

std::string Format(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, arguments);
    va_end(arguments);
    return text;
}

void Report::Add(std::string measurement, std::string result)
{
    m_rows.push_back({std::move(measurement), std::move(result), {}, std::nullopt});
}

void Report::AddWithTarget(std::string measurement, std::string result, std::string target, bool met)
{
    m_rows.push_back({std::move(measurement), std::move(result), std::move(target), met});
}

bool Report::Print() const
{
    std::cout << "Machine: " << CpuInfoField("model name") << ", " << CpuInfoField("cpu cores") << " cores, "
              << std::thread::hardware_concurrency() << " logical CPUs; load average at the end " << LoadAverages()
              << "\n\n"
              << "| measurement | result | target | met |\n|---|---|---|---|\n";
    bool allMet = true;
    for (const ResultRow& row : m_rows) {
        std::cout << "| " << row.measurement << " | " << row.result << " | " << row.target << " | "
                  << (row.met ? (*row.met ? "yes" : "**no**") : "") << " |\n";
        allMet = allMet && row.met.value_or(true);
    }
    std::cout.flush();
    return allMet;
}

} // namespace bench
