// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The framework's windows: creation from templates, the default handling of
// each kind of window, and the few window operations CWnd and CDialog need.
// Implemented over Qt widgets in the window files (WindowImpl.h lists them).
#include <functional>
#include <string>
#include <vector>

#include "framework/Geometry.h"
#include "framework/Menu.h"
#include "framework/Resources.h"
#include "framework/Wnd.h"

namespace fw::window {

// Builds a dialog window and its controls from a template, hidden. owner is
// the window it is modal to and centred over (may be null).
HWND CreateDialogWindow(const DialogTemplate& tmpl, HWND owner);
void Destroy(HWND hWnd);

DWORD Style(HWND hWnd);
HWND Parent(HWND hWnd);
HWND Child(HWND dialog, int id);
const std::vector<HWND>& Children(HWND dialog);

CWnd* Attached(HWND hWnd);
void Attach(HWND hWnd, CWnd* wnd);
// The object that GetDlgItem returns for a window nobody has attached.
CWnd* PermanentWrapper(HWND hWnd);

LRESULT DefaultProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Shows the dialog centred over its owner (or the screen), focus on its first
// tab stop when focusFirst is set.
void ShowDialog(HWND dialog, bool focusFirst);
// Runs a nested event loop until EndDialog; returns the dialog's result.
INT_PTR RunModalLoop(HWND dialog);
void EndDialog(HWND dialog, INT_PTR result);
bool IsModalLoopDone(HWND dialog);

CRect ClientRect(HWND hWnd);
bool IsIconic(HWND hWnd);
bool IsVisible(HWND hWnd);
void SetFocus(HWND hWnd);
void SelectAllText(HWND edit);
void Invalidate(HWND hWnd);
void RepaintNow(HWND hWnd);
CMenu* SystemMenu(HWND dialog);
// Sends msg to the window once the event loop runs again, if it still exists.
void Post(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
void AcceptDroppedFiles(HWND dialog, bool accept);
// What the system menu offers now: its entries, but Restore only while the
// window is minimised, Minimize only while it is not, and Move only where a
// window can be moved from the keyboard (not on Wayland).
std::vector<CMenu::Item> OfferedSystemMenu(HWND dialog);
// Called with the new text whenever the window's text is set (WM_SETTEXT
// reaching the default handling): how the console front end and tests follow
// the status line.
void SetTextObserver(HWND hWnd, std::function<void(const std::string&)> observer);

} // namespace fw::window
