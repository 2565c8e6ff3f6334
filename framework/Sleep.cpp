#include "framework/Sleep.h"

#include <cerrno>
#include <ctime>
#include <sys/prctl.h>

namespace fw {

void SleepMilliseconds(std::uint32_t ms)
{
    static const bool slackSet = ::prctl(PR_SET_TIMERSLACK, 1000UL, 0, 0, 0) == 0;
    (void)slackSet;
    timespec deadline{};
    ::clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += static_cast<time_t>(ms / 1000);
    deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_nsec -= 1000000000L;
        ++deadline.tv_sec;
    }
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

std::int64_t MonotonicMicroseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

} // namespace fw
