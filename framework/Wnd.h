// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// CWnd: a C++ object attached to a window. Messages sent to it go through its
// virtual WindowProc and its message map; what no entry handles gets the
// window's default handling.
#include <functional>
#include <string>

#include "framework/Geometry.h"
#include "framework/MessageMap.h"
#include "framework/Object.h"
#include "framework/Types.h"

struct FwWindow;              // the framework's window, defined with the widgets
using HWND = FwWindow*;
struct FwIcon;
using HICON = FwIcon*;
class CFont;
class CMenu;

class CWnd : public CObject {
public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Routes msg to this object's WindowProc, or to the window's default
    // handling while no object is attached.
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Queues msg for the window: it is sent once the event loop runs again,
    // unless the window is gone by then.
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    static const fw::MessageMap* ThisMessageMap();
    virtual const fw::MessageMap* GetMessageMap() const;

    // Attaches this object to an existing window (subclassing it).
    BOOL Attach(HWND hWnd);
    HWND Detach();
    BOOL SubclassDlgItem(UINT id, CWnd* parent);

    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    int GetWindowTextLength() const;

    CWnd* GetDlgItem(int id) const;
    HWND GetDlgItemHandle(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    UINT IsDlgButtonChecked(int id) const;
    CWnd* GetParent() const;
    // The dialog's font, which its controls draw with too.
    CFont* GetFont() const;

    void GetClientRect(CRect* rect) const;
    DWORD GetStyle() const;
    BOOL IsIconic() const;
    BOOL IsWindowVisible() const;
    void SetFocus();

    // Requests a repaint for when the event loop next runs.
    void Invalidate(BOOL erase = TRUE);
    // With RDW_UPDATENOW the paint has run (and reached the screen) on return.
    BOOL RedrawWindow(const CRect* updateRect = nullptr, void* updateRegion = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);

    HICON SetIcon(HICON icon, BOOL bigIcon);
    // A dialog that accepts files takes a drop of one file from a file
    // manager and gets WM_DROPFILES for it.
    void DragAcceptFiles(BOOL accept = TRUE);
    CMenu* GetSystemMenu(BOOL revert) const;
    int MessageBox(const std::string& text, const std::string& caption = {}, UINT type = MB_OK);

protected:
    // The window's own handling of msg, for messages the map leaves alone.
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Default handling of the message being dispatched now.
    LRESULT Default();
    // Handles WM_COMMAND: map lookup, honouring the notification lockout.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    void LockNotifications(bool locked) { m_notificationsLocked = locked; }
    bool NotificationsLocked() const { return m_notificationsLocked; }
    BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    struct CurrentMessage {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    CurrentMessage m_current{};
    bool m_notificationsLocked = false;
    friend class CDataExchange;
};

// The CWnd attached to a window, or null.
CWnd* FromHandle(HWND hWnd);

namespace fw {
// Sends msg to a window: to its attached object, else to its default handling.
LRESULT SendMessageTo(HWND hWnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Bracket each command or notification handler that runs while no other
// handler is running: every operation a button starts. begin runs first and
// may refuse the command (it is then not handled); end runs after a handler
// that began, also when the handler ends by an exception.
struct CommandHooks {
    std::function<bool(UINT id)> begin;
    std::function<void()> end;
};
void SetCommandHooks(CommandHooks hooks);
}
