#include "app/Brovik.h"

#include "app/BrovikDlg.h"
#include "app/HelpText.h"
#include "res/Resources.h"

CBrovikApp theApp;

CBrovikApp::CBrovikApp()
{
    fw::InstallResources(&BrovikResources());
    fw::SetHelpText(kHelpText);
}

CBrovikApp::~CBrovikApp() = default;

FW_MESSAGE_MAP(CBrovikApp, CWinApp, fw::OnCommand<&CWinApp::OnHelp>(ID_HELP))

BOOL CBrovikApp::InitInstance()
{
    Enable3dControls();
    CBrovikDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
