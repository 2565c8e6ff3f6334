// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// CDialog: a window built from a template, run modally through the host or
// created modelessly, with the dialog keyboard rules and data exchange.
#include "framework/Resources.h"
#include "framework/Wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally through the current host.
    virtual INT_PTR DoModal();
    // Creates the window modelessly: OnInitDialog has run and it is shown.
    BOOL Create(CWnd* parent = nullptr);
    void DestroyWindow();
    void EndDialog(int result);
    // True once EndDialog has been called on the current window.
    bool HasEnded() const;
    INT_PTR Result() const { return m_result; }

    // The modal run itself, for hosts that show dialogs for real: creates the
    // window, initialises and shows it, waits for EndDialog, destroys it.
    INT_PTR RunModalLoop();

    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    UINT TemplateId() const { return m_templateId; }

    FW_DECLARE_MESSAGE_MAP();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    CWnd* m_pParentWnd;

private:
    BOOL CreateAndInitialise(CWnd* parent, bool modal);

    UINT m_templateId;
    INT_PTR m_result = 0;
};
