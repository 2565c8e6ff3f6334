// SPDX-License-Identifier: GPL-2.0-or-later
// The dialog's own widget: the dialog keyboard rules (Enter, Escape, F1,
// Alt+Space, the arrows in radio groups) for itself and its controls, the
// close box, the right-click system menu, minimising only with a minimise
// box, dropped files, the dialog's WM_PAINT, and where dialogs draw their own
// caption, that caption.
#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QWindow>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMetaObject>
#include <QPainter>
#include <QPaintEvent>
#include <QPushButton>
#include <QWidget>

#include <optional>
#include <utility>

#include "framework/QtBridge.h"
#include "framework/Styles.h"
#include "framework/WindowImpl.h"

namespace fw {
namespace {

constexpr int kCaptionButtonInset = 3;  // pixels around a caption button
constexpr int kCaptionButtonGap = 2;

enum class CaptionButton { None, Minimise, Close };

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
        if (m_h->captionHeight && (event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowTitleChange ||
                                   event->type() == QEvent::WindowIconChange))
            update(0, 0, width(), m_h->captionHeight);
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
    void dragEnterEvent(QDragEnterEvent* event) override { TakeDrop(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { TakeDrop(event); }
    void dropEvent(QDropEvent* event) override
    {
        if (const std::optional<std::string> path = TakeDrop(event))
            PostDroppedFile(m_h, *path);
    }
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        m_h->painter = &painter;
        const QRect& r = event->rect();
        m_h->paintBounds = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
        SendMessageTo(m_h, WM_PAINT);
        m_h->painter = nullptr;
        if (m_h->captionHeight && r.top() < m_h->captionHeight) {
            painter.resetTransform();
            painter.setClipping(false);
            PaintCaption(painter);
        }
    }
    // The caption: a press on its buttons works them as a click does, a press
    // elsewhere hands the window to the compositor to move while the button
    // is held, the only way a Wayland window can be moved.
    void mousePressEvent(QMouseEvent* event) override
    {
        if (!InCaption(event) || event->button() != Qt::LeftButton) {
            QWidget::mousePressEvent(event);
            return;
        }
        m_pressed = ButtonAt(event->position().toPoint());
        if (m_pressed == CaptionButton::None && windowHandle())
            windowHandle()->startSystemMove();
        update(0, 0, width(), m_h->captionHeight);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (m_pressed == CaptionButton::None || event->button() != Qt::LeftButton) {
            QWidget::mouseReleaseEvent(event);
            return;
        }
        const CaptionButton pressed = std::exchange(m_pressed, CaptionButton::None);
        update(0, 0, width(), m_h->captionHeight);
        if (ButtonAt(event->position().toPoint()) == pressed)
            SendMessageTo(m_h, WM_SYSCOMMAND, pressed == CaptionButton::Close ? SC_CLOSE : SC_MINIMIZE);
    }

private:
    bool InCaption(QMouseEvent* event) const { return event->position().y() < m_h->captionHeight; }

    // The caption's buttons, right to left: the close box with a system
    // menu, the minimise box with that style; never a maximise box.
    QRect ButtonRect(CaptionButton button) const
    {
        const int side = m_h->captionHeight - 2 * kCaptionButtonInset;
        const QRect close(width() - kCaptionButtonInset - side, kCaptionButtonInset, side, side);
        switch (button) {
        case CaptionButton::Close:
            return (m_h->style & WS_SYSMENU) ? close : QRect();
        case CaptionButton::Minimise:
            return (m_h->style & WS_MINIMIZEBOX) ? close.translated(-(side + kCaptionButtonGap), 0) : QRect();
        case CaptionButton::None:
            break;
        }
        return {};
    }

    CaptionButton ButtonAt(const QPoint& point) const
    {
        for (const CaptionButton button : {CaptionButton::Close, CaptionButton::Minimise})
            if (ButtonRect(button).contains(point))
                return button;
        return CaptionButton::None;
    }

    void PaintCaption(QPainter& painter)
    {
        const QPalette& colours = palette();
        const int height = m_h->captionHeight;
        painter.fillRect(0, 0, width(), height, colours.color(isActiveWindow() ? QPalette::Highlight : QPalette::Dark));
        int textLeft = kCaptionButtonInset;
        const int iconSide = height - 2 * kCaptionButtonInset;
        if (!windowIcon().isNull()) {
            painter.drawPixmap(kCaptionButtonInset, kCaptionButtonInset, windowIcon().pixmap(iconSide, iconSide));
            textLeft += iconSide + kCaptionButtonInset;
        }
        int textRight = width();
        for (const CaptionButton button : {CaptionButton::Close, CaptionButton::Minimise}) {
            const QRect box = ButtonRect(button);
            if (box.isNull())
                continue;
            textRight = box.left();
            PaintCaptionButton(painter, box, button, button == m_pressed);
        }
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(colours.color(QPalette::HighlightedText));
        painter.drawText(QRect(textLeft, 0, textRight - textLeft - kCaptionButtonInset, height),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         QFontMetrics(bold).elidedText(windowTitle(), Qt::ElideRight, textRight - textLeft));
    }

    // A raised face with its glyph, sunken while pressed.
    void PaintCaptionButton(QPainter& painter, const QRect& box, CaptionButton button, bool pressed)
    {
        const QPalette& colours = palette();
        painter.fillRect(box, colours.color(QPalette::Button));
        const QColor light = colours.color(QPalette::Light);
        const QColor shadow = colours.color(QPalette::Shadow);
        painter.setPen(pressed ? shadow : light);
        painter.drawLine(box.topLeft(), box.topRight());
        painter.drawLine(box.topLeft(), box.bottomLeft());
        painter.setPen(pressed ? light : shadow);
        painter.drawLine(box.bottomLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomRight());
        const QRect glyph = box.adjusted(4, 4, -4, -4).translated(pressed ? 1 : 0, pressed ? 1 : 0);
        QPen pen(colours.color(QPalette::ButtonText), 2);
        painter.setPen(pen);
        if (button == CaptionButton::Close) {
            painter.drawLine(glyph.topLeft(), glyph.bottomRight());
            painter.drawLine(glyph.bottomLeft(), glyph.topRight());
        } else {
            painter.drawLine(glyph.bottomLeft(), glyph.bottomRight());
        }
    }

    // Accepts the drag or drop when it brings a file the dialog takes (the
    // pointer shows whether it would be taken); returns its path.
    std::optional<std::string> TakeDrop(QDropEvent* event)
    {
        std::optional<std::string> path = DroppableFile(m_h, event->mimeData());
        if (path)
            event->acceptProposedAction();
        else
            event->ignore();
        return path;
    }

    HWND m_h;
    CaptionButton m_pressed = CaptionButton::None;
};

} // namespace

QWidget* CreateDialogWidget(HWND h) { return new DialogWidget(h); }

bool DialogsDrawOwnCaption() { return QGuiApplication::platformName().startsWith(QStringLiteral("wayland")); }

int OwnCaptionHeight(const QFont& font)
{
    QFont bold = font;
    bold.setBold(true);
    return QFontMetrics(bold).height() + 4 * kCaptionButtonInset;
}

} // namespace fw
