// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Drawing contexts: the running paint of a window (CPaintDC) or a bitmap in
// memory (CreateCompatibleDC), with the drawing operations the program uses.
// Coordinates are logical: a point (x, y) lands on the device at
// (x, y) minus the window origin.
#include <string>

#include "framework/Geometry.h"
#include "framework/Gdi.h"
#include "framework/Object.h"
#include "framework/Types.h"
#include "framework/Wnd.h"

struct FwDC;  // a context's device and drawing state, defined in Dc.cpp
using HDC = FwDC*;

// Background modes: whether text fills its box with the background colour.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// DrawText format flags; without DT_CENTER text starts at the left, without
// DT_VCENTER at the top.
inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_VCENTER = 0x0004;
inline constexpr UINT DT_SINGLELINE = 0x0020;

// Raster operation of BitBlt: a plain copy.
inline constexpr DWORD SRCCOPY = 0x00CC0020;

// Clip results.
inline constexpr int RGN_ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;

class CDC : public CObject {
public:
    CDC();
    // Deletes the output context if this object still holds one.
    ~CDC() override;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;        // where drawing goes
    HDC m_hAttribDC = nullptr;  // where attributes are kept and read
    BOOL m_bPrinting = FALSE;

    HDC GetSafeHdc() const { return m_hDC; }
    BOOL IsPrinting() const { return m_bPrinting; }

    // A memory context holding a 1x1 stock bitmap until another is selected.
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();

    // Return what was selected before: null for the device's own font, and
    // null for a bitmap on a context that is not a memory context.
    // Selecting a null font goes back to the device's own font.
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);

    COLORREF SetTextColor(COLORREF colour);
    COLORREF SetBkColor(COLORREF colour);
    int SetBkMode(int mode);
    CPoint SetWindowOrg(int x, int y);

    // SaveDC returns the level to give RestoreDC, which goes back to the
    // state saved at that level and forgets the later ones.
    int SaveDC();
    BOOL RestoreDC(int savedDC);
    // Clips later drawing to rect (logical) within the current clip.
    int IntersectClipRect(const CRect& rect);
    // The smallest logical rectangle around the area drawing can reach.
    int GetClipBox(CRect* rect) const;

    void FillSolidRect(const CRect& rect, COLORREF colour);
    // Draws text in the text colour, on a box of the background colour when
    // the mode is OPAQUE, cut at rect; returns its height.
    int DrawText(const std::string& text, const CRect& rect, UINT format);
    // Draws the icon at the standard icon size with its top left at (x, y).
    BOOL DrawIcon(int x, int y, HICON icon);
    // Copies a width x height block from source, another context's memory
    // bitmap, at (xSource, ySource) to (x, y); only SRCCOPY.
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource, DWORD rop);
};

// The context of a window's running paint: it draws through the paint's
// painter, and its clip box is the bounds of the area being repainted.
// Outside a paint it has no context and draws nothing.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
};
