// SPDX-License-Identifier: GPL-2.0-or-later
// Showing a dialog and running it modally: a nested event loop that
// EndDialog leaves.
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "framework/Window.h"
#include "framework/WindowImpl.h"

namespace fw::window {

void ShowDialog(HWND dialog, bool focusFirst)
{
    QWidget* w = dialog->widget;
    QRect area;
    if (dialog->owner && dialog->owner->widget->isVisible())
        area = dialog->owner->widget->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
    if (dialog->owner)
        w->setWindowModality(Qt::ApplicationModal);
    w->show();
    w->activateWindow();
    if (focusFirst) {
        for (HWND c : dialog->children) {
            if (c->widget->focusPolicy() & Qt::TabFocus) {
                c->widget->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
}

INT_PTR RunModalLoop(HWND dialog)
{
    if (!dialog->done) {
        QEventLoop loop;
        dialog->loop = &loop;
        loop.exec(QEventLoop::DialogExec);
        dialog->loop = nullptr;
    }
    return dialog->result;
}

void EndDialog(HWND dialog, INT_PTR result)
{
    dialog->done = true;
    dialog->result = result;
    dialog->widget->hide();
    if (dialog->loop)
        dialog->loop->quit();
}

bool IsModalLoopDone(HWND dialog) { return dialog->done; }

} // namespace fw::window
