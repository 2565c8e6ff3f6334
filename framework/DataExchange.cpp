// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/DataExchange.h"

#include <cctype>
#include <cstdio>
#include <string>

#include "framework/Window.h"

CDataExchange::CDataExchange(CWnd* dialog, BOOL saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog)
{
}

HWND CDataExchange::PrepareCtrl(int id)
{
    m_hWndLastControl = m_pDlgWnd->GetDlgItemHandle(id);
    m_editLastControl = false;
    return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int id)
{
    PrepareCtrl(id);
    m_editLastControl = true;
    return m_hWndLastControl;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_hWndLastControl) {
        fw::window::SetFocus(m_hWndLastControl);
        if (m_editLastControl)
            fw::window::SelectAllText(m_hWndLastControl);
    }
    throw fw::DataExchangeFailure{};
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (control.m_hWnd)
        return;
    control.Attach(pDX->PrepareCtrl(id));
}

namespace fw {

bool ParseUnsignedNumber(std::string_view text, std::uint32_t& value)
{
    text = text.substr(0, 31);
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && text[i] == '-')
        return false;
    const std::size_t numberStart = i;
    // The number itself as strtoul reads it: white space, an optional plus.
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    std::uint64_t number = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        number = number * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (number > 0xFFFFFFFFull)
            number = 0x100000000ull;
        ++i;
    }
    const std::uint32_t parsed = number > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(number);
    if (parsed == 0 && (numberStart >= text.size() || text[numberStart] != '0'))
        return false;
    for (; i < text.size(); ++i)
        if (text[i] != ' ' && text[i] != '\t')
            return false;
    value = parsed;
    return true;
}

} // namespace fw

void DDX_Text(CDataExchange* pDX, int id, std::uint32_t& value)
{
    const HWND edit = pDX->PrepareEditCtrl(id);
    CWnd* control = FromHandle(edit);
    if (!pDX->m_bSaveAndValidate) {
        control->SetWindowText(std::to_string(value));
        return;
    }
    if (!fw::ParseUnsignedNumber(control->GetWindowText(), value)) {
        pDX->m_pDlgWnd->MessageBox("Please enter a positive integer.", {}, MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

void DDV_MinMaxUInt(CDataExchange* pDX, std::uint32_t value, std::uint32_t minValue, std::uint32_t maxValue)
{
    if (!pDX->m_bSaveAndValidate || (value >= minValue && value <= maxValue))
        return;
    std::string text = "Please enter an integer between %1 and %2.";
    text.replace(text.find("%1"), 2, std::to_string(minValue));
    text.replace(text.find("%2"), 2, std::to_string(maxValue));
    pDX->m_pDlgWnd->MessageBox(text, {}, MB_ICONEXCLAMATION);
    pDX->Fail();
}
