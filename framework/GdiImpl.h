#pragma once
// Qt forms of the drawing objects, for the framework's own .cpp files and for
// tests that look at pixels.
#include "framework/Gdi.h"

class QColor;
class QFont;
class QImage;

namespace fw {

// A new font handle holding font; the caller owns it (CFont::Attach).
HFONT CreateFontHandle(const QFont& font);
const QFont& FontOf(HFONT font);
// The pixels of a bitmap; null for a null handle.
QImage* ImageOf(HBITMAP bitmap);
QColor ColorOf(COLORREF colour);

} // namespace fw
