// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include <string>
#include <vector>

#include "framework/Types.h"

// A menu as a list of items; the system menu of a dialog is one of these.
class CMenu {
public:
    struct Item {
        UINT flags;        // MF_STRING or MF_SEPARATOR
        UINT id;
        std::string text;  // with its "&" mnemonic
    };

    BOOL AppendMenu(UINT flags, UINT id = 0, const std::string& text = {});
    const std::vector<Item>& Items() const { return m_items; }

private:
    std::vector<Item> m_items;
};
