// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/Sleep.h"

#include <cerrno>
#include <ctime>
#include <sys/prctl.h>

namespace fw {
namespace {

// 1 us of timer slack instead of the default 50: sleeps end on time.
void UseFineTimerSlack()
{
    static const bool slackSet = ::prctl(PR_SET_TIMERSLACK, 1000UL, 0, 0, 0) == 0;
    (void)slackSet;
}

} // namespace

bool SleepUntil(std::int64_t deadline)
{
    UseFineTimerSlack();
    timespec until{};
    until.tv_sec = static_cast<time_t>(deadline / 1000000);
    until.tv_nsec = static_cast<long>(deadline % 1000000) * 1000L;
    return ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != EINTR;
}

std::int64_t MonotonicMicroseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

} // namespace fw
