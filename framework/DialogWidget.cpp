// The dialog's own widget: the dialog keyboard rules (Enter, Escape, F1,
// Alt+Space, the arrows in radio groups) for itself and its controls, the
// close box, the right-click system menu, minimising only with a minimise
// box, and the dialog's WM_PAINT.
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMetaObject>
#include <QPainter>
#include <QPaintEvent>
#include <QPushButton>
#include <QWidget>

#include "framework/QtBridge.h"
#include "framework/Styles.h"
#include "framework/WindowImpl.h"

namespace fw {
namespace {

class DialogWidget final : public QWidget {
public:
    explicit DialogWidget(HWND h) : QWidget(nullptr), m_h(h) {}

    bool IsDialogKey(QObject* watched, QEvent* event)
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const bool alt = key->modifiers() & Qt::AltModifier;
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            HWND focus = HandleOf(QApplication::focusWidget());
            if (focus && focus->parent == m_h && focus->kind == ControlKind::PushButton)
                static_cast<QPushButton*>(focus->widget)->click();
            else
                SendMessageTo(m_h, WM_COMMAND, IDOK);
            return true;
        }
        case Qt::Key_Escape:
            SendMessageTo(m_h, WM_COMMAND, IDCANCEL);
            return true;
        case Qt::Key_F1:
            SendMessageTo(m_h, WM_COMMAND, ID_HELP);
            return true;
        case Qt::Key_Up:
        case Qt::Key_Left:
            return MoveInGroup(HandleOf(QApplication::focusWidget()), -1);
        case Qt::Key_Down:
        case Qt::Key_Right:
            return MoveInGroup(HandleOf(QApplication::focusWidget()), 1);
        case Qt::Key_Space:
            if (!alt)
                return false;
            ShowSystemMenu(m_h, m_h->widget->mapToGlobal(QPoint(0, 0)));
            return true;
        default:
            (void)watched;
            return false;
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return IsDialogKey(watched, event) || QWidget::eventFilter(watched, event);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!IsDialogKey(this, event))
            QWidget::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        if (m_h->destroying) {
            event->accept();
            return;
        }
        event->ignore();
        SendMessageTo(m_h, WM_SYSCOMMAND, SC_CLOSE);
    }
    void changeEvent(QEvent* event) override
    {
        // A dialog without a minimise box is never left minimised (some
        // window managers offer it anyway): with no task bar entry it would
        // be lost from the screen while the program runs on.
        if (event->type() == QEvent::WindowStateChange && isMinimized() && !(m_h->style & WS_MINIMIZEBOX))
            QMetaObject::invokeMethod(this, [this] { showNormal(); }, Qt::QueuedConnection);
        QWidget::changeEvent(event);
    }
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        // Right-click on the dialog's background opens the system menu.
        if (childAt(event->pos()) == nullptr || qobject_cast<QGroupBox*>(childAt(event->pos())))
            ShowSystemMenu(m_h, event->globalPos());
    }
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        m_h->painter = &painter;
        const QRect& r = event->rect();
        m_h->paintBounds = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
        SendMessageTo(m_h, WM_PAINT);
        m_h->painter = nullptr;
    }

private:
    HWND m_h;
};

} // namespace

QWidget* CreateDialogWidget(HWND h) { return new DialogWidget(h); }

} // namespace fw
