// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/Brovik.h"

#include "app/BrovikDlg.h"
#include "app/HelpText.h"
#include "res/Resources.h"

CBrovikApp theApp;

FW_MESSAGE_MAP(CBrovikApp, CWinApp, fw::OnCommand<&CWinApp::OnHelp>(ID_HELP))

BOOL CBrovikApp::InitInstance()
{
    Enable3dControls();
    CBrovikDlg dlg;
    dlg.m_caption = m_caption;
    dlg.m_fileToOpen = m_fileToOpen;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

fw::Setup SetUpBrovik(fw::IHost& host) { return fw::Setup(host, &BrovikResources(), kHelpText); }
