// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The first-run notice: asks the user to choose the printer port.
#include "framework/Dialog.h"
#include "res/resource.h"

class CLptDlg : public CDialog {
public:
    enum { IDD = IDD_LPT };
    explicit CLptDlg(CWnd* pParent = nullptr);
    ~CLptDlg() override;

    FW_DECLARE_MESSAGE_MAP();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
};
