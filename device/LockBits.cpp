// Lock-bit programming: the presence check, then the lock command of the
// level ticked in the dialog.
#include "app/BrovikDlg.h"

void CBrovikDlg::OnLockBit()
{
    if (CheckTarget() != 1) {
        m_progress.SetWindowText("Error! Please check your CPU, power supply and printer port.");
        return;
    }
    if (IsDlgButtonChecked(IDC_LOCK1) == BST_CHECKED)
        ProgramLockBit1();
    else if (IsDlgButtonChecked(IDC_LOCK2) == BST_CHECKED)
        ProgramLockBit2();
    else if (IsDlgButtonChecked(IDC_LOCK3) == BST_CHECKED)
        ProgramLockBit3();
    else
        MessageBox("No select Lock bit");
}

void CBrovikDlg::ProgramLockBit1() { ProgramLockLevel(0x67, "Lock Bit1", "Lock Bit1 Ok"); }
void CBrovikDlg::ProgramLockBit2() { ProgramLockLevel(0x27, "Lock Bit2", "Lock Bit2 Ok"); }
void CBrovikDlg::ProgramLockBit3() { ProgramLockLevel(0x07, "Lock Bit3", "Lock Bit3 Ok"); }

void CBrovikDlg::ProgramLockLevel(std::uint8_t commandByte1, const char* startText, const char* okText)
{
    m_progress.SetWindowText(startText);
    m_progress.SetPos(0);
    m_progress.SetRange(0, 1);
    m_progress.SetStep(1);
    // The port address is the one the presence check has just set.
    EnterProgramming();
    ProgrammingEnable();
    const std::uint8_t command[3] = {0xAC, commandByte1, 0x00};
    std::uint8_t reply[3];
    SendCommand(command, reply);
    SleepScaled(100);
    ReleaseTarget();
    m_progress.StepIt();
    m_progress.SetWindowText(okText);
}
