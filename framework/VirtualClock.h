// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Time that passes only when a sleep says so: the tests, brovik-cli --fast and
// the benchmarks' cost measurements run the chip's write and erase times
// without waiting for them.
#include <cstdint>

#include "framework/Clock.h"

namespace fw {

class VirtualClock final : public IClock {
public:
    void Advance(std::uint32_t ms) { m_now += static_cast<std::int64_t>(ms) * 1000; }
    std::int64_t NowMicroseconds() override { return m_now; }

private:
    std::int64_t m_now = 1;
};

} // namespace fw
