// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/WinApp.h"

#include <QApplication>
#include <QStyleFactory>

#include <optional>
#include <utility>

#include "framework/AppName.h"
#include "framework/Host.h"
#include "framework/ToolkitMessages.h"
#include "framework/Wnd.h"

namespace {
CWinApp* g_app = nullptr;

std::string& HelpText()
{
    static std::string text;
    return text;
}
} // namespace

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

const fw::MessageMap* CWinApp::ThisMessageMap()
{
    static const fw::MessageMap map{nullptr, nullptr, 0};
    return &map;
}

const fw::MessageMap* CWinApp::GetMessageMap() const { return ThisMessageMap(); }

BOOL CWinApp::OnCommand(UINT id)
{
    const fw::MessageMapEntry* entry = fw::FindEntry(GetMessageMap(), [id](const fw::MessageMapEntry& e) {
        return e.message == WM_COMMAND && e.code == 0 && e.id == id;
    });
    if (!entry)
        return FALSE;
    entry->thunk(this, id, 0);
    return TRUE;
}

void CWinApp::OnHelp()
{
    fw::CurrentHost().MessageBox(m_pMainWnd, HelpText(), fw::ApplicationName() + " Help", MB_ICONINFORMATION);
}

void CWinApp::Enable3dControls()
{
    // The classic raised and sunken look; the desktop's fonts are kept.
    if (qApp && QStyleFactory::keys().contains(QStringLiteral("Windows"), Qt::CaseInsensitive))
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
}

CWinApp* AfxGetApp() { return g_app; }

namespace fw {

std::string SetHelpText(std::string text) { return std::exchange(HelpText(), std::move(text)); }

int RunApplication(int argc, char** argv, CWinApp& app, const std::function<bool()>& startup)
{
    std::optional<QApplication> application;
    StartToolkit([&] { application.emplace(argc, argv); });
    QApplication::setQuitOnLastWindowClosed(false);
    if (startup && !startup())
        return 1;
    app.InitInstance();
    return 0;
}

} // namespace fw
