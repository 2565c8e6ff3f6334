// SPDX-License-Identifier: GPL-2.0-or-later
// The settings of the main dialog: the port selection, the two delay factors,
// and the data exchange that binds them to the dialog's controls.
#include "app/BrovikDlg.h"
#include "app/DelayFactors.h"
#include "framework/DataExchange.h"
#include "framework/Host.h"

namespace {
constexpr const char* kSection = "BROVIK";
constexpr const char* kLptPort = "LPT PORT";
constexpr const char* kDelayBit = "DELAY BIT";
constexpr const char* kDelayByte = "DELAY BYTE";

int ReadSetting(const char* entry) { return fw::CurrentHost().GetProfileInt(kSection, entry, 0); }
void WriteSetting(const char* entry, std::uint32_t value)
{
    fw::CurrentHost().WriteProfileInt(kSection, entry, static_cast<int>(value));
}
} // namespace

void CBrovikDlg::LoadPortSelection()
{
    const int port = ReadSetting(kLptPort);
    if (port == 0)
        m_lptDlg.DoModal();
    CButton* const buttons[] = {&m_lpt1, &m_lpt2, &m_lpt3};
    if (port >= 1 && port <= 3) {
        m_port.SetPort(port);
        buttons[port - 1]->SetCheck(BST_CHECKED);
    }
    UpdateData(FALSE);
}

void CBrovikDlg::LoadDelays()
{
    const int storedBit = ReadSetting(kDelayBit);
    const int storedByte = ReadSetting(kDelayByte);
    m_delayBit = DelayFactorFromSetting(storedBit);
    m_delayByte = DelayFactorFromSetting(storedByte);
    if (storedBit == 0)
        WriteSetting(kDelayBit, 1);
    if (storedByte == 0)
        WriteSetting(kDelayByte, 1);
    UpdateData(FALSE);
}

void CBrovikDlg::OnLpt1() { WriteSetting(kLptPort, 1); }
void CBrovikDlg::OnLpt2() { WriteSetting(kLptPort, 2); }
void CBrovikDlg::OnLpt3() { WriteSetting(kLptPort, 3); }

void CBrovikDlg::OnChangeDelayBit()
{
    UpdateData(TRUE);
    WriteSetting(kDelayBit, m_delayBit);
}

void CBrovikDlg::OnChangeDelayByte()
{
    UpdateData(TRUE);
    WriteSetting(kDelayByte, m_delayByte);
}

void CBrovikDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_LPT1, m_lpt1);
    DDX_Control(pDX, IDC_LPT2, m_lpt2);
    DDX_Control(pDX, IDC_LPT3, m_lpt3);
    DDX_Text(pDX, IDC_DELAY_BIT, m_delayBit);
    DDV_MinMaxUInt(pDX, m_delayBit, 1, 10);
    DDX_Text(pDX, IDC_DELAY_BYTE, m_delayByte);
    DDV_MinMaxUInt(pDX, m_delayByte, 1, 10);
}
