#include "cli/SessionClock.h"

#include "framework/Sleep.h"

namespace cli {

void SessionClock::Sleep(std::uint32_t ms)
{
    if (mode_ == Mode::Virtual)
        virtualNow_ += static_cast<std::int64_t>(ms) * 1000;
    else
        fw::SleepMilliseconds(ms);
}

std::int64_t SessionClock::NowMicroseconds()
{
    return mode_ == Mode::Virtual ? virtualNow_ : fw::MonotonicMicroseconds();
}

} // namespace cli
