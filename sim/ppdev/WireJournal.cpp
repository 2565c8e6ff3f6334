// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/ppdev/WireJournal.h"

#include <array>

namespace ppdev {

WireJournal::WireJournal(const std::string& path)
    : path_(path), records_(std::fopen(path.c_str(), "wbe")), events_(std::fopen((path + ".events").c_str(), "we"))
{
}

WireJournal::~WireJournal()
{
    if (records_)
        std::fclose(records_);
    if (events_)
        std::fclose(events_);
}

void WireJournal::Record(std::int64_t nowMicroseconds, int port, JournalKind kind, std::uint8_t value)
{
    if (start_ < 0)
        start_ = nowMicroseconds;
    const auto elapsed = static_cast<std::uint32_t>(nowMicroseconds - start_);
    const std::array<std::uint8_t, 8> record{
        static_cast<std::uint8_t>(elapsed),       static_cast<std::uint8_t>(elapsed >> 8),
        static_cast<std::uint8_t>(elapsed >> 16), static_cast<std::uint8_t>(elapsed >> 24),
        static_cast<std::uint8_t>(port),          static_cast<std::uint8_t>(kind),
        value,                                    0,
    };
    if (records_)
        std::fwrite(record.data(), 1, record.size(), records_);
    ++count_;
}

void WireJournal::Mark(const std::string& line)
{
    if (events_)
        std::fprintf(events_, "mark %llu %s\n", static_cast<unsigned long long>(count_), line.c_str());
}

void WireJournal::Chip(int port, const sim::ChipContents& contents)
{
    if (!events_)
        return;
    std::fprintf(events_, "chip %d %llu ", port, static_cast<unsigned long long>(count_));
    for (const std::uint8_t byte : contents.flash)
        std::fprintf(events_, "%02x", byte);
    std::fprintf(events_, "%02x\n", contents.lockBits);
}

void WireJournal::Flush()
{
    if (records_)
        std::fflush(records_);
    if (events_)
        std::fflush(events_);
}

} // namespace ppdev
