// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include <cstdint>

namespace fw {

// Monotonic time as the current host sees it. The test host advances it by
// the sleeps it records, so time-dependent models stay deterministic.
class IClock {
public:
    virtual ~IClock() = default;
    virtual std::int64_t NowMicroseconds() = 0;
};

} // namespace fw
