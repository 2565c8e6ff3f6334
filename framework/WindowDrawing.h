// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the drawing layer needs from the windows; implemented with them in
// Window.cpp.
#include "framework/Geometry.h"
#include "framework/Wnd.h"

class CFont;
class QImage;

namespace fw {

// The bounds of the area that the running paint of hWnd repaints, in client
// coordinates; empty outside a paint.
CRect PaintBounds(HWND hWnd);
// The picture that the running forced paint of hWnd draws into, with no
// clip or transform beyond its device pixel ratio; null in any other paint.
QImage* PaintPicture(HWND hWnd);
// The font of hWnd's dialog (hWnd itself for a dialog), kept by the dialog
// window for its lifetime; null without a window.
CFont* WindowFont(HWND hWnd);

} // namespace fw
