// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/SessionClock.h"

#include <algorithm>

#include "cli/StopSignals.h"
#include "framework/Sleep.h"

namespace cli {
namespace {

// A stop signal may come between the look at it and the start of a wait; the
// wait is cut into slices so that it is seen this soon all the same.
constexpr std::int64_t kSliceMicroseconds = 10'000;

} // namespace

void SessionClock::Sleep(std::uint32_t ms)
{
    if (mode_ == Mode::Virtual) {
        virtual_.Advance(ms);
        return;
    }
    SleepUntil(fw::MonotonicMicroseconds() + static_cast<std::int64_t>(ms) * 1000);
}

void SessionClock::SleepUntil(std::int64_t deadline)
{
    for (;;) {
        const std::int64_t now = fw::MonotonicMicroseconds();
        std::int64_t end = deadline;
        if (StopSignals::Received() != 0) {
            if (!stopSeenAt_)
                stopSeenAt_ = now;
            end = std::min(end, *stopSeenAt_ + kStopGraceMicroseconds);
        }
        if (now >= end)
            return;
        fw::SleepUntil(std::min(end, now + kSliceMicroseconds));
    }
}

std::int64_t SessionClock::NowMicroseconds()
{
    return mode_ == Mode::Virtual ? virtual_.NowMicroseconds() : fw::MonotonicMicroseconds();
}

} // namespace cli
