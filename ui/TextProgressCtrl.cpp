// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/TextProgressCtrl.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "framework/Dc.h"
#include "framework/Gdi.h"
#include "framework/Styles.h"
#include "ui/OffscreenDC.h"

namespace {

constexpr UINT kTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

// Lengths far beyond any screen draw the same as this one and keep the
// rectangle arithmetic clear of overflow.
constexpr double kLongestLength = 1 << 30;

// Positions and ranges are 32-bit quantities: sums and differences wrap
// around as 32-bit arithmetic does.
int Wrapped(std::int64_t value) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(value)); }

// The filled part of the range; not limited to 0..1. The range must not be empty.
double FillFraction(int pos, int min, int max)
{
    return static_cast<double>(Wrapped(std::int64_t{pos} - min)) / static_cast<double>(Wrapped(std::int64_t{max} - min));
}

// length x fraction, truncated toward zero.
int ScaledLength(int length, double fraction)
{
    return static_cast<int>(std::clamp(std::trunc(length * fraction), -kLongestLength, kLongestLength));
}

COLORREF Resolved(COLORREF colour, int systemColour) { return colour == CLR_DEFAULT ? GetSysColor(systemColour) : colour; }

// Draws the text centred in the client rectangle but only inside part, so
// that the text changes colour exactly where part ends.
void DrawTextWithin(CDC& dc, const std::string& text, const CRect& client, const CRect& part, COLORREF colour)
{
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(part);
    dc.SetTextColor(colour);
    dc.DrawText(text, client, kTextFormat);
    dc.RestoreDC(saved);
}

} // namespace

CTextProgressCtrl::CTextProgressCtrl()
    : m_textColor(CLR_DEFAULT),
      m_pos(0),
      m_step(1),
      m_max(100),
      m_min(0),
      m_showText(TRUE),
      m_lastFilledWidth(-1),
      m_barColor(CLR_DEFAULT),
      m_bkColor(CLR_DEFAULT)
{
}

CTextProgressCtrl::~CTextProgressCtrl() = default;

FW_MESSAGE_MAP(CTextProgressCtrl, CProgressCtrl,
               fw::OnPaintMessage<&CTextProgressCtrl::OnPaint>(),
               fw::OnEraseBkgndMessage<&CTextProgressCtrl::OnEraseBkgnd>(),
               fw::OnSizeMessage<&CTextProgressCtrl::OnSize>(),
               fw::OnMessage<&CTextProgressCtrl::OnSetText>(WM_SETTEXT),
               fw::OnMessage<&CTextProgressCtrl::OnGetText>(WM_GETTEXT),
               fw::OnMessage<&CTextProgressCtrl::OnSetRange>(PBM_SETRANGE),
               fw::OnMessage<&CTextProgressCtrl::OnSetPos>(PBM_SETPOS),
               fw::OnMessage<&CTextProgressCtrl::OnOffsetPos>(PBM_DELTAPOS),
               fw::OnMessage<&CTextProgressCtrl::OnSetStep>(PBM_SETSTEP),
               fw::OnMessage<&CTextProgressCtrl::OnStepIt>(PBM_STEPIT),
               fw::OnMessage<&CTextProgressCtrl::OnSetRange32>(PBM_SETRANGE32),
               fw::OnMessage<&CTextProgressCtrl::OnGetRange>(PBM_GETRANGE),
               fw::OnMessage<&CTextProgressCtrl::OnGetPos>(PBM_GETPOS),
               fw::OnMessage<&CTextProgressCtrl::OnSetBarColor>(PBM_SETBARCOLOR),
               fw::OnMessage<&CTextProgressCtrl::OnSetBkColor>(PBM_SETBKCOLOR),
               fw::OnMessage<&CTextProgressCtrl::OnSetTextColor>(PBM_SETTEXTCOLOR),
               fw::OnMessage<&CTextProgressCtrl::OnSetShowText>(PBM_SETSHOWTEXT))

void CTextProgressCtrl::OnPaint()
{
    CPaintDC paintDC(this);
    if (m_min >= m_max)
        return;

    const COLORREF barColour = Resolved(m_barColor, COLOR_HIGHLIGHT);
    const COLORREF backgroundColour = Resolved(m_bkColor, COLOR_WINDOW);
    CRect client;
    GetClientRect(&client);
    const double fraction = FillFraction(m_pos, m_min, m_max);

    COffscreenDC dc(&paintDC);
    if (CWnd* parent = GetParent())
        dc.SelectObject(parent->GetFont());

    const bool vertical = GetStyle() & PBS_VERTICAL;
    CRect filled = client;
    CRect empty = client;
    if (vertical) {
        filled.top = client.bottom - ScaledLength(client.Height(), fraction);
        empty.bottom = filled.top;
    } else {
        filled.right = client.left + ScaledLength(client.Width(), fraction);
        empty.left = filled.right;
    }
    dc.FillSolidRect(filled, barColour);
    dc.FillSolidRect(empty, backgroundColour);

    // A vertical bar shows no text: the status line reads across, and the
    // program's only bar lies flat.
    if (!m_showText || vertical)
        return;
    const std::string text = m_text.empty() ? std::to_string(ScaledLength(100, fraction)) + "%" : m_text;
    dc.SetBkMode(TRANSPARENT);
    DrawTextWithin(dc, text, client, filled, m_textColor == CLR_DEFAULT ? backgroundColour : m_textColor);
    DrawTextWithin(dc, text, client, empty, m_textColor == CLR_DEFAULT ? barColour : m_textColor);
}

