// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/Dialog.h"

#include "framework/DataExchange.h"
#include "framework/Host.h"
#include "framework/Styles.h"
#include "framework/WinApp.h"
#include "framework/Window.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : m_pParentWnd(parent), m_templateId(templateId) {}

CDialog::~CDialog() { DestroyWindow(); }

FW_EMPTY_MESSAGE_MAP(CDialog, CWnd)

INT_PTR CDialog::DoModal() { return fw::CurrentHost().RunModal(*this); }

BOOL CDialog::CreateAndInitialise(CWnd* parent, bool modal)
{
    const ResourceTable* resources = fw::InstalledResources();
    const DialogTemplate* tmpl = resources ? resources->Dialog(static_cast<int>(m_templateId)) : nullptr;
    if (!tmpl)
        return FALSE;
    // A dialog without a parent belongs to the application's main window.
    CWnd* owner = parent;
    if (!owner && AfxGetApp() && AfxGetApp()->m_pMainWnd != this)
        owner = AfxGetApp()->m_pMainWnd;
    HWND hWnd = fw::window::CreateDialogWindow(*tmpl, owner ? owner->m_hWnd : nullptr);
    Attach(hWnd);
    m_result = 0;
    const BOOL focusFirst = OnInitDialog();
    if (m_hWnd && (modal || (tmpl->style & WS_VISIBLE)) && !fw::window::IsModalLoopDone(m_hWnd))
        fw::window::ShowDialog(m_hWnd, focusFirst);
    return TRUE;
}

BOOL CDialog::Create(CWnd* parent) { return CreateAndInitialise(parent ? parent : m_pParentWnd, false); }

INT_PTR CDialog::RunModalLoop()
{
    if (!CreateAndInitialise(m_pParentWnd, true))
        return -1;
    m_result = fw::window::RunModalLoop(m_hWnd);
    DestroyWindow();
    return m_result;
}

void CDialog::DestroyWindow()
{
    if (!m_hWnd)
        return;
    HWND hWnd = m_hWnd;
    Detach();
    fw::window::Destroy(hWnd);
}

void CDialog::EndDialog(int result)
{
    m_result = result;
    if (m_hWnd)
        fw::window::EndDialog(m_hWnd, result);
}

bool CDialog::HasEnded() const { return m_hWnd && fw::window::IsModalLoopDone(m_hWnd); }

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    const bool wasLocked = NotificationsLocked();
    LockNotifications(true);
    BOOL ok = TRUE;
    try {
        DoDataExchange(&exchange);
    } catch (const fw::DataExchangeFailure&) {
        ok = FALSE;
    }
    LockNotifications(wasLocked);
    return ok;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    if (HIWORD(wParam) != 0)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return AfxGetApp() && AfxGetApp()->OnCommand(LOWORD(wParam));
    }
}
