// SPDX-License-Identifier: GPL-2.0-or-later
// The serial programming link: every line change is one read-modify-write of
// a printer-port register, at the moment it happens; nothing keeps a copy.
//
//   SCK             data bit 0    MOSI  control bit 0
//   reset-control   data bit 1    MISO  status bit 6
#include <algorithm>

#include "app/BrovikDlg.h"
#include "app/DelayFactors.h"
#include "device/OperationStopped.h"
#include "framework/Host.h"
#include "port/IspCommands.h"
#include "res/Texts.h"

namespace {
constexpr int kSck = 0x01;
constexpr int kResetLine = 0x02;
constexpr int kMosi = 0x01;
constexpr int kMiso = 0x40;
constexpr std::uint32_t kCountdown = 5500;

constexpr std::uint8_t kTestPattern = 0xAA;
// The filler of the presence check's first read; the chip ignores it.
constexpr std::uint8_t kFirstReadFiller = 0x00;
} // namespace

// One copy for every caller: how fast a countdown runs depends on where its
// loop lands in memory, and the copies inlined into SendCommand ran up to
// half again as slowly as this one, so the bit clock differed by call site.
[[gnu::noinline]] void CBrovikDlg::BitDelay()
{
    const std::uint32_t countdowns = std::min(m_delayBit, kDelayFactorCap);
    for (std::uint32_t i = 0; i < countdowns; ++i) {
        // volatile: the countdown is the bit clock and must really run.
        volatile std::uint32_t counter = kCountdown;
        while (counter > 0)
            counter = counter - 1;
    }
}

void CBrovikDlg::SleepScaled(std::uint32_t baseMilliseconds)
{
    fw::CurrentHost().Sleep(std::min(m_delayByte, kDelayFactorCap) * baseMilliseconds);
}

void CBrovikDlg::SetSckHigh() { m_port.WriteData(m_port.ReadData() | kSck); }
void CBrovikDlg::SetSckLow() { m_port.WriteData(m_port.ReadData() & ~kSck & 0xFF); }
void CBrovikDlg::SetResetLineHigh() { m_port.WriteData(m_port.ReadData() | kResetLine); }
void CBrovikDlg::ClearSckAndResetLine() { m_port.WriteData(m_port.ReadData() & ~(kSck | kResetLine) & 0xFF); }
void CBrovikDlg::SetMosiHigh() { m_port.WriteControl(m_port.ReadControl() | kMosi); }

void CBrovikDlg::ClockPulse()
{
    SetSckHigh();
    BitDelay();
    SetSckLow();
    BitDelay();
}

void CBrovikDlg::SendCommand(const std::uint8_t command[3], std::uint8_t reply[3])
{
    for (int i = 0; i < 3; ++i) {
        std::uint8_t received = 0;
        for (int bit = 7; bit >= 0; --bit) {
            const int level = (command[i] >> bit) & 1;
            m_port.WriteControl((m_port.ReadControl() & 0xFE) | level);
            if (m_port.ReadStatus() & kMiso)
                received = static_cast<std::uint8_t>(received | (1 << bit));
            ClockPulse();
        }
        reply[i] = received;
    }
}

bool CBrovikDlg::EnterProgramming()
{
    SetSckLow();
    // The operation's first access reaches the port or says why it cannot;
    // without a port, commands and sleeps would only pretend to work.
    if (m_port.Unreachable())
        return false;
    SleepScaled(200);
    ClearSckAndResetLine();
    SleepScaled(200);
    SetResetLineHigh();
    SleepScaled(200);
    ClearSckAndResetLine();
    SleepScaled(200);
    return true;
}

void CBrovikDlg::ReleaseTarget()
{
    SetSckHigh();
    SetMosiHigh();
    SetResetLineHigh();
}

void CBrovikDlg::ProgrammingEnable()
{
    std::uint8_t reply[3];
    SendCommand(isp::ProgrammingEnable().data(), reply);
}

void CBrovikDlg::StopIfRequested(const char* operation, std::optional<std::uint32_t> address)
{
    if (fw::CurrentHost().StopRequested())
        throw OperationStopped{operation, address};
}

int CBrovikDlg::CheckTarget()
{
    LoadPortSelection();
    if (!EnterProgramming())
        return 0;
    // Not later: once 0xAA is written, address 0 must get its byte back.
    StopIfRequested(texts::kPresenceCheckName);
    ProgrammingEnable();

    std::uint8_t reply[3];
    SendCommand(isp::ReadCode(0, kFirstReadFiller).data(), reply);
    SleepScaled(4);
    const std::uint8_t saved = reply[2];

    SendCommand(isp::WriteCode(0, kTestPattern).data(), reply);
    SleepScaled(4);

    // The filler is the data byte of the write before: the check has always
    // sent its commands from one buffer.
    SendCommand(isp::ReadCode(0, kTestPattern).data(), reply);
    SleepScaled(4);
    const bool answered = reply[2] == kTestPattern;

    SendCommand(isp::WriteCode(0, saved).data(), reply);
    SleepScaled(4);
    if (answered)
        return 1;
    ReleaseTarget();
    MessageBox(texts::kNoTargetBox);
    return 0;
}
