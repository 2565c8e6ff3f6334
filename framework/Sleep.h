#pragma once
#include <cstdint>

namespace fw {

// Suspends the thread for ms milliseconds: never less, and as little more as
// the kernel allows (1 us timer slack, absolute monotonic deadline).
void SleepMilliseconds(std::uint32_t ms);
// Microseconds on the monotonic clock.
std::int64_t MonotonicMicroseconds();

} // namespace fw
