// SPDX-License-Identifier: GPL-2.0-or-later
// Dialogs from templates: the dialog font, dialog units to pixels, the
// dialog window and its controls in creation order; and their destruction.
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QWidget>

#include "framework/Styles.h"
#include "framework/Window.h"
#include "framework/WindowImpl.h"

namespace fw {
namespace {

QFont DialogFont(const DialogTemplate& tmpl)
{
    const QString wanted = QString::fromUtf8(tmpl.fontName);
    QString family = QFontDatabase::families().contains(wanted) ? wanted
                                                               : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    QFont font(family);
    font.setPointSize(tmpl.pointSize);
    return font;
}

// Average character width over the alphabet and the font height, as dialog
// unit conversion expects them.
CSize BaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, metrics.height()};
}

int MulDiv(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    return static_cast<int>((product + (product >= 0 ? denominator / 2 : -denominator / 2)) / denominator);
}

QRect ToPixels(const CSize& base, int x, int y, int cx, int cy)
{
    return {MulDiv(x, base.cx, 4), MulDiv(y, base.cy, 8), MulDiv(cx, base.cx, 4), MulDiv(cy, base.cy, 8)};
}

} // namespace

namespace window {

HWND CreateDialogWindow(const DialogTemplate& tmpl, HWND owner)
{
    auto* h = new FwWindow;
    h->dialog = true;
    h->id = tmpl.id;
    h->style = tmpl.style;
    h->owner = owner;
    h->text = tmpl.caption ? tmpl.caption : "";
    const QFont font = DialogFont(tmpl);
    h->baseUnits = BaseUnits(font);
    h->systemMenu = std::make_unique<CMenu>();
    AppendSystemCommands(*h->systemMenu, tmpl.style);

    QWidget* widget = CreateDialogWidget(h);
    h->widget = h->client = widget;
    // A modal box is transient for its owner, so that window managers frame
    // and place it as a dialog.
    if (owner && !(tmpl.exStyle & WS_EX_APPWINDOW))
        widget->setParent(owner->widget);
    RememberHandle(widget, h);
    widget->setFont(font);
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tmpl.style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tmpl.style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    if (owner && !(tmpl.exStyle & WS_EX_APPWINDOW))
        flags = (flags & ~Qt::Window) | Qt::Dialog;
    if (DialogsDrawOwnCaption()) {
        // Without its hints: the toolkit drops the frameless hint beside any
        // of them.
        flags = (flags & Qt::WindowType_Mask) | Qt::FramelessWindowHint;
        h->captionHeight = OwnCaptionHeight(font);
    }
    widget->setWindowFlags(flags);
    widget->setWindowTitle(ToQt(h->text));
    const QRect size = ToPixels(h->baseUnits, 0, 0, tmpl.cx, tmpl.cy);
    widget->setFixedSize(size.width(), size.height() + h->captionHeight);

    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& c : tmpl.controls) {
        auto* child = new FwWindow;
        child->kind = c.kind;
        child->id = c.id;
        child->style = c.style;
        child->parent = h;
        child->text = c.text ? c.text : "";
        QWidget* w = CreateControlWidget(child, c, widget);
        child->widget = child->client = w;
        if (c.kind == ControlKind::ProgressBar) {
            QWidget* client = CreatePaintedClient(child, w);
            const int border = (c.style & WS_BORDER) ? 1 : 0;
            client->setGeometry(border, border, 0, 0);
            child->client = client;
            RememberHandle(client, child);
        }
        RememberHandle(w, child);
        w->setGeometry(ToPixels(h->baseUnits, c.x, c.y, c.cx, c.cy).translated(0, h->captionHeight));
        if (c.kind == ControlKind::Picture)
            FitPictureToBitmap(w);
        if (child->client != w) {
            const int border = (c.style & WS_BORDER) ? 1 : 0;
            child->client->setGeometry(border, border, w->width() - 2 * border, w->height() - 2 * border);
        }
        w->installEventFilter(widget);
        if (c.kind != ControlKind::ProgressBar)
            ShowText(child);
        if (w->focusPolicy() & Qt::TabFocus) {
            if (previousTabStop)
                QWidget::setTabOrder(previousTabStop, w);
            previousTabStop = w;
        }
        h->children.push_back(child);
    }
    return h;
}

void Destroy(HWND h)
{
    if (!h)
        return;
    h->destroying = true;
    for (HWND child : h->children) {
        child->destroying = true;
        if (child->attached)
            child->attached->m_hWnd = nullptr;
    }
    if (h->attached)
        h->attached->m_hWnd = nullptr;
    // Boxes owned by this window stay theirs to destroy.
    for (QObject* child : h->widget->children())
        if (auto* box = qobject_cast<QWidget*>(child); box && box->isWindow())
            box->setParent(nullptr);
    h->widget->close();
    delete h->widget;
    for (HWND child : h->children)
        delete child;
    delete h;
}

} // namespace window
} // namespace fw
