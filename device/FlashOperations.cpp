// SPDX-License-Identifier: GPL-2.0-or-later
// Erase, blank check, program, verify, the Auto run and the read of the whole
// flash. Each is a fixed sequence of link calls that reports on the status
// line and the bar; a failure shows its box first and then its status text.
#include <cstdio>
#include <string>

#include "app/BrovikDlg.h"
#include "port/IspCommands.h"
#include "res/Texts.h"

namespace {
constexpr std::uint8_t kBlank = 0xFF;
constexpr std::uint8_t kBlankCheckFiller = 0x00;
constexpr std::uint8_t kVerifyFiller = 0xFF;
// Blank Check shows address / 82, so its percentage runs from 0 to 99.
constexpr std::uint32_t kBlankCheckAddressesPerPercent = 82;

std::string Percent(const char* format, int percentage)
{
    char text[64];
    std::snprintf(text, sizeof text, format, percentage);
    return text;
}

// a / d with d held in single precision: its rounding decides whether the
// last byte shows 99 or 100.
int Percentage(std::uint32_t address, float divisor)
{
    return divisor == 0.0f ? 0 : static_cast<int>(static_cast<double>(address) / static_cast<double>(divisor));
}

float PercentDivisor(std::uint32_t lastAddress) { return static_cast<float>(lastAddress / 100.0); }
} // namespace

bool CBrovikDlg::EnterProgrammingOrShowFault()
{
    if (EnterProgramming())
        return true;
    m_progress.SetWindowText(texts::kNoTargetStatus);
    return false;
}

void CBrovikDlg::OnErase()
{
    m_progress.SetWindowText(texts::kErase);
    m_progress.SetRange(0, 1);
    m_progress.SetStep(1);
    m_progress.SetPos(0);
    LoadPortSelection();
    if (!EnterProgrammingOrShowFault())
        return;
    ProgrammingEnable();
    StopIfRequested(texts::kEraseName);
    std::uint8_t reply[3];
    SendCommand(isp::ChipErase().data(), reply);
    m_progress.StepIt();
    ReleaseTarget();
    m_progress.SetWindowText(texts::kEraseOk);
    SleepScaled(40);
}

bool CBrovikDlg::StartWholeFlashPass(const char* startText)
{
    if (CheckTarget() != 1) {
        m_progress.SetWindowText(texts::kNoTargetStatus);
        return false;
    }
    m_progress.SetWindowText(startText);
    m_progress.SetPos(0);
    m_progress.SetRange(0, static_cast<short>(kImageSize));
    m_progress.SetStep(1);
    LoadPortSelection();
    if (!EnterProgrammingOrShowFault())
        return false;
    ProgrammingEnable();
    return true;
}

int CBrovikDlg::OnBlank()
{
    m_mismatch.reset();
    if (!StartWholeFlashPass(texts::kBlankCheck))
        return 0;
    std::uint8_t reply[3];
    for (std::uint32_t address = 0; address < kImageSize; ++address) {
        StopIfRequested(texts::kBlankCheckName, address);
        SendCommand(isp::ReadCode(address, kBlankCheckFiller).data(), reply);
        m_progress.SetWindowText(Percent(texts::kBlankCheckPercent, static_cast<int>(address / kBlankCheckAddressesPerPercent)));
        m_progress.StepIt();
        if (reply[2] != kBlank) {
            m_mismatch = FlashMismatch{address, kBlank, reply[2]};
            MessageBox(texts::kNotBlank);
            m_progress.SetPos(0);
            m_progress.SetRange(0, 1);
            m_progress.SetStep(1);
            m_progress.SetWindowText(texts::kNotBlank);
            m_progress.StepIt();
            ReleaseTarget();
            return 0;
        }
    }
    ReleaseTarget();
    m_progress.SetWindowText(texts::kBlankOk);
    return 1;
}

