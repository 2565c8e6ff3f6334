// SPDX-License-Identifier: GPL-2.0-or-later
// The system menu of a dialog: the commands its styles allow, the popup that
// sends the chosen one as WM_SYSCOMMAND, and moving the window from it.
#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPoint>
#include <QWidget>
#include <QWindow>

#include "framework/Styles.h"
#include "framework/Window.h"
#include "framework/WindowImpl.h"

namespace fw {
namespace {

constexpr int kMoveStep = 8;  // pixels per arrow key while moving

// Move mode: the arrow keys or the mouse move the window; Enter or a click
// ends it where it is, Escape puts the window back.
class MoveMode final : public QObject {
public:
    explicit MoveMode(QWidget* window) : m_window(window), m_start(window->pos())
    {
        m_window->grabKeyboard();
        m_window->grabMouse(Qt::SizeAllCursor);
        m_pointerStart = QCursor::pos();
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            OnKey(static_cast<QKeyEvent*>(event)->key());
            return true;
        case QEvent::KeyRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::ShortcutOverride:
            return true;
        case QEvent::MouseMove:
            m_window->move(m_start + (static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - m_pointerStart));
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            Finish();
            return true;
        default:
            return false;
        }
    }

private:
    void OnKey(int key)
    {
        switch (key) {
        case Qt::Key_Left:
            m_window->move(m_window->pos() + QPoint(-kMoveStep, 0));
            break;
        case Qt::Key_Right:
            m_window->move(m_window->pos() + QPoint(kMoveStep, 0));
            break;
        case Qt::Key_Up:
            m_window->move(m_window->pos() + QPoint(0, -kMoveStep));
            break;
        case Qt::Key_Down:
            m_window->move(m_window->pos() + QPoint(0, kMoveStep));
            break;
        case Qt::Key_Escape:
            m_window->move(m_start);
            Finish();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Finish();
            break;
        default:
            break;
        }
    }

    void Finish()
    {
        qApp->removeEventFilter(this);
        m_window->releaseMouse();
        m_window->releaseKeyboard();
        deleteLater();
    }

    QWidget* m_window;
    QPoint m_start;
    QPoint m_pointerStart;
};

} // namespace

void AppendSystemCommands(CMenu& menu, DWORD style)
{
    const bool minimiseBox = style & WS_MINIMIZEBOX;
    if (minimiseBox)
        menu.AppendMenu(MF_STRING, SC_RESTORE, "&Restore");
    menu.AppendMenu(MF_STRING, SC_MOVE, "&Move");
    if (minimiseBox)
        menu.AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, SC_CLOSE, "&Close");
}

void StartMove(HWND dialog)
{
    QWidget* window = dialog->widget;
    // Wayland lets only the compositor place windows, and only while a
    // pointer button is held down: from a press on the caption.
    if (DialogsDrawOwnCaption()) {
        if (window->windowHandle())
            window->windowHandle()->startSystemMove();
        return;
    }
    new MoveMode(window);
}

void ShowSystemMenu(HWND dialog, const QPoint& globalPos)
{
    QMenu menu(dialog->widget);
    for (const auto& item : window::OfferedSystemMenu(dialog)) {
        if (item.flags & MF_SEPARATOR) {
            menu.addSeparator();
            continue;
        }
        const UINT id = item.id;
        QAction* action = menu.addAction(ToQt(item.text));
        QObject::connect(action, &QAction::triggered, dialog->widget,
                         [dialog, id] { SendMessageTo(dialog, WM_SYSCOMMAND, id); });
    }
    menu.exec(globalPos);
}

namespace window {

std::vector<CMenu::Item> OfferedSystemMenu(HWND dialog)
{
    std::vector<CMenu::Item> offered;
    const bool minimised = dialog->widget->isMinimized();
    // A move chosen from the menu would start when no button is held any
    // more, which Wayland refuses; there the caption moves the window.
    const bool movable = !DialogsDrawOwnCaption();
    for (const auto& item : dialog->systemMenu->Items()) {
        if ((item.id == SC_RESTORE && !minimised) || (item.id == SC_MINIMIZE && minimised) ||
            (item.id == SC_MOVE && !movable))
            continue;
        offered.push_back(item);
    }
    return offered;
}

} // namespace window
} // namespace fw
