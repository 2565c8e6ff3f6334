// SPDX-License-Identifier: GPL-2.0-or-later
// Files dropped from a file manager: which drops a dialog takes, and the
// WM_DROPFILES that hands their paths to it.
#include "framework/DropFiles.h"

#include <QApplication>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <vector>

#include "framework/Window.h"
#include "framework/WindowImpl.h"

struct FwDrop {
    std::vector<std::string> paths;
};

UINT DragQueryFileCount(HDROP drop) { return drop ? static_cast<UINT>(drop->paths.size()) : 0; }

std::string DragQueryFile(HDROP drop, UINT index)
{
    return drop && index < drop->paths.size() ? drop->paths[index] : std::string();
}

namespace fw {

std::optional<std::string> DroppableFile(HWND dialog, const QMimeData* data)
{
    if (!dialog || !dialog->widget->acceptDrops() || !data || !data->hasUrls())
        return std::nullopt;
    // Not while a box or another dialog waits for an answer: what the
    // window does with the file would start in the middle of that.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != dialog->widget)
        return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return std::nullopt;
    return urls.front().toLocalFile().toStdString();
}

void PostDroppedFile(HWND dialog, const std::string& path)
{
    auto drop = std::make_shared<FwDrop>(FwDrop{{path}});
    QMetaObject::invokeMethod(
        dialog->widget, [dialog, drop] { SendMessageTo(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(drop.get())); },
        Qt::QueuedConnection);
}

namespace window {

void AcceptDroppedFiles(HWND dialog, bool accept)
{
    if (!dialog || !dialog->dialog)
        return;
    dialog->widget->setAcceptDrops(accept);
    // The toolkit's edits would take a dropped file as typed text; the
    // dialog's own edits do not, so the drop reaches the dialog.
    for (HWND control : dialog->children)
        if (control->kind == ControlKind::Edit)
            control->widget->setAcceptDrops(!accept);
}

} // namespace window
} // namespace fw
