// Erase, blank check, program, verify and the Auto run. Each is a fixed
// sequence of link calls that reports on the status line and the bar; a
// failure shows its box first and then its status text.
#include <cstdio>
#include <string>

#include "app/BrovikDlg.h"

namespace {
constexpr const char* kNoTargetStatus = "Error! Please check your CPU, power supply and printer port.";
constexpr const char* kNoHexFile = "Please open a hex file before programing.";
constexpr std::uint8_t kBlank = 0xFF;

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

void ReadCommand(std::uint32_t address, std::uint8_t filler, std::uint8_t command[3])
{
    command[0] = static_cast<std::uint8_t>(((address >> 5) & 0xF8) | 0x01);
    command[1] = static_cast<std::uint8_t>(address & 0xFF);
    command[2] = filler;
}
} // namespace

void CBrovikDlg::OnErase()
{
    m_progress.SetWindowText("Erase");
    m_progress.SetRange(0, 1);
    m_progress.SetStep(1);
    m_progress.SetPos(0);
    LoadPortSelection();
    EnterProgramming();
    ProgrammingEnable();
    const std::uint8_t command[3] = {0xAC, 0x04, 0x00};
    std::uint8_t reply[3];
    SendCommand(command, reply);
    m_progress.StepIt();
    ReleaseTarget();
    m_progress.SetWindowText("Erase Ok");
    SleepScaled(40);
}

int CBrovikDlg::OnBlank()
{
    if (CheckTarget() != 1) {
        m_progress.SetWindowText(kNoTargetStatus);
        return 0;
    }
    m_progress.SetWindowText("Blank Check");
    m_progress.SetPos(0);
    m_progress.SetRange(0, static_cast<short>(kImageSize));
    m_progress.SetStep(1);
    LoadPortSelection();
    EnterProgramming();
    ProgrammingEnable();
    std::uint8_t command[3];
    std::uint8_t reply[3];
    for (std::uint32_t address = 0; address < kImageSize; ++address) {
        ReadCommand(address, 0x00, command);
        SendCommand(command, reply);
        m_progress.SetWindowText(Percent("Blank Check %d%%", static_cast<int>(address / 82)));
        m_progress.StepIt();
        if (reply[2] != kBlank) {
            MessageBox("Not Blank.");
            m_progress.SetPos(0);
            m_progress.SetRange(0, 1);
            m_progress.SetStep(1);
            m_progress.SetWindowText("Not Blank.");
            m_progress.StepIt();
            ReleaseTarget();
            return 0;
        }
    }
    ReleaseTarget();
    m_progress.SetWindowText("Blank Ok");
    return 1;
}

bool CBrovikDlg::HexFileLoaded()
{
    if (m_lastAddress != 0)
        return true;
    MessageBox(kNoHexFile);
    m_progress.SetWindowText(kNoHexFile);
    return false;
}

void CBrovikDlg::OnProgram()
{
    if (!HexFileLoaded())
        return;
    if (CheckTarget() != 1) {
        m_progress.SetWindowText(kNoTargetStatus);
        return;
    }
    LoadPortSelection();
    EnterProgramming();
    ProgrammingEnable();
    ProgramLoop();
    ReleaseTarget();
    m_progress.SetWindowText("Program Flash Ok");
}

int CBrovikDlg::ProgramLoop()
{
    m_progress.SetWindowText("Program Flash");
    m_progress.SetPos(0);
    m_progress.SetRange(0, static_cast<short>(m_lastAddress & 0xFFFF));
    m_progress.SetStep(1);
    const float divisor = PercentDivisor(m_lastAddress);
    std::uint8_t command[3];
    std::uint8_t reply[3];
    for (std::uint32_t address = 0; address <= m_lastAddress; ++address) {
        command[0] = static_cast<std::uint8_t>(((address >> 5) & 0xF8) | 0x02);
        command[1] = static_cast<std::uint8_t>(address & 0xFF);
        command[2] = m_image[address];
        SendCommand(command, reply);
        SleepScaled(4);
        m_progress.SetWindowText(Percent("Program Flash %d%%", Percentage(address, divisor)));
        m_progress.StepIt();
    }
    return 1;
}

int CBrovikDlg::OnVerify()
{
    m_progress.SetWindowText("Verfy Flash");
    m_progress.SetPos(0);
    m_progress.SetRange(0, static_cast<short>(m_lastAddress + 1));
    m_progress.SetStep(1);
    LoadPortSelection();
    EnterProgramming();
    ProgrammingEnable();
    const float divisor = PercentDivisor(m_lastAddress);
    std::uint8_t command[3];
    std::uint8_t reply[3];
    for (std::uint32_t address = 0; address <= m_lastAddress; ++address) {
        ReadCommand(address, 0xFF, command);
        SendCommand(command, reply);
        m_progress.SetWindowText(Percent("Verify Flash %d%%", Percentage(address, divisor)));
        m_progress.StepIt();
        if (reply[2] != m_image[address]) {
            MessageBox("Verify error !!!");
            m_progress.SetWindowText("Verify error !!!");
            ReleaseTarget();
            return 0;
        }
    }
    ReleaseTarget();
    m_progress.SetWindowText("Verfify Ok");
    m_progress.StepIt();
    return 1;
}

void CBrovikDlg::OnAuto()
{
    if (!HexFileLoaded())
        return;
    OnErase();
    if (OnBlank() == 0)
        return;
    OnProgram();
    OnVerify();
}
