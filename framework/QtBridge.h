// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Access from framework code and tests to the Qt objects behind a window.
// Only forward declarations here: Qt headers stay in the .cpp files.
#include "framework/Wnd.h"

class QWidget;
class QPainter;

namespace fw {

// The widget that shows the window (for the progress bar: its client area).
QWidget* WidgetOf(HWND hWnd);
// The window for a widget created by the framework, or null.
HWND HandleOf(QWidget* widget);
// The painter of the paint now running on hWnd, or null outside a paint.
QPainter* ActivePainter(HWND hWnd);

} // namespace fw
