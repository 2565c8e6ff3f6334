// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Wall-clock timing on the monotonic clock.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <utility>
#include <vector>

namespace bench {

using SteadyClock = std::chrono::steady_clock;

inline double MicrosecondsSince(SteadyClock::time_point start)
{
    return std::chrono::duration<double, std::micro>(SteadyClock::now() - start).count();
}

inline double Median(std::vector<double> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The median over samples of the mean time of one call of body, in
// microseconds, each sample timing callsPerSample calls in a row. The median
// keeps a sample that the scheduler interrupted from counting.
template <typename Body>
double MedianMicrosecondsPerCall(int samples, int callsPerSample, Body&& body)
{
    std::vector<double> perCall;
    for (int sample = 0; sample < samples; ++sample) {
        const SteadyClock::time_point start = SteadyClock::now();
        for (int call = 0; call < callsPerSample; ++call)
            body();
        perCall.push_back(MicrosecondsSince(start) / callsPerSample);
    }
    return Median(std::move(perCall));
}

} // namespace bench
