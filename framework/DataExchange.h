// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Data exchange between a dialog's controls and its members, in either
// direction, with validation that stops at the first failing field.
#include <cstdint>
#include <string_view>

#include "framework/Wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Gives the focus back to the control prepared last (selecting all text of
    // an edit) and ends the exchange as failed.
    [[noreturn]] void Fail();

private:
    HWND m_hWndLastControl = nullptr;
    bool m_editLastControl = false;
};

// Attaches control to the dialog's control id on the first exchange.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// An unsigned decimal number in an edit.
void DDX_Text(CDataExchange* pDX, int id, std::uint32_t& value);
void DDV_MinMaxUInt(CDataExchange* pDX, std::uint32_t value, std::uint32_t minValue, std::uint32_t maxValue);

namespace fw {

// Reads an unsigned number as the edit fields do: at most the first 31
// characters, blanks and tabs around it, an optional plus sign, no minus,
// 4294967295 for anything larger. False when the text is not such a number.
bool ParseUnsignedNumber(std::string_view text, std::uint32_t& value);

// Thrown by CDataExchange::Fail and caught by UpdateData.
struct DataExchangeFailure {};

} // namespace fw
