// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The progress bar that carries the status line: it draws its window text (or
// the percentage) centred over itself, in the background colour over the
// filled part and in the bar colour over the empty part, and repaints at once
// whenever the filled length in pixels changes.
#include <string>

#include "framework/Controls.h"

inline constexpr UINT PBM_SETTEXTCOLOR = WM_USER + 100;
inline constexpr UINT PBM_SETSHOWTEXT = WM_USER + 101;

struct PBRANGE {
    int iLow;
    int iHigh;
};

class CTextProgressCtrl : public CProgressCtrl {
public:
    CTextProgressCtrl();
    ~CTextProgressCtrl() override;

    void SetShowText(BOOL show);
    COLORREF SetBarColor(COLORREF colour);
    COLORREF GetBarColor() const { return m_barColor; }
    COLORREF SetBkColor(COLORREF colour);
    COLORREF GetBkColor() const { return m_bkColor; }
    COLORREF SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const { return m_textColor; }

    FW_DECLARE_MESSAGE_MAP();

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnSetText(WPARAM, LPARAM lParam);
    LRESULT OnGetText(WPARAM bufferSize, LPARAM buffer);
    LRESULT OnSetRange(WPARAM, LPARAM range);
    LRESULT OnSetPos(WPARAM newPos, LPARAM);
    LRESULT OnOffsetPos(WPARAM increment, LPARAM);
    LRESULT OnSetStep(WPARAM step, LPARAM);
    LRESULT OnStepIt(WPARAM, LPARAM);
    LRESULT OnSetRange32(WPARAM lower, LPARAM upper);
    LRESULT OnGetRange(WPARAM whichLimit, LPARAM range);
    LRESULT OnGetPos(WPARAM, LPARAM);
    LRESULT OnSetBarColor(WPARAM, LPARAM colour);
    LRESULT OnSetBkColor(WPARAM, LPARAM colour);
    LRESULT OnSetTextColor(WPARAM, LPARAM colour);
    LRESULT OnSetShowText(WPARAM show, LPARAM);

private:
    COLORREF m_textColor;
    int m_pos;
    int m_step;
    int m_max;
    int m_min;
    std::string m_text;
    BOOL m_showText;
    int m_lastFilledWidth;
    COLORREF m_barColor;
    COLORREF m_bkColor;
};
