// The system menu of a dialog: its standard commands and the popup that
// sends the chosen one as WM_SYSCOMMAND.
#include <QAction>
#include <QMenu>
#include <QPoint>
#include <QWidget>

#include "framework/WindowImpl.h"

namespace fw {

void AppendSystemCommands(CMenu& menu)
{
    menu.AppendMenu(MF_STRING, SC_RESTORE, "&Restore");
    menu.AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, SC_CLOSE, "&Close");
}

void ShowSystemMenu(HWND dialog, const QPoint& globalPos)
{
    QMenu menu(dialog->widget);
    for (const auto& item : dialog->systemMenu->Items()) {
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

} // namespace fw
