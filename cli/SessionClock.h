#pragma once
// The time of one run, shared by the console host and the simulated chip:
// either the real clock with real sleeps, or virtual time that a sleep
// advances at once (--fast), so that the chip's write and erase times still
// pass as the program expects.
#include <cstdint>

#include "framework/Clock.h"
#include "framework/VirtualClock.h"

namespace cli {

class SessionClock final : public fw::IClock {
public:
    enum class Mode { Real, Virtual };

    explicit SessionClock(Mode mode) : mode_(mode) {}

    void Sleep(std::uint32_t ms);
    std::int64_t NowMicroseconds() override;

private:
    Mode mode_;
    fw::VirtualClock virtual_;
};

} // namespace cli
