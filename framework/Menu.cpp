// SPDX-License-Identifier: GPL-2.0-or-later
#include "framework/Menu.h"

BOOL CMenu::AppendMenu(UINT flags, UINT id, const std::string& text)
{
    m_items.push_back({flags, id, text});
    return TRUE;
}