bool CBrovikDlg::HexFileLoaded()
{
    if (m_lastAddress != 0)
        return true;
    MessageBox(texts::kNoHexFile);
    m_progress.SetWindowText(texts::kNoHexFile);
    return false;
}

void CBrovikDlg::OnProgram()
{
    if (!HexFileLoaded())
        return;
    if (CheckTarget() != 1) {
        m_progress.SetWindowText(texts::kNoTargetStatus);
        return;
    }
    LoadPortSelection();
    if (!EnterProgrammingOrShowFault())
        return;
    ProgrammingEnable();
    ProgramLoop();
    ReleaseTarget();
    m_progress.SetWindowText(texts::kProgramFlashOk);
}

int CBrovikDlg::ProgramLoop()
{
    m_progress.SetWindowText(texts::kProgramFlash);
    m_progress.SetPos(0);
    m_progress.SetRange(0, static_cast<short>(m_lastAddress & 0xFFFF));
    m_progress.SetStep(1);
    const float divisor = PercentDivisor(m_lastAddress);
    std::uint8_t reply[3];
    for (std::uint32_t address = 0; address <= m_lastAddress; ++address) {
        StopIfRequested(texts::kProgramName, address);
        SendCommand(isp::WriteCode(address, m_image[address]).data(), reply);
        SleepScaled(4);
        m_progress.SetWindowText(Percent(texts::kProgramFlashPercent, Percentage(address, divisor)));
        m_progress.StepIt();
    }
    return 1;
}

int CBrovikDlg::OnVerify()
{
    m_mismatch.reset();
    m_progress.SetWindowText(texts::kVerifyFlash);
    m_progress.SetPos(0);
    m_progress.SetRange(0, static_cast<short>(m_lastAddress + 1));
    m_progress.SetStep(1);
    LoadPortSelection();
    if (!EnterProgrammingOrShowFault())
        return 0;
    ProgrammingEnable();
    const float divisor = PercentDivisor(m_lastAddress);
    std::uint8_t reply[3];
    for (std::uint32_t address = 0; address <= m_lastAddress; ++address) {
        StopIfRequested(texts::kVerifyName, address);
        SendCommand(isp::ReadCode(address, kVerifyFiller).data(), reply);
        m_progress.SetWindowText(Percent(texts::kVerifyFlashPercent, Percentage(address, divisor)));
        m_progress.StepIt();
        if (reply[2] != m_image[address]) {
            m_mismatch = FlashMismatch{address, m_image[address], reply[2]};
            MessageBox(texts::kVerifyError);
            m_progress.SetWindowText(texts::kVerifyError);
            ReleaseTarget();
            return 0;
        }
    }
    ReleaseTarget();
    m_progress.SetWindowText(texts::kVerifyOk);
    m_progress.StepIt();
    return 1;
}

void CBrovikDlg::OnAuto()
{
    if (!HexFileLoaded())
        return;
    OnErase();
    // An erase that could not reach the port ends the run: the rest could
    // only report the same fault again.
    if (m_port.Unreachable())
        return;
    if (OnBlank() == 0)
        return;
    OnProgram();
    OnVerify();
}

int CBrovikDlg::ReadFlash(std::uint8_t flash[kImageSize])
{
    // As Blank Check: a chip that does not answer must not pass for one that
    // holds 0xFF (or 0x00) everywhere.
    if (!StartWholeFlashPass(texts::kReadFlash))
        return 0;
    std::uint8_t reply[3];
    for (std::uint32_t address = 0; address < kImageSize; ++address) {
        StopIfRequested(texts::kReadName, address);
        SendCommand(isp::ReadCode(address, kVerifyFiller).data(), reply);
        flash[address] = reply[2];
        m_progress.SetWindowText(Percent(texts::kReadFlashPercent, static_cast<int>(address * 100 / kImageSize)));
        m_progress.StepIt();
    }
    ReleaseTarget();
    m_progress.SetWindowText(texts::kReadFlashOk);
    return 1;
}
