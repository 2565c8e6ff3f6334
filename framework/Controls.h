// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Control classes: thin objects over a control window that send it messages.
#include "framework/Wnd.h"

class CButton : public CWnd {
public:
    void SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
    int GetCheck() const { return static_cast<int>(const_cast<CButton*>(this)->SendMessage(BM_GETCHECK)); }
};

// The progress bar base: convenience functions that send the bar's messages
// to the object itself.
class CProgressCtrl : public CWnd {
public:
    int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
    int GetPos() { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    void SetRange(short lower, short upper)
    {
        SendMessage(PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(lower), static_cast<WORD>(upper)));
    }
    void SetRange32(int lower, int upper)
    {
        SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
    }
    int SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
    int OffsetPos(int delta) { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(delta))); }
};
