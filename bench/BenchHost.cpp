// SPDX-License-Identifier: GPL-2.0-or-later
#include "bench/BenchHost.h"

#include "framework/Presentation.h"
#include "framework/Sleep.h"

namespace bench {

BenchHost::BenchHost(SleepMode mode) : m_mode(mode) {}

INT_PTR BenchHost::RunModal(CDialog&) { return IDOK; }

int BenchHost::MessageBox(CWnd*, const std::string& text, const std::string&, UINT)
{
    boxes.push_back(text);
    return IDOK;
}

bool BenchHost::GetOpenFileName(CWnd*, const std::string&, std::string& path)
{
    if (openFilePath.empty())
        return false;
    path = openFilePath;
    return true;
}

void BenchHost::Sleep(std::uint32_t ms)
{
    ++m_sleepCount;
    m_prescribedMilliseconds += ms;
    if (m_mode == SleepMode::Recorded) {
        fw::PresentPaints();
        m_virtualClock.Advance(ms);
        return;
    }
    const std::int64_t deadline = fw::MonotonicMicroseconds() + std::int64_t{ms} * 1000;
    if (m_duringEachSleep)
        m_duringEachSleep();
    fw::SleepPresentingUntil(deadline);
    m_overshootMicroseconds += fw::MonotonicMicroseconds() - deadline;
}

std::int64_t BenchHost::NowMicroseconds()
{
    return m_mode == SleepMode::Recorded ? m_virtualClock.NowMicroseconds() : fw::MonotonicMicroseconds();
}

void BenchHost::ResetSleepTotals()
{
    m_sleepCount = 0;
    m_prescribedMilliseconds = 0;
    m_overshootMicroseconds = 0;
}

} // namespace bench
