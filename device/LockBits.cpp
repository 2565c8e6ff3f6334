// SPDX-License-Identifier: GPL-2.0-or-later
// Lock-bit programming: the presence check, then the lock command of the
// level ticked in the dialog.
#include "app/BrovikDlg.h"
#include "port/IspCommands.h"
#include "res/Texts.h"

void CBrovikDlg::OnLockBit()
{
    if (CheckTarget() != 1) {
        m_progress.SetWindowText(texts::kNoTargetStatus);
        return;
    }
    if (IsDlgButtonChecked(IDC_LOCK1) == BST_CHECKED)
        ProgramLockBit1();
    else if (IsDlgButtonChecked(IDC_LOCK2) == BST_CHECKED)
        ProgramLockBit2();
    else if (IsDlgButtonChecked(IDC_LOCK3) == BST_CHECKED)
        ProgramLockBit3();
    else
        MessageBox(texts::kNoLockLevel);
}

void CBrovikDlg::ProgramLockBit1() { ProgramLockLevel(1); }
void CBrovikDlg::ProgramLockBit2() { ProgramLockLevel(2); }
void CBrovikDlg::ProgramLockBit3() { ProgramLockLevel(3); }

void CBrovikDlg::ProgramLockLevel(int level)
{
    m_progress.SetWindowText(texts::kLockBit[level - 1]);
    m_progress.SetPos(0);
    m_progress.SetRange(0, 1);
    m_progress.SetStep(1);
    // The port address is the one the presence check has just set.
    if (!EnterProgrammingOrShowFault())
        return;
    ProgrammingEnable();
    StopIfRequested(texts::kLockName);
    std::uint8_t reply[3];
    SendCommand(isp::LockBit(level).data(), reply);
    SleepScaled(100);
    ReleaseTarget();
    m_progress.StepIt();
    m_progress.SetWindowText(texts::kLockBitOk[level - 1]);
}
