// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The time of one run, shared by the console host and the simulated chip:
// either the real clock with real sleeps, or virtual time that a sleep
// advances at once (--fast), so that the chip's write and erase times still
// pass as the program expects.
#include <cstdint>
#include <optional>

#include "framework/Clock.h"
#include "framework/VirtualClock.h"

namespace cli {

class SessionClock final : public fw::IClock {
public:
    enum class Mode { Real, Virtual };
    // How long a real sleep goes on after a stop signal: long enough for the
    // write of a byte to finish (4 ms x the byte delay, up to 10 by option),
    // short enough that a run stops within about a tenth of a second.
    static constexpr std::int64_t kStopGraceMicroseconds = 50'000;

    explicit SessionClock(Mode mode) : mode_(mode) {}

    // A real sleep ends early after a stop signal (see StopSignals): the one
    // in progress kStopGraceMicroseconds after the signal was seen, later
    // ones at once.
    void Sleep(std::uint32_t ms);
    std::int64_t NowMicroseconds() override;

private:
    void SleepUntil(std::int64_t deadline);

    Mode mode_;
    fw::VirtualClock virtual_;
    std::optional<std::int64_t> stopSeenAt_;
};

} // namespace cli
