// SPDX-License-Identifier: GPL-2.0-or-later
// The default handling of messages by every window: text, check state,
// clicks, selection, icons and the system commands.
#include <QAbstractButton>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

#include <algorithm>
#include <cstring>

#include "framework/IconImpl.h"
#include "framework/Window.h"
#include "framework/WindowImpl.h"

namespace fw::window {

LRESULT DefaultProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!h)
        return 0;
    switch (msg) {
    case WM_SETTEXT:
        h->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        ShowText(h);
        if (h->textObserver)
            h->textObserver(h->text);
        return TRUE;
    case WM_GETTEXT: {
        if (wParam == 0)
            return 0;
        const size_t n = std::min<size_t>(h->text.size(), wParam - 1);
        auto* buffer = reinterpret_cast<char*>(lParam);
        std::memcpy(buffer, h->text.data(), n);
        buffer[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(h->text.size());
    case BM_GETCHECK:
        return h->check;
    case BM_SETCHECK:
        h->check = static_cast<int>(wParam);
        if (h->kind == ControlKind::AutoRadioButton)
            static_cast<QRadioButton*>(h->widget)->setChecked(h->check == BST_CHECKED);
        return 0;
    case BM_CLICK:
        if (h->kind == ControlKind::PushButton || h->kind == ControlKind::AutoRadioButton)
            static_cast<QAbstractButton*>(h->widget)->click();
        return 0;
    case EM_SETSEL:
        if (h->kind == ControlKind::Edit) {
            auto* edit = static_cast<QLineEdit*>(h->widget);
            if (static_cast<LPARAM>(wParam) == 0 && lParam == -1)
                edit->selectAll();
            else
                edit->setSelection(static_cast<int>(wParam), static_cast<int>(lParam - static_cast<LPARAM>(wParam)));
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETICON: {
        HICON previous = wParam == ICON_BIG ? h->bigIcon : h->smallIcon;
        (wParam == ICON_BIG ? h->bigIcon : h->smallIcon) = reinterpret_cast<HICON>(lParam);
        if (HICON icon = h->bigIcon ? h->bigIcon : h->smallIcon)
            h->widget->setWindowIcon(IconOf(icon));
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
            h->widget->showMinimized();
            break;
        case SC_MOVE:
            if (h->dialog)
                StartMove(h);
            break;
        case SC_RESTORE:
            h->widget->showNormal();
            break;
        case SC_CLOSE:
            SendMessageTo(h, WM_CLOSE);
            break;
        default:
            break;
        }
        return 0;
    case WM_CLOSE:
        if (h->dialog)
            SendMessageTo(h, WM_COMMAND, IDCANCEL);
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(h->bigIcon);
    default:
        return 0;
    }
}

} // namespace fw::window
