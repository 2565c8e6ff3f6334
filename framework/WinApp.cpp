#include "framework/WinApp.h"

#include <QApplication>
#include <QStyleFactory>

#include <utility>

#include "framework/AppName.h"
#include "framework/Host.h"
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
    for (const fw::MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (std::size_t i = 0; i < map->count; ++i) {
            const fw::MessageMapEntry& entry = map->entries[i];
            if (entry.message == WM_COMMAND && entry.code == 0 && entry.id == id) {
                entry.thunk(this, id, 0);
                return TRUE;
            }
        }
    }
    return FALSE;
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
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (startup && !startup())
        return 1;
    app.InitInstance();
    return 0;
}

} // namespace fw
