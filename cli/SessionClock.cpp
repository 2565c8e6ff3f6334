#include "cli/SessionClock.h"

#include "framework/Sleep.h"

namespace cli {

void SessionClock::Sleep(std::uint32_t ms)
{
    if (mode_ == Mode::Virtual)
        virtual_.Advance(ms);
    else
        fw::SleepMilliseconds(ms);
}

std::int64_t SessionClock::NowMicroseconds()
{
    return mode_ == Mode::Virtual ? virtual_.NowMicroseconds() : fw::MonotonicMicroseconds();
}

} // namespace cli