// Painting covers every pixel; erasing first would only flicker.
BOOL CTextProgressCtrl::OnEraseBkgnd(CDC*) { return TRUE; }

void CTextProgressCtrl::OnSize(UINT, int, int)
{
    Default();
    m_lastFilledWidth = -1;
}

LRESULT CTextProgressCtrl::OnSetText(WPARAM, LPARAM lParam)
{
    const LRESULT result = Default();
    const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
    if (m_text != text) {
        m_text = text;
        Invalidate();
    }
    return result;
}

LRESULT CTextProgressCtrl::OnGetText(WPARAM bufferSize, LPARAM buffer)
{
    if (bufferSize == 0 || buffer == 0)
        return 0;
    const std::size_t copied = std::min<std::size_t>(m_text.size(), bufferSize - 1);
    auto* characters = reinterpret_cast<char*>(buffer);
    std::memcpy(characters, m_text.data(), copied);
    characters[copied] = '\0';
    return static_cast<LRESULT>(copied);
}

LRESULT CTextProgressCtrl::OnSetRange(WPARAM, LPARAM range)
{
    m_min = LOWORD(static_cast<std::uintptr_t>(range));
    m_max = HIWORD(static_cast<std::uintptr_t>(range));
    return 0;
}

LRESULT CTextProgressCtrl::OnSetPos(WPARAM newPos, LPARAM)
{
    if (!m_hWnd)
        return -1;
    const int previous = m_pos;
    m_pos = static_cast<int>(newPos);
    // Without a range there is no fill to show; painting draws nothing then.
    if (m_min == m_max)
        return previous;

    CRect client;
    GetClientRect(&client);
    const int length = (GetStyle() & PBS_VERTICAL) ? client.Height() : client.Width();
    const int filled = ScaledLength(length, FillFraction(m_pos, m_min, m_max));
    if (filled != m_lastFilledWidth) {
        m_lastFilledWidth = filled;
        // The operations keep the thread busy: only a paint done now is seen.
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    }
    return previous;
}

LRESULT CTextProgressCtrl::OnOffsetPos(WPARAM increment, LPARAM)
{
    return SendMessage(PBM_SETPOS, static_cast<WPARAM>(Wrapped(std::int64_t{m_pos} + static_cast<int>(increment))));
}

LRESULT CTextProgressCtrl::OnSetStep(WPARAM step, LPARAM)
{
    const int previous = m_step;
    m_step = static_cast<int>(step);
    return previous;
}

LRESULT CTextProgressCtrl::OnStepIt(WPARAM, LPARAM)
{
    return SendMessage(PBM_SETPOS, static_cast<WPARAM>(Wrapped(std::int64_t{m_pos} + m_step)));
}

LRESULT CTextProgressCtrl::OnSetRange32(WPARAM lower, LPARAM upper)
{
    m_min = static_cast<int>(lower);
    m_max = static_cast<int>(upper);
    return 0;
}

LRESULT CTextProgressCtrl::OnGetRange(WPARAM whichLimit, LPARAM range)
{
    if (auto* limits = reinterpret_cast<PBRANGE*>(range)) {
        limits->iLow = m_min;
        limits->iHigh = m_max;
    }
    return whichLimit ? m_min : m_max;
}

LRESULT CTextProgressCtrl::OnGetPos(WPARAM, LPARAM) { return m_pos; }

LRESULT CTextProgressCtrl::OnSetBarColor(WPARAM, LPARAM colour) { return SetBarColor(static_cast<COLORREF>(colour)); }
LRESULT CTextProgressCtrl::OnSetBkColor(WPARAM, LPARAM colour) { return SetBkColor(static_cast<COLORREF>(colour)); }
LRESULT CTextProgressCtrl::OnSetTextColor(WPARAM, LPARAM colour) { return SetTextColor(static_cast<COLORREF>(colour)); }

LRESULT CTextProgressCtrl::OnSetShowText(WPARAM show, LPARAM)
{
    SetShowText(static_cast<BOOL>(show));
    return 0;
}

void CTextProgressCtrl::SetShowText(BOOL show)
{
    if (m_hWnd && show != m_showText)
        Invalidate();
    m_showText = show;
}

COLORREF CTextProgressCtrl::SetBarColor(COLORREF colour)
{
    if (m_hWnd)
        Invalidate();
    return std::exchange(m_barColor, colour);
}

COLORREF CTextProgressCtrl::SetBkColor(COLORREF colour)
{
    if (m_hWnd)
        Invalidate();
    return std::exchange(m_bkColor, colour);
}

COLORREF CTextProgressCtrl::SetTextColor(COLORREF colour)
{
    if (m_hWnd)
        Invalidate();
    return std::exchange(m_textColor, colour);
}
