// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/LptDlg.h"

CLptDlg::CLptDlg(CWnd* pParent) : CDialog(IDD, pParent) {}
CLptDlg::~CLptDlg() = default;

FW_EMPTY_MESSAGE_MAP(CLptDlg, CDialog)

void CLptDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }
void CLptDlg::OnOK() { CDialog::OnOK(); }
