// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include "framework/Dialog.h"
#include "res/resource.h"

// The About box, opened from the system menu.
class CAboutDlg : public CDialog {
public:
    enum { IDD = IDD_ABOUTBOX };
    CAboutDlg();
    ~CAboutDlg() override;

    FW_DECLARE_MESSAGE_MAP();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
