// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Qt forms of the drawing objects, for the framework's own .cpp files and for
// tests that look at pixels.
#include "framework/Gdi.h"

class CDC;
class QColor;
class QFont;
class QImage;
class QPainter;

namespace fw {

// A new font handle holding font; the caller owns it (CFont::Attach).
HFONT CreateFontHandle(const QFont& font);
const QFont& FontOf(HFONT font);
// The pixels of a bitmap; null for a null handle.
QImage* ImageOf(HBITMAP bitmap);
// The painter on a bitmap's pixels, open from the first drawing until the
// bitmap is deleted (opening one costs more than most drawings); null for a
// null handle. Users leave its state as they found it.
QPainter* PainterOf(HBITMAP bitmap);
QColor ColorOf(COLORREF colour);
// Device pixels per logical pixel of what the context draws on: the screen's
// scale for a window context, the selected bitmap's for a memory context.
double DevicePixelRatio(const CDC& dc);

} // namespace fw
