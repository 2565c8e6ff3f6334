// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The framework's window record and the pieces the window files share:
// the controls' widgets, the dialog's widget and keyboard rules, the system
// menu, template layout, default handling and the modal loop each live in a
// file of their own. Only forward declarations of Qt here.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Gdi.h"
#include "framework/Geometry.h"
#include "framework/Menu.h"
#include "framework/Resources.h"
#include "framework/Wnd.h"

class QEventLoop;
class QFont;
class QImage;
class QMimeData;
class QPainter;
class QPoint;
class QString;
class QWidget;

// One dialog or control: the widget, the window text and check state as the
// platform keeps them, and the C++ object attached to it.
struct FwWindow {
    QWidget* widget = nullptr;       // the frame shown (dialog, control)
    QWidget* client = nullptr;       // where painting happens; == widget but for bordered bars
    bool dialog = false;
    ControlKind kind = ControlKind::Static;
    int id = -1;
    DWORD style = 0;
    std::string text;
    int check = BST_UNCHECKED;
    CWnd* attached = nullptr;
    std::unique_ptr<CWnd> wrapper;
    FwWindow* parent = nullptr;       // the dialog of a control
    FwWindow* owner = nullptr;        // the window a dialog is modal to
    std::vector<FwWindow*> children;  // controls, in creation order
    std::unique_ptr<CFont> fontObject;  // the font as the drawing layer selects it
    CSize baseUnits{};
    int captionHeight = 0;            // a dialog that draws its own caption: its height in pixels
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    std::unique_ptr<CMenu> systemMenu;
    QEventLoop* loop = nullptr;
    bool done = false;
    INT_PTR result = 0;
    bool destroying = false;
    QPainter* painter = nullptr;      // during WM_PAINT
    QImage* paintPicture = nullptr;   // during a forced WM_PAINT: the picture the painter is on
    CRect paintBounds{};              // during WM_PAINT: what it repaints
    std::function<void(const std::string&)> textObserver;
};

namespace fw {

QString ToQt(const std::string& s);
// Marks widget as showing h, for HandleOf.
void RememberHandle(QWidget* widget, HWND h);

// Controls (ControlWidgets.cpp).
// The widget of a control from its template, with its focus policy.
QWidget* CreateControlWidget(HWND h, const ControlTemplate& c, QWidget* parent);
// A picture control showing a bitmap takes the bitmap's size (and its
// frame) at its template position, as the platform's control does.
void FitPictureToBitmap(QWidget* picture);
// The client of a progress bar: a widget whose painting is WM_PAINT.
QWidget* CreatePaintedClient(HWND h, QWidget* parent);
// A forced repaint of such a client: WM_PAINT runs now, into a picture that
// waits for the display. False for any other window.
bool PaintClientNow(HWND h);
// An invalidated client paints for real again instead of showing its picture.
void DropPaintedPicture(HWND h);
// Presentation (Presentation.cpp). Asks for widget's picture to reach the
// display at the next hand-over, or when the thread's event loop is about to
// wait; the request itself (a posted event that wakes the loop) costs more
// than a small paint, so it is made then, not at once.
void PresentLater(QWidget* widget);
// A widget going away withdraws its request.
void WithdrawPresentation(QWidget* widget);
// Puts the window text on the widget, as the kind of window shows it.
void ShowText(HWND h);

// Sends the control's notification code to its dialog.
void Notify(HWND control, UINT code);

// Automatic radio-button groups (RadioGroups.cpp): the run of controls from
// the last WS_GROUP at or before a control up to the next one.
// Ticks radio and clears the other radio buttons of its group.
void TickInGroup(HWND radio);
// The arrow keys on a radio button: focus, tick and click the next (step 1)
// or previous (step -1) enabled radio button of its group, wrapping around.
// False when focus is not on an automatic radio button.
bool MoveInGroup(HWND focus, int step);

// The dialog's own widget with the dialog keyboard rules (DialogWidget.cpp).
QWidget* CreateDialogWidget(HWND h);
// Whether dialogs draw their own caption: on Wayland, where the toolkit's
// decoration would offer a maximise button that a dialog must not have, and
// where only a pointer press on a caption can move a window.
bool DialogsDrawOwnCaption();
// The height of that caption for a dialog font of these metrics.
int OwnCaptionHeight(const QFont& font);

// Dropped files (DropFiles.cpp).
// The path of the one local file that data offers, when the dialog accepts
// files and nothing modal stands in the way; else nothing.
std::optional<std::string> DroppableFile(HWND dialog, const QMimeData* data);
// Sends the dialog WM_DROPFILES for path once the event loop runs again.
void PostDroppedFile(HWND dialog, const std::string& path);

// The system menu (SystemMenu.cpp).
// Restore and Minimize only with a minimise box; Move and Close always.
void AppendSystemCommands(CMenu& menu, DWORD style);
// SC_MOVE: the window follows the arrow keys or the mouse until Enter or a
// click (Escape puts it back).
void StartMove(HWND dialog);
void ShowSystemMenu(HWND dialog, const QPoint& globalPos);

} // namespace fw
