// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include <cstdint>

#include "framework/Clock.h"

namespace fw {

// Suspends the thread until the monotonic clock reads deadline (in
// microseconds): never less, and as little more as the kernel allows (1 us
// timer slack, absolute deadline); false when a signal handler ran first.
bool SleepUntil(std::int64_t deadline);
// Microseconds on the monotonic clock.
std::int64_t MonotonicMicroseconds();

class MonotonicClock final : public IClock {
public:
    std::int64_t NowMicroseconds() override { return MonotonicMicroseconds(); }
};

} // namespace fw
