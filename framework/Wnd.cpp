// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/Wnd.h"

#include <vector>

#include "framework/AppName.h"
#include "framework/Host.h"
#include "framework/Menu.h"
#include "framework/Window.h"
#include "framework/WindowDrawing.h"

namespace {
fw::CommandHooks g_commandHooks;
int g_commandDepth = 0;

// One handler's run: at the outermost level a new operation for the port
// back end and the begin hook, and the end hook however the handler ends.
class CommandRun {
public:
    explicit CommandRun(UINT id)
    {
        if (g_commandDepth == 0) {
            fw::CurrentHost().Port().BeginOperation();
            if (g_commandHooks.begin && !g_commandHooks.begin(id))
                return;
        }
        ++g_commandDepth;
        m_began = true;
    }
    ~CommandRun()
    {
        if (!m_began)
            return;
        if (--g_commandDepth == 0 && g_commandHooks.end)
            g_commandHooks.end();
    }
    CommandRun(const CommandRun&) = delete;
    CommandRun& operator=(const CommandRun&) = delete;
    bool Began() const { return m_began; }

private:
    bool m_began = false;
};
} // namespace

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_hWnd && fw::window::Attached(m_hWnd) == this)
        fw::window::Attach(m_hWnd, nullptr);
}

const fw::MessageMap* CWnd::ThisMessageMap()
{
    static const fw::MessageMap map{nullptr, nullptr, 0};
    return &map;
}

const fw::MessageMap* CWnd::GetMessageMap() const { return ThisMessageMap(); }

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return WindowProc(msg, wParam, lParam); }

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(msg, wParam, lParam, &result))
        result = DefWindowProc(msg, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *result = 0;
        return TRUE;
    }
    const fw::MessageMapEntry* entry =
        fw::FindEntry(GetMessageMap(), [msg](const fw::MessageMapEntry& e) { return e.message == msg; });
    if (!entry)
        return FALSE;
    const CurrentMessage saved = m_current;
    m_current = {msg, wParam, lParam};
    *result = entry->thunk(this, wParam, lParam);
    m_current = saved;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    // Notifications from controls are ignored while a data exchange runs.
    if (lParam != 0 && m_notificationsLocked)
        return TRUE;
    const fw::MessageMapEntry* entry = fw::FindEntry(GetMessageMap(), [code, id](const fw::MessageMapEntry& e) {
        return e.message == WM_COMMAND && e.code == code && e.id == id;
    });
    if (!entry)
        return FALSE;
    const CommandRun run(id);
    if (!run.Began())
        return TRUE;
    const CurrentMessage saved = m_current;
    m_current = {WM_COMMAND, wParam, lParam};
    entry->thunk(this, wParam, lParam);
    m_current = saved;
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return fw::window::DefaultProc(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(m_current.msg, m_current.wParam, m_current.lParam); }

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd)
        return FALSE;
    m_hWnd = hWnd;
    fw::window::Attach(hWnd, this);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd && fw::window::Attached(hWnd) == this)
        fw::window::Attach(hWnd, nullptr);
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    return Attach(fw::window::Child(parent->m_hWnd, static_cast<int>(id)));
}

void CWnd::SetWindowText(const std::string& text) { SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); }

std::string CWnd::GetWindowText() const
{
    auto* self = const_cast<CWnd*>(this);
    const auto length = static_cast<std::size_t>(self->SendMessage(WM_GETTEXTLENGTH));
    std::vector<char> buffer(length + 1);
    const auto copied = self->SendMessage(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data(), static_cast<std::size_t>(copied));
}

int CWnd::GetWindowTextLength() const { return static_cast<int>(const_cast<CWnd*>(this)->SendMessage(WM_GETTEXTLENGTH)); }

HWND CWnd::GetDlgItemHandle(int id) const { return fw::window::Child(m_hWnd, id); }
CWnd* CWnd::GetDlgItem(int id) const { return fw::window::PermanentWrapper(GetDlgItemHandle(id)); }

void CWnd::SetDlgItemText(int id, const std::string& text)
{
    if (CWnd* item = GetDlgItem(id))
        item->SetWindowText(text);
}

std::string CWnd::GetDlgItemText(int id) const
{
    CWnd* item = GetDlgItem(id);
    return item ? item->GetWindowText() : std::string();
}

UINT CWnd::IsDlgButtonChecked(int id) const
{
    HWND item = GetDlgItemHandle(id);
    return item ? static_cast<UINT>(fw::SendMessageTo(item, BM_GETCHECK)) : 0;
}

CWnd* CWnd::GetParent() const { return fw::window::PermanentWrapper(fw::window::Parent(m_hWnd)); }
CFont* CWnd::GetFont() const { return fw::WindowFont(m_hWnd); }

void CWnd::GetClientRect(CRect* rect) const { *rect = fw::window::ClientRect(m_hWnd); }
DWORD CWnd::GetStyle() const { return fw::window::Style(m_hWnd); }
BOOL CWnd::IsIconic() const { return fw::window::IsIconic(m_hWnd); }
BOOL CWnd::IsWindowVisible() const { return fw::window::IsVisible(m_hWnd); }
void CWnd::SetFocus() { fw::window::SetFocus(m_hWnd); }
void CWnd::Invalidate(BOOL) { fw::window::Invalidate(m_hWnd); }

BOOL CWnd::RedrawWindow(const CRect*, void*, UINT flags)
{
    if (!m_hWnd)
        return FALSE;
    if (flags & RDW_UPDATENOW)
        fw::window::RepaintNow(m_hWnd);
    else if (flags & RDW_INVALIDATE)
        fw::window::Invalidate(m_hWnd);
    return TRUE;
}

BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd)
        return FALSE;
    fw::window::Post(m_hWnd, msg, wParam, lParam);
    return TRUE;
}

void CWnd::DragAcceptFiles(BOOL accept) { fw::window::AcceptDroppedFiles(m_hWnd, accept); }

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon)
{
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

CMenu* CWnd::GetSystemMenu(BOOL) const { return fw::window::SystemMenu(m_hWnd); }

int CWnd::MessageBox(const std::string& text, const std::string& caption, UINT type)
{
    return fw::CurrentHost().MessageBox(this, text, caption.empty() ? fw::ApplicationName() : caption, type);
}

CWnd* FromHandle(HWND hWnd) { return fw::window::PermanentWrapper(hWnd); }

namespace fw {

void SetCommandHooks(CommandHooks hooks) { g_commandHooks = std::move(hooks); }

LRESULT SendMessageTo(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (CWnd* wnd = window::Attached(hWnd))
        return wnd->WindowProc(msg, wParam, lParam);
    return window::DefaultProc(hWnd, msg, wParam, lParam);
}

} // namespace fw
