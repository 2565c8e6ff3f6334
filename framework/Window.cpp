// SPDX-License-Identifier: GPL-2.0-or-later
// The window record's plumbing: from widgets to windows and back, and the
// window operations CWnd, CDialog and the drawing layer ask of it.
#include "framework/Window.h"

#include <QLineEdit>
#include <QMetaObject>
#include <QVariant>
#include <QWidget>

#include "framework/GdiImpl.h"
#include "framework/Presentation.h"
#include "framework/QtBridge.h"
#include "framework/WindowDrawing.h"
#include "framework/WindowImpl.h"

namespace fw {
namespace {
constexpr const char* kHandleProperty = "fwHandle";
} // namespace

QString ToQt(const std::string& s) { return QString::fromStdString(s); }

void RememberHandle(QWidget* widget, HWND h) { widget->setProperty(kHandleProperty, QVariant::fromValue<void*>(h)); }

QWidget* WidgetOf(HWND h) { return h ? h->client : nullptr; }

HWND HandleOf(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant v = w->property(kHandleProperty);
        if (v.isValid())
            return static_cast<HWND>(v.value<void*>());
        if (w->isWindow())
            break;
    }
    return nullptr;
}

QPainter* ActivePainter(HWND h) { return h ? h->painter : nullptr; }

CRect PaintBounds(HWND h)
{
    if (!h || !h->painter)
        return {};
    return h->paintBounds;
}

QImage* PaintPicture(HWND h) { return h ? h->paintPicture : nullptr; }

CFont* WindowFont(HWND h)
{
    if (!h)
        return nullptr;
    const HWND dialog = h->dialog ? h : h->parent;
    if (!dialog->fontObject) {
        dialog->fontObject = std::make_unique<CFont>();
        dialog->fontObject->Attach(CreateFontHandle(dialog->widget->font()));
    }
    return dialog->fontObject.get();
}

namespace window {

DWORD Style(HWND h) { return h ? h->style : 0; }
HWND Parent(HWND h) { return h ? (h->dialog ? h->owner : h->parent) : nullptr; }

HWND Child(HWND dialog, int id)
{
    if (!dialog)
        return nullptr;
    for (HWND c : dialog->children)
        if (c->id == id)
            return c;
    return nullptr;
}

const std::vector<HWND>& Children(HWND dialog) { return dialog->children; }

CWnd* Attached(HWND h) { return h ? h->attached : nullptr; }

void Attach(HWND h, CWnd* wnd)
{
    if (h->wrapper && h->wrapper.get() != wnd) {
        h->wrapper->m_hWnd = nullptr;
        h->wrapper.reset();
    }
    h->attached = wnd;
}

CWnd* PermanentWrapper(HWND h)
{
    if (!h)
        return nullptr;
    if (h->attached)
        return h->attached;
    h->wrapper = std::make_unique<CWnd>();
    h->wrapper->m_hWnd = h;
    h->attached = h->wrapper.get();
    return h->attached;
}

CRect ClientRect(HWND h)
{
    if (!h)
        return {};
    return {0, 0, h->client->width(), h->client->height() - h->captionHeight};
}

bool IsIconic(HWND h) { return h && h->widget->isMinimized(); }
bool IsVisible(HWND h) { return h && h->widget->isVisible(); }

void SetFocus(HWND h)
{
    if (h)
        h->widget->setFocus(Qt::OtherFocusReason);
}

void SelectAllText(HWND edit)
{
    if (edit && edit->kind == ControlKind::Edit)
        static_cast<QLineEdit*>(edit->widget)->selectAll();
}

void Invalidate(HWND h)
{
    if (!h)
        return;
    DropPaintedPicture(h);
    h->client->update();
}

void RepaintNow(HWND h)
{
    if (!h)
        return;
    if (PaintClientNow(h))
        PresentIfFrameDue();
    else
        h->client->repaint();
}

CMenu* SystemMenu(HWND dialog) { return dialog && dialog->dialog ? dialog->systemMenu.get() : nullptr; }

void Post(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (h)
        QMetaObject::invokeMethod(h->widget, [h, msg, wParam, lParam] { SendMessageTo(h, msg, wParam, lParam); },
                                  Qt::QueuedConnection);
}

void SetTextObserver(HWND hWnd, std::function<void(const std::string&)> observer)
{
    hWnd->textObserver = std::move(observer);
}

} // namespace window
} // namespace fw
