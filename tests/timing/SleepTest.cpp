// SPDX-License-Identifier: GPL-2.0-or-later
// Real sleeps: the programmer's waits for the chip are sleeps, so a sleep that
// ends early would let the program read a byte still being written. A sleep
// must never end before its length; the upper bound is loose because test
// machines are busy.
#include <chrono>
#include <cstdint>
#include <functional>

#include <gtest/gtest.h>

#include "framework/DesktopHost.h"
#include "framework/Presentation.h"
#include "framework/Sleep.h"

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr int kTries = 5;
constexpr milliseconds kLooseBound{20};

struct Sleeper {
    const char* name;
    std::function<void(std::uint32_t)> sleep;
};

class RealSleep : public ::testing::TestWithParam<std::uint32_t> {};

void ExpectSleepsKeepToTheirLength(const Sleeper& sleeper, std::uint32_t ms)
{
    const milliseconds length{ms};
    for (int attempt = 0; attempt < kTries; ++attempt) {
        const steady_clock::time_point start = steady_clock::now();
        sleeper.sleep(ms);
        const auto slept = std::chrono::duration_cast<microseconds>(steady_clock::now() - start);
        EXPECT_GE(slept, length) << sleeper.name << " of " << ms << " ms ended early, try " << attempt;
        EXPECT_LT(slept, length + kLooseBound) << sleeper.name << " of " << ms << " ms, try " << attempt;
    }
}

TEST_P(RealSleep, NeverEndsEarlyNorVeryLate)
{
    const std::uint32_t ms = GetParam();
    fw::NoPortBackend noPort;
    // Only sleeps are asked for: the settings file is never opened.
    fw::DesktopHost desktopHost(noPort, "/nonexistent/brovik.INI");
    const Sleeper sleepers[] = {
        {"fw::SleepPresenting", [](std::uint32_t n) { fw::SleepPresenting(n); }},
        {"the desktop host's Sleep", [&](std::uint32_t n) { desktopHost.Sleep(n); }},
    };
    for (const Sleeper& sleeper : sleepers)
        ExpectSleepsKeepToTheirLength(sleeper, ms);
}

INSTANTIATE_TEST_SUITE_P(TwoAndThreeMilliseconds, RealSleep, ::testing::Values(2u, 3u),
                         [](const auto& info) { return "Ms" + std::to_string(info.param); });

TEST(MonotonicMicroseconds, AdvancesWithASleep)
{
    const std::int64_t before = fw::MonotonicMicroseconds();
    fw::SleepPresenting(2);
    const std::int64_t elapsed = fw::MonotonicMicroseconds() - before;
    EXPECT_GE(elapsed, 2000);
    EXPECT_LT(elapsed, 2000 + 20000);
}

} // namespace
