// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/AboutDlg.h"

CAboutDlg::CAboutDlg() : CDialog(IDD) {}
CAboutDlg::~CAboutDlg() = default;

FW_EMPTY_MESSAGE_MAP(CAboutDlg, CDialog)

void CAboutDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }
