// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Drawing objects that a context draws with: fonts, bitmaps, and the
// desktop's system colours. Handles are opaque; the Qt objects behind them
// live in Gdi.cpp.
#include "framework/Object.h"
#include "framework/Types.h"

struct FwFont;    // a font, defined in Gdi.cpp
using HFONT = FwFont*;
struct FwBitmap;  // a picture in memory, defined in Gdi.cpp
using HBITMAP = FwBitmap*;

class CDC;

class CFont : public CObject {
public:
    CFont();
    ~CFont() override;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    HFONT m_hObject = nullptr;

    // Takes ownership of font.
    BOOL Attach(HFONT font);
    BOOL DeleteObject();
};

class CBitmap : public CObject {
public:
    CBitmap();
    ~CBitmap() override;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    HBITMAP m_hObject = nullptr;

    // A bitmap that can be selected into a memory context compatible with dc.
    // FALSE, and no bitmap, for an empty size.
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    BOOL DeleteObject();
};

inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_HIGHLIGHT = 13;

// A colour of the desktop's palette; 0 (black) for an index it does not know.
COLORREF GetSysColor(int index);
