// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The host of the benchmarks: no windows for boxes or the file dialog, settings
// in memory, and either real sleeps (for the timing measurements, the same call
// the desktop host makes) or recorded ones that only advance a virtual clock
// (so that the measurements of software cost do not wait).
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Host.h"
#include "framework/MemorySettings.h"
#include "framework/VirtualClock.h"

namespace bench {

enum class SleepMode { Recorded, Real };

class BenchHost final : public fw::IHost {
public:
    explicit BenchHost(SleepMode mode);

    INT_PTR RunModal(CDialog& dialog) override;
    int MessageBox(CWnd* owner, const std::string& text, const std::string& caption, UINT type) override;
    // Answers with openFilePath, or cancels while it is empty.
    bool GetOpenFileName(CWnd* owner, const std::string& filter, std::string& path) override;
    void Sleep(std::uint32_t ms) override;
    std::int64_t NowMicroseconds() override;
    fw::ISettingsStore& Settings() override { return m_settings; }
    fw::IPortBackend& Port() override { return *m_port; }

    void SetPort(fw::IPortBackend& port) { m_port = &port; }

    // The sleeps since the last reset: how many, what they asked for, and
    // (real sleeps only) how much longer than asked they lasted in all.
    std::uint32_t SleepCount() const { return m_sleepCount; }
    std::uint64_t PrescribedSleepMilliseconds() const { return m_prescribedMilliseconds; }
    std::int64_t SleepOvershootMicroseconds() const { return m_overshootMicroseconds; }
    void ResetSleepTotals();
    // Runs work at the start of each real sleep, inside the sleep's time: a
    // measurement taken there costs the operation nothing.
    void DuringEachSleep(std::function<void()> work) { m_duringEachSleep = std::move(work); }

    std::vector<std::string> boxes;
    std::string openFilePath;

private:
    SleepMode m_mode;
    fw::MemorySettings m_settings;
    fw::NoPortBackend m_noPort;
    fw::IPortBackend* m_port = &m_noPort;
    fw::VirtualClock m_virtualClock;
    std::uint32_t m_sleepCount = 0;
    std::uint64_t m_prescribedMilliseconds = 0;
    std::int64_t m_overshootMicroseconds = 0;
    std::function<void()> m_duringEachSleep;
};

} // namespace bench
